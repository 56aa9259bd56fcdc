#include "ui/win32/NewItemDialogView.h"

#include <commdlg.h>

#include <vector>

#include "platform/win32/Win32SystemLibrary.h"
#include "util/Error.h"
#include "util/Text.h"

namespace lw {

namespace {

// The folder icon among the shell's own resources, for the browse button.
constexpr int kShellFolderIconId = 4;

FormSpec Form() {
  FormSpec form{kNewItemDialogClass, kNewItemCaption, 585, 150, WS_CAPTION | WS_SYSMENU};
  form.outerSize = true;
  return form;
}

std::vector<ControlSpec> Controls() {
  return {
      {kNewItemNameLabelId, ControlKind::kLabel, kNewItemNameLabel, 8, 14, 80, 13},
      {kNewItemNameId, ControlKind::kEdit, "", 96, 10, 121, 21},
      {kNewItemPathLabelId, ControlKind::kLabel, kNewItemPathLabel, 8, 44, 80, 13},
      {kNewItemPathId, ControlKind::kEdit, "", 96, 40, 441, 21},
      {kNewItemBrowseId, ControlKind::kButton, "...", 541, 39, 23, 23},
      {kNewItemAddId, ControlKind::kButton, kNewItemAddCaption, 408, 78, 75, 25},
      {kNewItemCancelId, ControlKind::kButton, kNewItemCancelCaption, 489, 78, 75, 25},
  };
}

}  // namespace

NewItemDialogView::NewItemDialogView() : Win32Form(Form(), Controls()), logic_(*this) {
  // The shell's folder picture on the browse button; without it the button keeps its "...".
  HMODULE shell = ::GetModuleHandleA("shell32.dll");
  HANDLE icon = shell == nullptr ? nullptr
                                 : ::LoadImageA(shell, MAKEINTRESOURCEA(kShellFolderIconId),
                                                IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                                ::GetSystemMetrics(SM_CYSMICON), LR_SHARED);
  if (icon != nullptr) {
    HWND browse = Item(kNewItemBrowseId);
    ::SetWindowLongA(browse, GWL_STYLE, ::GetWindowLongA(browse, GWL_STYLE) | BS_ICON);
    ::SendMessageA(browse, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
  }
  logic_.OnShow();
}

int NewItemDialogView::Execute() {
  logic_.OnShow();
  return ShowModal();
}

void NewItemDialogView::SetFilter(const std::string& filter) {
  const std::size_t bar = filter.find('|');
  filterPattern_ = TrimBlanks(bar == std::string::npos ? filter : filter.substr(bar + 1));
  filterName_ = bar == std::string::npos ? filterPattern_ : TrimBlanks(filter.substr(0, bar));
}

bool NewItemDialogView::ChooseProgram(std::string& path) {
  // The filter: pairs of description and pattern, each ending in a zero, and one more at the
  // end.
  std::string filter = filterName_;
  filter += '\0';
  filter += filterPattern_;
  filter += '\0';
  filter += '\0';
  std::vector<char> file(MAX_PATH * 4, '\0');
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = Handle();
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  const CommonDialogFunctions& dialogs = CommonDialogLibrary();
  if (dialogs.error != ERROR_SUCCESS) {
    throw Error("Unable to show the file dialog (error " + std::to_string(dialogs.error) + ")");
  }
  if (!dialogs.getOpenFileName(&dialog)) return false;
  path = file.data();
  return true;
}

void NewItemDialogView::OnCommand(int id, int notifyCode) {
  switch (id) {
    case kNewItemNameId:
    case kNewItemPathId:
      if (notifyCode == EN_CHANGE) logic_.OnTextChanged();
      break;
    case kNewItemBrowseId:
      if (notifyCode == BN_CLICKED) logic_.OnBrowseClicked();
      break;
    case kNewItemAddId:
      // The button is disabled unless the entry is whole; Enter may still reach here.
      if (notifyCode == BN_CLICKED && NewItemCanBeAdded(NameText(), PathText())) {
        EndModal(IDOK);
      }
      break;
    case kNewItemCancelId:
      if (notifyCode == BN_CLICKED) OnClose();
      break;
    default:
      break;
  }
}

}  // namespace lw
