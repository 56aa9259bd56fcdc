#pragma once
// What the item manager's tests stand on: the process-wide units and the options up, an empty
// shortcut store, and small helpers that stage and read the store and the system places through
// the seam alone.

#include <string>
#include <vector>

#include "entry/ProcessUnits.h"
#include "items/ItemManager.h"
#include "store/SettingsStore.h"
#include "support/RawRegistry.h"
#include "support/TestEnv.h"
#include "ui/Options.h"
#include "util/CurrentUser.h"
#include "util/SpecialFolders.h"
#include "util/Text.h"

namespace lw::test {

// Creates the folder and every missing folder above it.
inline void EnsureFolder(const std::string& folder) {
  std::string path = folder;
  if (!path.empty() && path.back() == '\\') path.pop_back();
  if (path.empty() || Files().GetFileAttributes(path) != kInvalidFileAttributes) return;
  std::string::size_type slash = path.find_last_of('\\');
  if (slash != std::string::npos) EnsureFolder(path.substr(0, slash));
  Files().CreateDirectory(path);
}

inline bool FileThere(const std::string& path) {
  return Files().GetFileAttributes(path) != kInvalidFileAttributes;
}

// A sort list as "0".."N-1" (N = "SortIndex"; "<missing>" for an absent entry), followed by
// "<stray NAME>" for every other value of the key, so that one comparison also catches leftovers.
inline std::vector<std::string> SortOf(const std::string& key) {
  std::vector<std::string> list;
  std::int64_t count = RawDword(kHKeyLocalMachine, key, kSortIndexValue, 0);
  for (std::int64_t index = 0; index < count; ++index) {
    list.push_back(RawString(kHKeyLocalMachine, key, std::to_string(index)));
  }
  for (const std::string& name : RawValueNames(kHKeyLocalMachine, key)) {
    bool listed = name == kSortIndexValue;
    for (std::int64_t index = 0; index < count && !listed; ++index) {
      listed = name == std::to_string(index);
    }
    if (!listed) list.push_back("<stray " + name + ">");
  }
  return list;
}

inline void StageSort(const std::string& key, const std::vector<std::string>& entries) {
  for (std::size_t index = 0; index < entries.size(); ++index) {
    SetRawString(kHKeyLocalMachine, key, std::to_string(index), entries[index]);
  }
  SetRawDword(kHKeyLocalMachine, key, kSortIndexValue, static_cast<std::uint32_t>(entries.size()));
}

// A managed run-key item: its command in "Run" (the caller stages the order).
inline void StageCommand(const std::string& storedName, const std::string& command) {
  SetRawString(kHKeyLocalMachine, kRunItemsKey, storedName, command);
}

inline void StageRunValue(HKey root, const std::string& name, const std::string& command) {
  SetRawString(root, kRunKey, name, command);
}

inline std::string RunValue(HKey root, const std::string& name) {
  return RawString(root, kRunKey, name);
}

class ItemManagerTest : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    InitializeProcessUnits();
    CreateOptions();
    store = GetShortcutStoreFolder();
    userStartup = IncludeTrailingBackslash(SharedSpecialFolders().GetUserStartupFolder());
    commonStartup = IncludeTrailingBackslash(SharedSpecialFolders().GetCommonStartupFolder());
    for (const std::string& folder : {store, userStartup, commonStartup}) EnsureFolder(folder);
  }
  void TearDown() override {
    FreeOptions();
    FinalizeProcessUnits();
  }

  static ItemManager& Manager() { return SharedItemManager(); }
  static RunKeyItem MachineItem(const std::string& name, const std::string& command) {
    RunKeyItem item;
    item.name = name;
    item.command = command;
    item.root = kHKeyLocalMachine;
    return item;
  }
  static RunKeyItem UserItem(const std::string& name, const std::string& command) {
    // As the snapshot reads it: the user's name and the account's SID.
    const std::string user = CurrentUserName();
    RunKeyItem item = MachineItem(name, command);
    item.user = user == kUnknownUser ? std::string() : user;
    item.root = kHKeyCurrentUser;
    item.sid = CurrentUserSid();
    return item;
  }
  // A value of the item's Run key, then the take-over of it.
  static void TakeOver(const RunKeyItem& item) {
    StageRunValue(item.root, item.name, item.command);
    Manager().TakeOverRunItem(item);
  }

  std::string store;
  std::string userStartup;
  std::string commonStartup;
};

}  // namespace lw::test
