#include "platform/win32/Win32Registry.h"

#include "platform/win32/Win32Api.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace lw {

namespace {

// Key handles cross the seam as their integer value. The predefined roots are mapped by name
// so that they keep their meaning even where a handle is wider than 32 bits.
HKEY ToHkey(HKey key) {
  switch (key) {
    case kHKeyClassesRoot:
      return HKEY_CLASSES_ROOT;
    case kHKeyCurrentUser:
      return HKEY_CURRENT_USER;
    case kHKeyLocalMachine:
      return HKEY_LOCAL_MACHINE;
    case kHKeyUsers:
      return HKEY_USERS;
    case kHKeyPerformanceData:
      return HKEY_PERFORMANCE_DATA;
    case kHKeyCurrentConfig:
      return HKEY_CURRENT_CONFIG;
    case kHKeyDynData:
      return HKEY_DYN_DATA;
    default:
      return reinterpret_cast<HKEY>(key);
  }
}

// The way back: a predefined root (RegConnectRegistry gives the local performance data as one)
// becomes the portable root value again.
HKey FromHkey(HKEY key) {
  for (HKey root : {kHKeyClassesRoot, kHKeyCurrentUser, kHKeyLocalMachine, kHKeyUsers,
                    kHKeyPerformanceData, kHKeyCurrentConfig, kHKeyDynData}) {
    if (ToHkey(root) == key) return root;
  }
  return reinterpret_cast<HKey>(key);
}

// The registry allows 255 characters in a key name and 16383 in a value name, counted in UTF-16
// units; in UTF-8 (the code page of Windows 10 1903 and later) each takes up to three bytes. A
// name that still does not fit (a system that allows longer ones) grows the buffer up to this
// size.
constexpr DWORD kKeyNameBuffer = 3 * 256;
constexpr DWORD kValueNameBuffer = 3 * 16384;
constexpr DWORD kLargestNameBuffer = 1 << 20;

class Win32Registry : public IRegistry {
 public:
  long OpenKeyEx(HKey parent, const std::string& subKey, std::uint32_t access,
                 HKey* result) override {
    HKEY key = nullptr;
    LONG status = ::RegOpenKeyExA(ToHkey(parent), subKey.c_str(), 0, access, &key);
    if (status == ERROR_SUCCESS) *result = FromHkey(key);
    return status;
  }

  long CreateKeyEx(HKey parent, const std::string& subKey, std::uint32_t access, HKey* result,
                   std::uint32_t* disposition) override {
    HKEY key = nullptr;
    DWORD how = 0;
    LONG status = ::RegCreateKeyExA(ToHkey(parent), subKey.c_str(), 0, nullptr,
                                    REG_OPTION_NON_VOLATILE, access, nullptr, &key, &how);
    if (status == ERROR_SUCCESS) {
      *result = FromHkey(key);
      if (disposition != nullptr) *disposition = how;
    }
    return status;
  }

  long CloseKey(HKey key) override { return ::RegCloseKey(ToHkey(key)); }

  long FlushKey(HKey key) override { return ::RegFlushKey(ToHkey(key)); }

  // Windows leaves the caller's buffer undefined when the data do not fit; reading into a
  // buffer of our own keeps the caller's bytes as they were on every failure.
  long QueryValueEx(HKey key, const std::string& name, std::uint32_t* type, void* data,
                    std::uint32_t* size) override {
    DWORD valueType = 0;
    DWORD valueSize = size != nullptr ? *size : 0;
    if (data == nullptr) {
      LONG status = ::RegQueryValueExA(ToHkey(key), name.c_str(), nullptr, &valueType, nullptr,
                                       size != nullptr ? &valueSize : nullptr);
      if (status == ERROR_SUCCESS) {
        if (type != nullptr) *type = valueType;
        if (size != nullptr) *size = valueSize;
      }
      return status;
    }
    if (size == nullptr) return ERROR_INVALID_PARAMETER;
    // Never hand Windows a null buffer here: that would turn the read into a size query.
    dataBuffer_.resize(std::max<DWORD>(valueSize, 1));
    LONG status = ::RegQueryValueExA(ToHkey(key), name.c_str(), nullptr, &valueType,
                                     dataBuffer_.data(), &valueSize);
    if (status == ERROR_SUCCESS) {
      std::memcpy(data, dataBuffer_.data(), valueSize);
      if (type != nullptr) *type = valueType;
      *size = valueSize;
    } else if (status == ERROR_MORE_DATA) {
      *size = valueSize;
    }
    return status;
  }

  long SetValueEx(HKey key, const std::string& name, std::uint32_t type, const void* data,
                  std::uint32_t size) override {
    return ::RegSetValueExA(ToHkey(key), name.c_str(), 0, type, static_cast<const BYTE*>(data),
                            size);
  }

  long DeleteValue(HKey key, const std::string& name) override {
    return ::RegDeleteValueA(ToHkey(key), name.c_str());
  }

  long DeleteKey(HKey parent, const std::string& subKey) override {
    return ::RegDeleteKeyA(ToHkey(parent), subKey.c_str());
  }

  // RegDeleteKeyEx came with 64-bit Windows XP and Vista: it is looked up, not imported.
  long DeleteKeyEx(HKey parent, const std::string& subKey, std::uint32_t view) override {
    using DeleteKeyExA = LONG(WINAPI*)(HKEY, LPCSTR, REGSAM, DWORD);
    HMODULE advapi = ::GetModuleHandleA("advapi32.dll");
    auto call = advapi == nullptr ? nullptr
                                  : reinterpret_cast<DeleteKeyExA>(reinterpret_cast<void (*)()>(
                                        ::GetProcAddress(advapi, "RegDeleteKeyExA")));
    if (view == 0 || call == nullptr) return ::RegDeleteKeyA(ToHkey(parent), subKey.c_str());
    return call(ToHkey(parent), subKey.c_str(), view, 0);
  }

  long EnumKeyEx(HKey key, std::uint32_t index, std::string* name) override {
    return EnumName(
        key, index, kKeyNameBuffer, name, [](HKEY k, DWORD i, char* buffer, DWORD* length) {
          return ::RegEnumKeyExA(k, i, buffer, length, nullptr, nullptr, nullptr, nullptr);
        });
  }

  long EnumValue(HKey key, std::uint32_t index, std::string* name) override {
    return EnumName(
        key, index, kValueNameBuffer, name, [](HKEY k, DWORD i, char* buffer, DWORD* length) {
          return ::RegEnumValueA(k, i, buffer, length, nullptr, nullptr, nullptr, nullptr);
        });
  }

  long QueryInfoKey(HKey key, RegKeyInfo* info) override {
    DWORD subKeys = 0, maxSubKeyLen = 0, values = 0, maxValueNameLen = 0, maxValueLen = 0;
    LONG status =
        ::RegQueryInfoKeyA(ToHkey(key), nullptr, nullptr, nullptr, &subKeys, &maxSubKeyLen, nullptr,
                           &values, &maxValueNameLen, &maxValueLen, nullptr, nullptr);
    if (status == ERROR_SUCCESS) {
      info->subKeys = subKeys;
      info->maxSubKeyLen = maxSubKeyLen;
      info->values = values;
      info->maxValueNameLen = maxValueNameLen;
      info->maxValueLen = maxValueLen;
    }
    return status;
  }

  long LoadKey(HKey root, const std::string& subKey, const std::string& file) override {
    return ::RegLoadKeyA(ToHkey(root), subKey.c_str(), file.c_str());
  }

  long UnLoadKey(HKey root, const std::string& subKey) override {
    return ::RegUnLoadKeyA(ToHkey(root), subKey.c_str());
  }

  long SaveKey(HKey key, const std::string& file) override {
    return ::RegSaveKeyA(ToHkey(key), file.c_str(), nullptr);
  }

  long ConnectRegistry(const std::string& machine, HKey root, HKey* result) override {
    HKEY key = nullptr;
    LONG status =
        ::RegConnectRegistryA(machine.empty() ? nullptr : machine.c_str(), ToHkey(root), &key);
    if (status == ERROR_SUCCESS) *result = FromHkey(key);
    return status;
  }

 private:
  template <typename Enum>
  long EnumName(HKey key, std::uint32_t index, DWORD startSize, std::string* name, Enum call) {
    if (nameBuffer_.size() < startSize) nameBuffer_.resize(startSize);
    for (;;) {
      DWORD length = static_cast<DWORD>(nameBuffer_.size());
      LONG status = call(ToHkey(key), index, nameBuffer_.data(), &length);
      if (status == ERROR_SUCCESS) {
        name->assign(nameBuffer_.data(), length);
        return status;
      }
      if (status != ERROR_MORE_DATA || nameBuffer_.size() >= kLargestNameBuffer) return status;
      nameBuffer_.resize(nameBuffer_.size() * 2);
    }
  }

  std::vector<BYTE> dataBuffer_;
  std::vector<char> nameBuffer_;
};

}  // namespace

std::unique_ptr<IRegistry> MakeWin32Registry() { return std::make_unique<Win32Registry>(); }

}  // namespace lw
