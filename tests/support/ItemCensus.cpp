#include "support/ItemCensus.h"

#include <algorithm>
#include <functional>

#include "platform/Platform.h"
#include "store/SettingsStore.h"
#include "support/RawRegistry.h"
#include "util/SpecialFolders.h"
#include "util/Text.h"

namespace lw::test {

namespace {

struct RunPlace {
  HKey root;
  std::string key;
  std::uint32_t view = 0;
};

std::vector<RunPlace> RunPlaces() {
  return {
      {kHKeyLocalMachine, SeamPath(kRunKey)},
      {kHKeyCurrentUser, SeamPath(kRunKey)},
      {kHKeyLocalMachine, SeamPath(kRunItemsKey)},
      {kHKeyLocalMachine, SeamPath(kRunDisabledKey)},
  };
}

std::string TextOf(HKey root, const std::string& key, const std::string& name) {
  std::uint32_t type = 0;
  std::string bytes;
  if (!GetRaw(root, key, name, &type, &bytes)) return std::string();
  if (type != kRegSz && type != kRegExpandSz) return std::string();
  return bytes.substr(0, bytes.find('\0'));
}

std::vector<std::string> Folders(const std::vector<std::string>& extraFolders) {
  std::vector<std::string> folders;
  const SpecialFolders& paths = SharedSpecialFolders();
  std::vector<std::string> all{paths.GetUserStartupFolder(), paths.GetCommonStartupFolder(),
                               paths.GetAltStartupFolder(), GetShortcutStoreFolder()};
  all.insert(all.end(), extraFolders.begin(), extraFolders.end());
  for (const std::string& folder : all) {
    if (folder.empty()) continue;
    std::string withSlash = IncludeTrailingBackslash(folder);
    bool known = std::any_of(folders.begin(), folders.end(),
                             [&](const std::string& each) { return SameText(each, withSlash); });
    if (!known) folders.push_back(withSlash);
  }
  return folders;
}

std::vector<CensusFile> FilesIn(const std::string& folder) {
  std::vector<CensusFile> files;
  FindData data;
  Handle find = Files().FindFirstFile(folder + "*", &data);
  if (find == kInvalidHandle) return files;
  do {
    if ((data.attributes & kFileAttributeDirectory) != 0) continue;
    files.push_back({folder, data.fileName, ReadWholeFile(folder + data.fileName)});
  } while (Files().FindNextFile(find, &data));
  Files().FindClose(find);
  return files;
}

// The name without the mark a value of the machine's 64-bit view carries in the store.
std::string WithoutViewMark(const std::string& name) {
  const std::string mark = kView64Mark;
  if (name.size() > mark.size() && SameText(name.substr(name.size() - mark.size()), mark))
    return name.substr(0, name.size() - mark.size());
  return name;
}

// "bob_Tool" stands for "Tool" and the reverse: a user's item keeps its prefix in the store;
// "Tray (64-bit)" stands for "Tray" of the 64-bit view.
bool SameItemName(const std::string& marked, const std::string& other) {
  const std::string a = WithoutViewMark(marked), b = WithoutViewMark(other);
  if (SameText(a, b)) return true;
  auto prefixed = [](const std::string& longer, const std::string& shorter) {
    std::string tail = "_" + shorter;
    return longer.size() > tail.size() &&
           SameText(longer.substr(longer.size() - tail.size()), tail);
  };
  return prefixed(a, b) || prefixed(b, a);
}

std::string Describe(const CensusValue& value) {
  std::string data = value.data.size() > 60 ? value.data.substr(0, 60) + "..." : value.data;
  const char* root = value.root == kHKeyLocalMachine ? "HKEY_LOCAL_MACHINE\\"
                     : value.root == kHKeyUsers      ? "HKEY_USERS\\"
                                                     : "HKEY_CURRENT_USER\\";
  return root + value.key + "\\" + value.name + " = \"" + data + "\"";
}

// The entries "0".."SortIndex - 1" of a sort list.
std::vector<std::string> SortEntries(const std::string& key) {
  std::vector<std::string> entries;
  std::int64_t count = RawDword(kHKeyLocalMachine, key, kSortIndexValue, 0);
  for (std::int64_t index = 0; index < count; ++index) {
    entries.push_back(TextOf(kHKeyLocalMachine, key, std::to_string(index)));
  }
  return entries;
}

bool Listed(const CensusValue& value, const std::vector<std::string>& runOrder) {
  // Any Run key of Windows (the next take-over pass of its account finds it) and "RunDisabled".
  if (value.root != kHKeyLocalMachine || value.key != SeamPath(kRunItemsKey)) return true;
  return std::any_of(runOrder.begin(), runOrder.end(),
                     [&](const std::string& entry) { return SameText(entry, value.name); });
}

bool Listed(const CensusFile& file, const std::vector<std::string>& startupOrder) {
  if (!SameText(file.folder, IncludeTrailingBackslash(GetShortcutStoreFolder()))) return true;
  if (RawValueExists(kHKeyLocalMachine, kStartupDisableKey, file.name)) return true;
  return std::any_of(startupOrder.begin(), startupOrder.end(), [&](const std::string& entry) {
    return SameText(ExtractFileName(entry), file.name);
  });
}

// Every item of before that has no counterpart in now for which accept() holds, one line each.
std::string Missing(const ItemCensus& before, const ItemCensus& now,
                    const std::function<bool(const CensusValue&)>& acceptValue,
                    const std::function<bool(const CensusFile&)>& acceptFile) {
  std::string missing;
  for (const CensusValue& value : before.runValues) {
    bool found = std::any_of(now.runValues.begin(), now.runValues.end(), [&](const auto& each) {
      return each.data == value.data && SameItemName(each.name, value.name) && acceptValue(each);
    });
    if (!found) missing += "\n  run item " + Describe(value);
  }
  for (const CensusFile& file : before.files) {
    bool found = std::any_of(now.files.begin(), now.files.end(), [&](const auto& each) {
      return each.content == file.content && SameText(each.name, file.name) && acceptFile(each);
    });
    if (!found) missing += "\n  file " + file.folder + file.name;
  }
  return missing;
}

}  // namespace

ItemCensus TakeItemCensus(const std::vector<CensusRunKey>& extraRunKeys,
                          const std::vector<std::string>& extraFolders) {
  ItemCensus census;
  std::vector<RunPlace> places = RunPlaces();
  for (const CensusRunKey& extra : extraRunKeys)
    places.push_back({extra.root, extra.key, extra.view});
  for (const RunPlace& place : places) {
    InRawView inView(place.view);
    for (const std::string& name : RawValueNames(place.root, place.key)) {
      if (TrimBlanks(name).empty() || name == kSelfRunValue) continue;
      std::string data = TextOf(place.root, place.key, name);
      if (data.empty()) continue;
      census.runValues.push_back({place.root, place.key, name, data, place.view});
    }
  }
  for (const std::string& folder : Folders(extraFolders)) {
    for (CensusFile& file : FilesIn(folder)) census.files.push_back(std::move(file));
  }
  return census;
}

::testing::AssertionResult NothingLost(const ItemCensus& before,
                                       const std::vector<CensusRunKey>& extraRunKeys,
                                       const std::vector<std::string>& extraFolders) {
  std::string lost = Missing(
      before, TakeItemCensus(extraRunKeys, extraFolders), [](const CensusValue&) { return true; },
      [](const CensusFile&) { return true; });
  if (lost.empty()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "lost:" << lost;
}

std::vector<std::string> RunValueChanges(const ItemCensus& before, const ItemCensus& now) {
  auto same = [](const CensusValue& a, const CensusValue& b) {
    return a.root == b.root && SameText(a.key, b.key) && a.view == b.view &&
           SameText(a.name, b.name) && a.data == b.data;
  };
  auto describe = [](const CensusValue& value) {
    return Describe(value) + (value.view == kKeyWow64_64Key ? " (64-bit view)" : "");
  };
  auto inStore = [](const CensusValue& value) {
    return value.key == SeamPath(kRunItemsKey) || value.key == SeamPath(kRunDisabledKey);
  };
  std::vector<std::string> changes;
  for (const CensusValue& value : before.runValues) {
    if (!inStore(value) && std::none_of(now.runValues.begin(), now.runValues.end(),
                                        [&](const CensusValue& each) { return same(each, value); }))
      changes.push_back("- " + describe(value));
  }
  for (const CensusValue& value : now.runValues) {
    if (!inStore(value) && std::none_of(before.runValues.begin(), before.runValues.end(),
                                        [&](const CensusValue& each) { return same(each, value); }))
      changes.push_back("+ " + describe(value));
  }
  return changes;
}

::testing::AssertionResult EveryItemListed(const ItemCensus& before,
                                           const std::vector<CensusRunKey>& extraRunKeys,
                                           const std::vector<std::string>& extraFolders) {
  const std::vector<std::string> runOrder = SortEntries(SeamPath(kRunSortKey));
  const std::vector<std::string> startupOrder = SortEntries(SeamPath(kStartupSortKey));
  std::string hidden = Missing(
      before, TakeItemCensus(extraRunKeys, extraFolders),
      [&](const CensusValue& value) { return Listed(value, runOrder); },
      [&](const CensusFile& file) { return Listed(file, startupOrder); });
  if (hidden.empty()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "kept but in no list:" << hidden;
}

}  // namespace lw::test
