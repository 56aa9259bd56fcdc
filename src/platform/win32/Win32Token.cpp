#include "platform/win32/Win32Token.h"

#include "platform/win32/Win32Api.h"

#include <sddl.h>

#include <string>
#include <vector>

#include "platform/win32/Win32Handle.h"

namespace lw {

namespace {

class Win32Token : public IToken {
 public:
  bool OpenProcessToken(std::uint32_t access, Handle* token) override {
    HANDLE handle = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), access, &handle)) return false;
    *token = FromHandle(handle);
    return true;
  }

  bool LookupPrivilegeValue(const std::string& name, Luid* luid) override {
    LUID value{};
    if (!::LookupPrivilegeValueA(nullptr, name.c_str(), &value)) return false;
    luid->low = value.LowPart;
    luid->high = value.HighPart;
    return true;
  }

  bool AdjustTokenPrivileges(Handle token, bool disableAll, const Luid& luid,
                             std::uint32_t attributes) override {
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Luid.LowPart = luid.low;
    privileges.Privileges[0].Luid.HighPart = luid.high;
    privileges.Privileges[0].Attributes = attributes;
    return ::AdjustTokenPrivileges(ToHandle(token), disableAll ? TRUE : FALSE, &privileges, 0,
                                   nullptr, nullptr) != FALSE;
  }

  bool LookupAccountSid(const std::string& account, std::string* sid) override {
    DWORD sidSize = 0;
    DWORD domainSize = 0;
    SID_NAME_USE use{};
    // The first call asks for the sizes; it fails with ERROR_INSUFFICIENT_BUFFER when the
    // account exists.
    ::LookupAccountNameA(nullptr, account.c_str(), nullptr, &sidSize, nullptr, &domainSize, &use);
    if (sidSize == 0) return false;
    std::vector<unsigned char> sidBytes(sidSize);
    std::string domain(domainSize + 1, '\0');
    if (!::LookupAccountNameA(nullptr, account.c_str(), sidBytes.data(), &sidSize, domain.data(),
                              &domainSize, &use)) {
      return false;
    }
    char* text = nullptr;
    if (!::ConvertSidToStringSidA(sidBytes.data(), &text)) return false;
    *sid = text;
    ::LocalFree(text);
    return true;
  }

  bool CloseHandle(Handle handle) override { return ::CloseHandle(ToHandle(handle)) != FALSE; }
};

}  // namespace

std::unique_ptr<IToken> MakeWin32Token() { return std::make_unique<Win32Token>(); }

}  // namespace lw
