// The edit window's input: buttons, the pop-up menu, the lists' notifications, the keyboard and
// the splitter. Every action goes to the logic; what it changed comes back through IEditView.

#include "edit/win32/EditWindowView.h"

#include <commctrl.h>

namespace lw {

namespace {

bool KeyDown(int key) { return (::GetKeyState(key) & 0x8000) != 0; }

}  // namespace

int EditWindowView::ListOfId(int id) const {
  if (id == kEditRunIds.list) return static_cast<int>(EditListId::kRunSort);
  if (id == kEditRunIds.lowerList) return static_cast<int>(EditListId::kRunDisabled);
  if (id == kEditStartupIds.list) return static_cast<int>(EditListId::kStartup);
  if (id == kEditStartupIds.lowerList) return static_cast<int>(EditListId::kStartupDisabled);
  return -1;
}

int EditWindowView::ListOfWindow(HWND window) const {
  for (int list = 0; list < kEditListCount; ++list) {
    if (window != nullptr && lists_[list].Handle() == window) return list;
  }
  return -1;
}

void EditWindowView::OnCommand(int id, int notifyCode) {
  if (logic_ == nullptr) return;
  FlushSelectionChanges();
  // Enter (keyboard navigation sends it as IDOK): in a pause field it presses that field's
  // "set".
  if (id == IDOK) {
    HWND focus = ::GetFocus();
    for (int page = 0; page < 2; ++page) {
      const EditPageIds& ids = PageIds(page);
      if (focus == Item(ids.pause) && ItemEnabled(ids.setPause)) OnButton(ids.setPause);
    }
    return;
  }
  if (id >= kEditMenuRunId && id < kEditMenuPriorityFirstId + 8 && notifyCode == 0) {
    OnMenuCommand(id);
    return;
  }
  if (notifyCode == BN_CLICKED) OnButton(id);
}

void EditWindowView::OnButton(int id) {
  EditWindow& logic = *logic_;
  const bool shift = KeyDown(VK_SHIFT);
  for (int page = 0; page < 2; ++page) {
    const EditPageIds& ids = PageIds(page);
    const EditListId upper = page == 0 ? EditListId::kRunSort : EditListId::kStartup;
    if (id == ids.top) logic.OnMoveTop(upper);
    if (id == ids.up) logic.OnMoveUp(upper);
    if (id == ids.down) logic.OnMoveDown(upper);
    if (id == ids.bottom) logic.OnMoveBottom(upper);
  }
  const EditPageIds& run = kEditRunIds;
  const EditPageIds& startup = kEditStartupIds;
  if (id == run.disable) logic.OnDisableRunClicked();
  if (id == run.exclude) logic.OnExcludeRunClicked();
  if (id == run.properties) logic.OnRunPropertiesClicked(shift);
  if (id == run.setPause) logic.OnSetRunPauseClicked(ItemText(run.pause));
  if (id == run.enable) logic.OnRunEnableClicked();
  if (id == run.remove) logic.OnRunDeleteClicked();
  if (id == run.otherProperties) logic.OnRunOtherPropertiesClicked();
  if (id == startup.disable) logic.OnDisableStartupClicked();
  if (id == startup.exclude) logic.OnExcludeStartupClicked();
  if (id == startup.properties) logic.OnStartupPropertiesClicked(shift);
  if (id == startup.move) logic.OnMoveShortcutClicked();
  if (id == startup.setPause) logic.OnSetStartupPauseClicked(ItemText(startup.pause));
  if (id == startup.enable) logic.OnStartupEnableClicked();
  if (id == startup.remove) logic.OnStartupDeleteClicked();
  if (id == startup.otherProperties) logic.OnStartupOtherPropertiesClicked();
}

void EditWindowView::OnMenuCommand(int id) {
  EditWindow& logic = *logic_;
  const std::vector<PriorityChoice>& priorities = PriorityChoices();
  const int priority = id - kEditMenuPriorityFirstId;
  if (priority >= 0 && priority < static_cast<int>(priorities.size())) {
    logic.OnPriorityChosen(priorities[priority].priorityClass);
    return;
  }
  switch (id) {
    case kEditMenuRunId:
      logic.OnRunChosen();
      break;
    case kEditMenuDisableId:
      logic.OnDisableChosen();
      break;
    case kEditMenuEnableId:
      logic.OnEnableChosen();
      break;
    case kEditMenuExcludeId:
      logic.OnExcludeChosen();
      break;
    case kEditMenuDeleteId:
      logic.OnDeleteChosen();
      break;
    case kEditMenuFindTargetId:
      logic.OnFindTargetChosen();
      break;
    case kEditMenuPropertiesId:
      logic.OnPropertiesChosen();
      break;
    case kEditMenuSearchId:
      logic.OnInternetSearchChosen();
      break;
    case kEditMenuNewItemId:
      logic.OnNewItemChosen();
      break;
    default:
      break;
  }
}

void EditWindowView::OpenPopupMenu() {
  const EditMenu& state = logic_->Menu();
  HMENU priorities = ::CreatePopupMenu();
  const std::vector<PriorityChoice>& choices = PriorityChoices();
  for (std::size_t i = 0; i < choices.size(); ++i) {
    const std::int32_t value = choices[i].priorityClass;
    const bool mid = value == 0x8000 || value == 0x4000;  // Above Normal, Below Normal
    UINT flags = MF_STRING;
    if (mid && !state.midPriorities) flags |= MF_GRAYED;
    if (state.checkedPriority != 0 && value == state.checkedPriority) flags |= MF_CHECKED;
    ::AppendMenuA(priorities, flags, kEditMenuPriorityFirstId + static_cast<int>(i),
                  choices[i].caption);
  }
  HMENU menu = ::CreatePopupMenu();
  auto add = [menu](int id, const char* caption, bool enabled) {
    ::AppendMenuA(menu, MF_STRING | (enabled ? 0u : MF_GRAYED), id, caption);
  };
  add(kEditMenuRunId, "Run", state.run);
  ::AppendMenuA(menu, MF_POPUP | (state.priority ? 0u : MF_GRAYED),
                reinterpret_cast<UINT_PTR>(priorities), "Run Priority");
  ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  add(kEditMenuDisableId, "Disable", state.disable);
  add(kEditMenuEnableId, "Enable", state.enable);
  add(kEditMenuExcludeId, "Exclude", state.exclude);
  add(kEditMenuDeleteId, "Delete", state.remove);
  ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  add(kEditMenuFindTargetId, "Find Target", state.findTarget);
  add(kEditMenuPropertiesId, "Properties", state.properties);
  add(kEditMenuSearchId, "Internet Search", state.search);
  ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  add(kEditMenuNewItemId, "New Item", state.newItem);

  POINT point{};
  const int active = logic_->ActiveList();
  if (menuAtRow_ && active >= 0 && active < kEditListCount) {
    point = lists_[active].MenuPoint();
  } else {
    ::GetCursorPos(&point);
    point.x += 10;
  }
  menuAtRow_ = false;
  // The menu closes when the user clicks elsewhere only if its owner is in front.
  ::SetForegroundWindow(Handle());
  const int chosen =
      static_cast<int>(::TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD,
                                        point.x, point.y, 0, Handle(), nullptr));
  ::DestroyMenu(menu);  // with its sub-menu
  if (chosen != 0) OnMenuCommand(chosen);
}

void EditWindowView::NoteSelectionChange(EditListId list) {
  pendingSelection_ |= 1u << static_cast<int>(list);
  if (selectionPosted_) return;
  selectionPosted_ = true;
  ::PostMessageA(Handle(), kSelectionMessage, 0, 0);
}

void EditWindowView::FlushSelectionChanges() {
  const unsigned pending = pendingSelection_;
  pendingSelection_ = 0;
  for (int list = 0; list < kEditListCount; ++list) {
    if ((pending & (1u << list)) != 0) logic_->OnSelectionChanged(static_cast<EditListId>(list));
  }
}

bool EditWindowView::OnListNotify(EditListId list, NMHDR* header, LRESULT& result) {
  const int index = static_cast<int>(list);
  switch (header->code) {
    case LVN_ITEMCHANGED: {
      auto* change = reinterpret_cast<NMLISTVIEW*>(header);
      if (lists_[index].Filling() || (change->uChanged & LVIF_STATE) == 0) return false;
      const UINT changed = change->uNewState ^ change->uOldState;
      const int count = static_cast<int>(logic_->List(list).size());
      // -1: every row at once (a click in the empty part clears the whole selection).
      const int first = change->iItem < 0 ? 0 : change->iItem;
      const int last = change->iItem < 0 ? count - 1 : change->iItem;
      for (int row = first; row <= last && row < count; ++row) {
        if ((changed & LVIS_SELECTED) != 0) {
          logic_->SetSelected(list, row, (change->uNewState & LVIS_SELECTED) != 0);
        }
        if ((changed & LVIS_FOCUSED) != 0 && (change->uNewState & LVIS_FOCUSED) != 0) {
          logic_->SetFocused(list, row);
        }
      }
      if ((changed & LVIS_SELECTED) != 0) NoteSelectionChange(list);
      return false;
    }
    case NM_CLICK:
    case NM_RCLICK: {
      const bool right = header->code == NM_RCLICK;
      // A click always counts as a selection change, also on the row already selected.
      NoteSelectionChange(list);
      FlushSelectionChanges();
      menuAtRow_ = false;
      logic_->OnMouseDown(list, right);
      // The list would send WM_CONTEXTMENU as well: the menu opens once.
      result = right ? TRUE : FALSE;
      return true;
    }
    case NM_CUSTOMDRAW: {
      auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(header);
      if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) {
        result = CDRF_NOTIFYITEMDRAW;
        return true;
      }
      if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
        COLORREF grey = 0;
        if (EditListControl::GreyText(logic_->List(list), draw->nmcd.dwItemSpec, grey)) {
          draw->clrText = grey;
        }
        result = CDRF_NEWFONT;
        return true;
      }
      return false;
    }
    default:
      return false;
  }
}

bool EditWindowView::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case kSelectionMessage:
      selectionPosted_ = false;
      if (logic_ != nullptr) FlushSelectionChanges();
      result = 0;
      return true;
    case kPopupMessage:
      if (logic_ != nullptr) OpenPopupMenu();
      result = 0;
      return true;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (header->idFrom == static_cast<UINT_PTR>(kEditTabsId) && header->code == TCN_SELCHANGE) {
        ShowPage(CurrentPage());
        return false;
      }
      const int list = ListOfId(static_cast<int>(header->idFrom));
      if (list < 0 || logic_ == nullptr) return false;
      return OnListNotify(static_cast<EditListId>(list), header, result);
    }
    case WM_CONTEXTMENU: {
      const int list = ListOfWindow(reinterpret_cast<HWND>(wParam));
      if (list < 0 || logic_ == nullptr) return false;
      // From the keyboard the point is -1, -1: the menu opens at the focused row.
      if (lParam == -1) {
        OpenMenuFromKeyboard(static_cast<EditListId>(list));
      } else {
        FlushSelectionChanges();
        logic_->OnMouseDown(static_cast<EditListId>(list), true);
      }
      result = 0;
      return true;
    }
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      info->ptMinTrackSize = POINT{Scaled(420), Scaled(380)};
      result = 0;
      return true;
    }
    case WM_LBUTTONDOWN: {
      const POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      if (!InSplitter(point)) return false;
      dragging_ = true;
      dragOffset_ = point.y - EditSplitterRect(1, split_[CurrentPage()]).top;
      ::SetCapture(Handle());
      result = 0;
      return true;
    }
    case WM_MOUSEMOVE:
      if (!dragging_) return false;
      MoveSplitter(static_cast<short>(HIWORD(lParam)) - dragOffset_);
      result = 0;
      return true;
    case WM_LBUTTONUP:
      if (!dragging_) return false;
      dragging_ = false;
      ::ReleaseCapture();
      result = 0;
      return true;
    case WM_CAPTURECHANGED:
      dragging_ = false;
      return false;
    default:
      return false;
  }
}

void EditWindowView::OpenMenuFromKeyboard(EditListId list) {
  FlushSelectionChanges();
  logic_->OnMouseDown(list, true);
  // The logic asked for its menu (posted): it opens at the focused row.
  menuAtRow_ = true;
}

bool EditWindowView::InSplitter(POINT client) const {
  RECT clientRect{};
  ::GetClientRect(Handle(), &clientRect);
  const RECT band = EditSplitterRect(clientRect.right, split_[CurrentPage()]);
  return ::PtInRect(&band, client) != FALSE;
}

void EditWindowView::MoveSplitter(int top) {
  // The splitter's top is the upper pane's height counted from the page's top.
  RECT clientRect{};
  ::GetClientRect(Handle(), &clientRect);
  const int pageTop = EditSplitterRect(1, 0).top;
  const int page = CurrentPage();
  const int split = ClampSplit(top - pageTop, clientRect.bottom);
  if (split == split_[page]) return;
  split_[page] = split;
  Layout();
}

bool EditWindowView::OnSetCursor() {
  POINT point{};
  ::GetCursorPos(&point);
  ::ScreenToClient(Handle(), &point);
  if (!dragging_ && !InSplitter(point)) return false;
  ::SetCursor(::LoadCursorA(nullptr, MAKEINTRESOURCEA(32645)));  // IDC_SIZENS
  return true;
}

bool EditWindowView::OnKey(UINT message, UINT key, HWND focus) {
  if (logic_ == nullptr || !Visible()) return false;
  const bool control = KeyDown(VK_CONTROL);
  const bool shift = KeyDown(VK_SHIFT);
  const int list = ListOfWindow(focus);
  // The context-menu key and Shift+F10 (a system key) open the pop-up at the focused row, when
  // the key is released, as Windows does: opened at the press, the menu would get the release
  // and close again at once. Both presses and releases are taken here, so that the list does not
  // make a second WM_CONTEXTMENU of them.
  const bool released = message == WM_KEYUP || message == WM_SYSKEYUP;
  if (list >= 0 && !released && (key == VK_APPS || (key == VK_F10 && shift && !control))) {
    menuKeyDown_ = key;
    return true;
  }
  if (released && key == menuKeyDown_ && key != 0) {
    menuKeyDown_ = 0;
    if (list >= 0) OpenMenuFromKeyboard(static_cast<EditListId>(list));
    return true;
  }
  if (message != WM_KEYDOWN || KeyDown(VK_MENU)) return false;
  // Ctrl+Tab, Ctrl+Shift+Tab, Ctrl+PgDn and Ctrl+PgUp: the other page (there are two).
  if (control && (key == VK_TAB || key == VK_NEXT || key == VK_PRIOR)) {
    ShowPage(1 - CurrentPage());
    return true;
  }
  if (list < 0) return false;
  FlushSelectionChanges();
  const auto id = static_cast<EditListId>(list);
  const bool upper = id == EditListId::kRunSort || id == EditListId::kStartup;
  const EditPageIds& ids =
      PageIds(id == EditListId::kRunSort || id == EditListId::kRunDisabled ? 0 : 1);
  if (key == VK_DELETE && !control && !shift) {
    // Upper lists: Disable, with its question; lower lists: Delete. Only what the button
    // offers now.
    const int button = upper ? ids.disable : ids.remove;
    if (ItemEnabled(button)) {
      OnButton(button);
    } else {
      ::MessageBeep(MB_OK);
    }
    return true;
  }
  if (control && upper && (key == VK_UP || key == VK_DOWN)) {
    if (key == VK_UP) {
      logic_->OnMoveUp(id);
    } else {
      logic_->OnMoveDown(id);
    }
    // The keyboard goes on from the moved rows.
    const int first = FirstSelected(logic_->List(id));
    if (first >= 0) {
      logic_->SetFocused(id, first);
      lists_[list].Focus(first);
    }
    return true;
  }
  return false;
}

}  // namespace lw
