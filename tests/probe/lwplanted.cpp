// lwplanted: a library that tests put beside a program under the name of a system library
// (mpr.dll, netapi32.dll ...). It exports none of that library's functions; when it is loaded
// it notes so, one line in "planted-log.txt" beside itself:
//
//   <the name it was loaded under>|<the program that loaded it>\r\n
//
// A program that imported the library at load time would not start with it (its functions are
// missing); one that loaded it at run time would leave the line.

#include <windows.h>

#include <string>

#include "probe/AppendLine.h"

namespace {

std::string ModulePath(HMODULE module) {
  char buffer[MAX_PATH * 2] = {};
  const DWORD length = ::GetModuleFileNameA(module, buffer, sizeof(buffer));
  return std::string(buffer, length < sizeof(buffer) ? length : 0);
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  const std::string self = ModulePath(instance);
  const std::size_t slash = self.find_last_of('\\');
  if (slash == std::string::npos) return TRUE;
  lw::AppendLine(self.substr(0, slash + 1) + "planted-log.txt",
                 self.substr(slash + 1) + "|" + ModulePath(nullptr) + "\r\n");
  return TRUE;
}
