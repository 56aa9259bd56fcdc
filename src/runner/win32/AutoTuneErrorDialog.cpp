#include "runner/win32/AutoTuneErrorDialog.h"

#include "runner/StartupControl.h"

namespace lw {

namespace {

FormSpec Form() {
  return {kAutoTuneErrorDialogClass, kAutoTuneErrorCaption, 384, 155,
          WS_CAPTION | WS_SYSMENU | WS_THICKFRAME};
}

std::vector<ControlSpec> Controls() {
  return {
      {kAutoTuneErrorTextId, ControlKind::kTextBox, "", 8, 8, 369, 125, true},
      {kAutoTuneErrorStatusBarId, ControlKind::kStatusBar, "", 0, 138, 384, 17},
  };
}

}  // namespace

AutoTuneErrorDialog::AutoTuneErrorDialog() : Win32Form(Form(), Controls()) {
  SetItemText(kAutoTuneErrorTextId, AutoTuneErrorText());
}

}  // namespace lw
