// Names in any script: compared without regard to case as Windows compares them, cut without
// splitting a character, and measured in the registry's units.

#include <gtest/gtest.h>

#include <string>

#include "platform/NameCase.h"
#include "util/Text.h"

namespace lw::test {
namespace {

// "é", "Ж" (Cyrillic), "中" (Chinese, no case) and an emoji (four bytes, two UTF-16 units).
const std::string kE = "\xc3\xa9";
const std::string kBigE = "\xc3\x89";
const std::string kZhe = "\xd0\xb6";
const std::string kBigZhe = "\xd0\x96";
const std::string kHan = "\xe4\xb8\xad";
const std::string kEmoji = "\xf0\x9f\x98\x80";

TEST(TextCaseTest, NamesAreEqualAsWindowsComparesThem) {
  struct Case {
    std::string a;
    std::string b;
    bool same;
  };
  const Case cases[] = {
      {"Caf" + kE + ".lnk", "CAF" + kBigE + ".LNK", true},
      {kZhe + "ar", kBigZhe + "AR", true},
      {"\xd0\xbf\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82",
       "\xd0\x9f\xd0\xa0\xd0\x98\xd0\x92\xd0\x95\xd0\xa2", true},  // привет / ПРИВЕТ
      {"\xd1\x91", "\xd0\x81", true},                              // ё / Ё
      {"\xce\xbb\xcf\x83", "\xce\x9b\xce\xa3", true},              // λσ / ΛΣ
      // The final sigma keeps its own form, as Windows' upper case keeps it.
      {"\xcf\x82", "\xce\xa3", false},
      {"\xc3\xbf", "\xc5\xb8", true},          // ÿ / Ÿ
      {"\xef\xbd\x81", "\xef\xbc\xa1", true},  // fullwidth a / A
      {kHan + kEmoji, kHan + kEmoji, true},
      {kHan, "\xe4\xb8\xae", false},
      {kEmoji, "\xf0\x9f\x98\x81", false},
      {"e", kE, false},
      {kE, kZhe, false},
      // Text of an older code page (not UTF-8): its ASCII letters alone are folded.
      {"Caf\xe9", "CAF\xe9", true},
      {"caf\xe9", "caf\xc9", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SameText(c.a, c.b), c.same) << c.a << " / " << c.b;
    EXPECT_EQ(LowerCase(c.a).size(), c.a.size()) << c.a;
  }
  EXPECT_EQ(LowerCase("CAF" + kBigE + " " + kBigZhe + kHan + kEmoji),
            "caf" + kE + " " + kZhe + kHan + kEmoji);
  EXPECT_EQ(UpperCaseName("caf" + kE + kZhe), "CAF" + kBigE + kBigZhe);
}

TEST(TextCaseTest, TruncationNeverSplitsACharacter) {
  const std::string text = "a" + kE + kHan + kEmoji;  // 1 + 2 + 3 + 4 bytes
  struct Case {
    std::size_t max;
    std::string kept;
  };
  const Case cases[] = {{0, ""},
                        {1, "a"},
                        {2, "a"},
                        {3, "a" + kE},
                        {5, "a" + kE},
                        {6, "a" + kE + kHan},
                        {9, "a" + kE + kHan},
                        {10, text},
                        {50, text}};
  for (const Case& c : cases) EXPECT_EQ(TruncateText(text, c.max), c.kept) << c.max;
  // Bytes of an older code page are characters of their own.
  EXPECT_EQ(TruncateText("caf\xe9s", 4), "caf\xe9");
}

TEST(TextCaseTest, LengthsCountUtf16Units) {
  EXPECT_EQ(WideLength(""), 0u);
  EXPECT_EQ(WideLength("abc"), 3u);
  EXPECT_EQ(WideLength(kE + kZhe + kHan), 3u);
  EXPECT_EQ(WideLength(kEmoji), 2u);
  EXPECT_EQ(WideLength("caf\xe9"), 4u);
}

}  // namespace
}  // namespace lw::test
