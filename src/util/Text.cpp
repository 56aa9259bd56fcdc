#include "util/Text.h"

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

}  // namespace lw
