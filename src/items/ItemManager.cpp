#include "items/ItemManager.h"

// How the run-key operations keep an item whole. Each move writes the item into its new place
// first and checks it is there, and only then clears the old place. A string write that fails
// raises, so the steps after it are not done and the item is still where it was (possibly in
// both places, which the next take-over pass or the edit window sorts out). Reads of the store
// go through the shared store object of SettingsStore; every write goes through the manager's own
// registry object.

#include <memory>
#include <stdexcept>

#include "store/SettingsStore.h"
#include "ui/Options.h"
#include "util/CurrentUser.h"
#include "util/Error.h"
#include "util/Text.h"

namespace lw {

namespace {

std::unique_ptr<ItemManager>& Instance() {
  static std::unique_ptr<ItemManager> instance;
  return instance;
}

constexpr char kProbeData[] = "test value";

// Whether "RunSort" lists the stored item name (letter case aside, as the classifier reads it).
bool InRunOrder(const std::string& storedName) {
  std::string wanted = LowerCase(storedName);
  std::int32_t count = GetRunSortCount();
  for (std::int32_t index = 0; index < count; ++index) {
    if (LowerCase(GetRunSortName(index)) == wanted) return true;
  }
  return false;
}

void RequireInRunOrder(const std::string& storedName) {
  if (!InRunOrder(storedName)) throw Error("Unable to add " + storedName + " to the run order");
}

std::string ReadStore(const std::string& path, const std::string& name) {
  return SharedRegistry().GetStringAt(kProgramRoot, path, name);
}

// Whether the Run key under root holds the value with exactly that data. A value that cannot be
// read as text is not the one looked for.
bool RunValueHolds(HKey root, const std::string& name, const std::string& data) {
  try {
    return ReadRunKeyValue(root, name) == data;
  } catch (const Error&) {
    return false;
  }
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

std::string RunItemUserPrefix(const RunKeyItem& item) {
  // "UnknownUser" is what the name lookup gives when it fails: such values keep plain names.
  if (item.user.empty() || item.user == kUnknownUser || item.root != kHKeyCurrentUser) {
    return std::string();
  }
  return item.user + "_";
}

std::string StoredItemName(const RunKeyItem& item) { return RunItemUserPrefix(item) + item.name; }

ItemManager::ItemManager() { registry_.SetDefaultRoot(kProgramRoot); }

// --- Run-key items ------------------------------------------------------------------------------

void ItemManager::TakeOverRunItem(const RunKeyItem& item) {
  TakeOverRunItem(item, GetRunItemState(item.name, RunItemUserPrefix(item)));
}

void ItemManager::TakeOverRunItem(const RunKeyItem& item, ItemState state) {
  const std::string prefix = RunItemUserPrefix(item);
  const std::string storedName = prefix + item.name;
  switch (state) {
    case ItemState::kNew: {
      const bool autoDisable = SharedOptions().AutoDisable();
      // The user prefix can make the stored name longer than the registry takes a value name:
      // such an item stays with Windows, excluded, instead of stopping every take-over.
      if (storedName.size() > kMaxValueNameLength || TestRunValue(item.root, item.name)) {
        ExcludeRunItem(item.name);
        return;
      }
      // The command goes into the store before the item joins the run order, and both are in
      // place before the value leaves the Run key: a sort entry without a command would make
      // the next pass treat the value as managed and delete it.
      registry_.PutString(kRunItemsKey, true, storedName, item.command);
      if (autoDisable) {
        // A new item the user wants disabled goes straight to "RunDisabled" (where disabling it
        // would have put it) and never joins the run order on the way, so that no failure
        // half-way can leave it to be started.
        registry_.PutString(kRunDisabledKey, true, storedName, item.command);
      } else if (!AppendSortEntry(kRunSortName, storedName)) {
        // A new item is in no order yet: only a written entry puts it there. (The check costs
        // nothing; a scan of the order would cost a read per managed item.)
        throw Error("Unable to add " + storedName + " to the run order");
      }
      registry_.PutString(kRunLocationKey, true, storedName, item.user);
      registry_.PutInteger(kRunLocationKey, true, storedName + kHKeySuffix, StoredRoot(item.root));
      registry_.TakeStringAt(item.root, kRunKey, item.name);
      return;
    }
    case ItemState::kExcluded:
      ExcludeRunItem(item.name);
      return;
    case ItemState::kDisabled: {
      std::string stored = ReadStore(kRunDisabledKey, storedName);
      if (NamesakeFromOtherRoot(storedName, item, stored)) return;
      if (stored.empty()) registry_.PutString(kRunDisabledKey, true, storedName, item.command);
      DisableRunItem(item.name, prefix);
      return;
    }
    case ItemState::kSorted: {
      // The program wrote itself back into the Run key: the stored command stays as it is,
      // unless the store lost it, in which case this value is the only copy left.
      std::string stored = GetRunCommand(storedName);
      if (NamesakeFromOtherRoot(storedName, item, stored)) return;
      if (stored.empty()) registry_.PutString(kRunItemsKey, true, storedName, item.command);
      registry_.TakeStringAt(item.root, kRunKey, item.name);
      return;
    }
  }
}

bool ItemManager::TestRunValue(HKey root, const std::string& name) {
  std::string original;
  bool touched = false;
  try {
    original = registry_.GetStringAt(root, kRunKey, name);
    registry_.PutStringAt(root, kRunKey, true, name, kProbeData);
    touched = true;  // from here on the value holds the probe or is gone
    // Another program rewrote it at once: it guards the value; leave the value as it stands.
    if (registry_.GetStringAt(root, kRunKey, name) != kProbeData) return true;
    registry_.TakeStringAt(root, kRunKey, name);
    std::string afterDelete = registry_.GetStringAt(root, kRunKey, name);
    registry_.PutStringAt(root, kRunKey, true, name, original);
    return !afterDelete.empty();
  } catch (const Error&) {
    // A probe cut short must not leave the value holding the probe, or gone.
    if (touched && !original.empty()) {
      try {
        registry_.PutStringAt(root, kRunKey, true, name, original);
      } catch (const Error&) {
      }
    }
    return true;
  }
}

void ItemManager::ExcludeRunItem(const std::string& name) {
  registry_.PutString(kRunExcludeKey, true, name, kExcludeMark);
  std::string command = ReadStore(kRunItemsKey, name);
  if (command.empty()) return;
  // Back into the machine's Run key before the store lets go of it. A command line that the
  // program wrote there itself since it was taken over is its current one (an update may have
  // moved it) and stays as it is.
  if (ReadRunKeyText(kHKeyLocalMachine, name).empty()) {
    registry_.PutStringAt(kHKeyLocalMachine, kRunKey, true, name, command);
  }
  registry_.RemoveValue(kRunItemsKey, name);
  RebuildRunSort();
  registry_.TakeString(kRunDisabledKey, name);
}

void ItemManager::DisableRunItem(const std::string& name, const std::string& userPrefix) {
  const std::string storedName = userPrefix + name;
  std::string command = GetRunCommand(storedName);
  if (!command.empty()) {
    registry_.PutString(kRunDisabledKey, true, storedName, command);
    std::int32_t count = GetRunSortCount();
    for (std::int32_t index = 0; index < count; ++index) {
      if (GetRunSortName(index) == storedName) {
        registry_.RemoveValue(kRunSortKey, std::to_string(index));
      }
    }
  }
  // The item's value leaves the Run key of the root it belongs to. A value of that name in the
  // other root's Run key is another program's item unless it holds this item's command. When
  // the store holds no command at all, the system value is the item's only copy and stays.
  std::string known = command.empty() ? ReadStore(kRunDisabledKey, storedName) : command;
  if (!known.empty()) {
    // The root the item came from, when it was recorded; else the one its name tells (with the
    // user's name unknown, a plain name may be either).
    const std::int32_t recorded = GetRunLocationHKey(storedName);
    const bool machineItem =
        recorded == -1 ? userPrefix.empty() : recorded == StoredRoot(kHKeyLocalMachine);
    const bool userItem = userPrefix == CurrentUserPrefix() &&
                          (recorded == -1 || recorded == StoredRoot(kHKeyCurrentUser));
    for (HKey root : {kHKeyLocalMachine, kHKeyCurrentUser}) {
      bool own = root == kHKeyLocalMachine ? machineItem : userItem;
      if (own || RunValueHolds(root, name, known)) registry_.RemoveValueAt(root, kRunKey, name);
    }
  }
  RebuildRunSort();
}

void ItemManager::EnableRunItem(const std::string& storedName) {
  std::string command = ReadStore(kRunDisabledKey, storedName);
  if (!command.empty()) {
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
  std::string command = registry_.GetStringAt(root, kRunKey, name);
  if (!command.empty()) {
    registry_.PutString(kRunItemsKey, true, storedName, command);
    AppendSortEntry(kRunSortName, storedName);
    RebuildRunSort();
    RequireInRunOrder(storedName);
    registry_.RemoveValueAt(root, kRunKey, name);
  }
  registry_.TakeString(kRunExcludeKey, name);
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
