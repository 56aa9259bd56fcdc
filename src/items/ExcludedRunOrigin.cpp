// An excluded item is marked by its plain value name alone, whoever's it is; the records of
// where stored items came from ("RunLocation", kept when an item is excluded) tell whose Run key
// to look in, and the Run keys themselves tell the rest.

#include <vector>

#include "items/ItemManager.h"
#include "store/SettingsStore.h"
#include "util/CurrentUser.h"
#include "util/Error.h"
#include "util/Text.h"

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
    if (SameText(user + "_", prefix) || GetRunLocationHKey(name) != StoredRoot(kHKeyCurrentUser) ||
        !SameText(GetRunLocation(name), user)) {
      continue;
    }
    origins.push_back(RunItemOrigin(name));
  }
  return origins;
}

}  // namespace

RunOrigin ExcludedRunItemOrigin(const std::string& valueName, StringValue* command) {
  std::vector<RunOrigin> candidates = RecordedOrigins(valueName);
  candidates.push_back({kHKeyLocalMachine, "", valueName});
  candidates.push_back({kHKeyCurrentUser, "", valueName});
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

}  // namespace lw
