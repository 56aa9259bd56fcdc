// What the manifest's UTF-8 code page does, pinned on the real API: the test process declares it
// as the program does (Windows 10 1903 and later honour it; Wine 8 does too). The "A" calls then
// take and return UTF-8, while windows and the registry keep UTF-16.

#include "platform/win32/Win32Api.h"

#include <string>

#include "platform/NameCase.h"
#include "platform/Platform.h"
#include "support/RawRegistry.h"
#include "support/TestEnv.h"

namespace lw::test {
namespace {

// "Café", "Жук", "中文" and an emoji, as UTF-8 and as UTF-16.
const std::string kNames =
    "Caf\xc3\xa9 \xd0\x96\xd1\x83\xd0\xba \xe4\xb8\xad\xe6\x96\x87 \xf0\x9f\x98\x80";
const std::wstring kWideNames = L"Caf\u00e9 \u0416\u0443\u043a \u4e2d\u6587 \U0001F600";

TEST(CodePageWin32Test, TheAnsiCodePageIsUtf8) { EXPECT_EQ(::GetACP(), 65001u); }

TEST(CodePageWin32Test, AWindowTextGoesThroughTheAnsiCallsAsUtf8) {
  HWND edit = ::CreateWindowExA(0, "EDIT", kNames.c_str(), WS_POPUP, 0, 0, 100, 20, nullptr,
                                nullptr, ::GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(edit, nullptr);
  wchar_t wide[64] = {};
  ::GetWindowTextW(edit, wide, 64);
  EXPECT_EQ(std::wstring(wide), kWideNames);
  char text[128] = {};
  const int length = ::GetWindowTextA(edit, text, sizeof text);
  EXPECT_EQ(std::string(text, static_cast<std::size_t>(length > 0 ? length : 0)), kNames);
  // The length the ANSI call reports may count wide characters: never more than the bytes.
  EXPECT_LE(::GetWindowTextLengthA(edit), static_cast<int>(kNames.size()));
  ::DestroyWindow(edit);
}

class CodePageRegistryWin32Test : public PlatformTest {
 protected:
  void TearDown() override { DeleteKeyTree(kHKeyCurrentUser, kKey); }
  static constexpr char kKey[] = "Software\\Tallowmere\\Facts\\Names";
};

TEST_F(CodePageRegistryWin32Test, AValueNameAndItsTextAreStoredAsUtf16) {
  SetRawString(kHKeyCurrentUser, kKey, kNames, kNames);
  HKEY key = nullptr;
  ASSERT_EQ(
      ::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Tallowmere\\Facts\\Names", 0, KEY_READ, &key),
      ERROR_SUCCESS);
  wchar_t name[64] = {};
  DWORD nameLength = 64;
  wchar_t data[64] = {};
  DWORD dataSize = sizeof data;
  DWORD type = 0;
  EXPECT_EQ(::RegEnumValueW(key, 0, name, &nameLength, nullptr, &type,
                            reinterpret_cast<BYTE*>(data), &dataSize),
            ERROR_SUCCESS);
  ::RegCloseKey(key);
  EXPECT_EQ(std::wstring(name, nameLength), kWideNames);
  EXPECT_EQ(std::wstring(data), kWideNames);
  // Back through the "A" calls of the seam, byte for byte.
  EXPECT_EQ(RawValueNames(kHKeyCurrentUser, kKey), std::vector<std::string>{kNames});
  EXPECT_EQ(RawString(kHKeyCurrentUser, kKey, kNames), kNames);
  std::u16string converted = Sys().MultiByteToWideChar(kNames);
  EXPECT_EQ(std::wstring(converted.begin(), converted.end()), kWideNames);
}

// The program folds the case of names by its own table; Windows' own upper case of each letter
// the table knows (Latin, Greek, Cyrillic, Armenian, fullwidth) is the same.
TEST(CodePageWin32Test, TheNameCaseTableAgreesWithWindows) {
  const std::pair<std::uint32_t, std::uint32_t> ranges[] = {
      {0x00B5, 0x00B5}, {0x00C0, 0x0130}, {0x0132, 0x0137}, {0x0139, 0x0148},
      {0x014A, 0x017E}, {0x0386, 0x03CE}, {0x0400, 0x052F}, {0x0531, 0x0586},
      {0x1E00, 0x1E95}, {0x1EA0, 0x1EF9}, {0xFF21, 0xFF5A}};
  for (const auto& [first, last] : ranges) {
    for (std::uint32_t c = first; c <= last; ++c) {
      wchar_t unit[2] = {static_cast<wchar_t>(c), 0};
      ::CharUpperBuffW(unit, 1);
      EXPECT_EQ(UpperCodePoint(c), static_cast<std::uint32_t>(unit[0])) << std::hex << c;
    }
  }
}

}  // namespace
}  // namespace lw::test
