#include "platform/win32/Win32Token.h"

#include "platform/win32/Win32Api.h"

#include <sddl.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

#include "platform/win32/Win32Handle.h"
#include "platform/win32/Win32SystemLibrary.h"

namespace lw {

namespace {

// The account name of a string SID and its domain; userOnly: only a user's account counts.
bool AccountOfSid(const std::string& sidText, std::wstring* account, std::wstring* accountDomain,
                  bool userOnly) {
  PSID sid = nullptr;
  if (!::ConvertStringSidToSidA(sidText.c_str(), &sid)) return false;
  struct Free {
    PSID sid;
    ~Free() { ::LocalFree(sid); }
  } freeSid{sid};
  wchar_t name[256] = {};
  wchar_t domain[256] = {};
  DWORD nameSize = 256;
  DWORD domainSize = 256;
  SID_NAME_USE use{};
  if (!::LookupAccountSidW(nullptr, sid, name, &nameSize, domain, &domainSize, &use)) return false;
  if (userOnly && use != SidTypeUser) return false;
  *account = name;
  if (accountDomain != nullptr) *accountDomain = domain;
  return true;
}

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

  bool IsAdministratorAccount(const std::string& sid) override {
    const NetApiFunctions& netApi = NetApiLibrary();
    if (netApi.error != ERROR_SUCCESS) {
      // Without the library nobody counts as an administrator: a place stays refused.
      ::SetLastError(netApi.error);
      return false;
    }
    std::wstring user;
    std::wstring domain;
    if (!AccountOfSid(sid, &user, &domain, true)) return false;
    std::wstring administrators;
    if (!AccountOfSid(kSidAdministrators, &administrators, nullptr, false)) return false;
    // LOCALGROUP_USERS_INFO_0: one name per group, directly or through a group
    // (LG_INCLUDE_INDIRECT).
    LPWSTR* groups = nullptr;
    DWORD read = 0;
    DWORD total = 0;
    constexpr DWORD kIncludeIndirect = 1;
    constexpr DWORD kPreferredLength = 0xFFFFFFFF;
    // A domain account is named with its domain; a local one is found by its name alone too.
    DWORD status = 1;
    for (const std::wstring& name : {domain + L"\\" + user, user}) {
      status = netApi.netUserGetLocalGroups(nullptr, name.c_str(), 0, kIncludeIndirect,
                                            reinterpret_cast<LPBYTE*>(&groups), kPreferredLength,
                                            &read, &total);
      if (status == 0) break;
    }
    if (status != 0 || groups == nullptr) return false;
    bool member = false;
    for (DWORD i = 0; i < read && !member; ++i) {
      member = ::CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, groups[i], -1,
                                administrators.c_str(), -1) == CSTR_EQUAL;
    }
    netApi.netApiBufferFree(groups);
    return member;
  }

  bool CloseHandle(Handle handle) override { return ::CloseHandle(ToHandle(handle)) != FALSE; }

  bool GetProcessUserSid(std::string* sid) override {
    return TokenUserSid(::GetCurrentProcess(), sid);
  }

  bool GetParentProcessId(std::uint32_t* processId) override {
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    const DWORD self = ::GetCurrentProcessId();
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    bool found = false;
    for (BOOL more = ::Process32First(snapshot, &entry); more && !found;
         more = ::Process32Next(snapshot, &entry)) {
      if (entry.th32ProcessID == self) {
        *processId = entry.th32ParentProcessID;
        found = true;
      }
    }
    const DWORD error = ::GetLastError();
    ::CloseHandle(snapshot);
    ::SetLastError(found ? ERROR_SUCCESS : error);
    return found;
  }

  bool GetOtherProcessUserSid(std::uint32_t processId, std::string* sid) override {
    // PROCESS_QUERY_LIMITED_INFORMATION: the right an elevated process is granted on a
    // standard-rights one of another account and the other way round.
    constexpr DWORD kQueryLimited = 0x1000;
    HANDLE process = ::OpenProcess(kQueryLimited, FALSE, processId);
    if (process == nullptr) return false;
    const bool done = TokenUserSid(process, sid);
    const DWORD error = ::GetLastError();
    ::CloseHandle(process);
    ::SetLastError(done ? ERROR_SUCCESS : error);
    return done;
  }

  bool LookupSidUserName(const std::string& sid, std::string* user) override {
    PSID binary = nullptr;
    if (!::ConvertStringSidToSidA(sid.c_str(), &binary)) return false;
    DWORD nameSize = 0;
    DWORD domainSize = 0;
    SID_NAME_USE use{};
    ::LookupAccountSidA(nullptr, binary, nullptr, &nameSize, nullptr, &domainSize, &use);
    bool done = false;
    if (nameSize != 0) {
      std::string name(nameSize + 1, '\0');
      std::string domain(domainSize + 1, '\0');
      done = ::LookupAccountSidA(nullptr, binary, name.data(), &nameSize, domain.data(),
                                 &domainSize, &use) != FALSE;
      if (done) *user = name.c_str();
    }
    const DWORD error = ::GetLastError();
    ::LocalFree(binary);
    ::SetLastError(done ? ERROR_SUCCESS : error);
    return done;
  }

 private:
  // The token user of the process, as text.
  static bool TokenUserSid(HANDLE process, std::string* sid) {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(process, TOKEN_QUERY, &token)) return false;
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> buffer(size == 0 ? 1 : size);
    bool done = size != 0 && ::GetTokenInformation(token, TokenUser, buffer.data(), size, &size);
    char* text = nullptr;
    if (done) {
      done = ::ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid,
                                      &text) != FALSE;
    }
    const DWORD error = ::GetLastError();
    ::CloseHandle(token);
    if (done) {
      *sid = text;
      ::LocalFree(text);
    }
    ::SetLastError(done ? ERROR_SUCCESS : error);
    return done;
  }
};

}  // namespace

std::unique_ptr<IToken> MakeWin32Token() { return std::make_unique<Win32Token>(); }

}  // namespace lw
