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

namespace {

// Where the two names first differ once folded, or first hold a character beyond ASCII. Most
// names are ASCII all through: they are compared in place, without folded copies of both.
std::size_t AsciiPrefixFoldedAlike(const std::string& a, const std::string& b) {
  const std::size_t common = std::min(a.size(), b.size());
  std::size_t at = 0;
  for (; at < common; ++at) {
    const auto l = static_cast<unsigned char>(a[at]);
    const auto r = static_cast<unsigned char>(b[at]);
    if (l >= 0x80 || r >= 0x80 || FoldChar(a[at]) != FoldChar(b[at])) break;
  }
  return at;
}

// Whether both names hold an ASCII character at that place: then it alone decides.
bool BothAsciiAt(const std::string& a, const std::string& b, std::size_t at) {
  return static_cast<unsigned char>(a[at]) < 0x80 && static_cast<unsigned char>(b[at]) < 0x80;
}

bool FoldedLess(const std::string& x, const std::string& y) {
  // Byte order of UTF-8 is the order of the characters.
  return std::lexicographical_compare(x.begin(), x.end(), y.begin(), y.end(), [](char l, char r) {
    return static_cast<unsigned char>(l) < static_cast<unsigned char>(r);
  });
}

}  // namespace

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  const std::size_t at = AsciiPrefixFoldedAlike(a, b);
  if (at == a.size()) return true;
  if (BothAsciiAt(a, b, at)) return false;
  return Fold(a.substr(at)) == Fold(b.substr(at));
}

bool NameLess::operator()(const std::string& a, const std::string& b) const {
  // The folded ASCII prefixes are alike and as long as each other: the rest decides.
  const std::size_t at = AsciiPrefixFoldedAlike(a, b);
  if (at == a.size() || at == b.size()) return a.size() < b.size();
  if (BothAsciiAt(a, b, at)) {
    return static_cast<unsigned char>(FoldChar(a[at])) <
           static_cast<unsigned char>(FoldChar(b[at]));
  }
  return FoldedLess(Fold(a.substr(at)), Fold(b.substr(at)));
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
