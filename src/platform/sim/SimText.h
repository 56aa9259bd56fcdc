#pragma once
// Text helpers of the simulated Windows: the case folding that Windows applies to registry and
// file names (ASCII and the Western code page's letters), and a few string utilities.

#include <string>
#include <vector>

namespace lw::sim {

// The upper-case form of one single-byte character, as Windows compares names.
char FoldChar(char c);
std::string Fold(const std::string& text);
bool SameName(const std::string& a, const std::string& b);

// Orders names the way Windows sorts registry sub-keys and folder entries: by their upper-case
// forms, byte by byte.
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
