#include "edit/win32/EditWindowView.h"

#include <commctrl.h>
#include <shellapi.h>

#include <exception>

#include "runner/LogonRunner.h"
#include "ui/Dialogs.h"
#include "ui/Options.h"
#include "util/Error.h"

namespace lw {

namespace {

constexpr int kGlyphSize = 16;
constexpr COLORREF kGlyphMask = RGB(255, 0, 255);

// The move buttons' pictures: a triangle pointing up or down, with a bar for "to the end".
HICON MakeArrowGlyph(bool up, bool toEnd) {
  const int size = kGlyphSize;
  HIMAGELIST images = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 1, 0);
  HDC screen = ::GetDC(nullptr);
  HDC dc = ::CreateCompatibleDC(screen);
  HBITMAP bitmap = ::CreateCompatibleBitmap(screen, size, size);
  HGDIOBJ old = ::SelectObject(dc, bitmap);
  RECT all{0, 0, size, size};
  HBRUSH mask = ::CreateSolidBrush(kGlyphMask);
  ::FillRect(dc, &all, mask);
  ::DeleteObject(mask);
  const COLORREF ink = ::GetSysColor(COLOR_BTNTEXT);
  HBRUSH brush = ::CreateSolidBrush(ink);
  HPEN pen = ::CreatePen(PS_SOLID, 1, ink);
  HGDIOBJ oldBrush = ::SelectObject(dc, brush);
  HGDIOBJ oldPen = ::SelectObject(dc, pen);
  const int tip = up ? (toEnd ? 6 : 4) : (toEnd ? 9 : 11);
  const int base = up ? (toEnd ? 12 : 11) : (toEnd ? 3 : 4);
  POINT triangle[3] = {{8, tip}, {3, base}, {13, base}};
  ::Polygon(dc, triangle, 3);
  if (toEnd) {
    RECT bar = up ? RECT{3, 3, 14, 5} : RECT{3, 11, 14, 13};
    ::FillRect(dc, &bar, brush);
  }
  ::SelectObject(dc, oldPen);
  ::SelectObject(dc, oldBrush);
  ::DeleteObject(pen);
  ::DeleteObject(brush);
  ::SelectObject(dc, old);
  ImageList_AddMasked(images, bitmap, kGlyphMask);
  ::DeleteObject(bitmap);
  ::DeleteDC(dc);
  ::ReleaseDC(nullptr, screen);
  HICON icon = ImageList_GetIcon(images, 0, ILD_NORMAL);
  ImageList_Destroy(images);
  return icon;
}

const char* const kMoveCaptions[4] = {"Move Top", "Move Up", "Move Down", "Move Bottom"};

// The window rectangle of the given size centred on the area.
void CentreOn(HWND window, const RECT& area) {
  RECT rect{};
  ::GetWindowRect(window, &rect);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  int left = area.left + (area.right - area.left - width) / 2;
  int top = area.top + (area.bottom - area.top - height) / 2;
  // Never with its caption off the screen.
  RECT work{};
  if (::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0)) {
    if (left + width > work.right) left = work.right - width;
    if (top + height > work.bottom) top = work.bottom - height;
    if (left < work.left) left = work.left;
    if (top < work.top) top = work.top;
  }
  ::SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT WorkArea() {
  RECT work{};
  if (!::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0)) {
    work = RECT{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  }
  return work;
}

}  // namespace

EditWindowView::EditWindowView() : Win32Form(EditForm(), EditControlSpecs()) {
  HWND tabs = Item(kEditTabsId);
  for (const char* caption : {kRunKeyPageCaption, kStartupPageCaption}) {
    TCITEMA tab{};
    tab.mask = TCIF_TEXT;
    tab.pszText = const_cast<char*>(caption);
    const int index = static_cast<int>(::SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0));
    ::SendMessageA(tabs, TCM_INSERTITEMA, index, reinterpret_cast<LPARAM>(&tab));
  }
  const int listIds[kEditListCount] = {kEditRunIds.list, kEditRunIds.lowerList,
                                       kEditStartupIds.list, kEditStartupIds.lowerList};
  for (int list = 0; list < kEditListCount; ++list) lists_[list].Attach(Item(listIds[list]));
  for (const EditPageIds* ids : {&kEditRunIds, &kEditStartupIds}) {
    const int moves[4] = {ids->top, ids->up, ids->down, ids->bottom};
    for (int i = 0; i < 4; ++i) SetItemText(moves[i], kMoveCaptions[i]);
    // The pause is a number of milliseconds, or nothing for the default.
    ::SendMessageA(Item(ids->pause), EM_LIMITTEXT, 11, 0);
  }
  MakeMoveGlyphs();
  AddHints();
  split_[0] = split_[1] = Scaled(kEditUpperHeight);
  ShowPage(0);
  ApplyControls();
}

EditWindowView::~EditWindowView() {
  logic_.reset();
  runner_.reset();
  for (HICON glyph : glyphs_) {
    if (glyph != nullptr) ::DestroyIcon(glyph);
  }
  if (tips_ != nullptr) ::DestroyWindow(tips_);
}

void EditWindowView::MakeMoveGlyphs() {
  const bool up[4] = {true, true, false, false};
  const bool toEnd[4] = {true, false, false, true};
  for (int i = 0; i < 4; ++i) glyphs_[i] = MakeArrowGlyph(up[i], toEnd[i]);
  for (const EditPageIds* ids : {&kEditRunIds, &kEditStartupIds}) {
    const int moves[4] = {ids->top, ids->up, ids->down, ids->bottom};
    for (int i = 0; i < 4; ++i) {
      // Without its picture the button shows its caption: still a button that says what it does.
      if (glyphs_[i] == nullptr) continue;
      HWND button = Item(moves[i]);
      ::SetWindowLongA(button, GWL_STYLE, ::GetWindowLongA(button, GWL_STYLE) | BS_ICON);
      ::SendMessageA(button, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(glyphs_[i]));
    }
  }
}

void EditWindowView::AddHints() {
  tips_ = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                            WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr,
                            ::GetModuleHandleA(nullptr), nullptr);
  // Without hints the window works all the same.
  if (tips_ == nullptr) return;
  ::SendMessageA(tips_, TTM_SETMAXTIPWIDTH, 0, Scaled(400));
  for (const EditHint& hint : EditHints()) {
    TOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = Handle();
    tool.uId = reinterpret_cast<UINT_PTR>(Item(hint.id));
    tool.lpszText = const_cast<char*>(hint.text);
    ::SendMessageA(tips_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void EditWindowView::EnsureLogic() {
  if (logic_ != nullptr) return;
  runner_ = std::make_unique<LogonRunner>(StatusCallback{}, RunnerUse::kSingleItems);
  IEditView& view = *this;
  logic_ = std::make_unique<EditWindow>(view, *runner_);
  // The size and the splitters the user left last time.
  RECT rect{};
  ::GetWindowRect(Handle(), &rect);
  EditGeometry geometry{rect.right - rect.left, rect.bottom - rect.top, split_[0], split_[1]};
  logic_->LoadGeometry(geometry);
  split_[0] = geometry.split1;
  split_[1] = geometry.split2;
  ::SetWindowPos(Handle(), nullptr, 0, 0, geometry.width, geometry.height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  Layout();
}

void EditWindowView::ShowFromMain() {
  EnsureLogic();
  logic_->SetOpenedFromTray(false);
  HWND opener = ::GetActiveWindow();
  RECT area = WorkArea();
  if (opener != nullptr && opener != Handle() && ::IsWindowVisible(opener)) {
    ::GetWindowRect(opener, &area);
  }
  CentreOn(Handle(), area);
  logic_->PrepareLists();
  ApplyControls();
  ::SetFocus(lists_[0].Handle());
  ShowModal();
}

void EditWindowView::ShowFromTray() {
  EnsureLogic();
  logic_->SetOpenedFromTray(true);
  if (Visible()) return;
  CentreOn(Handle(), WorkArea());
  logic_->PrepareLists();
  ApplyControls();
  Show();
  ::SetForegroundWindow(Handle());
  ::SetFocus(lists_[0].Handle());
}

void EditWindowView::OnClose() {
  bool endProgram = false;
  if (logic_ != nullptr) {
    endProgram = logic_->OpenedFromTray();
    // The window closes whatever the store says: the order was saved after every move, and a
    // window that cannot be closed would hold the user (and, from the icon, the program).
    try {
      if (Visible()) logic_->SaveGeometry(CurrentGeometry());
      endProgram = logic_->OnClose();
    } catch (const std::exception& error) {
      ShowMessage(error.what());
    }
  }
  dragging_ = false;
  Win32Form::OnClose();
  if (endProgram && closedFromTray_) closedFromTray_();
}

EditGeometry EditWindowView::CurrentGeometry() const {
  RECT rect{};
  ::GetWindowRect(Handle(), &rect);
  return EditGeometry{rect.right - rect.left, rect.bottom - rect.top, split_[0], split_[1]};
}

// --- IEditView ---------------------------------------------------------------------------------

void EditWindowView::ColumnsChanged() {
  for (int list = 0; list < kEditListCount; ++list) {
    lists_[list].SetColumns(EditColumns(static_cast<EditListId>(list)));
  }
}

void EditWindowView::RowsChanged(EditListId list) {
  const int index = static_cast<int>(list);
  lists_[index].Fill(logic_->List(list));
}

void EditWindowView::ControlsChanged() { ApplyControls(); }

void EditWindowView::SelectPage(int page) { ShowPage(page); }

void EditWindowView::ShowPopupMenu() {
  // After the handler that asked for it: the menu's own message loop must not run the logic's
  // other handlers while that one is still at work.
  ::PostMessageA(Handle(), kPopupMessage, 0, 0);
}

bool EditWindowView::AskNewItem(const std::string& filter, std::string& name, std::string& path) {
  return askNewItem_ && askNewItem_(filter, name, path);
}

void EditWindowView::ShowItemProperties(const std::string& path) {
  SHELLEXECUTEINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_INVOKEIDLIST;
  info.lpVerb = "properties";
  info.lpFile = path.c_str();
  info.nShow = SW_SHOWNORMAL;
  // What the shell makes of it is its own affair: a file without a properties sheet shows none.
  ::ShellExecuteExA(&info);
}

std::string EditWindowView::DefaultRunkeyPauseText() { return SharedOptions().RunkeyPauseText(); }

std::string EditWindowView::DefaultStartupPauseText() { return SharedOptions().StartupPauseText(); }

void EditWindowView::ApplyControls() {
  const EditControls fallback;
  const EditControls& c = logic_ != nullptr ? logic_->Controls() : fallback;
  const EditPageIds& run = kEditRunIds;
  const EditPageIds& startup = kEditStartupIds;
  SetItemEnabled(run.disable, c.runDisable);
  SetItemEnabled(run.exclude, c.runExclude);
  SetItemEnabled(run.properties, c.runProperties);
  SetItemEnabled(run.setPause, c.runSetPause);
  SetItemEnabled(run.pause, c.runSetPause);
  SetItemText(run.version, c.versionText);
  SetItemEnabled(run.enable, c.runEnable);
  SetItemEnabled(run.remove, c.runDelete);
  SetItemEnabled(run.otherProperties, c.runOtherProperties);
  if (ItemText(run.enable) != c.runEnableCaption) SetItemText(run.enable, c.runEnableCaption);
  SetItemEnabled(startup.disable, c.startupDisable);
  SetItemEnabled(startup.exclude, c.startupExclude);
  SetItemEnabled(startup.properties, c.startupProperties);
  SetItemEnabled(startup.move, c.startupMove);
  SetItemEnabled(startup.setPause, c.startupSetPause);
  SetItemEnabled(startup.pause, c.startupSetPause);
  SetItemEnabled(startup.enable, c.startupEnable);
  SetItemEnabled(startup.remove, c.startupDelete);
  SetItemEnabled(startup.otherProperties, c.startupOtherProperties);
  if (ItemText(startup.enable) != c.startupEnableCaption) {
    SetItemText(startup.enable, c.startupEnableCaption);
  }
  // A pause text the logic did not change stays as the user typed it.
  const std::string* pauses[2] = {&c.pauseText, &c.startupPauseText};
  const int fields[2] = {run.pause, startup.pause};
  for (int page = 0; page < 2; ++page) {
    if (*pauses[page] == shownPause_[page]) continue;
    shownPause_[page] = *pauses[page];
    SetItemText(fields[page], shownPause_[page]);
  }
}

// --- Pages and layout --------------------------------------------------------------------------

const EditPageIds& EditWindowView::PageIds(int page) const {
  return page == 0 ? kEditRunIds : kEditStartupIds;
}

int EditWindowView::CurrentPage() const {
  const int page = static_cast<int>(::SendMessageA(Item(kEditTabsId), TCM_GETCURSEL, 0, 0));
  return page == 1 ? 1 : 0;
}

void EditWindowView::ShowPage(int page) {
  HWND focus = ::GetFocus();
  bool focusHidden = false;
  ::SendMessageA(Item(kEditTabsId), TCM_SETCURSEL, page, 0);
  for (int p = 0; p < 2; ++p) {
    for (const EditPlace& place : LayoutEditPage(PageIds(p), 100, 100, 10)) {
      HWND control = Item(place.id);
      if (p != page && control == focus) focusHidden = true;
      ::ShowWindow(control, p == page ? SW_SHOWNA : SW_HIDE);
    }
  }
  if (logic_ != nullptr) logic_->SetPage(page);
  Layout();
  if (focusHidden) ::SetFocus(lists_[page == 0 ? 0 : 2].Handle());
}

void EditWindowView::Layout() {
  RECT client{};
  ::GetClientRect(Handle(), &client);
  const int width = client.right;
  const int height = client.bottom;
  if (width <= 0 || height <= 0) return;
  HWND tabs = Item(kEditTabsId);
  const RECT tabsRect = EditTabsRect(width);
  ::MoveWindow(tabs, tabsRect.left, tabsRect.top, tabsRect.right - tabsRect.left,
               tabsRect.bottom - tabsRect.top, TRUE);
  for (int page = 0; page < 2; ++page) {
    split_[page] = ClampSplit(split_[page], height);
    for (const EditPlace& place : LayoutEditPage(PageIds(page), width, height, split_[page])) {
      ::MoveWindow(Item(place.id), place.rect.left, place.rect.top,
                   place.rect.right - place.rect.left, place.rect.bottom - place.rect.top, TRUE);
    }
  }
  ::InvalidateRect(Handle(), nullptr, TRUE);
}

}  // namespace lw
