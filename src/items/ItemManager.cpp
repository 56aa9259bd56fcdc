#include "items/ItemManager.h"

// How the run-key operations keep an item whole. Each move writes the item into its new place
// first and checks it is there, and only then clears the old place. A string write that fails
// raises, so the steps after it are not done and the item is still where it was (possibly in
// both places, which the next take-over pass or the edit window sorts out). Reads of the store
// go through the shared store object of SettingsStore; every write goes through the manager's own
// registry object.

#include <functional>
#include <memory>
#include <stdexcept>

#include "items/StartupApproval.h"
#include "platform/Platform.h"
#include "store/SettingsStore.h"
#include "ui/Options.h"
#include "util/CurrentUser.h"
#include "util/Error.h"
#include "util/ErrorLog.h"
#include "util/ExecutablePath.h"
#include "util/SpecialFolders.h"
#include "util/Text.h"
#include "util/WindowsBitness.h"

namespace lw {

namespace {

std::unique_ptr<ItemManager>& Instance() {
  static std::unique_ptr<ItemManager> instance;
  return instance;
}

void RequireInRunOrder(const std::string& storedName) {
  if (!RunOrderHolds(storedName)) throw Error("Unable to add " + storedName + " to the run order");
}

std::string ReadStore(const std::string& path, const std::string& name) {
  return SharedRegistry().GetStringAt(kProgramRoot, path, name);
}

StringValue ReadStoreValue(const std::string& path, const std::string& name) {
  return SharedRegistry().GetStringValueAt(kProgramRoot, path, name);
}

bool StartsWithText(const std::string& text, const std::string& start) {
  return text.size() > start.size() && SameText(text.substr(0, start.size()), start);
}

// Whether the origin's Run key is the one HKEY_CURRENT_USER reaches.
bool IsCurrentUser(const RunOrigin& origin) { return IsCurrentAccount(origin.sid, origin.user); }

// An item recorded while its user's name could not be had, seen from a session whose user is
// known: whose Run key it came from nobody can tell, so no Run key is touched for it.
bool AccountUnknown(const RunOrigin& origin) {
  return origin.root == kHKeyCurrentUser && SameText(origin.user, kUnknownUser) &&
         !IsCurrentUser(origin);
}

// The command line with its environment references expanded, as the runner starts it.
std::string ExpandedLine(const std::string& command) {
  return command.find('%') == std::string::npos ? command : Sys().ExpandEnvironmentStrings(command);
}

bool ProgramFound(const std::string& command) { return !ResolveCommandProgram(command).empty(); }

// Whether the program a command line starts is known to be gone: the command names an
// executable that neither its path, nor App Paths, nor the search path finds. A command that
// names no ".exe" cannot be checked and counts as present.
bool ProgramGone(const std::string& command) {
  return !ExtractExePath(ExpandedLine(command)).empty() && !ProgramFound(command);
}

// Values of the user's Run key are stored under the user's name and "_" + their name; when the
// user's name cannot be had, under their plain name, which a value of the machine's Run key may
// share. The one stored first keeps the name. A namesake recorded as coming from the other
// root and holding another command is another program: it stays in its Run key, where Windows
// starts it, rather than being deleted as a copy of the stored one.
bool NamesakeFromOtherRoot(const std::string& storedName, const RunKeyItem& item,
                           const std::string& storedCommand) {
  std::int32_t root = GetRunLocationHKey(storedName);
  return !storedCommand.empty() && root != -1 && root != StoredRoot(item.root) &&
         storedCommand != item.command;
}

}  // namespace

bool HasView64Mark(const std::string& name) {
  const std::string mark = kView64Mark;
  return name.size() > mark.size() &&
         name.compare(name.size() - mark.size(), mark.size(), mark) == 0;
}

std::string WithoutView64Mark(const std::string& name) {
  return HasView64Mark(name) ? name.substr(0, name.size() - std::string(kView64Mark).size()) : name;
}

std::string ExcludeName(const RunOrigin& origin) {
  return origin.view == kKeyWow64_64Key ? origin.valueName + kView64Mark : origin.valueName;
}

std::string ExcludeOwner(const RunOrigin& origin) {
  if (origin.root != kHKeyCurrentUser) return kMachineExcludeOwner;
  if (!origin.sid.empty()) return origin.sid;
  const std::string sid = IsCurrentUser(origin) ? CurrentUserSid() : std::string();
  return sid.empty() ? std::string(kExcludeMark) : sid;
}

std::string RunItemExcludeOwner(const RunKeyItem& item) {
  return ExcludeOwner({item.root, item.user, RunValueName(item), item.view, item.sid});
}

std::string RunValueName(const RunKeyItem& item) {
  return item.view == kKeyWow64_64Key ? WithoutView64Mark(item.name) : item.name;
}

std::string RunItemUserPrefix(const RunKeyItem& item) {
  // "UnknownUser" is what the name lookup gives when it fails: such values keep plain names.
  if (item.user.empty() || item.user == kUnknownUser || item.root != kHKeyCurrentUser) {
    return std::string();
  }
  return item.user + "_";
}

std::string StoredItemName(const RunKeyItem& item) { return RunItemUserPrefix(item) + item.name; }

RunOrigin RunItemOrigin(const std::string& storedName) {
  return RunItemOrigin(storedName, RunLocationReader{
                                       [&] { return GetRunLocationHKey(storedName); },
                                       [&] { return GetRunLocationView(storedName); },
                                       [&] { return GetRunLocation(storedName); },
                                       [&] { return GetRunLocationSid(storedName); },
                                   });
}

RunOrigin RunItemOrigin(const std::string& storedName, const RunLocationReader& location) {
  const std::int32_t recorded = location.root();
  if (recorded == StoredRoot(kHKeyLocalMachine)) {
    if (location.view() == kStoredView64) {
      return {kHKeyLocalMachine, "", WithoutView64Mark(storedName), kKeyWow64_64Key, ""};
    }
    return {kHKeyLocalMachine, "", storedName, 0, ""};
  }
  if (recorded == StoredRoot(kHKeyCurrentUser)) {
    const std::string user = location.user();
    const std::string sid = location.sid();
    // With the user's name unknown at the take-over, the value kept its plain name.
    if (user.empty() || !StartsWithText(storedName, user + "_")) {
      return {kHKeyCurrentUser, user, storedName, 0, sid};
    }
    return {kHKeyCurrentUser, user, storedName.substr(user.size() + 1), 0, sid};
  }
  const std::string prefix = CurrentUserPrefix();
  if (!prefix.empty() && StartsWithText(storedName, prefix)) {
    return {kHKeyCurrentUser, "", storedName.substr(prefix.size()), 0, ""};
  }
  return {kHKeyLocalMachine, "", storedName, 0, ""};
}

std::string ItemAccountSid(const std::string& storedName) {
  return GetRunLocationHKey(storedName) == StoredRoot(kHKeyCurrentUser)
             ? GetRunLocationSid(storedName)
             : std::string();
}

bool IsCurrentAccountsItem(const std::string& storedName) {
  const RunOrigin origin = RunItemOrigin(storedName);
  return origin.root == kHKeyCurrentUser && IsCurrentUser(origin);
}

ItemManager::ItemManager() { registry_.SetDefaultRoot(kProgramRoot); }

bool ItemManager::UserValueStaysWithWindows(const RunKeyItem& item) {
  if (item.root != kHKeyCurrentUser) return false;
  const std::string what = "Run key item " + item.name + " of user " +
                           (item.user.empty() ? std::string(kUnknownUser) : item.user);
  if (item.sid.empty()) {
    // Stored without its account, it would be started at every account's logon.
    SharedErrorLog().TryWrite(what + ": the account cannot be identified; it stays with Windows");
    return true;
  }
  const std::string recorded = GetRunLocationSid(StoredItemName(item));
  if (recorded.empty() || recorded == item.sid) return false;
  // Another account of the same user name (a local and a domain account) owns the stored item
  // of that name: neither's value may replace or delete the other's.
  SharedErrorLog().TryWrite(what + " (" + item.sid + "): the stored item of that name belongs to " +
                            recorded + ", another account of the same name; it stays with Windows");
  return true;
}

void ItemManager::RecordRunLocation(const std::string& storedName, HKey root,
                                    const std::string& user, const std::string& sid, bool view64) {
  registry_.PutString(kRunLocationKey, true, storedName, user);
  registry_.PutInteger(kRunLocationKey, true, storedName + kHKeySuffix, StoredRoot(root));
  if (root == kHKeyCurrentUser && !sid.empty()) {
    registry_.PutString(kRunLocationKey, true, storedName + kSidSuffix, sid);
  }
  if (view64) registry_.PutInteger(kRunLocationKey, true, storedName + kViewSuffix, kStoredView64);
}

// --- Run-key items ------------------------------------------------------------------------------

void ItemManager::TakeOverRunItem(const RunKeyItem& item) {
  TakeOverRunItem(item,
                  GetRunItemState(item.name, RunItemUserPrefix(item), RunItemExcludeOwner(item)));
}

void ItemManager::TakeOverRunItem(const RunKeyItem& item, ItemState state) {
  if (UserValueStaysWithWindows(item)) return;
  const std::string prefix = RunItemUserPrefix(item);
  const std::string storedName = prefix + item.name;
  // This value's own stored item: a user's value never touches the machine's item of the same
  // plain name.
  const RunOrigin origin{item.root, item.user, RunValueName(item), item.view, item.sid};
  const StringValue command{item.command, item.type};
  switch (state) {
    case ItemState::kNew: {
      // A value switched off in Task Manager is stored as disabled, as the user left it.
      const bool autoDisable = SharedOptions().AutoDisable() || SwitchedOffInTaskManager(item);
      // The user prefix can make the stored name longer than the registry takes a value name,
      // and the records of where it came from add their suffixes to it: such an item stays with
      // Windows, excluded, instead of stopping every take-over half-way.
      const std::size_t recordLength = storedName.size() + std::string(kHKeySuffix).size();
      if (recordLength > kMaxValueNameLength || TestRunValue(item.root, item.view)) {
        ExcludeStoredRunItem(storedName, origin);
        return;
      }
      // The command goes into the store before the item joins the run order, and both are in
      // place before the value leaves the Run key: a sort entry without a command would make
      // the next pass treat the value as managed and delete it.
      registry_.PutString(kRunItemsKey, true, storedName, command);
      if (autoDisable) {
        // A new item the user wants disabled goes straight to "RunDisabled" (where disabling it
        // would have put it) and never joins the run order on the way, so that no failure
        // half-way can leave it to be started.
        registry_.PutString(kRunDisabledKey, true, storedName, command);
      } else if (!AppendSortEntry(kRunSortName, storedName)) {
        // A new item is in no order yet: only a written entry puts it there. (The check costs
        // nothing; a scan of the order would cost a read per managed item.)
        throw Error("Unable to add " + storedName + " to the run order");
      }
      RecordRunLocation(storedName, item.root, item.user, item.sid, item.view == kKeyWow64_64Key);
      // Stored first, then taken: another program that guards the value keeps it in place (its
      // deletion is refused, or the value comes back at once). Windows goes on starting it, so
      // the store lets go of it again.
      TakeRunValue(item);
      if (RunValueStays(item)) ExcludeStoredRunItem(storedName, origin);
      return;
    }
    case ItemState::kExcluded:
      ExcludeStoredRunItem(storedName, origin);
      return;
    case ItemState::kDisabled: {
      std::string stored = ReadStore(kRunDisabledKey, storedName);
      if (NamesakeFromOtherRoot(storedName, item, stored)) return;
      if (stored.empty()) registry_.PutString(kRunDisabledKey, true, storedName, command);
      // A value written back with another command is another version of the item: kept
      // beside it, disabled too, before the value leaves the Run key.
      if (!stored.empty() && stored != item.command) {
        KeepOtherRunVersion(storedName, origin, command, stored);
      }
      DisableRunItem(item.name, prefix);
      TakeRunValue(item);
      return;
    }
    case ItemState::kSorted: {
      // The program wrote itself back into the Run key. The stored command stays as it is,
      // unless the store lost it (this value is then the only copy left), or unless its program
      // is gone while the new command's is there: an update moved the program, and the stored
      // command would start nothing.
      std::string stored = GetRunCommand(storedName);
      if (NamesakeFromOtherRoot(storedName, item, stored)) return;
      const bool moved = !stored.empty() && stored != item.command && ProgramGone(stored) &&
                         ProgramFound(item.command);
      if (stored.empty() || moved) registry_.PutString(kRunItemsKey, true, storedName, command);
      // Another command for a program that is still there (new arguments): the stored one
      // keeps its place in the order, and the new one is kept beside it, disabled.
      if (!stored.empty() && !moved && stored != item.command) {
        KeepOtherRunVersion(storedName, origin, command, stored);
      }
      if (moved) {
        SharedErrorLog().TryWrite("Run key item " + storedName + ": the program of " + stored +
                                  " is gone; its new command " + item.command + " replaces it");
      }
      TakeRunValue(item);
      return;
    }
  }
}

void ItemManager::TakeRunValue(const RunKeyItem& item) {
  ScopedRegistryView inView(registry_, item.view);
  registry_.TakeStringAt(item.root, kRunKey, RunValueName(item));
}

bool ItemManager::TestRunValue(HKey root, std::uint32_t view) {
  ScopedRegistryView inView(registry_, view);
  bool written = false;
  bool refused = true;
  try {
    registry_.PutStringAt(root, kRunKey, true, kProbeValue, kProbeValue);
    written = true;
    if (registry_.GetStringAt(root, kRunKey, kProbeValue) == kProbeValue) {
      registry_.RemoveValueAt(root, kRunKey, kProbeValue);
      refused = registry_.ValueExistsAt(root, kRunKey, kProbeValue);
    }
  } catch (const Error&) {
    // "Unable to open : " + key, or a probe that would not read: the key takes no changes.
  }
  if (refused && written) {
    try {
      registry_.RemoveValueAt(root, kRunKey, kProbeValue);
    } catch (const Error&) {
    }
  }
  return refused;
}

bool ItemManager::RunValueStays(const RunKeyItem& item) {
  ScopedRegistryView inView(registry_, item.view);
  return registry_.ValueExistsAt(item.root, kRunKey, RunValueName(item));
}

void ItemManager::ExcludeRunItem(const std::string& storedName) {
  ExcludeStoredRunItem(storedName, RunItemOrigin(storedName));
}

void ItemManager::ExcludeStoredRunItem(const std::string& storedName, const RunOrigin& origin) {
  MarkExcluded(ExcludeName(origin), ExcludeOwner(origin));
  // A name too long for the store has nothing stored under it.
  if (storedName.size() > kMaxValueNameLength) return;
  StringValue command = ReadStoreValue(kRunItemsKey, storedName);
  if (command.text.empty()) return;
  // Back into its Run key before the store lets go of it. Another command already there is the
  // program's current one and stays; the stored one is kept beside it, disabled.
  const StringValue present = GiveBackRunValue(origin, command);
  if (!present.text.empty() && present.text != command.text) {
    KeepOtherRunVersion(storedName, origin, command, present.text);
  }
  registry_.RemoveValue(kRunItemsKey, storedName);
  RebuildRunSort();
  registry_.TakeString(kRunDisabledKey, storedName);
}

StringValue ItemManager::GiveBackRunValue(const RunOrigin& origin, const StringValue& command) {
  if (AccountUnknown(origin)) {
    throw Error("Unable to give " + origin.valueName +
                " back to Windows: the account whose Run key it came from is unknown");
  }
  return WriteBackRunValue(origin, command);
}

void ItemManager::RemoveOwnRunValue(const std::string& storedName) {
  const RunOrigin origin = RunItemOrigin(storedName);
  if (AccountUnknown(origin)) return;
  try {
    OnOriginRunKey(origin, [&](HKey root, const std::string& runKey) {
      registry_.RemoveValueAt(root, runKey, origin.valueName);
      return StringValue{};
    });
  } catch (const Error& error) {
    // Another user's hive that cannot be reached now: the item is disabled in the store all the
    // same, and a value written back there meanwhile is removed at that user's next logon,
    // whose take-over finds the item disabled.
    SharedErrorLog().TryWrite("Run key item " + storedName +
                              ": disabled, but its Run key could not be reached : " + error.what());
  }
}

StringValue ItemManager::WriteBackRunValue(const RunOrigin& origin, const StringValue& command) {
  // A command line that the program wrote there itself since it was taken over is its current
  // one (an update may have moved it) and stays as it is.
  auto writeBack = [&](HKey root, const std::string& runKey) {
    StringValue present;
    try {
      present = registry_.GetStringValueAt(root, runKey, origin.valueName);
    } catch (const Error&) {
      // Not text: no command line of anybody's, and no reason to keep the item from Windows.
    }
    if (present.text.empty()) registry_.PutStringAt(root, runKey, true, origin.valueName, command);
    try {
      return registry_.GetStringValueAt(root, runKey, origin.valueName);
    } catch (const Error&) {
      return StringValue{};  // replaced at once by something that is not text
    }
  };
  return OnOriginRunKey(origin, writeBack);
}

StringValue ItemManager::OnOriginRunKey(
    const RunOrigin& origin,
    const std::function<StringValue(HKey root, const std::string& runKey)>& access) {
  if (origin.root != kHKeyCurrentUser) {
    ScopedRegistryView inView(registry_, origin.view);
    return access(kHKeyLocalMachine, kRunKey);
  }
  if (IsCurrentUser(origin)) return access(kHKeyCurrentUser, kRunKey);
  // Another user's Run key is in that user's own hive, mounted for the while (or the one
  // Windows holds while the user is logged on).
  registry_.LoadUserHive(origin.user, SharedSpecialFolders().GetProfilesFolder(), origin.sid);
  const std::string mount = registry_.HiveMountName();
  StringValue result;
  try {
    if (!registry_.KeyExistsAt(kHKeyUsers, mount))
      throw Error("Unable to open : " + mount + kRunKey);
    result = access(kHKeyUsers, mount + kRunKey);
  } catch (...) {
    registry_.UnloadUserHive();
    throw;
  }
  registry_.UnloadUserHive();
  return result;
}

void ItemManager::DisableRunItem(const std::string& name, const std::string& userPrefix) {
  const std::string storedName = userPrefix + name;
  const StringValue stored = ReadStoreValue(kRunItemsKey, storedName);
  const std::string& command = stored.text;
  if (!command.empty()) {
    registry_.PutString(kRunDisabledKey, true, storedName, stored);
    std::int32_t count = GetRunSortCount();
    for (std::int32_t index = 0; index < count; ++index) {
      if (GetRunSortName(index) == storedName) {
        RemoveSortEntry(registry_, kRunSortName, index);
      }
    }
  }
  // The item's value leaves its own Run key, and no other: a value of that name in another
  // root, view or account is another item (a per-machine program writes the same command into
  // every account's Run key), even when it holds the same command. When the store holds no
  // command at all, the system value is the item's only copy and stays.
  const std::string known = command.empty() ? ReadStore(kRunDisabledKey, storedName) : command;
  if (!known.empty()) RemoveOwnRunValue(storedName);
  RebuildRunSort();
}

void ItemManager::EnableRunItem(const std::string& storedName) {
  StringValue command = ReadStoreValue(kRunDisabledKey, storedName);
  if (!command.text.empty()) {
    registry_.PutString(kRunItemsKey, true, storedName, command);
    AppendSortEntry(kRunSortName, storedName);
    RebuildRunSort();
    RequireInRunOrder(storedName);
  }
  registry_.RemoveValue(kRunDisabledKey, storedName);
}

void ItemManager::IncludeRunItem(const std::string& name, const std::string& userPrefix,
                                 bool fromCurrentUser) {
  const HKey root = fromCurrentUser ? kHKeyCurrentUser : kHKeyLocalMachine;
  const std::string storedName = userPrefix + name;
  const bool view64 = !fromCurrentUser && HasView64Mark(name) && IsWindows64() &&
                      !registry_.ValueExistsAt(root, kRunKey, name);
  const std::string valueName = view64 ? WithoutView64Mark(name) : name;
  const std::uint32_t view = view64 ? kKeyWow64_64Key : 0;
  const std::string owner =
      ExcludeOwner({root, "", valueName, view, fromCurrentUser ? CurrentUserSid() : ""});
  StringValue command;
  {
    ScopedRegistryView inView(registry_, view);
    command = registry_.GetStringValueAt(root, kRunKey, valueName);
  }
  if (!command.text.empty()) {
    registry_.PutString(kRunItemsKey, true, storedName, command);
    AppendSortEntry(kRunSortName, storedName);
    RebuildRunSort();
    RequireInRunOrder(storedName);
    // Where it came from, so that excluding it gives it back to the same Run key: a user's
    // prefix names the user; without one, the value is the current user's own.
    const std::string user =
        fromCurrentUser && !userPrefix.empty() ? userPrefix.substr(0, userPrefix.size() - 1) : "";
    RecordRunLocation(storedName, root, user, fromCurrentUser ? CurrentUserSid() : std::string(),
                      view64);
    ClearExclusion(name, owner);
    ScopedRegistryView inView(registry_, view);
    registry_.RemoveValueAt(root, kRunKey, valueName);
  }
  DropExclusion(name, owner);
}

void ItemManager::MarkExcluded(const std::string& excludeName, const std::string& owner) {
  const std::string marks = ReadStore(kRunExcludeKey, excludeName);
  const bool marked = registry_.ValueExistsAt(kProgramRoot, kRunExcludeKey, excludeName);
  // A mark whose data cannot be read stays everybody's, as it always was.
  if (marked && marks.empty()) return;
  registry_.PutString(kRunExcludeKey, true, excludeName, WithExcludeOwner(marks, owner));
}

void ItemManager::DropExclusion(const std::string& excludeName, const std::string& owner) {
  if (!registry_.ValueExistsAt(kProgramRoot, kRunExcludeKey, excludeName)) return;
  const std::string marks = WithoutExcludeOwner(ReadStore(kRunExcludeKey, excludeName), owner);
  if (marks.empty()) {
    registry_.TakeString(kRunExcludeKey, excludeName);
  } else {
    registry_.PutString(kRunExcludeKey, true, excludeName, marks);
  }
}

void ItemManager::ClearExclusion(const std::string& excludeName, const std::string& owner) {
  DropExclusion(excludeName, owner);
  if (RunItemExcluded(excludeName, owner)) throw Error("Unable to include " + excludeName);
}

StringValue ItemManager::ReadOriginRunValue(const RunOrigin& origin) {
  return OnOriginRunKey(origin, [&](HKey root, const std::string& runKey) {
    try {
      return registry_.GetStringValueAt(root, runKey, origin.valueName);
    } catch (const Error&) {
      return StringValue{};  // not text: no command line
    }
  });
}

std::string ItemManager::IncludeExcludedRunItem(const RunOrigin& origin) {
  if (origin.root != kHKeyCurrentUser || IsCurrentUser(origin)) {
    const bool user = origin.root == kHKeyCurrentUser;
    const std::string prefix = user ? CurrentUserPrefix() : std::string();
    // A value of the machine's 64-bit view is known by its marked name, which tells
    // IncludeRunItem the view.
    const std::string name = user ? origin.valueName : ExcludeName(origin);
    const bool present = !ReadOriginRunValue(origin).text.empty();
    IncludeRunItem(name, prefix, user);
    return present ? prefix + name : std::string();
  }
  // Another user's value: stored under that user's name, as that user's logon would have, and
  // taken out of the user's hive only once the store holds it.
  const std::string storedName = origin.user + "_" + origin.valueName;
  const StringValue command = ReadOriginRunValue(origin);
  if (!command.text.empty()) {
    registry_.PutString(kRunItemsKey, true, storedName, command);
    AppendSortEntry(kRunSortName, storedName);
    RebuildRunSort();
    RequireInRunOrder(storedName);
    RecordRunLocation(storedName, kHKeyCurrentUser, origin.user, origin.sid, false);
    ClearExclusion(origin.valueName, ExcludeOwner(origin));
    OnOriginRunKey(origin, [&](HKey root, const std::string& runKey) {
      registry_.RemoveValueAt(root, runKey, origin.valueName);
      return StringValue{};
    });
  }
  DropExclusion(origin.valueName, ExcludeOwner(origin));
  return command.text.empty() ? std::string() : storedName;
}

void ItemManager::RebuildRunSort() {
  std::vector<std::string> names;
  std::int32_t count = GetRunSortCount();
  for (std::int32_t index = 0; index < count; ++index) {
    if (!GetRunSortCommand(index).empty()) names.push_back(GetRunSortName(index));
  }
  SaveSortOrder(registry_, kRunSortName, names);
}

bool ItemManager::AppendSortEntry(const std::string& sortKeyName, const std::string& entry) {
  return lw::AppendSortEntry(registry_, sortKeyName, entry);
}

// --- The process-wide manager --------------------------------------------------------------------

void InitializeItemManager() { Instance() = std::make_unique<ItemManager>(); }

void FinalizeItemManager() { Instance().reset(); }

ItemManager& SharedItemManager() {
  if (!Instance()) throw std::logic_error("the item manager is not initialised");
  return *Instance();
}

}  // namespace lw
