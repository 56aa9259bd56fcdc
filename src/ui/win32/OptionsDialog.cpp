#include "ui/win32/OptionsDialog.h"

#include <stdexcept>

#include "ui/Options.h"

namespace lw {

namespace {

// The control that shows each option.
struct OptionPlace {
  const char* name;
  int id;
};

constexpr OptionPlace kPlaces[] = {
    {kDisableMoveDialogOption, kOptionsDisableMoveDialogId},
    {kShowStartupDialogOption, kOptionsShowStartupDialogId},
    {kDisableSysTrayNotificationOption, kOptionsDisableSysTrayNotificationId},
    {kAutoDisableOption, kOptionsAutoDisableId},
    {kInitPauseOption, kOptionsInitPauseId},
    {kRunkeyPauseOption, kOptionsRunkeyPauseId},
    {kStartupPauseOption, kOptionsStartupPauseId},
    {kDisableAutoTuneOption, kOptionsDisableAutoTuneId},
    {kDisableBackgroundStartOption, kOptionsDisableBackgroundStartId},
};

const OptionPlace* PlaceOfId(int id) {
  for (const OptionPlace& place : kPlaces) {
    if (place.id == id) return &place;
  }
  return nullptr;
}

int IdOf(const std::string& name) {
  for (const OptionPlace& place : kPlaces) {
    if (name == place.name) return place.id;
  }
  throw std::logic_error("the Options dialog has no control " + name);
}

// A check box's caption or an edit's label, as the options name them.
const std::string& CaptionOf(const char* name) {
  for (const OptionControl& control : SharedOptions().Controls()) {
    if (control.name == name) return control.caption;
  }
  throw std::logic_error("no option " + std::string(name));
}

// Client area 410 x 370: four check boxes, the note (two lines), the group of pauses (each
// label to the left of its edit), the auto-tune and background boxes, and the buttons in the
// bottom right.
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
constexpr int kButtonTop = 337;

FormSpec Form() {
  return {kOptionsDialogClass, kOptionsCaption, 410, 370, WS_CAPTION | WS_SYSMENU};
}

ControlSpec CheckBox(int id, const char* name, int top) {
  return {id, ControlKind::kCheckBox, CaptionOf(name), kLeft, top, kWidth, kCheckHeight};
}

ControlSpec PauseLabel(int id, const char* name, int row) {
  // Text of 13 pixels, centred on the edit's 21.
  return {id, ControlKind::kLabel, CaptionOf(name), kLabelLeft, kRowTop[row] + 4, kLabelWidth, 13};
}

ControlSpec PauseEdit(int id, int row) {
  return {id, ControlKind::kEdit, "", kEditLeft, kRowTop[row], kEditWidth, kEditHeight};
}

std::vector<ControlSpec> Layout() {
  return {
      CheckBox(kOptionsDisableMoveDialogId, kDisableMoveDialogOption, 12),
      CheckBox(kOptionsShowStartupDialogId, kShowStartupDialogOption, 34),
      CheckBox(kOptionsDisableSysTrayNotificationId, kDisableSysTrayNotificationOption, 56),
      CheckBox(kOptionsAutoDisableId, kAutoDisableOption, 78),
      {kOptionsPauseNoteId, ControlKind::kLabel, kOptionsPauseNote, kLeft, 106, kWidth, 28},
      {kOptionsPausesGroupId, ControlKind::kGroupBox, kOptionsPausesGroup, kLeft, kGroupTop, kWidth,
       117},
      PauseLabel(kOptionsInitPauseLabelId, kInitPauseOption, 0),
      PauseEdit(kOptionsInitPauseId, 0),
      PauseLabel(kOptionsRunkeyPauseLabelId, kRunkeyPauseOption, 1),
      PauseEdit(kOptionsRunkeyPauseId, 1),
      PauseLabel(kOptionsStartupPauseLabelId, kStartupPauseOption, 2),
      PauseEdit(kOptionsStartupPauseId, 2),
      CheckBox(kOptionsDisableAutoTuneId, kDisableAutoTuneOption, 272),
      CheckBox(kOptionsDisableBackgroundStartId, kDisableBackgroundStartOption, 294),
      {kOptionsSaveId, ControlKind::kButton, kOptionsSaveCaption,
       410 - kLeft - 2 * kButtonWidth - 8, kButtonTop, kButtonWidth, kButtonHeight},
      {kOptionsCancelId, ControlKind::kButton, kOptionsCancelCaption, 410 - kLeft - kButtonWidth,
       kButtonTop, kButtonWidth, kButtonHeight},
      {kOptionsPolicyNoteId, ControlKind::kLabel, std::string("Greyed: ") + kOptionsPolicyHint,
       kLeft, kButtonTop + 6, 410 - 3 * kLeft - 2 * kButtonWidth - 8, 13},
  };
}

}  // namespace

OptionsDialog::OptionsDialog() : Win32Form(Form(), Layout()) {
  // The group box lies under the controls it frames: with clipped siblings, a frame on top
  // would hide them.
  ::SetWindowPos(Item(kOptionsPausesGroupId), HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ShowOptions();
}

int OptionsDialog::Execute() {
  SharedOptions().Load();
  ShowOptions();
  return ShowModal();
}

void OptionsDialog::OnCommand(int id, int notifyCode) {
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
  const OptionPlace* place = PlaceOfId(id);
  if (place == nullptr || showing_) return;
  if (notifyCode == BN_CLICKED) {
    SharedOptions().SetChecked(place->name, ItemChecked(id));
  } else if (notifyCode == EN_CHANGE) {
    SharedOptions().SetText(place->name, ItemText(id));
  }
}

void OptionsDialog::ShowOptions() {
  struct Showing {
    bool& flag;
    explicit Showing(bool& f) : flag(f) { flag = true; }
    ~Showing() { flag = false; }
  } showing(showing_);
  bool anyByPolicy = false;
  for (const OptionControl& control : SharedOptions().Controls()) {
    const int id = IdOf(control.name);
    if (control.kind == OptionKind::kCheckBox) {
      SetItemChecked(id, control.checked);
    } else {
      SetItemText(id, control.text);
    }
    // What the organisation set is shown, but not for changing.
    const bool byPolicy = SharedOptions().SetByPolicy(control.name);
    anyByPolicy |= byPolicy;
    SetItemEnabled(id, !byPolicy);
  }
  ::ShowWindow(Item(kOptionsPolicyNoteId), anyByPolicy ? SW_SHOWNA : SW_HIDE);
}

void OptionsDialog::Save() {
  // A refused save has told the user why; the dialog stays open for the correction.
  if (!SharedOptions().Save()) return;
  if (Modal()) {
    EndModal(IDOK);
  } else {
    Hide();
  }
}

}  // namespace lw
