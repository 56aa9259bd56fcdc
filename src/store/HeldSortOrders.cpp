#include "store/HeldSortOrders.h"

#include <map>

#include "store/SettingsStore.h"
#include "util/Text.h"

namespace lw {

namespace {

struct HeldState {
  int depth = 0;
  std::map<std::string, std::vector<held_orders::Entry>> lists;  // by lower-case name
};

HeldState& State() {
  static HeldState state;
  return state;
}

bool Holdable(const std::string& sortKeyName) {
  return SameText(sortKeyName, kRunSortName) || SameText(sortKeyName, kStartupSortName);
}

}  // namespace

HeldSortOrders::HeldSortOrders() { ++State().depth; }

HeldSortOrders::~HeldSortOrders() {
  HeldState& state = State();
  if (--state.depth == 0) state.lists.clear();
}

namespace held_orders {

bool Holding(const std::string& sortKeyName) { return State().depth > 0 && Holdable(sortKeyName); }

const std::vector<Entry>* Find(const std::string& sortKeyName) {
  if (!Holding(sortKeyName)) return nullptr;
  const auto found = State().lists.find(LowerCase(sortKeyName));
  return found == State().lists.end() ? nullptr : &found->second;
}

void Keep(const std::string& sortKeyName, std::vector<Entry> entries) {
  if (Holding(sortKeyName)) State().lists[LowerCase(sortKeyName)] = std::move(entries);
}

void Written(const std::string& sortKeyName, std::int32_t index, const std::string& text) {
  if (!Holding(sortKeyName) || index < 0) return;
  const auto found = State().lists.find(LowerCase(sortKeyName));
  if (found == State().lists.end()) return;
  std::vector<Entry>& entries = found->second;
  if (entries.size() <= static_cast<std::size_t>(index)) {
    entries.resize(static_cast<std::size_t>(index) + 1);
  }
  entries[static_cast<std::size_t>(index)] = Entry{text, std::string()};
}

void Drop(const std::string& sortKeyName) {
  if (Holding(sortKeyName)) State().lists.erase(LowerCase(sortKeyName));
}

}  // namespace held_orders

}  // namespace lw
