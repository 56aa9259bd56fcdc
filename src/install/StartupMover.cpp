#include "install/StartupMover.h"

#include <vector>

#include "install/LogonTask.h"
#include "platform/Platform.h"
#include "store/SettingsStore.h"
#include "util/Error.h"
#include "util/SpecialFolders.h"
#include "util/Termination.h"
#include "util/Text.h"
#include "util/UserAccountControl.h"
#include "util/WindowsBitness.h"

namespace lw {

namespace {

// Set by the Stop button (through AbortPause) while a pause pumps the messages; read and
// cleared by the pause.
bool pauseAborted = false;

constexpr std::int32_t kPauseStepMs = 100;

// A Startup folder as it is listed: trimmed, with one trailing backslash; empty when the shell
// gave no usable path.
std::string ListingFolder(const std::string& folder) {
  std::string trimmed = TrimBlanks(folder);
  return trimmed.empty() ? trimmed : IncludeTrailingBackslash(trimmed);
}

// Closes a file search whichever way the listing ends.
class FindScope {
 public:
  explicit FindScope(Handle find) : find_(find) {}
  ~FindScope() {
    if (find_ != kInvalidHandle) Files().FindClose(find_);
  }
  FindScope(const FindScope&) = delete;
  FindScope& operator=(const FindScope&) = delete;

 private:
  Handle find_;
};

}  // namespace

StartupMover::StartupMover() {
  LoadRunItems();
  LoadStartupItems();
}

// --- Snapshots ------------------------------------------------------------------------------

void StartupMover::LoadRunItems() {
  runItems_.clear();
  AppendRunItems(kHKeyCurrentUser);
  AppendRunItems(kHKeyLocalMachine);
  // Windows' own logon runs both views of the machine's Run key; the user's is one for both.
  if (IsWindows64()) AppendRunItems(kHKeyLocalMachine, kKeyWow64_64Key);
}

void StartupMover::AppendRunItems(HKey root, std::uint32_t view) {
  ScopedRegistryView inView(registry_, view);
  const std::string mark = view == kKeyWow64_64Key ? kView64Mark : "";
  std::string user;
  std::string sid;
  if (root == kHKeyCurrentUser) {
    user = CurrentUserName();
    if (user == kUnknownUser) user.clear();
    sid = CurrentUserSid();
  }
  std::vector<std::string> names;
  registry_.ListValueNamesAt(root, kRunKey, names);
  for (const std::string& name : names) {
    if (TrimBlanks(name).empty()) continue;
    // Windows starts only the string values of a Run key. Another program may leave a number
    // or binary data there; it names nothing to start, so it is not an item, and it must not
    // stop the listing of the values after it.
    StringValue command;
    try {
      command = registry_.GetStringValueAt(root, kRunKey, name);
    } catch (const Error&) {
      continue;
    }
    if (command.text.empty() || IsProbeLeftover(name, command.text)) continue;
    runItems_.push_back(RunKeyItem{name + mark, command.text, user, root, command.type, view, sid});
  }
}

void StartupMover::RemoveProbeLeftovers() {
  const std::pair<HKey, std::uint32_t> keys[] = {
      {kHKeyCurrentUser, 0}, {kHKeyLocalMachine, 0}, {kHKeyLocalMachine, kKeyWow64_64Key}};
  for (const auto& [root, view] : keys) {
    if (view == kKeyWow64_64Key && !IsWindows64()) continue;
    ScopedRegistryView inView(registry_, view);
    for (const char* name : {kProbeValue, kOldProbeValue}) {
      std::string data;
      try {
        data = registry_.GetStringAt(root, kRunKey, name);
      } catch (const Error&) {
        continue;  // not text: not ours
      }
      if (!data.empty() && IsProbeLeftover(name, data))
        registry_.RemoveValueAt(root, kRunKey, name);
    }
  }
}

void StartupMover::LoadStartupItems() {
  startupItems_.clear();
  const SpecialFolders& paths = SharedSpecialFolders();
  const std::pair<std::string, std::string> folders[] = {
      {paths.GetUserStartupFolder(), CurrentUserName()},
      {paths.GetCommonStartupFolder(), std::string()},
      {paths.GetAltStartupFolder(), std::string()},
  };
  // Since Windows Vista the alternate Startup folder is the user's own, and without an All
  // Users folder the common one falls back to the user's own too: a folder listed once
  // already would otherwise give every file in it twice.
  std::vector<std::string> listed;
  for (const auto& [folder, user] : folders) {
    std::string path = ListingFolder(folder);
    if (path.empty()) continue;
    bool seen = false;
    for (const std::string& done : listed) seen = seen || SameText(done, path);
    if (seen) continue;
    listed.push_back(path);
    AppendStartupItems(path, user);
  }
}

void StartupMover::AppendStartupItems(const std::string& folder, const std::string& user) {
  std::string path = ListingFolder(folder);
  if (path.empty()) return;
  for (const std::string& name : ListItemFiles(path)) {
    startupItems_.push_back(StartupFolderItem{path + name, path, user});
  }
}

std::vector<std::string> StartupMover::ListItemFiles(const std::string& folder) {
  std::vector<std::string> names;
  FindData data;
  Handle find = Files().FindFirstFile(IncludeTrailingBackslash(folder) + "*.*", &data);
  if (find == kInvalidHandle) return names;
  FindScope closeFind(find);
  do {
    // Normal and hidden files only: no folders ("." and ".." among them), no system files
    // (such as the folder's desktop.ini).
    if ((data.attributes & (kFileAttributeDirectory | kFileAttributeSystem)) != 0) continue;
    names.push_back(data.fileName);
  } while (Files().FindNextFile(find, &data));
  return names;
}

// --- Rights and registration ----------------------------------------------------------------

bool StartupMover::CheckPermissions(std::string& failedLocation) {
  for (const char* key : {kProgramKey, kRunKey, kRunOnceKey}) {
    failedLocation = std::string(kHKeyLocalMachineText) + key;
    bool writable = false;
    bool written = false;
    try {
      registry_.PutStringAt(kHKeyLocalMachine, key, true, kProbeValue, kProbeValue);
      written = true;
      if (registry_.GetStringAt(kHKeyLocalMachine, key, kProbeValue) == kProbeValue) {
        registry_.RemoveValueAt(kHKeyLocalMachine, key, kProbeValue);
        writable = !registry_.ValueExistsAt(kHKeyLocalMachine, key, kProbeValue);
      }
    } catch (const Error&) {
      // "Unable to open : " + key, or a probe that would not read: not writable.
    }
    if (writable) continue;
    // A probe that went in but would not read back or go away is deleted once more, so the
    // check leaves nothing of its own behind when it can help it.
    if (written) registry_.RemoveValueAt(kHKeyLocalMachine, key, kProbeValue);
    return false;
  }
  return true;
}

std::string StartupMover::RegisteredProgram() const {
  return registeredProgram_.empty() ? Sys().GetModuleFileName() : registeredProgram_;
}

std::string StartupMover::SelfCommand(const char* switchData) const {
  return "\"" + RegisteredProgram() + "\"" + switchData;
}

void StartupMover::RegisterSelf(bool alsoRunOnce, HKey root) {
  registry_.PutStringAt(root, kRunKey, true, kSelfRunValue, SelfCommand(kGoSwitchData));
  if (!alsoRunOnce) return;
  // A program started from the machine's RunOnce key gets standard rights where UAC is on: the
  // first phase could take nothing over. The Task Scheduler starts it with the user's highest
  // rights instead.
  if (root == kHKeyLocalMachine && IsUacEnabled()) {
    RegisterLogonTask(RegisteredProgram());
    UnregisterRunOnce();
    return;
  }
  RegisterRunOnce(root);
  if (root == kHKeyLocalMachine) RemoveLogonTask();
}

void StartupMover::RegisterRunOnce(HKey root) {
  registry_.PutStringAt(root, kRunOnceKey, true, kSelfRunValue, SelfCommand(kPreSwitchData));
}

void StartupMover::UnregisterSelf(bool alsoRunOnce) {
  registry_.RemoveValueAt(kHKeyLocalMachine, kRunKey, kSelfRunValue);
  if (!alsoRunOnce) return;
  registry_.RemoveValueAt(kHKeyLocalMachine, kRunOnceKey, kSelfRunValue);
  RemoveLogonTask();
}

void StartupMover::UnregisterUser(const std::string& user) {
  // No name, no profile: the hive file would be looked for in the profiles folder itself.
  if (TrimBlanks(user).empty()) return;
  registry_.LoadUserHive(user, SharedSpecialFolders().GetProfilesFolder());
  // When the hive did not mount, the keys below are missing and nothing is removed. The
  // values are removed without being read, so that one of an unexpected type cannot end the
  // work early and keep the hive mounted.
  const std::string mount = registry_.HiveMountName();
  try {
    registry_.RemoveValueAt(kHKeyUsers, mount + kRunKey, kSelfRunValue);
    registry_.RemoveValueAt(kHKeyUsers, mount + kRunOnceKey, kSelfRunValue);
  } catch (...) {
    registry_.UnloadUserHive();
    throw;
  }
  registry_.UnloadUserHive();
}

void StartupMover::UnregisterRunOnce() {
  registry_.RemoveValueAt(kHKeyLocalMachine, kRunOnceKey, kSelfRunValue);
}

bool StartupMover::IsSelfRegistered() {
  return registry_.ValueExistsAt(kHKeyLocalMachine, kRunKey, kSelfRunValue);
}

bool StartupMover::IsFirstInstall() {
  std::string store = GetShortcutStoreFolder();
  if (!store.empty() && store.back() == '\\') store.pop_back();
  std::uint32_t attributes = Files().GetFileAttributes(store);
  return attributes == kInvalidFileAttributes || (attributes & kFileAttributeDirectory) == 0;
}

// --- The responsive pause -------------------------------------------------------------------

void PauseMs(std::int32_t milliseconds) {
  if (milliseconds <= 0) {
    pauseAborted = false;
    return;
  }
  std::int32_t remaining = milliseconds;
  do {
    Sys().ProcessMessages();
    Sys().Sleep(kPauseStepMs);
    remaining -= kPauseStepMs;
    // The program is ending: the pause is over, and the abort request is left for whoever
    // looks at it next.
    if (ApplicationTerminating()) return;
    if (pauseAborted) break;
  } while (remaining > 0);
  pauseAborted = false;
}

void AbortPause() { pauseAborted = true; }

}  // namespace lw
