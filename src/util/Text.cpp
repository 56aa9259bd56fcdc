#include "util/Text.h"

#include <cstdint>

#include "platform/NameCase.h"

namespace lw {

std::string LowerCase(std::string text) { return LowerCaseName(text); }

bool SameText(const std::string& a, const std::string& b) {
  return a.size() == b.size() && LowerCase(a) == LowerCase(b);
}

std::string TruncateText(const std::string& text, std::size_t maxBytes) {
  if (text.size() <= maxBytes) return text;
  std::size_t at = 0;
  while (at < maxBytes) {
    std::uint32_t c = 0;
    const std::size_t length = Utf8SequenceAt(text, at, &c);
    const std::size_t step = length == 0 ? 1 : length;
    if (at + step > maxBytes) break;
    at += step;
  }
  return text.substr(0, at);
}

std::size_t WideLength(const std::string& text) {
  std::size_t units = 0;
  for (std::size_t at = 0; at < text.size();) {
    std::uint32_t c = 0;
    const std::size_t length = Utf8SequenceAt(text, at, &c);
    units += length == 4 ? 2 : 1;
    at += length == 0 ? 1 : length;
  }
  return units;
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
