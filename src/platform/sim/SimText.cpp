#include "platform/sim/SimText.h"

#include <algorithm>

#include "platform/NameCase.h"

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

std::string Fold(const std::string& text) { return UpperCaseName(text, FoldChar); }

bool SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && Fold(a) == Fold(b);
}

bool NameLess::operator()(const std::string& a, const std::string& b) const {
  const std::string x = Fold(a);
  const std::string y = Fold(b);
  // Byte order of UTF-8 is the order of the characters.
  return std::lexicographical_compare(x.begin(), x.end(), y.begin(), y.end(), [](char l, char r) {
    return static_cast<unsigned char>(l) < static_cast<unsigned char>(r);
  });
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
