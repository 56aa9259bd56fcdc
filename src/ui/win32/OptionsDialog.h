#pragma once
// The Options dialog on the screen: the check boxes and edits of the options, over the
// process-wide Options (SharedOptions()), which is what the rest of the program reads. The
// controls and the binder are kept equal: what the user types is in the binder at once, Save
// stores it, Cancel only closes (the next show loads the stored options again).

#include "ui/win32/Win32Form.h"

namespace lw {

// The window class name that other programs find the dialog by.
inline constexpr char kOptionsDialogClass[] = "TFrmOptions";

// Control ids, in the dialog's creation order (a test finds the controls by them).
inline constexpr int kOptionsDisableMoveDialogId = 101;
inline constexpr int kOptionsShowStartupDialogId = 102;
inline constexpr int kOptionsDisableSysTrayNotificationId = 103;
inline constexpr int kOptionsAutoDisableId = 104;
inline constexpr int kOptionsPauseNoteId = 105;
inline constexpr int kOptionsPausesGroupId = 106;
inline constexpr int kOptionsInitPauseLabelId = 107;
inline constexpr int kOptionsInitPauseId = 108;
inline constexpr int kOptionsRunkeyPauseLabelId = 109;
inline constexpr int kOptionsRunkeyPauseId = 110;
inline constexpr int kOptionsStartupPauseLabelId = 111;
inline constexpr int kOptionsStartupPauseId = 112;
inline constexpr int kOptionsDisableAutoTuneId = 113;
inline constexpr int kOptionsSaveId = 114;
inline constexpr int kOptionsCancelId = 115;
inline constexpr int kOptionsDisableBackgroundStartId = 116;
// Shown while a policy sets some of the options (their controls are greyed).
inline constexpr int kOptionsPolicyNoteId = 150;

class OptionsDialog final : public Win32Form {
 public:
  // Creates the (hidden) dialog showing the options as they are loaded now.
  OptionsDialog();

  // The Options button: loads the options again, shows the dialog modally until Save stores
  // them (IDOK) or Cancel, Esc or the close box ends it (IDCANCEL).
  int Execute();

 protected:
  void OnCommand(int id, int notifyCode) override;

 private:
  // Copies the binder into the controls.
  void ShowOptions();
  void Save();
  // True while ShowOptions fills the controls: their change notifications are not the user's.
  bool showing_ = false;
};

}  // namespace lw
