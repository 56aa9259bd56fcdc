#include "ui/Policies.h"

#include <memory>

#include "platform/Platform.h"
#include "platform/WinConst.h"
#include "store/Registry.h"
#include "store/SettingsStore.h"
#include "ui/Options.h"
#include "util/CurrentUser.h"
#include "util/Error.h"
#include "util/ErrorLog.h"
#include "util/Text.h"
#include "util/WindowsBitness.h"

namespace lw {

namespace {

// The longest pause a policy may set: ten minutes.
constexpr std::int32_t kMaxPolicyPauseMs = 600000;

PolicyValue Switch(const char* name, const char* option) {
  return {name, PolicyType::kNumber, 0, 1, option};
}

PolicyValue Pause(const char* name, const char* option) {
  return {name, PolicyType::kNumber, 0, kMaxPolicyPauseMs, option};
}

std::unique_ptr<Policies>& Instance() {
  static std::unique_ptr<Policies> instance;
  return instance;
}

std::string Where(const std::string& name) {
  return std::string("Policy ") + kOrganisationPolicyKey + "\\" + name;
}

}  // namespace

const std::vector<PolicyValue>& PolicyValues() {
  static const std::vector<PolicyValue> values = {
      Pause(kInitialPauseValue, kInitPauseOption),
      Pause(kRunkeyDelayValue, kRunkeyPauseOption),
      Pause(kStartupDelayValue, kStartupPauseOption),
      Switch("DisableAutoTune", kDisableAutoTuneOption),
      Switch("DisableSysTrayNotification", kDisableSysTrayNotificationOption),
      Switch("ShowStartupDialog", kShowStartupDialogOption),
      Switch("DisableMoveDialog", kDisableMoveDialogOption),
      Switch("AutoDisable", kAutoDisableOption),
      Switch("DisableBackgroundStart", kDisableBackgroundStartOption),
      Switch(kPolicyAdminOnlyEditRestore, ""),
      {kPolicyNeverTakeOver, PolicyType::kList, 0, 0, ""},
      {kPolicyStartFirst, PolicyType::kList, 0, 0, ""},
  };
  return values;
}

Policies Policies::Read() {
  Policies policies;
  Registry registry;
  // Group Policy writes the 64-bit view; the 32-bit build must read that one too.
  ScopedRegistryView view(registry, IsWindows64() ? kKeyWow64_64Key : 0);
  if (!registry.KeyExistsAt(kHKeyLocalMachine, kOrganisationPolicyKey)) return policies;
  for (const PolicyValue& value : PolicyValues()) {
    if (value.type == PolicyType::kNumber) {
      std::int32_t number = 0;
      try {
        if (!registry.GetIntegerIfPresentAt(kHKeyLocalMachine, kOrganisationPolicyKey, value.name,
                                            number)) {
          continue;
        }
      } catch (const Error& error) {
        SharedErrorLog().TryWrite(Where(value.name) + " ignored: not a number (" + error.what() +
                                  ")");
        continue;
      }
      if (number < value.minimum || number > value.maximum) {
        SharedErrorLog().TryWrite(Where(value.name) + " ignored: " + std::to_string(number) +
                                  " is not within " + std::to_string(value.minimum) + " to " +
                                  std::to_string(value.maximum));
        continue;
      }
      policies.numbers_[value.name] = number;
      continue;
    }
    const std::string key = std::string(kOrganisationPolicyKey) + "\\" + value.name;
    std::vector<std::string> names;
    registry.ListValueNamesAt(kHKeyLocalMachine, key, names);
    std::vector<std::string>& entries = policies.lists_[value.name];
    for (const std::string& name : names) {
      try {
        const std::string entry = TrimBlanks(registry.GetStringAt(kHKeyLocalMachine, key, name));
        if (!entry.empty()) entries.push_back(entry);
      } catch (const Error& error) {
        // One entry that is not text costs that entry: the others still apply.
        SharedErrorLog().TryWrite(Where(std::string(value.name) + "\\" + name) +
                                  " ignored: not text (" + error.what() + ")");
      }
    }
  }
  return policies;
}

bool Policies::Number(const std::string& name, std::int32_t* value) const {
  const auto found = numbers_.find(name);
  if (found == numbers_.end()) return false;
  *value = found->second;
  return true;
}

const std::vector<std::string>& Policies::List(const std::string& name) const {
  static const std::vector<std::string> none;
  const auto found = lists_.find(name);
  return found == lists_.end() ? none : found->second;
}

bool Policies::OptionValue(const std::string& option, std::int32_t* value) const {
  for (const PolicyValue& policy : PolicyValues()) {
    if (option == policy.option && Number(policy.name, value)) return true;
  }
  return false;
}

bool Policies::SetsOption(const std::string& option) const {
  std::int32_t unused = 0;
  return OptionValue(option, &unused);
}

const Policies& SharedPolicies() {
  static const Policies none;
  return Instance() ? *Instance() : none;
}

void ReloadPolicies() { Instance() = std::make_unique<Policies>(Policies::Read()); }

void ForgetPolicies() { Instance().reset(); }

bool PolicyKeepsEditAndRestoreFromUser() {
  std::int32_t adminsOnly = 0;
  if (!SharedPolicies().Number(kPolicyAdminOnlyEditRestore, &adminsOnly) || adminsOnly == 0) {
    return false;
  }
  // The account the window acts for: an administrator who typed their password into another
  // user's elevation prompt is an administrator; the user who asked is not.
  const std::string sid = CurrentUserSid();
  return sid.empty() || !Token().IsAdministratorAccount(sid);
}

bool PolicyNeverTakesOver(const std::string& name) {
  const std::string file = ExtractFileName(name);
  for (const std::string& entry : SharedPolicies().List(kPolicyNeverTakeOver)) {
    if (SameText(entry, file) || SameText(entry + ".lnk", file)) return true;
  }
  return false;
}

}  // namespace lw
