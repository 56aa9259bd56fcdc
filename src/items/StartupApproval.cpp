#include "items/StartupApproval.h"

#include "platform/Platform.h"
#include "util/CurrentUser.h"
#include "util/WindowsBitness.h"

namespace lw {

namespace {

// The switches live where Task Manager, a 64-bit program on 64-bit Windows, keeps them.
bool SwitchOff(HKey root, const char* subKey, const std::string& name) {
  std::string path = std::string(kStartupApprovedKey).substr(1) + "\\" + subKey;
  // A copy acting for the account that started it reads that account's switches, not those
  // of the account whose password answered the elevation prompt.
  root = ActingAccountRoot(root, &path);
  const std::uint32_t view = IsWindows64() ? kKeyWow64_64Key : 0;
  HKey key = 0;
  if (Reg().OpenKeyEx(root, path, kKeyQueryValue | view, &key) != kErrorSuccess) return false;
  unsigned char data[64] = {};
  std::uint32_t size = sizeof data;
  std::uint32_t type = 0;
  const long result = Reg().QueryValueEx(key, name, &type, data, &size);
  Reg().CloseKey(key);
  if (result != kErrorSuccess || type != kRegBinary || size < 1) return false;
  return data[0] == 3 || data[0] == 7;
}

}  // namespace

bool SwitchedOffInTaskManager(const RunKeyItem& item) {
  const bool machine32 =
      item.root == kHKeyLocalMachine && item.view != kKeyWow64_64Key && IsWindows64();
  return SwitchOff(item.root, machine32 ? "Run32" : "Run", RunValueName(item));
}

bool ShortcutSwitchedOffInTaskManager(const std::string& fileName, bool forAllUsers) {
  return SwitchOff(forAllUsers ? kHKeyLocalMachine : kHKeyCurrentUser, "StartupFolder", fileName);
}

}  // namespace lw
