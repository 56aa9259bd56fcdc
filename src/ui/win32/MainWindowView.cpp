#include "ui/win32/MainWindowView.h"

#include <string>
#include <utility>

#include "ui/Dialogs.h"
#include "ui/win32/Win32Application.h"

namespace lw {

namespace {

// The title's colour (a dark slate blue), as COLORREF (0x00BBGGRR).
constexpr COLORREF kTitleColor = 5984074;

FormSpec Form() {
  // Only the close box; a button of its own in the task bar, named after the product (the
  // program's other windows share the hidden application window's place, which has none).
  return {kMainWindowClass, kProductTitle, 487, 389, WS_CAPTION | WS_SYSMENU, WS_EX_APPWINDOW};
}

std::vector<ControlSpec> Controls() {
  return {
      // The buttons in their tab order.
      {kMainRestoreId, ControlKind::kButton, kRestoreCaption, 16, 144, 97, 25},
      {kMainInstallId, ControlKind::kButton, kInstallCaption, 16, 88, 97, 25},
      {kMainEditId, ControlKind::kButton, kEditCaption, 16, 200, 97, 25},
      {kMainAboutId, ControlKind::kButton, kAboutButtonCaption, 368, 28, 65, 25},
      {kMainOptionsId, ControlKind::kButton, kOptionsButtonCaption, 16, 336, 97, 25},
      {kMainTopBarId, ControlKind::kBar, "", 16, 12, 457, 5},
      {kMainPictureId, ControlKind::kIcon, std::to_string(kApplicationIconId), 16, 24, 33, 33},
      {kMainTitleId, ControlKind::kLabel, kProductTitle, 64, 32, 200, 20},
      {kMainMiddleBarId, ControlKind::kBar, "", 16, 64, 457, 5},
      {kMainInstallTextId, ControlKind::kLabel, kInstallExplanation, 128, 88, 301, 52},
      {kMainRestoreTextId, ControlKind::kLabel, kRestoreExplanation, 128, 144, 302, 52},
      {kMainExcludeTextId, ControlKind::kLabel, kExcludeExplanation, 128, 202, 301, 40},
      {kMainExcludeNoteId, ControlKind::kLabel, kExcludeNote, 128, 244, 308, 32},
      {kMainEditTextId, ControlKind::kLabel, kEditExplanation, 128, 280, 278, 52},
      {kMainOptionsTextId, ControlKind::kLabel, kOptionsExplanation, 128, 336, 301, 16},
  };
}

}  // namespace

MainWindowView::MainWindowView(MainWindowRoutes routes)
    : Win32Form(Form(), Controls()), routes_(std::move(routes)), logic_(*this) {
  SetItemFont(kMainTitleId, {"Verdana", -16, true});
  SetItemTextColor(kMainTitleId, kTitleColor);
  SetItemFont(kMainExcludeNoteId, {"Verdana", -10});
}

void MainWindowView::ShowAndBringToFront() {
  Show();
  ::SetForegroundWindow(Handle());
}

void MainWindowView::OnCommand(int id, int notifyCode) {
  if (notifyCode != BN_CLICKED) return;
  switch (id) {
    case kMainInstallId:
      logic_.OnInstallClicked();
      break;
    case kMainRestoreId:
      logic_.OnRestoreClicked();
      break;
    case kMainEditId:
      logic_.OnEditClicked();
      break;
    case kMainOptionsId:
      logic_.OnOptionsClicked();
      break;
    case kMainAboutId:
      logic_.OnAboutClicked();
      break;
    default:
      break;
  }
}

}  // namespace lw
