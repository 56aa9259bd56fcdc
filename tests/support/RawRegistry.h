#pragma once
// Helpers for the store's tests, built on the seam alone, so that what a test stages or checks
// does not lean on the registry class under test. Paths may start with a backslash (as the
// program writes them); it is dropped.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/Platform.h"
#include "support/TestEnv.h"
#include "util/Error.h"
#include "util/WindowsBitness.h"

namespace lw::test {

// The text of the program error that the action raises; empty when it raises none.
template <class F>
std::string ErrorOf(F action) {
  try {
    action();
  } catch (const Error& error) {
    return error.what();
  }
  return std::string();
}

// A key opened for one test, closed when the test ends.
class Key {
 public:
  Key() = default;
  ~Key() {
    if (handle != 0) Reg().CloseKey(handle);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  HKey handle = 0;
};

// A registry call's result compared with success.
inline constexpr long kOk = kErrorSuccess;

// A fixture with a key of its own under HKEY_CURRENT_USER, opened with full access, for the
// tests that pin how the registry functions behave.
class FactsKeyTest : public PlatformTest {
 protected:
  inline static const std::string kFactsKey = "SOFTWARE\\Tallowmere\\Facts";
  void SetUp() override {
    PlatformTest::SetUp();
    ASSERT_EQ(Reg().CreateKeyEx(kHKeyCurrentUser, kFactsKey, kKeyAllAccess, &base.handle, nullptr),
              kOk);
  }
  Key base;
};

// The access mask with the program's registry view (the 32-bit one on 64-bit Windows), so that
// what a test stages or checks is where the program keeps and looks for it. A test about the
// other view names it itself (RawInView).
inline std::uint32_t& RawViewOverride() {
  static std::uint32_t view = 0;
  return view;
}
inline std::uint32_t RawAccess(std::uint32_t access) {
  return access | (RawViewOverride() != 0 ? RawViewOverride() : ProgramRegistryView());
}
// The raw helpers work in the view (kKeyWow64_64Key, kKeyWow64_32Key) while the object lives.
class InRawView {
 public:
  explicit InRawView(std::uint32_t view) { RawViewOverride() = view; }
  ~InRawView() { RawViewOverride() = 0; }
  InRawView(const InRawView&) = delete;
  InRawView& operator=(const InRawView&) = delete;
};

inline std::string SeamPath(const std::string& path) {
  return !path.empty() && path.front() == '\\' ? path.substr(1) : path;
}

// Creates the key when missing and sets the value with the given type and raw bytes.
inline void SetRaw(HKey root, const std::string& path, const std::string& name, std::uint32_t type,
                   const std::string& bytes) {
  HKey key = 0;
  ASSERT_EQ(Reg().CreateKeyEx(root, SeamPath(path), RawAccess(kKeyAllAccess), &key, nullptr),
            static_cast<long>(kErrorSuccess));
  EXPECT_EQ(
      Reg().SetValueEx(key, name, type, bytes.data(), static_cast<std::uint32_t>(bytes.size())),
      static_cast<long>(kErrorSuccess));
  Reg().CloseKey(key);
}

inline void SetRawString(HKey root, const std::string& path, const std::string& name,
                         const std::string& text) {
  SetRaw(root, path, name, kRegSz, text + std::string(1, '\0'));
}

inline void SetRawExpandString(HKey root, const std::string& path, const std::string& name,
                               const std::string& text) {
  SetRaw(root, path, name, kRegExpandSz, text + std::string(1, '\0'));
}

inline void SetRawDword(HKey root, const std::string& path, const std::string& name,
                        std::uint32_t value) {
  std::string bytes;
  for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>((value >> shift) & 0xFF);
  SetRaw(root, path, name, kRegDword, bytes);
}

inline void RemoveRawValue(HKey root, const std::string& path, const std::string& name) {
  HKey key = 0;
  if (Reg().OpenKeyEx(root, SeamPath(path), RawAccess(kKeyAllAccess), &key) != kErrorSuccess)
    return;
  Reg().DeleteValue(key, name);
  Reg().CloseKey(key);
}

inline bool RawKeyExists(HKey root, const std::string& path) {
  HKey key = 0;
  if (Reg().OpenKeyEx(root, SeamPath(path), RawAccess(kKeyRead), &key) != kErrorSuccess)
    return false;
  Reg().CloseKey(key);
  return true;
}

// The value's type and bytes; false when the key or the value is missing.
inline bool GetRaw(HKey root, const std::string& path, const std::string& name, std::uint32_t* type,
                   std::string* bytes) {
  HKey key = 0;
  if (Reg().OpenKeyEx(root, SeamPath(path), RawAccess(kKeyRead), &key) != kErrorSuccess)
    return false;
  std::uint32_t size = 0;
  bool found = Reg().QueryValueEx(key, name, type, nullptr, &size) == kErrorSuccess;
  if (found) {
    bytes->assign(size, '\0');
    found = Reg().QueryValueEx(key, name, type, bytes->data(), &size) == kErrorSuccess;
    bytes->resize(size);
  }
  Reg().CloseKey(key);
  return found;
}

// The value's type; 0 when the key or the value is missing.
inline std::uint32_t RawType(HKey root, const std::string& path, const std::string& name) {
  std::uint32_t type = 0;
  std::string bytes;
  return GetRaw(root, path, name, &type, &bytes) ? type : 0;
}

inline bool RawValueExists(HKey root, const std::string& path, const std::string& name) {
  std::uint32_t type = 0;
  std::string bytes;
  return GetRaw(root, path, name, &type, &bytes);
}

// The DWORD stored there, or the fallback when it is missing or not a DWORD.
inline std::int64_t RawDword(HKey root, const std::string& path, const std::string& name,
                             std::int64_t fallback = -999) {
  std::uint32_t type = 0;
  std::string bytes;
  if (!GetRaw(root, path, name, &type, &bytes) || type != kRegDword || bytes.size() != 4) {
    return fallback;
  }
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[i]);
  return static_cast<std::int32_t>(value);
}

// The REG_SZ text stored there without its terminating zero; "<missing>" when absent.
inline std::string RawString(HKey root, const std::string& path, const std::string& name) {
  std::uint32_t type = 0;
  std::string bytes;
  if (!GetRaw(root, path, name, &type, &bytes)) return "<missing>";
  if (!bytes.empty() && bytes.back() == '\0') bytes.pop_back();
  return bytes;
}

inline std::vector<std::string> RawValueNames(HKey root, const std::string& path) {
  std::vector<std::string> names;
  HKey key = 0;
  if (Reg().OpenKeyEx(root, SeamPath(path), RawAccess(kKeyRead), &key) != kErrorSuccess)
    return names;
  std::string name;
  for (std::uint32_t i = 0; Reg().EnumValue(key, i, &name) == kErrorSuccess; ++i) {
    names.push_back(name);
  }
  Reg().CloseKey(key);
  return names;
}

// Every key and value below path, one line each, with types and data in hex: two dumps are
// equal exactly when nothing changed.
inline std::string DumpTree(HKey root, const std::string& path) {
  std::string out;
  HKey key = 0;
  if (Reg().OpenKeyEx(root, SeamPath(path), RawAccess(kKeyRead), &key) != kErrorSuccess)
    return "<none>\n";
  out += "[" + SeamPath(path) + "]\n";
  std::string name;
  for (std::uint32_t i = 0; Reg().EnumValue(key, i, &name) == kErrorSuccess; ++i) {
    std::uint32_t type = 0;
    std::string bytes;
    GetRaw(root, path, name, &type, &bytes);
    out += name + " (" + std::to_string(type) + ") =";
    for (unsigned char c : bytes) {
      char hex[4];
      std::snprintf(hex, sizeof hex, " %02x", c);
      out += hex;
    }
    out += "\n";
  }
  std::vector<std::string> children;
  for (std::uint32_t i = 0; Reg().EnumKeyEx(key, i, &name) == kErrorSuccess; ++i) {
    children.push_back(name);
  }
  Reg().CloseKey(key);
  for (const std::string& child : children) out += DumpTree(root, SeamPath(path) + "\\" + child);
  return out;
}

}  // namespace lw::test
