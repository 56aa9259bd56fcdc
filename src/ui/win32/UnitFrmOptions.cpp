#include "ui/win32/UnitFrmOptions.h"

#include <stdexcept>

#include "ui/UnitOptionsBinder.h"

namespace lw {

namespace {

// The control that shows each option.
struct TOptionPlace {
  const char* name;
  int id;
};

constexpr TOptionPlace kPlaces[] = {
    {kCbDisableMoveDialog, kOptionsDisableMoveDialogId},
    {kCbShowStartupDialog, kOptionsShowStartupDialogId},
    {kCbDisableSysTrayNotification, kOptionsDisableSysTrayNotificationId},
    {kCbAutoDisable, kOptionsAutoDisableId},
    {kTxtIntInitPause, kOptionsInitPauseId},
    {kTxtIntRunkeyPause, kOptionsRunkeyPauseId},
    {kTxtIntStartupPause, kOptionsStartupPauseId},
    {kCbDisableAutoTune, kOptionsDisableAutoTuneId},
};

const TOptionPlace* PlaceOfId(int id) {
  for (const TOptionPlace& place : kPlaces) {
    if (place.id == id) return &place;
  }
  return nullptr;
}

int IdOf(const std::string& name) {
  for (const TOptionPlace& place : kPlaces) {
    if (name == place.name) return place.id;
  }
  throw std::logic_error("the Options dialog has no control " + name);
}

// A check box's caption or an edit's label, as the options name them.
const std::string& CaptionOf(const char* name) {
  for (const TOptionControl& control : Options().Controls()) {
    if (control.name == name) return control.caption;
  }
  throw std::logic_error("no option " + std::string(name));
}

// Client area 410 x 348: four check boxes, the note (two lines), the group of pauses (each
// label to the left of its edit), the auto-tune box, and the buttons in the bottom right.
constexpr int kLeft = 8;
constexpr int kWidth = 394;
constexpr int kCheckHeight = 17;
constexpr int kGroupTop = 142;
constexpr int kRowTop[] = {kGroupTop + 22, kGroupTop + 52, kGroupTop + 82};
constexpr int kLabelLeft = 20;
constexpr int kLabelWidth = 272;
constexpr int kEditLeft = 300;
constexpr int kEditWidth = 90;
constexpr int kEditHeight = 21;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kButtonTop = 315;

TFormSpec FormSpec() { return {"TFrmOptions", kOptionsCaption, 410, 348, WS_CAPTION | WS_SYSMENU}; }

TControlSpec CheckBox(int id, const char* name, int top) {
  return {id, TControlKind::kCheckBox, CaptionOf(name), kLeft, top, kWidth, kCheckHeight};
}

TControlSpec PauseLabel(int id, const char* name, int row) {
  // Text of 13 pixels, centred on the edit's 21.
  return {id, TControlKind::kLabel, CaptionOf(name), kLabelLeft, kRowTop[row] + 4, kLabelWidth, 13};
}

TControlSpec PauseEdit(int id, int row) {
  return {id, TControlKind::kEdit, "", kEditLeft, kRowTop[row], kEditWidth, kEditHeight};
}

std::vector<TControlSpec> Layout() {
  return {
      CheckBox(kOptionsDisableMoveDialogId, kCbDisableMoveDialog, 12),
      CheckBox(kOptionsShowStartupDialogId, kCbShowStartupDialog, 34),
      CheckBox(kOptionsDisableSysTrayNotificationId, kCbDisableSysTrayNotification, 56),
      CheckBox(kOptionsAutoDisableId, kCbAutoDisable, 78),
      {kOptionsPauseNoteId, TControlKind::kLabel, kOptionsPauseNote, kLeft, 106, kWidth, 28},
      {kOptionsPausesGroupId, TControlKind::kGroupBox, kOptionsPausesGroup, kLeft, kGroupTop,
       kWidth, 117},
      PauseLabel(kOptionsInitPauseLabelId, kTxtIntInitPause, 0),
      PauseEdit(kOptionsInitPauseId, 0),
      PauseLabel(kOptionsRunkeyPauseLabelId, kTxtIntRunkeyPause, 1),
      PauseEdit(kOptionsRunkeyPauseId, 1),
      PauseLabel(kOptionsStartupPauseLabelId, kTxtIntStartupPause, 2),
      PauseEdit(kOptionsStartupPauseId, 2),
      CheckBox(kOptionsDisableAutoTuneId, kCbDisableAutoTune, 272),
      {kOptionsSaveId, TControlKind::kButton, kOptionsSaveCaption,
       410 - kLeft - 2 * kButtonWidth - 8, kButtonTop, kButtonWidth, kButtonHeight},
      {kOptionsCancelId, TControlKind::kButton, kOptionsCancelCaption, 410 - kLeft - kButtonWidth,
       kButtonTop, kButtonWidth, kButtonHeight},
  };
}

}  // namespace

TFrmOptions::TFrmOptions() : TWin32Form(FormSpec(), Layout()) {
  // The group box lies under the controls it frames: with clipped siblings, a frame on top
  // would hide them.
  ::SetWindowPos(Item(kOptionsPausesGroupId), HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ShowOptions();
}

int TFrmOptions::Execute() {
  Options().Load();
  ShowOptions();
  return ShowModal();
}

void TFrmOptions::OnCommand(int id, int notifyCode) {
  if (id == kOptionsSaveId) {
    if (notifyCode == BN_CLICKED) Save();
    return;
  }
  if (id == kOptionsCancelId) {
    if (notifyCode == BN_CLICKED) OnClose();
    return;
  }
  // Filling the controls notifies changes too; they are the options' own values, not the
  // user's, and must not be copied back while some controls still show the old ones.
  const TOptionPlace* place = PlaceOfId(id);
  if (place == nullptr || showing_) return;
  if (notifyCode == BN_CLICKED) {
    Options().SetChecked(place->name, ItemChecked(id));
  } else if (notifyCode == EN_CHANGE) {
    Options().SetText(place->name, ItemText(id));
  }
}

void TFrmOptions::ShowOptions() {
  struct Showing {
    bool& flag;
    explicit Showing(bool& f) : flag(f) { flag = true; }
    ~Showing() { flag = false; }
  } showing(showing_);
  for (const TOptionControl& control : Options().Controls()) {
    const int id = IdOf(control.name);
    if (control.kind == TOptionKind::kCheckBox) {
      SetItemChecked(id, control.checked);
    } else {
      SetItemText(id, control.text);
    }
  }
}

void TFrmOptions::Save() {
  // A refused save has told the user why; the dialog stays open for the correction.
  if (!Options().Save()) return;
  if (Modal()) {
    EndModal(IDOK);
  } else {
    Hide();
  }
}

}  // namespace lw
