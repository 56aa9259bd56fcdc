#include "platform/win32/Win32SystemLibrary.h"

#include <string>

namespace lw {

namespace {

constexpr DWORD kLoadLibrarySearchSystem32 = 0x00000800;

// The library from the system folder. Windows without the search flags (Windows 7 and Vista
// without their update) refuse the flag as an invalid parameter; there the library is named by
// its full path, and the altered search looks for its own imports in the system folder too.
HMODULE LoadFromSystemFolder(const wchar_t* name, DWORD* error) {
  HMODULE module = ::LoadLibraryExW(name, nullptr, kLoadLibrarySearchSystem32);
  if (module == nullptr && ::GetLastError() == ERROR_INVALID_PARAMETER) {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
      *error = length == 0 ? ::GetLastError() : ERROR_BUFFER_OVERFLOW;
      return nullptr;
    }
    const std::wstring path = std::wstring(folder, length) + L"\\" + name;
    module = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  }
  if (module == nullptr) *error = ::GetLastError();
  return module;
}

// Looks the function up into the table's field; the first missing one sets the table's error.
template <typename Function>
void Resolve(HMODULE module, const char* name, Function* function, DWORD* error) {
  if (*error != ERROR_SUCCESS) return;
  *function = reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
  if (*function != nullptr) return;
  const DWORD last = ::GetLastError();
  *error = last != ERROR_SUCCESS ? last : ERROR_PROC_NOT_FOUND;
}

// A table whose error is set holds no function at all: a caller checks one thing.
template <typename Table>
Table Finished(Table table) {
  return table.error == ERROR_SUCCESS ? table : Table{table.error};
}

}  // namespace

bool LimitLibrarySearchToSystemFolder() {
  // kernel32 is in every process; the call is looked up because older systems lack it.
  using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
  HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
  const auto setDefault =
      kernel == nullptr
          ? nullptr
          : reinterpret_cast<SetDefaultDllDirectoriesFunction>(
                reinterpret_cast<void*>(::GetProcAddress(kernel, "SetDefaultDllDirectories")));
  if (setDefault != nullptr && setDefault(kLoadLibrarySearchSystem32)) return true;
  ::SetDllDirectoryA("");
  return false;
}

const VersionFunctions& VersionLibrary() {
  static const VersionFunctions table = [] {
    VersionFunctions loaded;
    HMODULE module = LoadFromSystemFolder(L"version.dll", &loaded.error);
    Resolve(module, "GetFileVersionInfoSizeA", &loaded.getFileVersionInfoSize, &loaded.error);
    Resolve(module, "GetFileVersionInfoA", &loaded.getFileVersionInfo, &loaded.error);
    Resolve(module, "VerQueryValueA", &loaded.verQueryValue, &loaded.error);
    return Finished(loaded);
  }();
  return table;
}

const MprFunctions& MprLibrary() {
  static const MprFunctions table = [] {
    MprFunctions loaded;
    HMODULE module = LoadFromSystemFolder(L"mpr.dll", &loaded.error);
    Resolve(module, "WNetGetUserA", &loaded.wNetGetUser, &loaded.error);
    return Finished(loaded);
  }();
  return table;
}

const NetApiFunctions& NetApiLibrary() {
  static const NetApiFunctions table = [] {
    NetApiFunctions loaded;
    HMODULE module = LoadFromSystemFolder(L"netapi32.dll", &loaded.error);
    Resolve(module, "NetUserGetLocalGroups", &loaded.netUserGetLocalGroups, &loaded.error);
    Resolve(module, "NetApiBufferFree", &loaded.netApiBufferFree, &loaded.error);
    return Finished(loaded);
  }();
  return table;
}

const CommonDialogFunctions& CommonDialogLibrary() {
  static const CommonDialogFunctions table = [] {
    CommonDialogFunctions loaded;
    HMODULE module = LoadFromSystemFolder(L"comdlg32.dll", &loaded.error);
    Resolve(module, "GetOpenFileNameA", &loaded.getOpenFileName, &loaded.error);
    return Finished(loaded);
  }();
  return table;
}

}  // namespace lw
