#include "util/Text.h"

#include <cstdint>

namespace lw {

std::string LowerCase(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

bool SameText(const std::string& a, const std::string& b) {
  return a.size() == b.size() && LowerCase(a) == LowerCase(b);
}

std::string TrimBlanks(const std::string& text) {
  std::string::size_type first = text.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  std::string::size_type last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

std::string ExtractFileName(const std::string& path) {
  std::string::size_type cut = path.find_last_of("\\:");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string IncludeTrailingBackslash(const std::string& path) {
  if (path.empty() || path.back() != '\\') return path + '\\';
  return path;
}

bool TryParseWholeNumber(const std::string& text, std::int32_t* value) {
  std::string::size_type first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return false;
  std::string::size_type last = text.find_last_not_of(" \t");
  std::string::size_type at = first;
  bool negative = false;
  if (text[at] == '+' || text[at] == '-') negative = text[at++] == '-';
  if (at > last) return false;
  const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
  std::int64_t magnitude = 0;
  for (; at <= last; ++at) {
    char c = text[at];
    if (c < '0' || c > '9') return false;
    magnitude = magnitude * 10 + (c - '0');
    if (magnitude > limit) return false;
  }
  *value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
  return true;
}

}  // namespace lw
