// Restore's end: the program's start at logon removed wherever it may have been registered.
// Install writes the machine's keys and the logon task, "-master" a user's own Run and RunOnce
// keys, and any account may have been registered so at some time, owner of an item or not. A
// registration that stays would take every item over again at that account's next logon, so
// each place is checked after the removal and the ones that keep it are reported.

#include <set>

#include "install/LogonTask.h"
#include "install/StartupMover.h"
#include "platform/Platform.h"
#include "store/SettingsStore.h"
#include "store/UserProfiles.h"
#include "util/Error.h"
#include "util/SpecialFolders.h"
#include "util/Text.h"
#include "util/WindowsBitness.h"

namespace lw {

namespace {

constexpr char kHKeyCurrentUserText[] = "HKEY_CURRENT_USER";
constexpr char kHKeyUsersText[] = "HKEY_USERS\\";
constexpr char kClassesSuffix[] = "_Classes";
constexpr char kProfileMountPrefix[] = "Launchward_";

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && SameText(text.substr(text.size() - end.size()), end);
}

}  // namespace

std::vector<std::string> StartupMover::UnregisterEverywhere(const std::vector<std::string>& users) {
  std::vector<std::string> stays;
  // Removes the value from both keys under root + prefix; notes a key that keeps it, as where
  // followed by the key's path.
  auto remove = [&](HKey root, const std::string& prefix, const std::string& where) {
    for (const char* key : {kRunKey, kRunOnceKey}) {
      const std::string path = prefix + key;
      try {
        registry_.RemoveValueAt(root, path, kSelfRunValue);
        if (!registry_.ValueExistsAt(root, path, kSelfRunValue)) continue;
      } catch (const Error&) {
      }
      stays.push_back(where + key);
    }
  };
  remove(kHKeyLocalMachine, "", kHKeyLocalMachineText);
  if (IsWindows64()) {
    ScopedRegistryView inView(registry_, kKeyWow64_64Key);
    remove(kHKeyLocalMachine, "", std::string(kHKeyLocalMachineText) + " (64-bit view)");
  }
  remove(kHKeyCurrentUser, "", kHKeyCurrentUserText);
  try {
    RemoveLogonTask();
  } catch (const Error& error) {
    stays.push_back(error.what());
  }

  // The hives Windows has loaded: the logged-on users' (the current one's among them).
  std::set<std::string> done;
  std::vector<std::string> loaded;
  registry_.ListKeyNamesAt(kHKeyUsers, "", loaded);
  for (const std::string& hive : loaded) {
    if (EndsWith(hive, kClassesSuffix)) continue;
    done.insert(LowerCase(hive));
    remove(kHKeyUsers, "\\" + hive, std::string(kHKeyUsersText) + hive);
  }
  // Every profile of the machine, its hive mounted from its file for the while.
  std::vector<std::string> profiles;
  registry_.ListKeyNamesAt(kHKeyLocalMachine, kProfileListKey, profiles);
  for (const std::string& sid : profiles) {
    if (done.count(LowerCase(sid)) != 0) continue;
    done.insert(LowerCase(sid));
    std::string folder;
    try {
      folder = registry_.GetStringAt(kHKeyLocalMachine, std::string(kProfileListKey) + "\\" + sid,
                                     kProfileImagePathValue);
    } catch (const Error&) {
      continue;
    }
    if (folder.empty()) continue;
    const std::string file =
        IncludeTrailingBackslash(Sys().ExpandEnvironmentStrings(folder)) + "NTUSER.DAT";
    if (Files().GetFileAttributes(file) == kInvalidFileAttributes) continue;
    const std::string mount = kProfileMountPrefix + sid;
    if (Reg().LoadKey(kHKeyUsers, mount, file) != kErrorSuccess) {
      stays.push_back(file + " (its hive could not be opened)");
      continue;
    }
    remove(kHKeyUsers, "\\" + mount, "the profile " + folder + ", " + kHKeyCurrentUserText);
    registry_.CloseKey();
    Reg().UnLoadKey(kHKeyUsers, mount);
  }
  // Users named by the store whom the profile list does not know.
  for (const std::string& user : users) {
    const std::string sid = AccountSid(user);
    if (!sid.empty() && done.count(LowerCase(sid)) != 0) continue;
    if (!done.insert(LowerCase(user)).second) continue;
    try {
      UnregisterUser(user);
    } catch (const Error& error) {
      stays.push_back(user + ": " + error.what());
    }
  }
  return stays;
}

}  // namespace lw
