#pragma once
// Letter case of names as Windows folds it when it compares registry and file names: each
// character has one upper-case form, looked up in a table of the scripts that have case (Latin,
// Greek, Cyrillic, Armenian, the fullwidth Latin letters). The program's text is UTF-8 where the
// system's ANSI code page is (Windows 10 1903 and later with our manifest): a byte is then not
// a character, and "é" must meet "É" as "e" meets "E". Bytes that do not form UTF-8 (text in an
// older single- or double-byte code page) are folded one by one by the caller's own rule.
//
// A character and its other case always take the same number of UTF-8 bytes, so a folded text
// has the length of the original and a position found in one is the position in the other.

#include <cstdint>
#include <string>

namespace lw {

// The other-case forms of one character (code point); a character without case is itself.
std::uint32_t UpperCodePoint(std::uint32_t c);
std::uint32_t LowerCodePoint(std::uint32_t c);

// A byte outside a UTF-8 sequence, folded by the caller's rule.
using ByteFold = char (*)(char);
// Bytes unchanged, except the ASCII letters of the other case.
char UpperAsciiByte(char c);
char LowerAsciiByte(char c);

// The text with every UTF-8 character in the given case; other bytes through byteFold.
std::string UpperCaseName(const std::string& text, ByteFold byteFold = UpperAsciiByte);
std::string LowerCaseName(const std::string& text, ByteFold byteFold = LowerAsciiByte);

// The length of the UTF-8 sequence at text[at], 0 when the bytes there are not one (a stray
// continuation byte, a truncated or overlong sequence, a surrogate, past U+10FFFF); the code
// point goes to *c when it is one.
std::size_t Utf8SequenceAt(const std::string& text, std::size_t at, std::uint32_t* c);
// The code point as UTF-8.
std::string Utf8FromCodePoint(std::uint32_t c);

}  // namespace lw
