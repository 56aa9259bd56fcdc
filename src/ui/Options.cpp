#include "ui/Options.h"

#include <memory>
#include <stdexcept>
#include <utility>

#include "platform/Platform.h"
#include "store/Registry.h"
#include "store/SettingsStore.h"
#include "store/StoreLock.h"
#include "ui/Dialogs.h"
#include "ui/Policies.h"
#include "util/Error.h"
#include "util/SpecialFolders.h"

namespace lw {

namespace {

std::unique_ptr<Options>& Instance() {
  static std::unique_ptr<Options> instance;
  return instance;
}

OptionControl CheckBox(const char* name, const char* caption) {
  return {name, OptionKind::kCheckBox, caption, "", false, ""};
}

OptionControl Edit(const char* name, const char* label, const char* hint) {
  return {name, OptionKind::kEdit, label, hint, false, ""};
}

bool IsIntegerEdit(const OptionControl& control) {
  return control.kind == OptionKind::kEdit && control.name.find("txtInt") != std::string::npos;
}

// Where an edit's hint points: the key path and the value name.
std::pair<std::string, std::string> HintAddress(const std::string& hint) {
  std::string::size_type slash = hint.find_last_of('\\');
  if (slash == std::string::npos) return {kProgramKey, hint};
  return {std::string(kProgramKey) + "\\" + hint.substr(0, slash), hint.substr(slash + 1)};
}

// The text an edit shows for its registry value: the text of a string value, the decimal text
// of an integer value, empty when the value is missing (or unreadable, with a message).
std::string ReadHintValue(Registry& registry, const std::string& hint) {
  auto [path, name] = HintAddress(hint);
  try {
    return registry.GetString(path, name);
  } catch (const Error&) {
    // Not a string: the runner writes the pauses as integers.
  }
  try {
    return std::to_string(registry.GetInteger(path, name));
  } catch (const Error& error) {
    ShowMessage(std::string(error.what()) + "\r\nUnable to read registry item: " + name);
    return std::string();
  }
}

void WriteHintValue(Registry& registry, const OptionControl& control, std::int32_t number) {
  auto [path, name] = HintAddress(control.hint);
  if (!IsIntegerEdit(control)) {
    registry.PutString(path, true, name, control.text);
    return;
  }
  // An integer write to a key that cannot be opened does nothing, silently; the user must
  // learn that the pause was not saved, as for a text value.
  registry.PutInteger(path, true, name, number);
  std::int32_t stored = 0;
  if (!registry.GetIntegerIfPresent(path, name, stored) || stored != number) {
    throw Error("Unable to open : " + path);
  }
}

}  // namespace

Options::Options()
    : controls_{
          CheckBox(kDisableMoveDialogOption,
                   "Disable Startup Control dialog when Launchward moves items (Phase 1)"),
          CheckBox(kShowStartupDialogOption,
                   "Show Startup Control dialog when Launchward runs items (Phase 2)"),
          CheckBox(kDisableSysTrayNotificationOption,
                   "Disable System Tray notification when new items found"),
          CheckBox(kAutoDisableOption,
                   "Disable all new items by default (requires manually enabling to run)"),
          Edit(kInitPauseOption, "Pause before starting any programs (milliseconds)",
               kInitialPauseValue),
          Edit(kRunkeyPauseOption, "Pause between Runkey programs (milliseconds)",
               kRunkeyDelayValue),
          Edit(kStartupPauseOption, "Pause between Startup programs (milliseconds)",
               kStartupDelayValue),
          CheckBox(kDisableAutoTuneOption, "Disable Auto-Tune (CPU usage updates)"),
          CheckBox(kDisableBackgroundStartOption, "Disable background start of items at logon"),
      } {}

std::string Options::OptionsFilePath() { return GetExeFolder() + kOptionsFileName; }

void Options::Load() {
  Registry registry;
  const std::string file = OptionsFilePath();
  for (OptionControl& control : controls_) {
    std::string stored = Files().GetPrivateProfileString(control.name, control.name, "", file);
    if (control.kind == OptionKind::kCheckBox) {
      std::int32_t number = 0;
      control.checked = TryParseWholeNumber(stored, &number) && number != 0;
      continue;
    }
    control.text = stored;
    if (!control.hint.empty()) control.text = ReadHintValue(registry, control.hint);
  }
  ApplyPolicies();
  if (autoTuneForcedOff_) SetChecked(kDisableAutoTuneOption, true);
}

// What the organisation set wins over what the user saved, and is what everything reads.
void Options::ApplyPolicies() {
  for (OptionControl& control : controls_) {
    std::int32_t value = 0;
    if (!SharedPolicies().OptionValue(control.name, &value)) continue;
    if (control.kind == OptionKind::kCheckBox) {
      control.checked = value != 0;
    } else {
      control.text = std::to_string(value);
    }
  }
}

bool Options::SetByPolicy(const std::string& name) const {
  return SharedPolicies().SetsOption(name);
}

bool Options::Save() {
  // Every pause is checked before anything is written, so a refused save changes nothing.
  std::vector<std::int32_t> numbers(controls_.size(), 0);
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    if (IsIntegerEdit(controls_[i]) && !TryParseWholeNumber(controls_[i].text, &numbers[i])) {
      ShowMessage(kMsgMillisecondsNumbersOnly);
      return false;
    }
  }
  // The pauses are the store's, shared with every session's edit and logon.
  std::unique_ptr<StoreLock> lock;
  try {
    lock = std::make_unique<StoreLock>();
  } catch (const Error& error) {
    ShowMessage(error.what());
    return false;
  }
  Registry registry;
  const std::string file = OptionsFilePath();
  bool fileWritten = true;
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    const OptionControl& control = controls_[i];
    // The user's own choice stays stored under a policy, for the day the policy goes.
    if (SetByPolicy(control.name)) continue;
    if (control.kind == OptionKind::kCheckBox) {
      fileWritten &= Files().WritePrivateProfileString(control.name, control.name,
                                                       control.checked ? "1" : "0", file);
      continue;
    }
    if (!control.hint.empty()) {
      try {
        WriteHintValue(registry, control, numbers[i]);
      } catch (const Error& error) {
        ShowMessage(std::string("Registry write failed\r\n") + error.what());
      }
    }
    fileWritten &=
        Files().WritePrivateProfileString(control.name, control.name, control.text, file);
  }
  if (!fileWritten) ShowMessage("Unable to write options file : " + file);
  return true;
}

void Options::ForceAutoTuneOff() {
  SetChecked(kDisableAutoTuneOption, true);
  autoTuneForcedOff_ = true;
}

const OptionControl& Options::Find(const std::string& name, OptionKind kind) const {
  for (const OptionControl& control : controls_) {
    if (control.name == name && control.kind == kind) return control;
  }
  throw std::logic_error("no option control " + name + " of that kind");
}

OptionControl& Options::Find(const std::string& name, OptionKind kind) {
  return const_cast<OptionControl&>(std::as_const(*this).Find(name, kind));
}

bool Options::IsChecked(const std::string& name) const {
  return Find(name, OptionKind::kCheckBox).checked;
}

void Options::SetChecked(const std::string& name, bool checked) {
  Find(name, OptionKind::kCheckBox).checked = checked;
}

const std::string& Options::Text(const std::string& name) const {
  return Find(name, OptionKind::kEdit).text;
}

void Options::SetText(const std::string& name, const std::string& text) {
  Find(name, OptionKind::kEdit).text = text;
}

void CreateOptions() {
  ReloadPolicies();
  auto options = std::make_unique<Options>();
  options->Load();
  Instance() = std::move(options);
}

void FreeOptions() {
  Instance().reset();
  ForgetPolicies();
}

Options& SharedOptions() {
  if (!Instance()) throw std::logic_error("the options are not created");
  return *Instance();
}

}  // namespace lw
