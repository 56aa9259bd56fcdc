#include "runner/StartFirst.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "store/SettingsStore.h"
#include "ui/Policies.h"
#include "util/CurrentUser.h"
#include "util/Text.h"

namespace lw {

namespace {

// The place of the first entry that names the item; the list's length when none does.
std::size_t Rank(const std::vector<std::string>& entries,
                 const std::function<bool(const std::string&)>& names) {
  for (std::size_t index = 0; index < entries.size(); ++index) {
    if (names(entries[index])) return index;
  }
  return entries.size();
}

template <typename List, typename Names>
void SortAhead(List& items, const std::vector<std::string>& entries, Names names) {
  std::stable_sort(items.begin(), items.end(), [&](const auto& a, const auto& b) {
    return Rank(entries, [&](const std::string& e) { return names(a, e); }) <
           Rank(
               entries, [&](const std::string& e) { return names(b, e); });
  });
}

}  // namespace

void PutStartFirstAhead(RunKeyItemList& runkeyItems, StartupFolderItemList& startupItems) {
  const std::vector<std::string>& entries = SharedPolicies().List(kPolicyStartFirst);
  if (entries.empty()) return;
  const std::string prefix = CurrentUserPrefix();
  SortAhead(runkeyItems, entries, [&prefix](const RunKeyItem& item, const std::string& entry) {
    return SameText(item.name, entry) || SameText(item.name, prefix + entry) ||
           SameText(item.name, entry + kView64Mark);
  });
  SortAhead(startupItems, entries, [](const StartupFolderItem& item, const std::string& entry) {
    const std::string file = ExtractFileName(item.path);
    return SameText(file, entry) || SameText(file, entry + ".lnk");
  });
}

}  // namespace lw
