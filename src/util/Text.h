#pragma once
// Small text and path helpers shared by the whole program. Text is single-byte; letter case is
// folded for the ASCII letters only, so that comparisons of names and paths do not depend on
// the machine's locale (Windows compares file names without regard to case in the same way
// for the letters that matter here).

#include <cstdint>
#include <string>

namespace lw {

std::string LowerCase(std::string text);
// Equal without regard to the case of ASCII letters.
bool SameText(const std::string& a, const std::string& b);
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
