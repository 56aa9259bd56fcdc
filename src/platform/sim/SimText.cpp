#include "platform/sim/SimText.h"

namespace lw::sim {

char FoldChar(char c) {
  const auto u = static_cast<unsigned char>(c);
  if (u >= 'a' && u <= 'z') return static_cast<char>(u - 0x20);
  // Windows-1252: the accented small letters sit 0x20 above their capitals (0xF7 is the
  // division sign), and four letters have their capitals elsewhere.
  if (u >= 0xE0 && u <= 0xFE && u != 0xF7) return static_cast<char>(u - 0x20);
  switch (u) {
    case 0x9A:
      return static_cast<char>(0x8A);
    case 0x9C:
      return static_cast<char>(0x8C);
    case 0x9E:
      return static_cast<char>(0x8E);
    case 0xFF:
      return static_cast<char>(0x9F);
    default:
      return c;
  }
}

std::string Fold(const std::string& text) {
  std::string folded = text;
  for (char& c : folded) c = FoldChar(c);
  return folded;
}

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldChar(a[i]) != FoldChar(b[i])) return false;
  }
  return true;
}

bool NameLess::operator()(const std::string& a, const std::string& b) const {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    const auto x = static_cast<unsigned char>(FoldChar(a[i]));
    const auto y = static_cast<unsigned char>(FoldChar(b[i]));
    if (x != y) return x < y;
  }
  return a.size() < b.size();
}

std::vector<std::string> Split(const std::string& text, char separator, bool dropEmpty) {
  std::vector<std::string> pieces;
  std::string piece;
  for (char c : text) {
    if (c == separator) {
      if (!piece.empty() || !dropEmpty) pieces.push_back(piece);
      piece.clear();
    } else {
      piece += c;
    }
  }
  if (!piece.empty() || !dropEmpty) pieces.push_back(piece);
  return pieces;
}

std::string Trim(const std::string& text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && blank(text[begin])) ++begin;
  while (end > begin && blank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

std::string ToHex(const std::string& bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  hex.reserve(bytes.size() * 2);
  for (char c : bytes) {
    const auto u = static_cast<unsigned char>(c);
    hex += kDigits[u >> 4];
    hex += kDigits[u & 0x0F];
  }
  return hex;
}

bool FromHex(const std::string& hex, std::string* bytes) {
  if (hex.size() % 2 != 0) return false;
  const auto digit = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  };
  std::string out;
  out.reserve(hex.size() / 2);
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    const int high = digit(hex[i]);
    const int low = digit(hex[i + 1]);
    if (high < 0 || low < 0) return false;
    out += static_cast<char>(high * 16 + low);
  }
  *bytes = std::move(out);
  return true;
}

std::string TwoDigits(unsigned value) {
  std::string text = std::to_string(value);
  return text.size() < 2 ? "0" + text : text;
}

}  // namespace lw::sim
