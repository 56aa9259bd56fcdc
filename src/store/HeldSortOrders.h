#pragma once
// The two orders ("RunSort" and "StartupSort") held in memory for the length of one operation
// that asks about them item by item: a take-over pass classifies every Run value and shortcut
// against the orders and appends to them, and reading a whole order for each item made a pass
// over n items cost n * n registry reads.
//
// While a HeldSortOrders lives, the order readers of the settings store read each order from
// the registry once, on first use, and answer from memory after that; the store's writers of
// the orders keep the copy in step (an entry appended or emptied) or drop it (a rewrite, a
// write that failed), so that the next reader loads it afresh. The copy is only as good as the
// rule that nobody else writes the orders meanwhile: hold it under the store lock, and change
// the orders only through the settings store's writers. Scopes nest; the copy goes with the
// outermost.

#include <cstdint>
#include <string>
#include <vector>

namespace lw {

class HeldSortOrders {
 public:
  HeldSortOrders();
  ~HeldSortOrders();
  HeldSortOrders(const HeldSortOrders&) = delete;
  HeldSortOrders& operator=(const HeldSortOrders&) = delete;
};

// For the settings store's readers and writers of the orders (sortKeyName: "RunSort" or
// "StartupSort"; any other list is never held).
namespace held_orders {

// One entry as the registry gave it: its text, or the error that reading it raised.
struct Entry {
  std::string text;
  std::string error;
};

// Whether a scope is open and the list is one that can be held.
bool Holding(const std::string& sortKeyName);
// The held copy, or null when none is loaded (then the caller loads it and calls Keep).
const std::vector<Entry>* Find(const std::string& sortKeyName);
void Keep(const std::string& sortKeyName, std::vector<Entry> entries);
// Entry index now holds text (the list grows to reach it).
void Written(const std::string& sortKeyName, std::int32_t index, const std::string& text);
void Drop(const std::string& sortKeyName);

}  // namespace held_orders

}  // namespace lw
