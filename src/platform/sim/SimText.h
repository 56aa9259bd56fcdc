#pragma once
// Text helpers of the simulated Windows: the case folding that Windows applies to registry and
// file names, and a few string utilities. The simulated program's text is UTF-8, as on Windows
// 10 and 11 with the program's manifest; bytes that are not UTF-8 are taken as the Western code
// page (Windows-1252), the code page of older Windows.

#include <string>
#include <vector>

namespace lw::sim {

// The upper-case form of one Windows-1252 character, as Windows compares names.
char FoldChar(char c);
// The upper-case form of every character: UTF-8 ones by character (NameCase), other bytes by
// FoldChar.
std::string Fold(const std::string& text);
bool SameName(const std::string& a, const std::string& b);

// Orders names the way Windows sorts registry sub-keys and folder entries: by their upper-case
// forms, character by character.
struct NameLess {
  bool operator()(const std::string& a, const std::string& b) const;
};

// Splits at every separator; empty pieces are dropped when dropEmpty is set.
std::vector<std::string> Split(const std::string& text, char separator, bool dropEmpty);
std::string Trim(const std::string& text);  // blanks and tabs at both ends
std::string ToHex(const std::string& bytes);
bool FromHex(const std::string& hex, std::string* bytes);
std::string TwoDigits(unsigned value);

}  // namespace lw::sim
