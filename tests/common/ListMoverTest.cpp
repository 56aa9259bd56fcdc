// The four moves of the edit window's ordered lists, on rows "0" .. "4": where the selected
// rows end up, that they stay selected, that a moved row loses the focus mark, and that the
// rows that give way are not re-created (they keep theirs).

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "edit/ListMover.h"

namespace lw::test {
namespace {

EditList Rows(int count, const std::vector<int>& selected, int focused) {
  EditList rows;
  for (int index = 0; index < count; ++index) {
    EditRow row;
    row.caption = std::to_string(index);
    row.subItems = {"command " + row.caption, "Yes"};
    row.icon = RowIcon::kFile;
    row.iconFile = "C:\\" + row.caption + ".exe";
    row.focused = index == focused;
    rows.push_back(row);
  }
  for (int index : selected) rows[static_cast<std::size_t>(index)].selected = true;
  return rows;
}

std::string Order(const EditList& rows) {
  std::string order;
  for (const EditRow& row : rows) order += row.caption + (row.selected ? "*" : "");
  return order;
}

TEST(ListMoverTest, SelectedRowsMoveAsBlocksAndPassEachOtherAtTheEnds) {
  struct Case {
    void (*move)(EditList&);
    const char* name;
    std::vector<int> selected;
    const char* expected;  // captions in order, "*" after a selected row
  } cases[] = {
      {MoveSelectedUp, "up", {2, 3}, "02*3*14"},
      {MoveSelectedUp, "up", {0, 1}, "1*0*234"},
      {MoveSelectedUp, "up", {0, 1, 3}, "1*0*3*24"},
      {MoveSelectedUp, "up", {0}, "0*1234"},
      {MoveSelectedUp, "up", {}, "01234"},
      {MoveSelectedDown, "down", {1, 2}, "031*2*4"},
      {MoveSelectedDown, "down", {3, 4}, "0124*3*"},
      {MoveSelectedDown, "down", {4}, "01234*"},
      {MoveSelectedDown, "down", {}, "01234"},
      {MoveSelectedTop, "top", {1, 3}, "1*3*024"},
      {MoveSelectedTop, "top", {0, 4}, "0*4*123"},
      {MoveSelectedTop, "top", {0, 1, 2, 3, 4}, "0*1*2*3*4*"},
      {MoveSelectedTop, "top", {}, "01234"},
      {MoveSelectedBottom, "bottom", {0, 2}, "1340*2*"},
      {MoveSelectedBottom, "bottom", {0, 1, 2, 3, 4}, "0*1*2*3*4*"},
      {MoveSelectedBottom, "bottom", {}, "01234"},
  };
  for (const Case& c : cases) {
    EditList rows = Rows(5, c.selected, -1);
    c.move(rows);
    std::string selected;
    for (int index : c.selected) selected += std::to_string(index);
    EXPECT_EQ(Order(rows), c.expected) << c.name << " with " << selected << " selected";
  }
}

TEST(ListMoverTest, AMovedRowKeepsItsTextsAndIconButNotTheFocusMark) {
  for (void (*move)(EditList&) :
       {MoveSelectedUp, MoveSelectedDown, MoveSelectedTop, MoveSelectedBottom}) {
    // Row 2 (focused) moves; its neighbours 1 and 3, one of which gives way, keep their marks.
    EditList rows = Rows(5, {2}, 2);
    rows[1].focused = true;
    move(rows);
    for (const EditRow& row : rows) {
      EXPECT_EQ(row.subItems, (std::vector<std::string>{"command " + row.caption, "Yes"}));
      EXPECT_EQ(row.iconFile, "C:\\" + row.caption + ".exe");
      EXPECT_EQ(row.focused, row.caption == "1") << row.caption;
      EXPECT_EQ(row.selected, row.caption == "2") << row.caption;
    }
  }
}

}  // namespace
}  // namespace lw::test
