#include "edit/win32/EditListControl.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstring>

#include "ui/win32/Win32Application.h"
#include "ui/win32/Win32Form.h"

namespace lw {

namespace {

constexpr COLORREF kGreyText = 0x808080;

HICON FileIcon(const EditRow& row) {
  if (row.icon == RowIcon::kFile) {
    return AssociatedIcon(row.iconFile);
  }
  SHFILEINFOA info{};
  if (::SHGetFileInfoA(row.iconFile.c_str(), 0, &info, sizeof info,
                       SHGFI_ICON | SHGFI_SMALLICON | SHGFI_SYSICONINDEX) == 0) {
    return nullptr;
  }
  return info.hIcon;
}

}  // namespace

EditListControl::~EditListControl() {
  if (icons_ != nullptr) ImageList_Destroy(icons_);
}

void EditListControl::Attach(HWND list) {
  list_ = list;
  icons_ = ImageList_Create(::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON),
                            ILC_COLOR32 | ILC_MASK, 8, 8);
  HICON own = static_cast<HICON>(
      ::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kApplicationIconId), IMAGE_ICON,
                   ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  if (own == nullptr) own = ::LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
  ImageList_AddIcon(icons_, own);
  // The list does not free an image list it was given as shared.
  ::SetWindowLongA(list_, GWL_STYLE, ::GetWindowLongA(list_, GWL_STYLE) | LVS_SHAREIMAGELISTS);
  ListView_SetImageList(list_, icons_, LVSIL_SMALL);
}

void EditListControl::SetColumns(const std::vector<EditColumn>& columns) {
  while (ListView_DeleteColumn(list_, 0)) {
  }
  RECT client{};
  ::GetClientRect(list_, &client);
  const double width = client.right - client.left;
  int index = 0;
  for (const EditColumn& column : columns) {
    LVCOLUMNA header{};
    header.mask = LVCF_TEXT | LVCF_WIDTH;
    header.pszText = const_cast<char*>(column.caption);
    header.cx = static_cast<int>(width * column.widthFactor);
    ::SendMessageA(list_, LVM_INSERTCOLUMNA, index++, reinterpret_cast<LPARAM>(&header));
  }
}

int EditListControl::IconIndex(const EditRow& row) {
  if (row.icon == RowIcon::kProgram || row.iconFile.empty()) return 0;
  const std::string key = (row.icon == RowIcon::kFile ? "f:" : "s:") + row.iconFile;
  const auto found = iconOf_.find(key);
  if (found != iconOf_.end()) return found->second;
  HICON icon = FileIcon(row);
  int index = 0;
  if (icon != nullptr) {
    index = ImageList_AddIcon(icons_, icon);
    ::DestroyIcon(icon);
    if (index < 0) index = 0;
  }
  iconOf_[key] = index;
  return index;
}

void EditListControl::Fill(const EditList& rows) {
  filling_ = true;
  const int top = ListView_GetTopIndex(list_);
  ::SendMessageA(list_, WM_SETREDRAW, FALSE, 0);
  ListView_DeleteAllItems(list_);
  for (std::size_t index = 0; index < rows.size(); ++index) {
    const EditRow& row = rows[index];
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_STATE;
    item.iItem = static_cast<int>(index);
    item.pszText = const_cast<char*>(row.caption.c_str());
    item.iImage = IconIndex(row);
    item.state = (row.selected ? LVIS_SELECTED : 0u) | (row.focused ? LVIS_FOCUSED : 0u);
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    const int at = static_cast<int>(
        ::SendMessageA(list_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (at < 0) continue;
    for (std::size_t sub = 0; sub < row.subItems.size(); ++sub) {
      LVITEMA text{};
      text.iSubItem = static_cast<int>(sub + 1);
      text.pszText = const_cast<char*>(row.subItems[sub].c_str());
      ::SendMessageA(list_, LVM_SETITEMTEXTA, at, reinterpret_cast<LPARAM>(&text));
    }
    // The insertion may leave the states to the list: they are set once more.
    ListView_SetItemState(list_, at, item.state, LVIS_SELECTED | LVIS_FOCUSED);
  }
  // Back to where the user was looking.
  if (top > 0 && !rows.empty()) {
    RECT first{};
    if (ListView_GetItemRect(list_, 0, &first, LVIR_BOUNDS)) {
      ListView_Scroll(list_, 0, top * (first.bottom - first.top));
    }
  }
  ::SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(list_, nullptr, TRUE);
  filling_ = false;
}

void EditListControl::Focus(int row) {
  filling_ = true;
  ListView_SetItemState(list_, row, LVIS_FOCUSED, LVIS_FOCUSED);
  ListView_EnsureVisible(list_, row, FALSE);
  filling_ = false;
}

POINT EditListControl::MenuPoint() const {
  int row = ListView_GetNextItem(list_, -1, LVNI_FOCUSED);
  if (row < 0) row = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
  POINT point{4, 4};
  RECT rect{};
  if (row >= 0 && ListView_GetItemRect(list_, row, &rect, LVIR_LABEL)) {
    point = POINT{rect.left + 10, rect.bottom};
  }
  ::ClientToScreen(list_, &point);
  return point;
}

bool EditListControl::GreyText(const EditList& rows, std::size_t row, COLORREF& color) {
  if (row >= rows.size() || !rows[row].grey) return false;
  color = kGreyText;
  return true;
}

}  // namespace lw
