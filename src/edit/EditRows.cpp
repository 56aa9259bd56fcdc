#include "edit/EditRows.h"

#include <algorithm>

namespace lw {

const std::string& EditRow::SubItem(std::size_t index) const {
  static const std::string kNone;
  return index < subItems.size() ? subItems[index] : kNone;
}

int SelectionCount(const EditList& list) {
  return static_cast<int>(
      std::count_if(list.begin(), list.end(), [](const EditRow& row) { return row.selected; }));
}

int FirstSelected(const EditList& list) {
  for (std::size_t index = 0; index < list.size(); ++index) {
    if (list[index].selected) return static_cast<int>(index);
  }
  return -1;
}

}  // namespace lw
