// What the edit window needs of the item manager beyond the moves between states: where an
// excluded item lives, and a new item of the user's own.
//
// An excluded item is marked by its plain value name and its owner (the machine, or an
// account's SID; everybody for marks written before owners were kept); the records of where
// stored items came from ("RunLocation", kept when an item is excluded) give an account's user
// name and hive, and the Run keys themselves tell the rest.

#include <utility>
#include <vector>

#include "items/ItemManager.h"
#include "store/SettingsStore.h"
#include "util/CommandLine.h"
#include "util/CurrentUser.h"
#include "util/Error.h"
#include "util/Text.h"
#include "util/WindowsBitness.h"

namespace lw {

namespace {

// The origins recorded for stored items of that value name: the current user's first.
std::vector<RunOrigin> RecordedOrigins(const std::string& valueName) {
  std::vector<RunOrigin> origins;
  const std::string prefix = CurrentUserPrefix();
  auto add = [&](const std::string& storedName) {
    if (GetRunLocationHKey(storedName) != -1) origins.push_back(RunItemOrigin(storedName));
  };
  if (!prefix.empty()) add(prefix + valueName);
  add(valueName);
  std::vector<std::string> names;
  SharedRegistry().ListValueNamesAt(kProgramRoot, kRunLocationKey, names);
  const std::string suffix = "_" + valueName;
  for (const std::string& name : names) {
    if (name.size() <= suffix.size() ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
      continue;
    }
    const std::string user = name.substr(0, name.size() - suffix.size());
    if (GetRunLocationHKey(name) != StoredRoot(kHKeyCurrentUser) ||
        !SameText(GetRunLocation(name), user) ||
        (SameText(user + "_", prefix) && IsCurrentAccountsItem(name))) {
      continue;
    }
    origins.push_back(RunItemOrigin(name));
  }
  return origins;
}

}  // namespace

RunOrigin ExcludedRunItemOrigin(const std::string& valueName, StringValue* command) {
  std::vector<RunOrigin> candidates = RecordedOrigins(valueName);
  if (HasView64Mark(valueName) && IsWindows64()) {
    candidates.push_back(
        {kHKeyLocalMachine, "", WithoutView64Mark(valueName), kKeyWow64_64Key, ""});
  }
  candidates.push_back({kHKeyLocalMachine, "", valueName, 0, ""});
  candidates.push_back({kHKeyCurrentUser, "", valueName, 0, ""});
  for (const RunOrigin& origin : candidates) {
    StringValue found;
    try {
      found = SharedItemManager().ReadOriginRunValue(origin);
    } catch (const Error&) {
      continue;  // a hive that cannot be mounted now: the item may still be elsewhere
    }
    if (!found.text.empty()) {
      if (command != nullptr) *command = found;
      return origin;
    }
  }
  if (command != nullptr) *command = StringValue{};
  return candidates.front();
}

namespace {

StringValue ReadTolerant(const RunOrigin& origin) {
  try {
    return SharedItemManager().ReadOriginRunValue(origin);
  } catch (const Error&) {
    return StringValue{};  // a hive that cannot be mounted now
  }
}

ExcludedRunItem OwnersExclusion(const std::string& name, const std::string& owner) {
  ExcludedRunItem item{name, name, owner, {}, {}};
  if (SameText(owner, kExcludeMark)) {
    item.origin = ExcludedRunItemOrigin(name, &item.command);
    return item;
  }
  if (SameText(owner, kMachineExcludeOwner)) {
    const bool view64 = HasView64Mark(name) && IsWindows64();
    item.origin = {kHKeyLocalMachine, "", view64 ? WithoutView64Mark(name) : name,
                   view64 ? kKeyWow64_64Key : 0u, ""};
  } else if (SameText(owner, CurrentUserSid())) {
    item.origin = {kHKeyCurrentUser, "", name, 0, owner};
  } else {
    // Another account's: its user name and hive as recorded for its stored item.
    item.origin = {kHKeyCurrentUser, "", name, 0, owner};
    item.caption = owner + "_" + name;
    for (const RunOrigin& recorded : RecordedOrigins(name)) {
      if (recorded.root == kHKeyCurrentUser && SameText(recorded.sid, owner)) {
        item.origin = recorded;
        if (!recorded.user.empty()) item.caption = recorded.user + "_" + name;
        break;
      }
    }
  }
  item.command = ReadTolerant(item.origin);
  return item;
}

}  // namespace

std::vector<ExcludedRunItem> ExcludedRunItemsOf(const std::string& excludeName) {
  std::vector<ExcludedRunItem> items;
  const std::vector<std::string> owners = RunExcludeOwners(excludeName);
  for (const std::string& owner : owners) items.push_back(OwnersExclusion(excludeName, owner));
  // The user's own row goes by the plain name, as it always did, unless the machine's exclusion
  // of that name takes it: then it goes by the user's stored name.
  if (owners.size() > 1) {
    for (ExcludedRunItem& item : items) {
      if (item.origin.root == kHKeyCurrentUser && item.caption == excludeName)
        item.caption = CurrentUserPrefix() + excludeName;
    }
  }
  return items;
}

std::vector<ExcludedRunItem> ExcludedRunItems() {
  std::vector<ExcludedRunItem> items;
  std::vector<std::string> names;
  SharedRegistry().ListValueNamesAt(kProgramRoot, kRunExcludeKey, names);
  for (const std::string& name : names) {
    if (SameText(name, kSelfRunValue)) continue;
    for (ExcludedRunItem& item : ExcludedRunItemsOf(name)) items.push_back(std::move(item));
  }
  return items;
}

void ItemManager::AddNewRunItem(const std::string& storedName, const std::string& command) {
  AddUserRunItem(CurrentUserPrefix().empty() ? std::string() : CurrentUserName(), storedName,
                 command);
}

void ItemManager::AddUserRunItem(const std::string& user, const std::string& storedName,
                                 const std::string& command) {
  // The records of where the item belongs come first: without them, an item stored under a
  // name with the user's prefix would still be read as the user's, but another user's name
  // could not be told from it.
  try {
    RecordRunLocation(storedName, kHKeyCurrentUser, user, CurrentUserSid(), false);
    if (GetRunLocationHKey(storedName) != StoredRoot(kHKeyCurrentUser)) {
      throw Error("Unable to open : " + std::string(kRunLocationKey));
    }
    // A path with blanks is quoted, so that it starts as the program chosen wherever it goes.
    registry_.PutString(kRunItemsKey, true, storedName, QuoteProgramPart(command));
    AppendSortEntry(kRunSortName, storedName);
    if (!RunOrderHolds(storedName)) {
      throw Error("Unable to add " + storedName + " to the run order");
    }
  } catch (const Error&) {
    // Not in the order, the command would be an item nobody starts or shows: it goes again.
    try {
      if (!RunOrderHolds(storedName)) registry_.RemoveValue(kRunItemsKey, storedName);
    } catch (const Error&) {
    }
    throw;
  }
}

}  // namespace lw
