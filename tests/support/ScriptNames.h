#pragma once
// Names in four scripts, as the program's text (UTF-8): a Latin letter outside ASCII, Cyrillic,
// Chinese, and an emoji that takes two UTF-16 units.

#include <string>

namespace lw::test {

inline const std::string kCafe = "Caf\xc3\xa9";                                         // Café
inline const std::string kPrivet = "\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82";  // Привет
inline const std::string kChinese = "\xe4\xb8\xad\xe6\x96\x87";                         // 中文
inline const std::string kRocket = "\xf0\x9f\x9a\x80 Rocket";  // 🚀 Rocket

}  // namespace lw::test
