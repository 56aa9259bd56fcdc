#pragma once
// The edit window's logic: the four lists of what Launchward manages (the Run-key items in
// their start order, the stored shortcuts in theirs, and below each the disabled and excluded
// ones), filled from the store, the order saved back, the window's geometry, and every command
// of its buttons, fields and pop-up menu. The view (win32/EditWindowView) draws the lists and
// passes the user's actions in; tests drive this class directly with a recording view.
//
// The lists are refilled from the store after every command that changes it: nothing is
// cached between fills. Commands change items only through the item manager, so a command that
// fails half-way shows its message and leaves every item where it was.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "edit/EditRows.h"
#include "store/Registry.h"

namespace lw {

class LogonRunner;

inline constexpr char kEditWindowCaption[] = "Edit Execution Order / Disable Startup Items";
inline constexpr char kRunKeyPageCaption[] = "RunKey ";  // the trailing blank is the window's
inline constexpr char kStartupPageCaption[] = "Startup Folder";
inline constexpr char kLowerPaneTitle[] = "Disabled / Excluded items";
inline constexpr char kListHint[] = "Right-Click item for more options";

inline constexpr char kYes[] = "Yes";
inline constexpr char kDefaultPauseText[] = "Default";
inline constexpr char kDisabledStatusText[] = "Disabled";
inline constexpr char kExcludedStatusText[] = "Excluded";
inline constexpr char kGoneMarker[] = "[Item no longer exists in system's runkey]";

inline constexpr char kMsgFirstInstall[] =
    "The first time Install is pressed, items are not moved until a reboot or log off.";
inline constexpr char kMsgConfirmDisable[] =
    "Disabled items are not run by Windows and not run by Launchward\r\nDisable the selected "
    "item(s)?";
inline constexpr char kMsgConfirmExclude[] =
    "Excluded items are run by Windows and not managed by Launchward\r\nExclude the selected "
    "item(s)?";
inline constexpr char kMsgConfirmDelete[] = "Permanently delete item?";
inline constexpr char kMsgConfirmMove[] =
    "Moved Shortcuts may not function as expected. The shortcut will be disabled and a new "
    "Runkey will be added.\r\nMove shortcut to Runkey?";
inline constexpr char kMsgPauseNumbersOnly[] = "Pause value must be numbers only";
inline constexpr char kMsgCannotLocate[] = "Cannot locate executable";
inline constexpr char kMsgFileNotFound[] = "File not found";
inline constexpr char kMsgNoExecutableName[] = "Executable name not found.";
inline constexpr char kVersionInfix[] = " version: ";
inline constexpr char kNewItemFilter[] = "Executable (*.exe) | *.EXE";
// The search engine's query address; the file name follows, encoded as a query component.
inline constexpr char kSearchUrl[] = "https://www.bing.com/search?q=";

// The four lists, in the order they are prepared.
enum class EditListId { kRunSort = 0, kRunDisabled = 1, kStartup = 2, kStartupDisabled = 3 };
inline constexpr int kEditListCount = 4;

struct EditColumn {
  const char* caption;
  double widthFactor;  // of the list's client width, truncated to whole pixels
};
// The columns of each list, column 0 first; the two ordered lists end with the last-logon
// column.
const std::vector<EditColumn>& EditColumns(EditListId list);

// The six priority classes of the pop-up menu's "Run Priority" sub-menu, in menu order.
struct PriorityChoice {
  const char* caption;
  std::int32_t priorityClass;
};
const std::vector<PriorityChoice>& PriorityChoices();

// What the buttons, fields and pop-up items show. The logic changes them in its handlers only;
// the view draws them after every call (see IEditView::ControlsChanged).
struct EditControls {
  // Page 0, upper: Disable, Exclude, Properties, the pause field and its "set" button.
  bool runDisable = false, runExclude = false, runProperties = false, runSetPause = false;
  std::string pauseText;
  std::string versionText;  // the label under the list
  // Page 0, lower: Enable (or Include), Delete, Properties.
  bool runEnable = false, runDelete = false, runOtherProperties = false;
  std::string runEnableCaption = "Enable";
  // Page 1, upper: Disable, Exclude, Properties, Move, the pause field and its "set" button.
  bool startupDisable = false, startupExclude = false, startupProperties = false,
       startupMove = false, startupSetPause = false;
  std::string startupPauseText;
  // Page 1, lower.
  bool startupEnable = false, startupDelete = false, startupOtherProperties = false;
  std::string startupEnableCaption = "Enable";
};

struct EditMenu {
  bool run = false, priority = false, disable = false, enable = false, exclude = false,
       remove = false, findTarget = false, properties = false, search = false, newItem = false;
  // The checked priority class; 0 when none is checked.
  std::int32_t checkedPriority = 0;
  // "Above Normal" and "Below Normal": false only on systems older than Windows 2000.
  bool midPriorities = true;
};

// The persisted window geometry: outer size and the two upper panes' heights. A value the store
// does not hold stays as the design gave it.
struct EditGeometry {
  std::int32_t width = 0, height = 0, split1 = 0, split2 = 0;
};

// What the logic needs of its window.
class IEditView {
 public:
  virtual ~IEditView() = default;
  // The columns are to be built again from EditColumns at the lists' current widths.
  virtual void ColumnsChanged() = 0;
  // The rows of the list changed (filled, moved, deleted): draw them again, with their
  // selection.
  virtual void RowsChanged(EditListId list) = 0;
  virtual void ControlsChanged() = 0;
  virtual void SelectPage(int page) = 0;
  // Opens the pop-up menu (whose states are in Menu()) at the mouse cursor.
  virtual void ShowPopupMenu() = 0;
  // The New Item dialog, with the file filter; false unless it closed with OK. On true, name
  // and path hold what the user entered.
  virtual bool AskNewItem(const std::string& filter, std::string& name, std::string& path) = 0;
  // The shell's properties sheet of the file; what it does is not reported.
  virtual void ShowItemProperties(const std::string& path) = 0;
  // The Options dialog's default pauses, as its fields show them now.
  virtual std::string DefaultRunkeyPauseText() = 0;
  virtual std::string DefaultStartupPauseText() = 0;
  // Opens the address in the user's browser (ShellExecute, shown normally). Has a default that
  // does just that; a test's view records the address instead.
  virtual void OpenUrl(const std::string& url);
};

class EditWindow {
 public:
  // Reads nothing yet: the lists are filled by PrepareLists. runner starts single items on
  // demand; the window does not own it.
  EditWindow(IEditView& view, LogonRunner& runner);
  ~EditWindow();
  EditWindow(const EditWindow&) = delete;
  EditWindow& operator=(const EditWindow&) = delete;

  // --- Lists -----------------------------------------------------------------------------------
  const EditList& List(EditListId list) const;
  // The view reports the user's selection and focus: the row's flags in the logic's copy.
  void SetSelected(EditListId list, int row, bool selected);
  void SetFocused(EditListId list, int row);
  const EditControls& Controls() const { return controls_; }
  const EditMenu& Menu() const { return menu_; }
  int Page() const { return page_; }
  void SetPage(int page) { page_ = page; }
  // The list the pop-up commands act on; -1 until a list was clicked.
  int ActiveList() const { return activeList_; }

  // Each opening: columns rebuilt, page 0, lists filled.
  void PrepareLists();
  // All four lists from the store (rows that were selected stay selected, and the buttons follow);
  // ends with the first-install message when the run order is empty.
  void RefreshLists();
  // The order of both ordered lists into the store, as the store is now: an item that left the
  // order meanwhile is not put back, one that joined it stays at the end. The disabled Run-key
  // items stay as stored. An error is shown, with the stored order left whole.
  void SaveOrder();

  // --- Geometry and life --------------------------------------------------------------------
  // Replaces the fields of geometry the store holds.
  void LoadGeometry(EditGeometry& geometry);
  void SaveGeometry(const EditGeometry& geometry);
  // Opened from the new-items icon of a logon: closing the window then ends the program.
  void SetOpenedFromTray(bool fromTray) { openedFromTray_ = fromTray; }
  bool OpenedFromTray() const { return openedFromTray_; }
  // The window closes: the order is saved. Returns whether the program is to end (opened from
  // the tray).
  bool OnClose();

  // --- Selection and mouse ------------------------------------------------------------------
  // The selection of the list changed, by the mouse or by the keyboard (the view reports both,
  // so that the buttons always match the selection): button states, pause field, version
  // label.
  void OnSelectionChanged(EditListId list);
  // A mouse button went down on the list (or the context-menu key was pressed): the active
  // list, the pop-up items, and the pop-up itself for the right button.
  void OnMouseDown(EditListId list, bool rightButton);

  // --- Commands -------------------------------------------------------------------------------
  // Move buttons of the page's ordered list (page 0: run order, page 1: start order); the order
  // is saved after each.
  void OnMoveTop(EditListId list);
  void OnMoveUp(EditListId list);
  void OnMoveDown(EditListId list);
  void OnMoveBottom(EditListId list);
  void OnDisableRunClicked();
  void OnExcludeRunClicked();
  void OnDisableStartupClicked();
  void OnExcludeStartupClicked();
  // Enable (or Include) acts on every selected row of the lower list; Delete on every selected
  // disabled row (an excluded item is Windows' own, and nothing of it is stored to delete).
  void OnRunEnableClicked();
  void OnStartupEnableClicked();
  void OnRunDeleteClicked();
  void OnStartupDeleteClicked();
  // The pause field's text: empty = the default pause, else a whole number of milliseconds, not
  // negative.
  void OnSetRunPauseClicked(const std::string& text);
  void OnSetStartupPauseClicked(const std::string& text);
  void OnPriorityChosen(std::int32_t priorityClass);
  // Properties buttons; with Shift held the upper lists' buttons start the item instead.
  void OnRunPropertiesClicked(bool shiftHeld);
  void OnStartupPropertiesClicked(bool shiftHeld);
  void OnRunOtherPropertiesClicked();
  void OnStartupOtherPropertiesClicked();
  void OnMoveShortcutClicked();
  // Pop-up items.
  void OnRunChosen();
  void OnFindTargetChosen();
  void OnPropertiesChosen();
  void OnInternetSearchChosen();
  void OnNewItemChosen();
  void OnDisableChosen();
  void OnEnableChosen();
  void OnExcludeChosen();
  void OnDeleteChosen();

 private:
  // Fills one list from the store, keeping the rows whose caption was selected selected.
  void FillRunSort(EditList& rows);
  void FillRunDisabled(EditList& rows);
  void FillStartup(EditList& rows);
  void FillStartupDisabled(EditList& rows);
  // The buttons of the list from its selection.
  void UpdateControls(EditListId list);
  // A command that changes the store: an error it raises is shown and ends it (the run order is
  // then rebuilt, should the error have left an entry of an item that is gone); the lists are
  // filled again either way, so that they show what the store holds.
  void ChangeStore(const std::function<void()>& command);
  std::vector<EditRow> SelectedRows(EditListId list) const;
  // The one selected row of the active list; null unless exactly one is selected. runKey tells
  // whether it is a Run-key item (else a shortcut).
  const EditRow* SingleActiveRow(bool& runKey) const;
  void ShowProperties(const std::string& path, const char* notFound);
  void OpenFolderOf(const std::string& path);
  // The order of both ordered lists into the store (SaveOrder without its error handling).
  void WriteOrder();
  void IncludeNewRunItem(const std::string& name, const std::string& path);

  IEditView& view_;
  LogonRunner& runner_;
  Registry registry_;
  EditList lists_[kEditListCount];
  EditControls controls_;
  EditMenu menu_;
  int page_ = 0;
  int activeList_ = -1;
  bool openedFromTray_ = false;
};

// A text as one component of a URL query: letters, digits and "-_.~" stay, every other byte is
// %XX (upper-case hexadecimal), so "&", "#", "+", blanks and non-ASCII bytes reach the search
// engine as part of the name.
std::string EncodeQueryComponent(const std::string& text);

}  // namespace lw
