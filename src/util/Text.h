#pragma once
// Small text and path helpers shared by the whole program. Text is the system's ANSI code page:
// UTF-8 on Windows 10 1903 and later (the manifest asks for it), a single- or double-byte code
// page before. Letter case is folded as Windows folds names (NameCase): by character for UTF-8,
// the ASCII letters alone for the bytes of an older code page, so that comparisons of names and
// paths do not depend on the machine's locale.

#include <cstddef>
#include <cstdint>
#include <string>

namespace lw {

// The small-letter form of every letter that has one; the byte length is kept.
std::string LowerCase(std::string text);
// Equal without regard to letter case.
bool SameText(const std::string& a, const std::string& b);
// At most maxBytes bytes of the text, never ending inside a UTF-8 character.
std::string TruncateText(const std::string& text, std::size_t maxBytes);
// The length of the text in UTF-16 units, the unit of the registry's and the file system's name
// limits (UTF-8 counted by character, other bytes one each).
std::size_t WideLength(const std::string& text);
// Without the blanks (spaces only) at both ends.
std::string TrimBlanks(const std::string& text);
// The file name of a path: the text after its last backslash or colon (the whole text when it
// has neither).
std::string ExtractFileName(const std::string& path);
// The path with one trailing backslash; an empty path gets one too.
std::string IncludeTrailingBackslash(const std::string& path);

// A whole number as the program accepts it (options, pauses, stored figures): blanks around it are
// ignored, then an optional sign and one or more decimal digits, within the signed 32-bit range.
// Anything else (fractions, hexadecimal, an empty text) is refused; *value is set only on success.
bool TryParseWholeNumber(const std::string& text, std::int32_t* value);

}  // namespace lw
