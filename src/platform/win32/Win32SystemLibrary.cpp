#include "platform/win32/Win32SystemLibrary.h"

#include <string>

namespace lw {

namespace {

constexpr DWORD kLoadLibrarySearchSystem32 = 0x00000800;

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

FARPROC SystemProcedure(const char* library, const char* procedure) {
  char folder[MAX_PATH] = {};
  const UINT length = ::GetSystemDirectoryA(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  const std::string path = std::string(folder, length) + "\\" + library;
  // Loaded once: a library already in the process is found by its full path again, and the
  // reference taken here is kept, so the procedure stays valid for the process's life. The
  // altered search path looks for the library's own dependencies in the system folder too.
  HMODULE module = ::LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (module == nullptr) return nullptr;
  return ::GetProcAddress(module, procedure);
}

}  // namespace lw
