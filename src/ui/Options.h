#pragma once
// The options: the state of the Options dialog's controls, bound to two stores. Every check
// box and edit is kept in "options.ini" beside the executable (a section and a key named after
// the control); an edit whose hint names a registry value is also kept in that value below the
// program key, and on loading the registry value wins. The three pause edits are bound that
// way to the runner's pause values.
//
// The dialog's window shows and edits this state; everything else reads the options from it,
// whether or not the dialog was ever shown. Cancelling the dialog means not saving: the
// controls keep what the user typed until the next Load.

#include <cstdint>
#include <string>
#include <vector>

#include "util/Text.h"

namespace lw {

inline constexpr char kOptionsCaption[] = "Launchward  - Options";
inline constexpr char kOptionsPauseNote[] =
    "Longer pause increase the smoothness of the boot process but also increase the total time "
    "it takes to finish the startup process.";
inline constexpr char kOptionsPausesGroup[] = "Default Pauses";
inline constexpr char kOptionsSaveCaption[] = "Save";
inline constexpr char kOptionsCancelCaption[] = "Cancel";
inline constexpr char kOptionsFileName[] = "options.ini";

inline constexpr char kDisableMoveDialogOption[] = "cbDisableMoveDialog";
inline constexpr char kShowStartupDialogOption[] = "cbShowStartupDialog";
inline constexpr char kDisableSysTrayNotificationOption[] = "cbDisableSysTrayNotification";
inline constexpr char kAutoDisableOption[] = "cbAutoDisable";
inline constexpr char kInitPauseOption[] = "txtIntInitPause";
inline constexpr char kRunkeyPauseOption[] = "txtIntRunkeyPause";
inline constexpr char kStartupPauseOption[] = "txtIntStartupPause";
inline constexpr char kDisableAutoTuneOption[] = "cbDisableAutoTune";
inline constexpr char kDisableBackgroundStartOption[] = "cbDisableBackgroundStart";

// The hint beside a control whose value a policy sets.
inline constexpr char kOptionsPolicyHint[] = "set by your organisation";

inline constexpr char kMsgMillisecondsNumbersOnly[] = "Millisecond fields must be numbers only";

enum class OptionKind { kCheckBox, kEdit };

struct OptionControl {
  std::string name;
  OptionKind kind;
  // A check box's caption; an edit's label.
  std::string caption;
  // An edit's registry binding: "Value" (in the program key) or "Sub\Key\Value" (below it);
  // empty for none.
  std::string hint;
  bool checked = false;
  std::string text;
};

class Options {
 public:
  // The controls in the dialog's creation order, all unchecked and empty; nothing is read.
  Options();

  // Reads every control from "options.ini" and the registry. An edit's registry value that
  // can be read neither as text nor as an integer empties the edit and shows "<error>\r\nUnable
  // to read registry item: <value name>"; loading goes on.
  void Load();
  // Validates the edits whose name holds "txtInt" (whole numbers in the signed 32-bit range);
  // when one is not, shows "Millisecond fields must be numbers only" and writes nothing.
  // Otherwise writes every control, in creation order, to the registry (its hint) and to
  // "options.ini", and returns true (the dialog closes with OK). A failing registry write shows
  // "Registry write failed\r\n" + its message and saving goes on; when "options.ini" cannot be
  // written, one message says so.
  bool Save();
  // Checks cbDisableAutoTune now and after every later Load, until the program ends (the
  // auto-tune failure path uses it).
  void ForceAutoTuneOff();
  bool AutoTuneForcedOff() const { return autoTuneForcedOff_; }

  const std::vector<OptionControl>& Controls() const { return controls_; }
  // The control's value is set by the organisation's policy (ui/Policies.h): Load gives it the
  // policy's value, Save leaves what the user stored as it is, and the dialog shows it greyed.
  bool SetByPolicy(const std::string& name) const;
  // By control name. A name that is not a control of that kind is a programming error
  // (std::logic_error).
  bool IsChecked(const std::string& name) const;
  void SetChecked(const std::string& name, bool checked);
  const std::string& Text(const std::string& name) const;
  void SetText(const std::string& name, const std::string& text);

  // The path of "options.ini": the executable's folder + "options.ini".
  static std::string OptionsFilePath();

  // What the rest of the program reads.
  bool DisableMoveDialog() const { return IsChecked(kDisableMoveDialogOption); }
  bool ShowStartupDialog() const { return IsChecked(kShowStartupDialogOption); }
  bool DisableSysTrayNotification() const { return IsChecked(kDisableSysTrayNotificationOption); }
  bool AutoDisable() const { return IsChecked(kAutoDisableOption); }
  bool DisableAutoTune() const { return IsChecked(kDisableAutoTuneOption); }
  bool DisableBackgroundStart() const { return IsChecked(kDisableBackgroundStartOption); }
  const std::string& InitPauseText() const { return Text(kInitPauseOption); }
  const std::string& RunkeyPauseText() const { return Text(kRunkeyPauseOption); }
  const std::string& StartupPauseText() const { return Text(kStartupPauseOption); }

 private:
  void ApplyPolicies();
  const OptionControl& Find(const std::string& name, OptionKind kind) const;
  OptionControl& Find(const std::string& name, OptionKind kind);

  std::vector<OptionControl> controls_;
  bool autoTuneForcedOff_ = false;
};

// The process-wide options, created and loaded at program start the way the dialog's creation
// does (the organisation's policies are read with them), and freed at exit. Using them outside
// that span is a programming error (std::logic_error).
void CreateOptions();
void FreeOptions();
Options& SharedOptions();

}  // namespace lw
