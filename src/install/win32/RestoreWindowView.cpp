#include "install/win32/RestoreWindowView.h"

#include <shellapi.h>

#include <cstring>
#include <string>

#include "platform/Platform.h"
#include "ui/win32/Win32Application.h"
#include "util/Error.h"
#include "util/Termination.h"
#include "util/Text.h"

namespace lw {

namespace {

constexpr UINT kShowWarningMessage = WM_APP + 1;
constexpr COLORREF kUncheckedText = 0x808080;

FormSpec Form() {
  // No border icons: the window closes with its Close button (or Esc).
  return {kRestoreWindowClass, kRestoreWindowCaption, 664, 413, WS_CAPTION | WS_BORDER};
}

std::vector<ControlSpec> Controls() {
  return {
      {kRestoreRemoveId, ControlKind::kCheckBox, kRestoreRemoveCaption, 8, 384, 330, 17},
      {kRestoreButtonId, ControlKind::kButton, "Restore", 496, 380, 75, 25},
      {kRestoreCloseId, ControlKind::kButton, "Close", 581, 380, 75, 25},
  };
}

// The state pictures: 0 an empty box, 1 a box with a black tick, 2 a pale blue box with a white
// tick (given back), 3 a black question mark on white (not given back).
HIMAGELIST MakeStateImages() {
  const int size = 16;
  HIMAGELIST images = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 4, 0);
  HDC screen = ::GetDC(nullptr);
  HDC dc = ::CreateCompatibleDC(screen);
  for (int picture = 0; picture < 4; ++picture) {
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, size, size);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    RECT all{0, 0, size, size};
    ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    RECT box{2, 2, 15, 15};
    const COLORREF fill = picture == 2 ? RGB(160, 200, 240) : RGB(255, 255, 255);
    HBRUSH brush = ::CreateSolidBrush(fill);
    ::FillRect(dc, &box, brush);
    ::DeleteObject(brush);
    ::FrameRect(dc, &box,
                static_cast<HBRUSH>(::GetStockObject(picture == 2 ? GRAY_BRUSH : BLACK_BRUSH)));
    if (picture == 1 || picture == 2) {
      HPEN pen = ::CreatePen(PS_SOLID, 2, picture == 1 ? RGB(0, 0, 0) : RGB(255, 255, 255));
      HGDIOBJ oldPen = ::SelectObject(dc, pen);
      ::MoveToEx(dc, 4, 8, nullptr);
      ::LineTo(dc, 7, 11);
      ::LineTo(dc, 12, 4);
      ::SelectObject(dc, oldPen);
      ::DeleteObject(pen);
    }
    if (picture == 3) {
      ::SetBkMode(dc, TRANSPARENT);
      ::SetTextColor(dc, RGB(0, 0, 0));
      HGDIOBJ oldFont = ::SelectObject(dc, FormFont());
      ::DrawTextA(dc, "?", 1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      ::SelectObject(dc, oldFont);
    }
    ::SelectObject(dc, old);
    ImageList_AddMasked(images, bitmap, RGB(1, 2, 3));
    ::DeleteObject(bitmap);
  }
  ::DeleteDC(dc);
  ::ReleaseDC(nullptr, screen);
  return images;
}

void AddColumn(HWND list, int index, const char* caption, int width) {
  LVCOLUMNA column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.pszText = const_cast<char*>(caption);
  column.cx = Scaled(width);
  ::SendMessageA(list, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column));
}

void SetCellText(HWND list, int row, int column, const std::string& text) {
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = const_cast<char*>(text.c_str());
  ::SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

// The icon a row shows: the program's for a command, the shell's for a shortcut; -1 for none.
int AddRowIcon(HIMAGELIST icons, const RestoreRow& row) {
  if (row.iconFile.empty()) return -1;
  HICON icon = nullptr;
  if (row.runKey) {
    icon = AssociatedIcon(row.iconFile);
  } else {
    SHFILEINFOA info{};
    if (::SHGetFileInfoA(row.iconFile.c_str(), 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON))
      icon = info.hIcon;
  }
  if (icon == nullptr) return -1;
  const int index = ImageList_AddIcon(icons, icon);
  ::DestroyIcon(icon);
  return index;
}

}  // namespace

RestoreWindowView::RestoreWindowView() : Win32Form(Form(), Controls()) {
  HWND list = ::CreateWindowExA(
      WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
      WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER,
      Scaled(8), Scaled(8), Scaled(648), Scaled(364), Handle(),
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kRestoreListId)), ::GetModuleHandleA(nullptr),
      nullptr);
  if (list == nullptr) throw Error("Unable to create the list of the restore window");
  ::SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(FormFont()), FALSE);
  // The list comes first when the user tabs through the window.
  ::SetWindowPos(list, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ListView_SetExtendedListViewStyle(
      list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP | LVS_EX_DOUBLEBUFFER);
  AddColumn(list, 0, "Name", 220);
  AddColumn(list, 1, "Status", 90);
  AddColumn(list, 2, "Restore Status", 250);
  icons_ = ImageList_Create(::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON),
                            ILC_COLOR32 | ILC_MASK, 8, 8);
  states_ = MakeStateImages();
  ListView_SetImageList(list, icons_, LVSIL_SMALL);
  ListView_SetImageList(list, states_, LVSIL_STATE);
}

RestoreWindowView::~RestoreWindowView() = default;

int RestoreWindowView::Execute() {
  // Made at the first show, not with the window: a logon start creates the window too, and must
  // not pay for the mover's snapshots. Kept for the program's run, so that the warning about
  // unchecked rows comes once.
  if (window_ == nullptr) {
    mover_ = std::make_unique<StartupMover>();
    window_ = std::make_unique<RestoreWindow>(*mover_, reload_);
  }
  window_->Load();
  Fill();
  SetItemEnabled(kRestoreButtonId, !restoreDone_);
  SetItemEnabled(kRestoreCloseId, true);
  ::SetFocus(List());
  return ShowModal();
}

void RestoreWindowView::Fill() {
  filling_ = true;
  HWND list = List();
  ListView_DeleteAllItems(list);
  ImageList_RemoveAll(icons_);
  HICON own = static_cast<HICON>(
      ::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kApplicationIconId), IMAGE_ICON,
                   ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0));
  if (own == nullptr) own = ::LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
  ImageList_AddIcon(icons_, own);
  const std::vector<RestoreRow>& rows = window_->Rows();
  for (std::size_t index = 0; index < rows.size(); ++index) {
    const RestoreRow& row = rows[index];
    const int icon = AddRowIcon(icons_, row);
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_STATE;
    item.iItem = static_cast<int>(index);
    item.pszText = const_cast<char*>(row.caption.c_str());
    item.iImage = icon < 0 ? 0 : icon;
    item.state = INDEXTOSTATEIMAGEMASK(StateImageOf(row));
    item.stateMask = LVIS_STATEIMAGEMASK;
    const int at =
        static_cast<int>(::SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    // A list with check boxes starts every new row unchecked, whatever the insertion asked for.
    ListView_SetItemState(list, at, INDEXTOSTATEIMAGEMASK(StateImageOf(row)), LVIS_STATEIMAGEMASK);
    SetCellText(list, static_cast<int>(index), 1, row.status);
    SetCellText(list, static_cast<int>(index), 2, row.restoreStatus);
  }
  filling_ = false;
}

int RestoreWindowView::StateImageOf(const RestoreRow& row) const {
  // State images count from 1: 1 and 2 are the list's own unchecked and checked.
  switch (row.mark) {
    case RestoreMark::kRestored:
      return 3;
    case RestoreMark::kNotRestored:
      return 4;
    case RestoreMark::kNone:
      break;
  }
  return row.checked ? 2 : 1;
}

void RestoreWindowView::OnCommand(int id, int notifyCode) {
  if (notifyCode != BN_CLICKED) return;
  if (id == kRestoreButtonId) OnRestoreClicked();
  if (id == kRestoreCloseId) EndModal(IDCANCEL);
}

void RestoreWindowView::OnRestoreClicked() {
  if (window_ == nullptr || restoreDone_) return;
  restoreDone_ = true;
  SetItemEnabled(kRestoreButtonId, false);
  SetItemEnabled(kRestoreCloseId, false);
  // Close comes back whatever happens, so the window can always be left.
  struct CloseAgain {
    RestoreWindowView& view;
    ~CloseAgain() { view.SetItemEnabled(kRestoreCloseId, true); }
  } closeAgain{*this};
  window_->RunRestore(ItemChecked(kRestoreRemoveId), this);
}

void RestoreWindowView::RowChanged(int index) {
  const RestoreRow& row = window_->Rows().at(index);
  filling_ = true;
  ListView_SetItemState(List(), index, INDEXTOSTATEIMAGEMASK(StateImageOf(row)),
                        LVIS_STATEIMAGEMASK);
  filling_ = false;
  SetCellText(List(), index, 2, row.restoreStatus);
  ListView_RedrawItems(List(), index, index);
  ::UpdateWindow(List());
}

void RestoreWindowView::Repaint() {
  ::UpdateWindow(List());
  Sys().ProcessMessages();
}

bool RestoreWindowView::OnMessage(UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
  if (message == kShowWarningMessage) {
    if (window_ != nullptr) window_->OnUserChangedChecks();
    result = 0;
    return true;
  }
  if (message != WM_NOTIFY) return false;
  auto* header = reinterpret_cast<NMHDR*>(lParam);
  if (header->idFrom != static_cast<UINT_PTR>(kRestoreListId) || window_ == nullptr) return false;
  return OnListNotify(header, result);
}

bool RestoreWindowView::OnListNotify(NMHDR* header, LRESULT& result) {
  const std::vector<RestoreRow>& rows = window_->Rows();
  switch (header->code) {
    case LVN_ITEMCHANGING: {
      // Once the items went back, their marks are the record of it: no more ticking.
      auto* change = reinterpret_cast<NMLISTVIEW*>(header);
      result = (!filling_ && restoreDone_ && (change->uChanged & LVIF_STATE) != 0 &&
                ((change->uNewState ^ change->uOldState) & LVIS_STATEIMAGEMASK) != 0)
                   ? TRUE
                   : FALSE;
      return true;
    }
    case LVN_ITEMCHANGED: {
      auto* change = reinterpret_cast<NMLISTVIEW*>(header);
      if (filling_ || (change->uChanged & LVIF_STATE) == 0 || change->iItem < 0) return false;
      if (((change->uNewState ^ change->uOldState) & LVIS_STATEIMAGEMASK) == 0) return false;
      const bool checked = ((change->uNewState & LVIS_STATEIMAGEMASK) >> 12) == 2;
      if (rows.at(change->iItem).checked == checked) return false;
      window_->SetChecked(change->iItem, checked);
      ListView_RedrawItems(List(), change->iItem, change->iItem);
      // The warning waits until the click or key that changed the box is over.
      if (!window_->WarningShown()) ::PostMessageA(Handle(), kShowWarningMessage, 0, 0);
      result = 0;
      return true;
    }
    case NM_CUSTOMDRAW: {
      auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(header);
      if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) {
        result = CDRF_NOTIFYITEMDRAW;
        return true;
      }
      if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
        const std::size_t index = draw->nmcd.dwItemSpec;
        if (index < rows.size() && !rows[index].checked) draw->clrText = kUncheckedText;
        result = CDRF_NEWFONT;
        return true;
      }
      return false;
    }
    case LVN_GETINFOTIPA: {
      auto* tip = reinterpret_cast<NMLVGETINFOTIPA*>(header);
      if (tip->iItem < 0 || static_cast<std::size_t>(tip->iItem) >= rows.size() ||
          tip->cchTextMax <= 0)
        return false;
      const std::string text = window_->InfoTip(tip->iItem);
      const std::string shown = TruncateText(text, static_cast<std::size_t>(tip->cchTextMax - 1));
      std::memcpy(tip->pszText, shown.c_str(), shown.size() + 1);
      result = 0;
      return true;
    }
    default:
      return false;
  }
}

}  // namespace lw
