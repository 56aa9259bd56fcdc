#pragma once
// Where the edit window's controls are: their ids, captions and hints, and how they are placed
// for a client area and the two splitters. Each page has an upper pane (the ordered list with
// its move buttons and commands) and, below an 8-pixel splitter that the user drags, a lower
// pane (the disabled and excluded items). The controls of both pages are children of the
// window; the page that is not selected has its controls hidden.

#include <string>
#include <vector>

#include "platform/win32/Win32Api.h"
#include "ui/win32/Win32Form.h"

namespace lw {

// The window class name other programs (and the tests) find the window by.
inline constexpr char kEditWindowClass[] = "TFrmEdit";

// The control ids of one page, in its tab order. 0: the page has no such control.
struct EditPageIds {
  int list, top, up, down, bottom, disable, exclude, properties, move, version, pauseLabel, pause,
      setPause, lowerTitle, lowerList, enable, remove, otherProperties;
};

inline constexpr int kEditTabsId = 300;
inline constexpr EditPageIds kEditRunIds{301, 302, 303, 304, 305, 306, 307, 308, 0,
                                         309, 310, 311, 312, 313, 314, 315, 316, 317};
inline constexpr EditPageIds kEditStartupIds{321, 322, 323, 324, 325, 326, 327, 328, 329,
                                             0,   330, 331, 332, 333, 334, 335, 336, 337};

// The pop-up menu's items.
inline constexpr int kEditMenuRunId = 401;
inline constexpr int kEditMenuDisableId = 402;
inline constexpr int kEditMenuEnableId = 403;
inline constexpr int kEditMenuExcludeId = 404;
inline constexpr int kEditMenuDeleteId = 405;
inline constexpr int kEditMenuFindTargetId = 406;
inline constexpr int kEditMenuPropertiesId = 407;
inline constexpr int kEditMenuSearchId = 408;
inline constexpr int kEditMenuNewItemId = 409;
// The priority items: this id plus the index in PriorityChoices().
inline constexpr int kEditMenuPriorityFirstId = 411;

inline constexpr char kEditPauseLabel[] = "Post Pause(ms):";
inline constexpr char kEditSetCaption[] = "set";
inline constexpr char kEditMoveCaption[] = "Move";
inline constexpr char kEditDeleteCaption[] = "Delete";
inline constexpr char kEditPropertiesCaption[] = "Properties";

// The design: the client area, the upper panes' height and the splitter's.
inline constexpr int kEditClientWidth = 551;
inline constexpr int kEditClientHeight = 455;
inline constexpr int kEditUpperHeight = 232;
inline constexpr int kEditSplitterHeight = 8;

FormSpec EditForm();
// Every control but the lists' columns, both pages, in tab order (the page tabs first).
std::vector<ControlSpec> EditControlSpecs();

struct EditHint {
  int id;
  const char* text;
};
std::vector<EditHint> EditHints();

// A control's place in the client area (pixels).
struct EditPlace {
  int id;
  RECT rect;
};

// The places of one page's controls for a client area of width x height pixels and an upper
// pane split pixels high (kept within what leaves both panes usable; see ClampSplit).
std::vector<EditPlace> LayoutEditPage(const EditPageIds& ids, int width, int height, int split);
// The page tabs' place.
RECT EditTabsRect(int width);
// The splitter's band under the upper pane.
RECT EditSplitterRect(int width, int split);
// The upper pane's height, kept between its smallest useful height and the height that leaves
// the lower pane its own.
int ClampSplit(int split, int height);

}  // namespace lw
