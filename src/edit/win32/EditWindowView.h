#pragma once
// The edit window on the screen: two pages ("RunKey " and "Startup Folder"), each with its
// ordered list, the move buttons and commands above a splitter and the disabled and excluded
// items below it, the pop-up menu, the hints and the keyboard. Over EditWindow, which holds
// every rule: the view draws the rows and controls the logic describes, reports the user's
// selection back, and passes each action in.
//
// The window exists from the program's start, like every window of the program; its logic and
// the runner that starts single items are made at its first opening, so a logon pass that
// never opens it does not read the store for it.

#include <functional>
#include <memory>
#include <string>

#include "edit/EditWindow.h"
#include "edit/win32/EditListControl.h"
#include "edit/win32/EditWindowLayout.h"
#include "ui/win32/Win32Form.h"

namespace lw {

// The New Item dialog as the edit window uses it: the file filter ("description | pattern");
// true when it closed with Add, with what the user entered.
using AskNewItemRoute =
    std::function<bool(const std::string& filter, std::string& name, std::string& path)>;

class EditWindowView final : public Win32Form, private IEditView {
 public:
  EditWindowView();
  ~EditWindowView() override;

  // The windows made after this one.
  void SetAskNewItem(AskNewItemRoute route) { askNewItem_ = std::move(route); }
  // What closing the window opened from the notification icon does besides: the icon goes
  // and the program ends.
  void SetClosedFromTray(std::function<void()> closed) { closedFromTray_ = std::move(closed); }

  // From the main window's Edit button: the lists prepared, the window centred on the window
  // that opened it and shown modally until it is closed.
  void ShowFromMain();
  // From the new-items icon of a logon: unless the window is on the screen already, centred on
  // the screen, the lists prepared, shown without a modal loop and brought to the front.
  void ShowFromTray();

 protected:
  void OnCommand(int id, int notifyCode) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  void OnClose() override;
  void OnResized() override { Layout(); }
  bool OnKey(UINT message, UINT key, HWND focus) override;
  bool OnSetCursor() override;

 private:
  // Posted to the window itself: the logic hears of selection changes, and opens its pop-up,
  // once the handler at work has returned.
  static constexpr UINT kSelectionMessage = WM_APP + 1;
  static constexpr UINT kPopupMessage = WM_APP + 2;

  // IEditView
  void ColumnsChanged() override;
  void RowsChanged(EditListId list) override;
  void ControlsChanged() override;
  void SelectPage(int page) override;
  void ShowPopupMenu() override;
  bool AskNewItem(const std::string& filter, std::string& name, std::string& path) override;
  void ShowItemProperties(const std::string& path) override;
  std::string DefaultRunkeyPauseText() override;
  std::string DefaultStartupPauseText() override;

  void EnsureLogic();
  void MakeMoveGlyphs();
  void AddHints();
  void Layout();
  void ShowPage(int page);
  int CurrentPage() const;
  const EditPageIds& PageIds(int page) const;
  // The list whose view is this window (or control id); -1 for none.
  int ListOfWindow(HWND window) const;
  int ListOfId(int id) const;
  bool OnListNotify(EditListId list, NMHDR* header, LRESULT& result);
  void OnButton(int id);
  void OnMenuCommand(int id);
  void OpenPopupMenu();
  void OpenMenuFromKeyboard(EditListId list);
  void NoteSelectionChange(EditListId list);
  void FlushSelectionChanges();
  void ApplyControls();
  EditGeometry CurrentGeometry() const;
  bool InSplitter(POINT client) const;
  void MoveSplitter(int y);

  AskNewItemRoute askNewItem_;
  std::function<void()> closedFromTray_;
  std::unique_ptr<LogonRunner> runner_;
  std::unique_ptr<EditWindow> logic_;
  EditListControl lists_[kEditListCount];
  HWND tips_ = nullptr;
  HICON glyphs_[4] = {};
  // The upper panes' heights (pixels), page 0 and page 1.
  int split_[2] = {0, 0};
  // Dragging the splitter: the distance of the mouse from the splitter's top.
  bool dragging_ = false;
  int dragOffset_ = 0;
  // The lists whose selection changed since the logic last heard of it (bit per list).
  unsigned pendingSelection_ = 0;
  bool selectionPosted_ = false;
  // The next pop-up opens at the focused row (the keyboard asked for it), not at the mouse.
  bool menuAtRow_ = false;
  // The menu key (VK_APPS, or F10 pressed with Shift) whose release is to open the pop-up.
  UINT menuKeyDown_ = 0;
  // What the pause fields were last given, so that what the user types there is kept.
  std::string shownPause_[2];
};

}  // namespace lw
