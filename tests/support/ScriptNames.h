#pragma once
// Names in four scripts, as the program's text (UTF-8): a Latin letter outside ASCII, Cyrillic,
// Chinese, and an emoji that takes two UTF-16 units; and files written in UTF-16 read back.

#include <gtest/gtest.h>

#include <string>

#include "platform/Platform.h"
#include "platform/WinConst.h"

namespace lw::test {

inline const std::string kCafe = "Caf\xc3\xa9";                                         // Café
inline const std::string kPrivet = "\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82";  // Привет
inline const std::string kChinese = "\xe4\xb8\xad\xe6\x96\x87";                         // 中文
inline const std::string kRocket = "\xf0\x9f\x9a\x80 Rocket";  // 🚀 Rocket

// A UTF-16LE file's text as the program's (UTF-8): the byte-order mark checked and dropped.
inline std::string Utf16FileText(const std::string& bytes) {
  EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
  std::u16string wide;
  for (std::size_t at = 2; at + 1 < bytes.size(); at += 2) {
    wide += static_cast<char16_t>(static_cast<unsigned char>(bytes[at]) |
                                  static_cast<unsigned char>(bytes[at + 1]) << 8);
  }
  std::string text;
  EXPECT_TRUE(Sys().WideCharToMultiByte(kCodePageUtf8, wide, &text));
  return text;
}

}  // namespace lw::test
