#include "edit/win32/EditWindowLayout.h"

#include <algorithm>

#include "edit/EditWindow.h"

namespace lw {

namespace {

// Design measures (pixels at 96 DPI).
constexpr int kMargin = 8;
constexpr int kPageTop = 30;
constexpr int kTabsHeight = 22;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kButtonGap = 5;
constexpr int kMoveColumn = 40;  // the move buttons' column right of the ordered list
constexpr int kMoveWidth = 32;
constexpr int kMoveHeight = 28;
constexpr int kMoveGap = 4;
constexpr int kRowGap = 6;  // between a list and its row of buttons
constexpr int kSetWidth = 35;
constexpr int kPauseWidth = 60;
constexpr int kPauseLabelWidth = 82;
constexpr int kTitleHeight = 14;
// The smallest panes that still show a few rows.
constexpr int kMinUpper = 120;
constexpr int kMinLower = 100;

RECT Rect(int left, int top, int width, int height) {
  return RECT{left, top, left + std::max(width, 0), top + std::max(height, 0)};
}

void AddPageControls(std::vector<ControlSpec>& specs, const EditPageIds& ids) {
  specs.push_back({ids.list, ControlKind::kListView, "", 8, 34, 495, 198});
  for (int id : {ids.top, ids.up, ids.down, ids.bottom}) {
    specs.push_back({id, ControlKind::kButton, "", 511, 34, 32, 28});
  }
  specs.push_back({ids.disable, ControlKind::kButton, "Disable", 8, 236, 75, 25});
  specs.push_back({ids.exclude, ControlKind::kButton, "Exclude", 88, 236, 75, 25});
  specs.push_back({ids.properties, ControlKind::kButton, kEditPropertiesCaption, 168, 236, 75, 25});
  if (ids.move != 0) {
    specs.push_back({ids.move, ControlKind::kButton, kEditMoveCaption, 248, 236, 75, 25});
  }
  if (ids.version != 0) specs.push_back({ids.version, ControlKind::kLabel, "", 248, 242, 100, 13});
  specs.push_back({ids.pauseLabel, ControlKind::kLabel, kEditPauseLabel, 364, 242, 82, 13});
  specs.push_back({ids.pause, ControlKind::kEdit, "", 446, 238, 60, 21});
  specs.push_back({ids.setPause, ControlKind::kButton, kEditSetCaption, 508, 236, 35, 25});
  specs.push_back({ids.lowerTitle, ControlKind::kLabel, kLowerPaneTitle, 8, 270, 200, 14});
  specs.push_back({ids.lowerList, ControlKind::kListView, "", 8, 286, 535, 130});
  specs.push_back({ids.enable, ControlKind::kButton, "Enable", 8, 422, 75, 25});
  specs.push_back({ids.remove, ControlKind::kButton, kEditDeleteCaption, 88, 422, 75, 25});
  specs.push_back(
      {ids.otherProperties, ControlKind::kButton, kEditPropertiesCaption, 168, 422, 75, 25});
}

void AddPageHints(std::vector<EditHint>& hints, const EditPageIds& ids, const char* setHint) {
  hints.push_back({ids.list, kListHint});
  hints.push_back({ids.lowerList, kListHint});
  hints.push_back({ids.top, "Move Top"});
  hints.push_back({ids.up, "Move Up"});
  hints.push_back({ids.down, "Move Down"});
  hints.push_back({ids.bottom, "Move Bottom"});
  hints.push_back({ids.disable, "Disable selected"});
  hints.push_back({ids.exclude, "Exclude selected items"});
  hints.push_back({ids.properties, "Show right-click -> Properties window for selected item"});
  hints.push_back({ids.otherProperties, "Show right-click -> Properties window for selected item"});
  if (ids.move != 0) hints.push_back({ids.move, "Move to Runkey"});
  hints.push_back({ids.pause, "Set to blank to use Default pause"});
  hints.push_back({ids.setPause, setHint});
}

}  // namespace

FormSpec EditForm() {
  // Only the close box; the frame can be resized, and the size is kept for the next time.
  return {kEditWindowClass, kEditWindowCaption, kEditClientWidth, kEditClientHeight,
          WS_CAPTION | WS_SYSMENU | WS_THICKFRAME};
}

std::vector<ControlSpec> EditControlSpecs() {
  std::vector<ControlSpec> specs;
  specs.push_back({kEditTabsId, ControlKind::kTabs, "", 4, 4, 543, kTabsHeight});
  AddPageControls(specs, kEditRunIds);
  AddPageControls(specs, kEditStartupIds);
  return specs;
}

std::vector<EditHint> EditHints() {
  std::vector<EditHint> hints;
  AddPageHints(hints, kEditRunIds, "Set pause for selected item");
  AddPageHints(hints, kEditStartupIds, "Set post execute pause for selected item");
  return hints;
}

RECT EditTabsRect(int width) {
  return Rect(Scaled(4), Scaled(4), width - Scaled(8), Scaled(kTabsHeight));
}

int ClampSplit(int split, int height) {
  const int most = height - Scaled(kPageTop) - Scaled(kEditSplitterHeight) - Scaled(kMinLower);
  return std::max(Scaled(kMinUpper), std::min(split, most));
}

RECT EditSplitterRect(int width, int split) {
  return Rect(0, Scaled(kPageTop) + split, width, Scaled(kEditSplitterHeight));
}

std::vector<EditPlace> LayoutEditPage(const EditPageIds& ids, int width, int height, int split) {
  const int m = Scaled(kMargin);
  const int top = Scaled(kPageTop);
  const int buttonW = Scaled(kButtonWidth);
  const int buttonH = Scaled(kButtonHeight);
  const int step = buttonW + Scaled(kButtonGap);
  std::vector<EditPlace> places;
  auto place = [&](int id, RECT rect) {
    if (id != 0) places.push_back({id, rect});
  };

  // Upper pane: the list with the move buttons on its right, a row of commands below.
  const int upperBottom = top + split;
  const int rowTop = upperBottom - buttonH - Scaled(2);
  const int listRight = width - m - Scaled(kMoveColumn);
  place(ids.list, Rect(m, top, listRight - m, rowTop - Scaled(kRowGap) - top));
  const int moveLeft = width - m - Scaled(kMoveWidth);
  int moveTop = top;
  for (int id : {ids.top, ids.up, ids.down, ids.bottom}) {
    place(id, Rect(moveLeft, moveTop, Scaled(kMoveWidth), Scaled(kMoveHeight)));
    moveTop += Scaled(kMoveHeight) + Scaled(kMoveGap);
  }
  int left = m;
  for (int id : {ids.disable, ids.exclude, ids.properties, ids.move}) {
    if (id == 0) continue;
    place(id, Rect(left, rowTop, buttonW, buttonH));
    left += step;
  }
  const int setLeft = width - m - Scaled(kSetWidth);
  const int pauseLeft = setLeft - Scaled(4) - Scaled(kPauseWidth);
  const int labelLeft = pauseLeft - Scaled(4) - Scaled(kPauseLabelWidth);
  const int textTop = rowTop + (buttonH - Scaled(13)) / 2;
  place(ids.setPause, Rect(setLeft, rowTop, Scaled(kSetWidth), buttonH));
  place(ids.pause,
        Rect(pauseLeft, rowTop + (buttonH - Scaled(21)) / 2, Scaled(kPauseWidth), Scaled(21)));
  place(ids.pauseLabel, Rect(labelLeft, textTop, Scaled(kPauseLabelWidth), Scaled(13)));
  place(ids.version, Rect(left + Scaled(4), textTop, labelLeft - left - Scaled(8), Scaled(13)));

  // Lower pane, below the splitter: its title, the list, a row of commands at the bottom.
  const int lowerTop = upperBottom + Scaled(kEditSplitterHeight);
  const int lowerRow = height - m - buttonH;
  place(ids.lowerTitle, Rect(m, lowerTop, width - 2 * m, Scaled(kTitleHeight)));
  const int lowerListTop = lowerTop + Scaled(kTitleHeight) + Scaled(2);
  place(ids.lowerList,
        Rect(m, lowerListTop, width - 2 * m, lowerRow - Scaled(kRowGap) - lowerListTop));
  left = m;
  for (int id : {ids.enable, ids.remove, ids.otherProperties}) {
    place(id, Rect(left, lowerRow, buttonW, buttonH));
    left += step;
  }
  return places;
}

}  // namespace lw
