#include "store/SettingsStore.h"

#include "store/HeldSortOrders.h"
#include "util/Error.h"
#include "util/Text.h"

#include <algorithm>
#include <memory>
#include <stdexcept>

namespace lw {

namespace {

struct SettingsStoreState {
  std::unique_ptr<Registry> registry;
  std::int32_t lowestCPU = 100;
  std::int32_t highestCPU = 0;
};

SettingsStoreState& State() {
  static SettingsStoreState state;
  return state;
}

std::string SubKeyPath(const std::string& name) { return std::string(kProgramKey) + "\\" + name; }

// A sort entry's name: decimal digits only, as the lists write them.
bool TryParseIndex(const std::string& name, std::int32_t* index) {
  if (name.empty() || name.size() > 9) return false;
  std::int32_t value = 0;
  for (char c : name) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  *index = value;
  return true;
}

std::int32_t ReadIntegerOrZero(HKey root, const std::string& path, const std::string& name) {
  std::int32_t value = 0;
  SharedRegistry().GetIntegerIfPresentAt(root, path, name, value);
  return value;
}

bool HasValue(const std::string& path, const std::string& name) {
  return SharedRegistry().ValueExistsAt(kProgramRoot, path, name);
}

// Rewrites a sort list with its entries "0".."count-1" (missing ones as empty entries); false,
// with nothing changed, when one of them cannot be read as text.
bool RewriteSortList(Registry& reg, const std::string& sortKeyName, std::int32_t count) {
  const std::string path = SubKeyPath(sortKeyName);
  std::vector<std::string> entries;
  try {
    for (std::int32_t index = 0; index < count; ++index) {
      entries.push_back(reg.GetString(path, std::to_string(index)));
    }
  } catch (const Error&) {
    return false;
  }
  SaveSortOrder(reg, sortKeyName, entries);
  return true;
}

std::int32_t StoredSortCount(const std::string& path) {
  std::int32_t count = ReadIntegerOrZero(kProgramRoot, path, kSortIndexValue);
  return count < 0 ? 0 : count;
}

// The order as a held copy (see HeldSortOrders), loaded on first use; null when none is held.
const std::vector<held_orders::Entry>* HeldOrder(const std::string& sortKeyName) {
  if (!held_orders::Holding(sortKeyName)) return nullptr;
  if (const auto* held = held_orders::Find(sortKeyName)) return held;
  const std::string path = SubKeyPath(sortKeyName);
  std::vector<held_orders::Entry> entries(static_cast<std::size_t>(StoredSortCount(path)));
  for (std::size_t index = 0; index < entries.size(); ++index) {
    try {
      entries[index].text = SharedRegistry().GetStringAt(kProgramRoot, path, std::to_string(index));
    } catch (const Error& error) {
      entries[index].error = error.what();
    }
  }
  held_orders::Keep(sortKeyName, std::move(entries));
  return held_orders::Find(sortKeyName);
}

std::int32_t SortCount(const std::string& sortKeyName) {
  if (const auto* held = HeldOrder(sortKeyName)) return static_cast<std::int32_t>(held->size());
  return StoredSortCount(SubKeyPath(sortKeyName));
}

// Entry index of the order; empty when missing. An entry that cannot be read as text raises,
// held or not.
std::string SortEntry(const std::string& sortKeyName, std::int32_t index) {
  const auto* held = HeldOrder(sortKeyName);
  if (held == nullptr) {
    return SharedRegistry().GetStringAt(kProgramRoot, SubKeyPath(sortKeyName),
                                        std::to_string(index));
  }
  if (index < 0 || static_cast<std::size_t>(index) >= held->size()) return std::string();
  const held_orders::Entry& entry = (*held)[static_cast<std::size_t>(index)];
  if (!entry.error.empty()) throw Error(entry.error);
  return entry.text;
}

}  // namespace

// --- Unit life --------------------------------------------------------------------------------

void InitializeSettingsStore() {
  SettingsStoreState& state = State();
  state.registry = std::make_unique<Registry>();
  state.registry->SetDefaultRoot(kProgramRoot);
  state.lowestCPU = 100;
  state.highestCPU = 0;
}

void FinalizeSettingsStore() { State().registry.reset(); }

Registry& SharedRegistry() {
  if (!State().registry) throw std::logic_error("the settings store is not initialised");
  return *State().registry;
}

std::int32_t LowestCPUFigure() { return State().lowestCPU; }
std::int32_t HighestCPUFigure() { return State().highestCPU; }

void NoteCPUFigure(std::int32_t figure) {
  SettingsStoreState& state = State();
  if (figure < state.lowestCPU) state.lowestCPU = figure;
  if (figure > state.highestCPU) state.highestCPU = figure;
}

// --- Install flag ------------------------------------------------------------------------------

bool IsProbeLeftover(const std::string& name, const std::string& data) {
  return name == kProbeValue || (name == kOldProbeValue && data == kOldProbeValue);
}

void MarkInstalled() {
  SharedRegistry().PutStringAt(kProgramRoot, kProgramKey, true, kIsInstalledValue,
                               kIsInstalledData);
}

bool IsInstalledMarked() {
  return !SharedRegistry().GetStringAt(kProgramRoot, kProgramKey, kIsInstalledValue).empty();
}

void ClearInstalled() {
  SharedRegistry().TakeStringAt(kProgramRoot, kProgramKey, kIsInstalledValue);
}

// --- Priorities and origins -------------------------------------------------------------------

std::int32_t GetPriority(const std::string& itemKey, std::int32_t defaultValue) {
  return SharedRegistry().GetIntegerOrCreateAt(kProgramRoot, kPriorityKey, itemKey, defaultValue);
}

void SetPriority(const std::string& itemKey, std::int32_t priorityClass) {
  SharedRegistry().PutIntegerAt(kProgramRoot, kPriorityKey, true, itemKey, priorityClass);
}

void SetStartupLocation(const std::string& storePath, const std::string& folder) {
  SharedRegistry().PutStringAt(kProgramRoot, kStartupLocationKey, true, storePath, folder);
}

std::string GetStartupLocation(const std::string& storePath) {
  return SharedRegistry().GetStringAt(kProgramRoot, kStartupLocationKey, storePath);
}

void SetRunLocation(const std::string& storedName, const std::string& user) {
  SharedRegistry().PutStringAt(kProgramRoot, kRunLocationKey, true, storedName, user);
}

void SetRunLocationHKey(const std::string& storedName, HKey root) {
  SharedRegistry().PutIntegerAt(kProgramRoot, kRunLocationKey, true, storedName + kHKeySuffix,
                                StoredRoot(root));
}

std::int32_t GetRunLocationHKey(const std::string& storedName) {
  return SharedRegistry().GetIntegerAt(kProgramRoot, kRunLocationKey, storedName + kHKeySuffix);
}

std::int32_t GetRunLocationView(const std::string& storedName) {
  return SharedRegistry().GetIntegerAt(kProgramRoot, kRunLocationKey, storedName + kViewSuffix);
}

std::string GetRunLocation(const std::string& storedName) {
  return SharedRegistry().GetStringAt(kProgramRoot, kRunLocationKey, storedName);
}

void SetRunLocationSid(const std::string& storedName, const std::string& sid) {
  SharedRegistry().PutStringAt(kProgramRoot, kRunLocationKey, true, storedName + kSidSuffix, sid);
}

std::string GetRunLocationSid(const std::string& storedName) {
  return SharedRegistry().GetStringAt(kProgramRoot, kRunLocationKey, storedName + kSidSuffix);
}

// --- Auto-tune (per user) ---------------------------------------------------------------------

std::int32_t GetHighCPUStat() {
  return ReadIntegerOrZero(kPerUserRoot, kAutoTuneKey, kHighCPUStatValue);
}

void SaveCPUStats() {
  Registry& reg = SharedRegistry();
  reg.PutIntegerAt(kPerUserRoot, kAutoTuneKey, true, kLowCPUStatValue, LowestCPUFigure());
  reg.PutIntegerAt(kPerUserRoot, kAutoTuneKey, true, kHighCPUStatValue, HighestCPUFigure());
}

std::int32_t GetAutoTune(const std::string& name) {
  return ReadIntegerOrZero(kPerUserRoot, kAutoTuneKey, name);
}

std::int32_t BlendAutoTune(std::int32_t previous, std::int32_t sample) {
  // In whole numbers: sample * 0.6 + previous * 0.4 in floating point can land just below a
  // whole result and truncate one too low.
  std::int64_t blended =
      (static_cast<std::int64_t>(sample) * 6 + static_cast<std::int64_t>(previous) * 4) / 10;
  std::int32_t figure = static_cast<std::int32_t>(blended);
  NoteCPUFigure(figure);
  return figure;
}

void UpdateAutoTune(Registry& reg, const std::string& name, std::int32_t sample) {
  const std::int32_t figure = BlendAutoTune(GetAutoTune(name), sample);
  reg.PutIntegerAt(kPerUserRoot, kAutoTuneKey, true, name, figure);
}

void SetAutoTunePrevious(Registry& reg, const std::string& name, std::int32_t value) {
  reg.PutIntegerAt(kPerUserRoot, kAutoTuneKey, true, name + kPreviousSuffix, value);
}

std::int32_t GetAutoTunePrevious(const std::string& name) {
  return GetAutoTune(name + kPreviousSuffix);
}

// --- Pauses -----------------------------------------------------------------------------------

std::int32_t GetTunedDelay(const std::string& itemKey) {
  return ReadIntegerOrZero(kPerUserRoot, kCustomDelaysKey, itemKey + kTunedSuffix);
}

std::int32_t StoredTunedDelay(std::int32_t milliseconds) {
  return milliseconds > 1000 ? milliseconds - 100 : milliseconds;
}

void SetTunedDelay(Registry& reg, const std::string& itemKey, std::int32_t milliseconds) {
  reg.PutIntegerAt(kPerUserRoot, kCustomDelaysKey, true, itemKey + kTunedSuffix,
                   StoredTunedDelay(milliseconds));
}

std::int32_t GetCustomDelay(const std::string& itemKey) {
  return ReadIntegerOrZero(kProgramRoot, kCustomDelaysKey, itemKey);
}

void SetCustomDelay(const std::string& itemKey, std::int32_t milliseconds) {
  SharedRegistry().PutIntegerAt(kProgramRoot, kCustomDelaysKey, true, itemKey, milliseconds);
}

void DeleteCustomDelay(const std::string& itemKey) {
  SharedRegistry().RemoveValueAt(kProgramRoot, kCustomDelaysKey, itemKey);
}

// --- Classification ---------------------------------------------------------------------------

std::string ReadRunKeyValue(HKey root, const std::string& valueName, std::uint32_t view) {
  ScopedRegistryView inView(SharedRegistry(), view);
  return SharedRegistry().GetStringAt(root, kRunKey, valueName);
}

std::string ReadRunKeyText(HKey root, const std::string& valueName, std::uint32_t view) {
  try {
    return ReadRunKeyValue(root, valueName, view);
  } catch (const Error&) {
    return std::string();
  }
}

namespace {

std::vector<std::string> SplitExcludeOwners(const std::string& marks) {
  std::vector<std::string> owners;
  std::size_t start = 0;
  while (start <= marks.size()) {
    std::size_t end = marks.find(kExcludeOwnerSeparator, start);
    if (end == std::string::npos) end = marks.size();
    if (end > start) owners.push_back(marks.substr(start, end - start));
    start = end + 1;
  }
  return owners;
}

bool HoldsOwner(const std::vector<std::string>& owners, const std::string& owner) {
  return std::any_of(owners.begin(), owners.end(),
                     [&](const std::string& one) { return SameText(one, owner); });
}

std::string JoinExcludeOwners(const std::vector<std::string>& owners) {
  std::string marks;
  for (const std::string& owner : owners) {
    if (!marks.empty()) marks += kExcludeOwnerSeparator;
    marks += owner;
  }
  return marks;
}

}  // namespace

std::vector<std::string> RunExcludeOwners(const std::string& valueName) {
  if (!HasValue(kRunExcludeKey, valueName)) return {};
  std::vector<std::string> owners;
  try {
    owners =
        SplitExcludeOwners(SharedRegistry().GetStringAt(kProgramRoot, kRunExcludeKey, valueName));
  } catch (const Error&) {
  }
  // A mark without readable data still leaves the value to Windows, as it always did.
  if (owners.empty()) owners.push_back(kExcludeMark);
  return owners;
}

std::string WithExcludeOwner(const std::string& marks, const std::string& owner) {
  std::vector<std::string> owners = SplitExcludeOwners(marks);
  if (HoldsOwner(owners, kExcludeMark)) return kExcludeMark;
  if (!HoldsOwner(owners, owner)) owners.push_back(owner);
  return JoinExcludeOwners(owners);
}

std::string WithoutExcludeOwner(const std::string& marks, const std::string& owner) {
  std::vector<std::string> owners = SplitExcludeOwners(marks);
  if (HoldsOwner(owners, kExcludeMark)) return std::string();
  owners.erase(std::remove_if(owners.begin(), owners.end(),
                              [&](const std::string& one) { return SameText(one, owner); }),
               owners.end());
  return JoinExcludeOwners(owners);
}

bool RunItemExcluded(const std::string& valueName, const std::string& owner) {
  if (valueName == kSelfRunValue) return true;
  const std::vector<std::string> owners = RunExcludeOwners(valueName);
  if (owners.empty()) return false;
  return owner.empty() || HoldsOwner(owners, kExcludeMark) || HoldsOwner(owners, owner);
}

ItemState GetRunItemState(const std::string& valueName, const std::string& userPrefix,
                          const std::string& excludeOwner) {
  ItemState state =
      RunItemExcluded(valueName, excludeOwner) ? ItemState::kExcluded : ItemState::kNew;
  std::string storedName = userPrefix + valueName;
  if (HasValue(kRunDisabledKey, storedName)) state = ItemState::kDisabled;
  std::string wanted = LowerCase(storedName);
  std::int32_t count = GetRunSortCount();
  for (std::int32_t index = 0; index < count; ++index) {
    if (LowerCase(GetRunSortName(index)) == wanted) return ItemState::kSorted;
  }
  return state;
}

bool StartupItemExcluded(const std::string& fileName) {
  return HasValue(kStartupExcludeKey, fileName);
}

ItemState GetStartupItemState(const std::string& fileName) {
  ItemState state = StartupItemExcluded(fileName) ? ItemState::kExcluded : ItemState::kNew;
  std::string wanted = LowerCase(ExtractFileName(fileName));
  std::int32_t count = GetStartupSortCount();
  for (std::int32_t index = 0; index < count; ++index) {
    std::string entry = GetStartupSortEntry(index);
    if (LowerCase(ExtractFileName(entry)) == wanted) {
      state = ItemState::kSorted;
      break;
    }
  }
  if (HasValue(kStartupDisableKey, fileName)) state = ItemState::kDisabled;
  return state;
}

bool IsNewRunItem(const std::string& storedName) { return HasValue(kRunNewItemsKey, storedName); }

bool IsNewStartupItem(const std::string& fileName) { return HasValue(kStartupNewKey, fileName); }

// --- Orders -----------------------------------------------------------------------------------

std::int32_t GetRunSortCount() { return SortCount(kRunSortName); }

std::int32_t GetStartupSortCount() { return SortCount(kStartupSortName); }

bool RunOrderHolds(const std::string& storedName) {
  const std::int32_t count = GetRunSortCount();
  for (std::int32_t index = 0; index < count; ++index) {
    if (SameText(GetRunSortName(index), storedName)) return true;
  }
  return false;
}

bool StartupOrderHolds(const std::string& path) {
  const std::int32_t count = GetStartupSortCount();
  for (std::int32_t index = 0; index < count; ++index) {
    if (SameText(GetStartupSortEntry(index), path)) return true;
  }
  return false;
}

std::string GetRunSortName(std::int32_t index) { return SortEntry(kRunSortName, index); }

std::string GetStartupSortEntry(std::int32_t index) { return SortEntry(kStartupSortName, index); }

std::string GetRunSortCommand(std::int32_t index) {
  std::string name = GetRunSortName(index);
  return name.empty() ? std::string() : GetRunCommand(name);
}

std::string GetRunCommand(const std::string& storedName) {
  return SharedRegistry().GetStringAt(kProgramRoot, kRunItemsKey, storedName);
}

namespace {

// The append itself; *slot is the index the entry went to.
bool AppendToSortList(Registry& reg, const std::string& sortKeyName, const std::string& entry,
                      std::int32_t* slotIndex) {
  std::string path = SubKeyPath(sortKeyName);
  std::int32_t count = 0;
  reg.GetIntegerIfPresent(path, kSortIndexValue, count);
  std::string slot = std::to_string(count);
  if (reg.ValueExistsAt(reg.DefaultRoot(), path, slot)) {
    // A value already sits where the entry goes (left by a crash or by another program). Past
    // the count, no reader sees it: the list is rewritten with the entries it holds, which
    // clears it away, and the entry goes after them. Refusing would refuse every later append
    // too, and with it every take-over.
    if (!RewriteSortList(reg, sortKeyName, count)) return false;
    reg.GetIntegerIfPresent(path, kSortIndexValue, count);
    slot = std::to_string(count);
    if (reg.ValueExistsAt(reg.DefaultRoot(), path, slot)) return false;
  }
  // The count goes first. Should writing the entry then fail, the list has a gap, which every
  // reader skips; an entry written past the count would instead sit in the next free slot and
  // refuse every later append.
  reg.PutInteger(path, true, kSortIndexValue, count + 1);
  std::int32_t written = -1;
  if (!reg.GetIntegerIfPresent(path, kSortIndexValue, written) || written != count + 1) {
    throw Error("Unable to open : " + path);
  }
  *slotIndex = count;
  reg.PutString(path, true, slot, entry);
  return true;
}

}  // namespace

// A held copy of the order (see HeldSortOrders) learns the entry; after a failure half-way it
// is dropped, and the next reader loads what the registry holds.
bool AppendSortEntry(Registry& reg, const std::string& sortKeyName, const std::string& entry) {
  std::int32_t slot = -1;
  try {
    const bool appended = AppendToSortList(reg, sortKeyName, entry, &slot);
    if (!appended || reg.DefaultRoot() != kProgramRoot) {
      held_orders::Drop(sortKeyName);
    } else {
      held_orders::Written(sortKeyName, slot, entry);
    }
    return appended;
  } catch (...) {
    held_orders::Drop(sortKeyName);
    throw;
  }
}

bool AppendSortEntry(const std::string& sortKeyName, const std::string& entry) {
  return AppendSortEntry(SharedRegistry(), sortKeyName, entry);
}

// The list is rewritten in place rather than by deleting the key and writing it afresh: should
// a write fail half-way, every entry of the old list that the new one keeps is still listed
// (at its old place or its new one), where a fresh key would have lost the whole tail. When it
// is done, the key holds exactly the new entries and the count, as a fresh key would.
void SaveSortOrder(Registry& reg, const std::string& sortKeyName,
                   const std::vector<std::string>& entries) {
  // A rewrite may keep emptied entries past the new ones: the next reader loads the result.
  held_orders::Drop(sortKeyName);
  std::string path = SubKeyPath(sortKeyName);
  std::int32_t size = static_cast<std::int32_t>(entries.size());
  std::int32_t oldCount = 0;
  reg.GetIntegerIfPresent(path, kSortIndexValue, oldCount);
  // A longer list: the count first, so that no entry is ever written past it.
  if (size > oldCount) reg.PutInteger(path, true, kSortIndexValue, size);
  for (std::int32_t index = 0; index < size; ++index) {
    reg.PutString(path, true, std::to_string(index), entries[static_cast<std::size_t>(index)]);
  }
  std::vector<std::string> keep;
  for (std::int32_t index = 0; index < size; ++index) keep.push_back(std::to_string(index));
  keep.push_back(kSortIndexValue);
  std::vector<std::string> names;
  reg.ListValueNames(path, names);
  for (const std::string& name : names) {
    if (std::find(keep.begin(), keep.end(), name) == keep.end()) reg.RemoveValue(path, name);
  }
  std::vector<std::string> subKeys;
  reg.ListKeyNames(path, subKeys);
  reg.SetRootKey(reg.DefaultRoot());
  for (const std::string& subKey : subKeys) reg.DeleteKey(path + "\\" + subKey);
  reg.CloseKey();
  // An old entry that could not be deleted is emptied (readers skip empty entries) and kept
  // within the count: an entry at or past the count would refuse every later append.
  std::int32_t count = size;
  reg.ListValueNames(path, names);
  for (const std::string& name : names) {
    std::int32_t index = 0;
    if (std::find(keep.begin(), keep.end(), name) != keep.end() || !TryParseIndex(name, &index)) {
      continue;
    }
    try {
      reg.PutString(path, false, name, std::string());
    } catch (const Error&) {
      // Left as it was; listed twice until the next rewrite, which is better than never.
    }
    count = std::max(count, index + 1);
  }
  reg.PutInteger(path, true, kSortIndexValue, count);
}

void RemoveSortEntry(Registry& reg, const std::string& sortKeyName, std::int32_t index) {
  held_orders::Drop(sortKeyName);
  reg.RemoveValue(SubKeyPath(sortKeyName), std::to_string(index));
}

void SaveSortOrder(const std::string& sortKeyName, const std::vector<std::string>& entries) {
  SaveSortOrder(SharedRegistry(), sortKeyName, entries);
}

bool GetFormValue(Registry& reg, const std::string& name, std::int32_t& value) {
  std::int32_t stored = reg.GetInteger(kProgramKey, name);
  if (stored == -1) return false;
  value = stored;
  return true;
}

}  // namespace lw
