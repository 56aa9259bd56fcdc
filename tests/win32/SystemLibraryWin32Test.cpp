// The libraries the program loads itself rather than importing them: each table finds all its
// functions, and they come from the system folder, whatever lies beside the executable.

#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <string>

#include "platform/win32/Win32Api.h"
#include "platform/win32/Win32SystemLibrary.h"

namespace lw::test {
namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The folder of the module that holds the code at the address, with a trailing backslash.
std::string FolderOfModuleAt(const void* address) {
  HMODULE module = nullptr;
  if (!::GetModuleHandleExA(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          static_cast<const char*>(address), &module)) {
    return std::string();
  }
  char path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameA(module, path, MAX_PATH);
  const std::string file(path, length);
  return Lower(file.substr(0, file.find_last_of('\\') + 1));
}

// The system folder, and for a 32-bit program on 64-bit Windows also the folder that the system
// folder stands for (the modules' own names are there).
bool IsSystemFolder(const std::string& folder) {
  char system[MAX_PATH] = {};
  const UINT length = ::GetSystemDirectoryA(system, MAX_PATH);
  char wow64[MAX_PATH] = {};
  const UINT wow64Length = ::GetSystemWow64DirectoryA(wow64, MAX_PATH);
  return folder == Lower(std::string(system, length) + "\\") ||
         (wow64Length > 0 && folder == Lower(std::string(wow64, wow64Length) + "\\"));
}

struct LibraryCase {
  const char* name;
  std::function<DWORD()> error;
  std::function<const void*()> function;  // one of the table's functions
};

TEST(SystemLibraryWin32Test, EveryTableIsCompleteAndComesFromTheSystemFolder) {
  const LibraryCase cases[] = {
      {"version", [] { return VersionLibrary().error; },
       [] { return reinterpret_cast<const void*>(VersionLibrary().verQueryValue); }},
      {"mpr", [] { return MprLibrary().error; },
       [] { return reinterpret_cast<const void*>(MprLibrary().wNetGetUser); }},
      {"netapi32", [] { return NetApiLibrary().error; },
       [] { return reinterpret_cast<const void*>(NetApiLibrary().netApiBufferFree); }},
      {"comdlg32", [] { return CommonDialogLibrary().error; },
       [] { return reinterpret_cast<const void*>(CommonDialogLibrary().getOpenFileName); }},
  };
  for (const LibraryCase& library : cases) {
    SCOPED_TRACE(library.name);
    EXPECT_EQ(library.error(), static_cast<DWORD>(ERROR_SUCCESS));
    ASSERT_NE(library.function(), nullptr);
    const std::string folder = FolderOfModuleAt(library.function());
    EXPECT_TRUE(IsSystemFolder(folder)) << folder;
  }
}

}  // namespace
}  // namespace lw::test
