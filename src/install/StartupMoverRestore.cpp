// The restore operations of StartupMover: listing what the store holds, giving single items back
// to Windows, and forgetting what went back.
//
// A restore is the user's one way back, so it keeps the take-over's rule the other way round:
// an item is written into its Windows place and checked there before the store lets go of it,
// and the store lets go only of what went back. An item that cannot go back stays stored, where
// a later restore (or the edit window) still finds it.

#include <set>
#include <string>
#include <vector>

#include "install/StartupMover.h"
#include "items/ItemManager.h"
#include "platform/Platform.h"
#include "store/SettingsStore.h"
#include "util/Error.h"
#include "util/ExecutablePath.h"
#include "util/SpecialFolders.h"
#include "util/Text.h"

namespace lw {

namespace {

constexpr char kRegistryWriteAltered[] = "Registry write altered by 3rd party program.";

std::string RunKeyText(const RunOrigin& origin) {
  if (origin.root != kHKeyCurrentUser) return std::string(kHKeyLocalMachineText) + kRunKey;
  return "HKEY_CURRENT_USER" + std::string(kRunKey) +
         (origin.user.empty() ? std::string() : " (" + origin.user + ")");
}

// The sub-keys of the program key that hold records of single items (keyed by stored name,
// store path or file name), which a full uninstall prunes instead of deleting.
constexpr const char* kItemRecordKeys[] = {kRunName, kRunDisabledName, kRunLocationName,
                                           kStartupLocationName, kStartupDisableName};

}  // namespace

std::vector<ManagedRunValue> StartupMover::ManagedRunItems() {
  std::vector<std::string> names;
  registry_.ListValueNamesAt(kProgramRoot, kRunItemsKey, names);
  std::vector<ManagedRunValue> items;
  for (const std::string& name : names) {
    ManagedRunValue item;
    item.name = name;
    try {
      item.command = registry_.GetStringValueAt(kProgramRoot, kRunItemsKey, name);
    } catch (const Error&) {
      // Not a command line: listed, so the user sees it, but nothing to write back.
    }
    try {
      item.user = GetRunLocation(name);
    } catch (const Error&) {
    }
    items.push_back(item);
  }
  return items;
}

std::vector<StoredShortcut> StartupMover::StoredShortcuts() {
  const std::string store = IncludeTrailingBackslash(GetShortcutStoreFolder());
  std::vector<StoredShortcut> shortcuts;
  for (const std::string& name : ListItemFiles(store)) {
    shortcuts.push_back({store + name, StartupOriginFolder(store + name)});
  }
  return shortcuts;
}

bool StartupMover::RestoreRunItem(const std::string& storedName, const StringValue& command) {
  lastError_.clear();
  try {
    if (command.text.empty()) throw Error("The stored command of " + storedName + " is empty");
    const RunOrigin origin = RunItemOrigin(storedName);
    const StringValue present = SharedItemManager().WriteBackRunValue(origin, command);
    if (present.text == command.text) return true;
    if (present.text.empty()) throw Error(kRegistryWriteAltered);
    // Another command under that name: never replaced, since it may be the program's own newer
    // one; the user decides with the saved file.
    throw Error("Another command named " + origin.valueName + " is already in " +
                RunKeyText(origin) + " : " + present.text);
  } catch (const Error& error) {
    lastError_ = error.what();
    return false;
  }
}

bool StartupMover::RestoreStartupItem(const std::string& fileName) {
  lastError_.clear();
  const std::string source = IncludeTrailingBackslash(GetShortcutStoreFolder()) + fileName;
  const std::string folder = StartupOriginFolder(source);
  const std::string common = SharedSpecialFolders().GetCommonStartupFolder();
  ItemManager& items = SharedItemManager();
  std::string failure;
  if (items.MoveFileToFolder(source, folder, &failure)) return true;
  lastError_ = failure;
  // A user's own shortcut goes to that user's Startup folder or nowhere: in the All Users one it
  // would start for every account. It stays stored, and the row says why.
  if (!StartupFolderOwner(folder).empty()) {
    if (!FolderExists(folder)) {
      lastError_ = "The Startup folder " + folder + " is not there: " + fileName + " stays stored";
    }
    return false;
  }
  // An everyone's folder that is gone or holds another file of that name: the All Users folder
  // starts it for everyone as well.
  if (common.empty() ||
      SameText(IncludeTrailingBackslash(common), IncludeTrailingBackslash(folder)))
    return false;
  if (items.MoveFileToFolder(source, common, &failure)) return true;
  lastError_ = failure;
  return false;
}

void StartupMover::ForgetRestoredItems(const std::vector<std::string>& restoredRunItems,
                                       const std::vector<std::string>& restoredShortcuts) {
  for (const std::string& name : restoredRunItems) {
    registry_.RemoveValue(kRunItemsKey, name);
    registry_.RemoveValue(kRunDisabledKey, name);
  }
  for (const std::string& fileName : restoredShortcuts) {
    registry_.RemoveValue(kStartupDisableKey, fileName);
  }
  SharedItemManager().RebuildRunSort();
  // A start-order entry whose shortcut left the store went back with it.
  std::vector<std::string> kept;
  const std::int32_t count = GetStartupSortCount();
  for (std::int32_t index = 0; index < count; ++index) {
    const std::string entry = registry_.GetString(kStartupSortKey, std::to_string(index));
    if (entry.empty()) continue;
    const std::uint32_t attributes = Files().GetFileAttributes(entry);
    if (attributes != kInvalidFileAttributes) kept.push_back(entry);
  }
  SaveSortOrder(registry_, kStartupSortName, kept);
  LoadRunItems();
  LoadStartupItems();
}

void StartupMover::DeleteProgramKey() {
  // What the runner learnt for the user (auto-tune figures, tuned pauses, start methods, the
  // last logon) is no item's record: it all goes. Other users' copies stay in their profiles.
  registry_.DeleteSubKeyAt(kPerUserRoot, kTallowmereKey, kProgramKeyName);
  // Names of records to keep, in lower case (registry names ignore case).
  std::set<std::string> keep;
  std::vector<std::string> runNames;
  registry_.ListValueNamesAt(kProgramRoot, kRunItemsKey, runNames);
  for (const std::string& name : runNames) {
    keep.insert(LowerCase(name));
    keep.insert(LowerCase(name + kHKeySuffix));
    keep.insert(LowerCase(name + kViewSuffix));
    // Without its account an item of a namesake account would read as this account's.
    keep.insert(LowerCase(name + kSidSuffix));
  }
  std::vector<StoredShortcut> shortcuts = StoredShortcuts();
  for (const StoredShortcut& shortcut : shortcuts) {
    keep.insert(LowerCase(shortcut.path));
    keep.insert(LowerCase(ExtractFileName(shortcut.path)));
  }
  if (runNames.empty() && shortcuts.empty()) {
    registry_.RecreateSubKeyAt(kProgramRoot, kTallowmereKey, kProgramKeyName);
    for (const char* name : {kRunName, kRunSortName, kStartupSortName})
      registry_.RecreateSubKeyAt(kProgramRoot, kProgramKey, name);
    return;
  }
  // Items stay stored: every preference goes, but not what those items need to be found,
  // started in their order and given back later.
  std::vector<std::string> values;
  registry_.ListValueNamesAt(kProgramRoot, kProgramKey, values);
  for (const std::string& value : values) registry_.RemoveValueAt(kProgramRoot, kProgramKey, value);
  std::vector<std::string> subKeys;
  registry_.ListKeyNamesAt(kProgramRoot, kProgramKey, subKeys);
  for (const std::string& subKey : subKeys) {
    if (SameText(subKey, kRunSortName) || SameText(subKey, kStartupSortName)) continue;
    bool records = false;
    for (const char* kept : kItemRecordKeys) records = records || SameText(subKey, kept);
    const std::string path = std::string(kProgramKey) + "\\" + subKey;
    if (!records) {
      registry_.DeleteSubKeyAt(kProgramRoot, kProgramKey, subKey);
      continue;
    }
    std::vector<std::string> names;
    registry_.ListValueNamesAt(kProgramRoot, path, names);
    for (const std::string& name : names) {
      if (keep.count(LowerCase(name)) == 0) registry_.RemoveValueAt(kProgramRoot, path, name);
    }
  }
}

}  // namespace lw
