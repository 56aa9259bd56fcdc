// What the edit window needs of the item manager beyond the moves between states: where an
// excluded item lives, and a new item of the user's own.
//
// An excluded item is marked by its plain value name alone, whoever's it is; the records of
// where stored items came from ("RunLocation", kept when an item is excluded) tell whose Run key
// to look in, and the Run keys themselves tell the rest.

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
