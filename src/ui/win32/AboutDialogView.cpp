#include "ui/win32/AboutDialogView.h"

#include <string>

#include "ui/AboutDialog.h"
#include "ui/win32/Win32Application.h"

namespace lw {

namespace {

constexpr char kVerdana[] = "Verdana";

FormSpec Form() {
  // No border icons: the Close button (or Alt+F4) hides it.
  return {kAboutDialogClass, kAboutCaption, 307, 181, WS_CAPTION};
}

std::vector<ControlSpec> Controls() {
  return {
      {kAboutPictureId, ControlKind::kIcon, std::to_string(kApplicationIconId), 16, 16, 33, 33},
      {kAboutTitleId, ControlKind::kLabel, kProductTitle, 64, 18, 220, 18},
      {kAboutVersionLabelId, ControlKind::kLabel, kAboutVersionLabel, 64, 42, 64, 14},
      {kAboutVersionId, ControlKind::kLabel, "", 130, 42, 120, 14},
      {kAboutLinkId, ControlKind::kLink, kProjectUrl, 16, 70, 275, 14},
      {kAboutNoteId, ControlKind::kLabel, kAboutNote, 16, 94, 275, 40},
      {kAboutCloseId, ControlKind::kButton, kAboutCloseCaption, 116, 146, 75, 25},
  };
}

}  // namespace

AboutDialogView::AboutDialogView() : Win32Form(Form(), Controls()) {
  SetItemFont(kAboutTitleId, {kVerdana, -13, true});
  SetItemFont(kAboutVersionLabelId, {kVerdana, -11, true});
  SetItemFont(kAboutVersionId, {kVerdana, -11, true});
  SetItemFont(kAboutLinkId, {kVerdana, -11, true, true});
  SetItemTextColor(kAboutLinkId, RGB(0, 0, 255));
  SetItemText(kAboutVersionId, "");
  SetItemText(kAboutVersionId, AboutVersionText());
}

void AboutDialogView::ShowModeless() {
  Show();
  ::SetForegroundWindow(Handle());
}

void AboutDialogView::OnCommand(int id, int notifyCode) {
  if (id == kAboutLinkId && notifyCode == STN_CLICKED) {
    OpenProjectPage();
  } else if (id == kAboutCloseId && notifyCode == BN_CLICKED) {
    Hide();
  }
}

}  // namespace lw
