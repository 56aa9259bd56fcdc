#pragma once
// The code pages of the simulated Windows: the program's text is UTF-8 (Windows 10 and 11 with
// the program's manifest), bytes that are not UTF-8 stand for Windows-1252 characters (the
// code page of older Windows), and the console's code page is 437, the OEM one of an English
// system.

#include <cstdint>
#include <string>

namespace lw::sim {

// The text in UTF-16: UTF-8 by character, other bytes as Windows-1252 characters.
std::u16string Utf16(const std::string& text);

// The UTF-16 text in code page 65001 or 437: false when the code page is another one or lacks a
// character (unpaired surrogates included).
bool FromUtf16(std::uint32_t codePage, const std::u16string& wide, std::string* text);

}  // namespace lw::sim
