#include "runner/win32/UnitFrmAutoTuneError.h"

#include "runner/UnitFrmDummyRunner.h"

namespace lw {

namespace {

TFormSpec FormSpec() {
  return {"TFrmAutoTuneError", kAutoTuneErrorCaption, 384, 155,
          WS_CAPTION | WS_SYSMENU | WS_THICKFRAME};
}

std::vector<TControlSpec> Controls() {
  return {
      {kAutoTuneErrorMemoId, TControlKind::kMemo, "", 8, 8, 369, 125, true},
      {kAutoTuneErrorStatusBarId, TControlKind::kStatusBar, "", 0, 138, 384, 17},
  };
}

}  // namespace

TFrmAutoTuneError::TFrmAutoTuneError() : TWin32Form(FormSpec(), Controls()) {
  SetItemText(kAutoTuneErrorMemoId, AutoTuneErrorText());
}

}  // namespace lw
