#include "platform/NameCase.h"

namespace lw {

namespace {

// A run of upper-case letters whose small forms lie `delta` code points above them; with a
// step of 2 the capitals are every other code point from `first` (the pairs of Latin Extended
// and Cyrillic), with 1 a contiguous block.
struct CaseRun {
  std::uint32_t first;
  std::uint32_t last;
  std::uint32_t delta;
  std::uint32_t step;
};

constexpr CaseRun kRuns[] = {
    {0x0041, 0x005A, 0x20, 1}, {0x00C0, 0x00D6, 0x20, 1}, {0x00D8, 0x00DE, 0x20, 1},
    {0x0100, 0x012E, 1, 2},    {0x0132, 0x0136, 1, 2},    {0x0139, 0x0147, 1, 2},
    {0x014A, 0x0176, 1, 2},    {0x0179, 0x017D, 1, 2},    {0x0386, 0x0386, 0x26, 1},
    {0x0388, 0x038A, 0x25, 1}, {0x038C, 0x038C, 0x40, 1}, {0x038E, 0x038F, 0x3F, 1},
    {0x0391, 0x03A1, 0x20, 1}, {0x03A3, 0x03AB, 0x20, 1}, {0x0400, 0x040F, 0x50, 1},
    {0x0410, 0x042F, 0x20, 1}, {0x0460, 0x0480, 1, 2},    {0x048A, 0x04BE, 1, 2},
    {0x04C1, 0x04CD, 1, 2},    {0x04D0, 0x052E, 1, 2},    {0x0531, 0x0556, 0x30, 1},
    {0x1E00, 0x1E94, 1, 2},    {0x1EA0, 0x1EF8, 1, 2},    {0xFF21, 0xFF3A, 0x20, 1},
};

// Pairs outside the runs: the capital far from its small letter. A small letter that shares its
// capital with another (the micro sign, the final sigma) keeps its own form, as Windows' upper
// case does.
struct CasePair {
  std::uint32_t upper;
  std::uint32_t lower;
};
constexpr CasePair kPairs[] = {{0x0178, 0x00FF}, {0x04C0, 0x04CF}};

}  // namespace

std::uint32_t UpperCodePoint(std::uint32_t c) {
  for (const CaseRun& run : kRuns) {
    if (c < run.first + run.delta || c > run.last + run.delta) continue;
    const std::uint32_t upper = c - run.delta;
    if ((upper - run.first) % run.step == 0) return upper;
  }
  for (const CasePair& pair : kPairs) {
    if (c == pair.lower) return pair.upper;
  }
  return c;
}

std::uint32_t LowerCodePoint(std::uint32_t c) {
  for (const CaseRun& run : kRuns) {
    if (c >= run.first && c <= run.last && (c - run.first) % run.step == 0) return c + run.delta;
  }
  for (const CasePair& pair : kPairs) {
    if (c == pair.upper) return pair.lower;
  }
  return c;
}

char UpperAsciiByte(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 0x20) : c; }
char LowerAsciiByte(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 0x20) : c; }

std::size_t Utf8SequenceAt(const std::string& text, std::size_t at, std::uint32_t* c) {
  const auto lead = static_cast<unsigned char>(text[at]);
  std::size_t length = 0;
  std::uint32_t value = 0;
  std::uint32_t least = 0;
  if (lead < 0x80) {
    *c = lead;
    return 1;
  }
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, value = lead & 0x1Fu, least = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, value = lead & 0x0Fu, least = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, value = lead & 0x07u, least = 0x10000;
  } else {
    return 0;
  }
  if (text.size() - at < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[at + i]);
    if ((next & 0xC0) != 0x80) return 0;
    value = (value << 6) | (next & 0x3Fu);
  }
  if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  *c = value;
  return length;
}

std::string Utf8FromCodePoint(std::uint32_t c) {
  std::string out;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}

namespace {

std::string Folded(const std::string& text, std::uint32_t (*fold)(std::uint32_t),
                   ByteFold byteFold) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    std::uint32_t c = 0;
    const std::size_t length = Utf8SequenceAt(text, at, &c);
    if (length <= 1) {
      out += byteFold(text[at]);
      ++at;
      continue;
    }
    out += Utf8FromCodePoint(fold(c));
    at += length;
  }
  return out;
}

}  // namespace

std::string UpperCaseName(const std::string& text, ByteFold byteFold) {
  return Folded(text, UpperCodePoint, byteFold);
}

std::string LowerCaseName(const std::string& text, ByteFold byteFold) {
  return Folded(text, LowerCodePoint, byteFold);
}

}  // namespace lw
