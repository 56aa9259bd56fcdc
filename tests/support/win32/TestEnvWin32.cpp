#include "platform/win32/Win32Platform.h"
#include "support/ProbePrograms.h"
#include "support/RawRegistry.h"
#include "support/TestEnv.h"

#include "platform/win32/Win32Api.h"

#include <string>

#include "items/StartupApproval.h"
#include "util/Text.h"

namespace lw::test {

namespace {
const char* const kSystemKeys[] = {
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
};
}  // namespace

void ResetPlatform() {
  InstallPlatform(MakeWin32Platform());
  // The tests run in a Wine prefix of their own, so the machine's real keys may be cleared.
  for (HKey root : {kHKeyLocalMachine, kHKeyCurrentUser}) {
    DeleteKeyTree(root, "SOFTWARE\\Tallowmere");
    for (const char* path : kSystemKeys) {
      DeleteKeyTree(root, path);
      HKey key = 0;
      if (Reg().CreateKeyEx(root, path, RawAccess(kKeyAllAccess), &key, nullptr) == kErrorSuccess) {
        Reg().CloseKey(key);
      }
    }
  }
  // The helpers work in the program's view (the 32-bit one); the 64-bit view's Run keys and
  // Task Manager's start-up switches are cleared too.
  {
    InRawView in(kKeyWow64_64Key);
    for (HKey root : {kHKeyLocalMachine, kHKeyCurrentUser}) {
      DeleteKeyTree(root, std::string(kStartupApprovedKey).substr(1));
      for (const char* path : kSystemKeys) {
        DeleteKeyTree(root, path);
        HKey key = 0;
        if (Reg().CreateKeyEx(root, path, RawAccess(kKeyAllAccess), &key, nullptr) ==
            kErrorSuccess) {
          Reg().CloseKey(key);
        }
      }
    }
  }
  for (const char* name : {"options.ini", "error.txt", "Startup"}) RemoveTree(ExeFolder() + name);
  // The take-over moves the files of the Startup folders: each case starts with them empty.
  for (int csidl : {kCsidlStartup, kCsidlCommonStartup, kCsidlAltStartup}) {
    std::string folder;
    if (!Shell().GetSpecialFolderPath(csidl, &folder) || folder.empty()) continue;
    RemoveTree(folder);
    Files().CreateDirectory(folder);
  }
  RemoveTree(ScratchFolder());
  Files().CreateDirectory(ScratchFolder().substr(0, ScratchFolder().size() - 1));
  // The probe programs a case starts inherit this and write their lines into its own folder.
  ::SetEnvironmentVariableA("LW_PROBE_LOG", ProbeLogPath().c_str());
}

bool IsRealWindows() { return true; }

std::string OtherSpelling(const std::string& folder) {
  std::string shortPath;
  if (!Files().GetShortPathName(folder, &shortPath)) return folder;
  return IncludeTrailingBackslash(shortPath);
}

}  // namespace lw::test
