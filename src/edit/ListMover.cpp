#include "edit/ListMover.h"

// Up and down move each selected row past its unselected neighbour, one row at a time and in
// the order the rows are met, so that the index of each later move is the row's index after the
// earlier ones: a selected block shifts as a whole, and a block that already touches the end
// stays there, its rows passing each other. Top and bottom gather the selected rows in their
// order. The neighbours that give way are not re-created and keep their marks.

#include <utility>

namespace lw {

namespace {

// The row as it comes out of a move: selected, without the focus mark.
EditRow Recreated(const EditRow& row) {
  EditRow moved = row;
  moved.selected = true;
  moved.focused = false;
  return moved;
}

// Swaps the row at index with its neighbour at index + step (the moved row is re-created).
void Pass(EditList& list, std::size_t index, std::size_t target) {
  EditRow moved = Recreated(list[index]);
  list[index] = std::move(list[target]);
  list[target] = std::move(moved);
}

// The selected rows to one end, in their order, the others after (or before) them.
void Gather(EditList& list, bool toTop) {
  EditList selected;
  EditList others;
  for (const EditRow& row : list) {
    if (row.selected) {
      selected.push_back(Recreated(row));
    } else {
      others.push_back(row);
    }
  }
  if (selected.empty()) return;
  EditList& first = toTop ? selected : others;
  EditList& second = toTop ? others : selected;
  first.insert(first.end(), second.begin(), second.end());
  list = std::move(first);
}

}  // namespace

void MoveSelectedTop(EditList& list) { Gather(list, true); }

void MoveSelectedBottom(EditList& list) { Gather(list, false); }

void MoveSelectedUp(EditList& list) {
  // The rows are collected first: a row that has been moved is not met again.
  std::vector<std::size_t> collected;
  for (std::size_t index = 1; index < list.size(); ++index) {
    if (list[index].selected) collected.push_back(index);
  }
  for (std::size_t index : collected) Pass(list, index, index - 1);
}

void MoveSelectedDown(EditList& list) {
  std::vector<std::size_t> collected;
  for (std::size_t index = list.size(); index-- > 1;) {
    if (list[index - 1].selected) collected.push_back(index - 1);
  }
  for (std::size_t index : collected) Pass(list, index, index + 1);
}

}  // namespace lw
