// The organisation's policies: each one overrides its option wherever the program reads it,
// bad data is left out with a line in the error log, only the machine's hive counts, the
// start-first list leads the runner, and Edit and Restore may be kept for administrators.

#include <string>
#include <vector>

#include "runner/LogonRunner.h"
#include "store/SettingsStore.h"
#include "support/LogonRunnerFixture.h"
#include "support/RawRegistry.h"
#include "ui/Options.h"
#include "ui/Policies.h"
#include "util/CurrentUser.h"
#include "util/ErrorLog.h"

namespace lw::test {
namespace {

void PlantPolicy(const std::string& name, std::uint32_t value) {
  SetRawDword(kHKeyLocalMachine, kOrganisationPolicyKey, name, value);
}

void PlantList(const char* list, const std::vector<std::string>& entries) {
  const std::string key = std::string(kOrganisationPolicyKey) + "\\" + list;
  for (std::size_t index = 0; index < entries.size(); ++index) {
    SetRawString(kHKeyLocalMachine, key, std::to_string(index + 1), entries[index]);
  }
}

std::string ErrorLogText() {
  std::string text;
  Files().ReadFile(ErrorLogPath(), &text);
  return text;
}

class PolicySimTest : public RunnerTest {
 protected:
  // The option as the rest of the program reads it, as a number.
  static std::int32_t OptionNumber(const OptionControl& control) {
    if (control.kind == OptionKind::kCheckBox) return control.checked ? 1 : 0;
    std::int32_t number = -1;
    TryParseWholeNumber(control.text, &number);
    return number;
  }
  static const OptionControl& Control(const std::string& name) {
    for (const OptionControl& control : SharedOptions().Controls()) {
      if (control.name == name) return control;
    }
    throw std::logic_error(name);
  }
  static void Reload() {
    ReloadPolicies();
    SharedOptions().Load();
  }
};

TEST_F(PolicySimTest, EveryOptionPolicyWinsAndTheUsersOwnChoiceStaysStored) {
  const std::string file = Options::OptionsFilePath();
  SetDefaultPauses(5000, 1000, 2000);
  int options = 0;
  for (const PolicyValue& policy : PolicyValues()) {
    if (std::string(policy.option).empty()) continue;
    SCOPED_TRACE(policy.name);
    ++options;
    // The user saved one value; the organisation sets another.
    const bool checkBox = Control(policy.option).kind == OptionKind::kCheckBox;
    const std::int32_t users = checkBox ? 0 : 1234;
    const std::int32_t organisations = checkBox ? 1 : 7000;
    Files().WritePrivateProfileString(policy.option, policy.option, std::to_string(users), file);
    if (!checkBox) SetRawDword(kHKeyLocalMachine, kProgramKey, policy.name, users);
    Reload();
    EXPECT_EQ(OptionNumber(Control(policy.option)), users);
    EXPECT_FALSE(SharedOptions().SetByPolicy(policy.option));

    PlantPolicy(policy.name, organisations);
    Reload();
    EXPECT_EQ(OptionNumber(Control(policy.option)), organisations);
    EXPECT_TRUE(SharedOptions().SetByPolicy(policy.option));
    // Saving the dialog keeps the user's value for the day the policy goes.
    ASSERT_TRUE(SharedOptions().Save());
    EXPECT_EQ(Files().GetPrivateProfileString(policy.option, policy.option, "", file),
              std::to_string(users));
    if (!checkBox) {
      EXPECT_EQ(RawDword(kHKeyLocalMachine, kProgramKey, policy.name, -1), users);
    }
    RemoveRawValue(kHKeyLocalMachine, kOrganisationPolicyKey, policy.name);
  }
  // Every option of the dialog has its policy.
  EXPECT_EQ(options, static_cast<int>(SharedOptions().Controls().size()));
}

TEST_F(PolicySimTest, BadPolicyDataIsLeftOutWithALineAndTheRestApplies) {
  struct Case {
    const char* name;
    std::uint32_t type;
    std::string data;
  };
  auto dword = [](std::uint32_t value) { return std::string(reinterpret_cast<char*>(&value), 4); };
  const Case cases[] = {
      {"DisableAutoTune", kRegSz, std::string("1", 2)},     // text, not a number
      {"DisableAutoTune", kRegDword, dword(2)},             // a switch is 0 or 1
      {kInitialPauseValue, kRegDword, dword(0xFFFFFFFFu)},  // negative
      {kRunkeyDelayValue, kRegDword, dword(600001)},        // over ten minutes
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Files().DeleteFile(ErrorLogPath());
    DeleteKeyTree(kHKeyLocalMachine, kOrganisationPolicyKey);
    SetRaw(kHKeyLocalMachine, kOrganisationPolicyKey, c.name, c.type, c.data);
    PlantPolicy(kStartupDelayValue, 250);  // good data beside it
    Reload();
    std::int32_t value = 0;
    EXPECT_FALSE(SharedPolicies().Number(c.name, &value));
    EXPECT_NE(ErrorLogText().find(std::string(kOrganisationPolicyKey) + "\\" + c.name + " ignored"),
              std::string::npos)
        << ErrorLogText();
    EXPECT_EQ(SharedOptions().StartupPauseText(), "250");
  }
}

TEST_F(PolicySimTest, OnlyTheMachinesHiveSetsPolicies) {
  // Every user may write their own SOFTWARE\Policies; it steers nothing.
  SetRawDword(kHKeyCurrentUser, kOrganisationPolicyKey, "DisableAutoTune", 1);
  SetRawString(kHKeyCurrentUser, std::string(kOrganisationPolicyKey) + "\\" + kPolicyNeverTakeOver,
               "1", "Tool");
  Reload();
  EXPECT_FALSE(SharedOptions().DisableAutoTune());
  EXPECT_FALSE(PolicyNeverTakesOver("Tool"));
}

TEST_F(PolicySimTest, TheRunnerPausesAreTheOrganisationsAndTheStoredOnesStay) {
  SetDefaultPauses(5000, 1000, 2000);
  PlantPolicy(kInitialPauseValue, 0);
  PlantPolicy(kRunkeyDelayValue, 300);
  PlantPolicy(kStartupDelayValue, 450);
  Reload();
  LogonRunner runner({}, RunnerUse::kSingleItems);
  EXPECT_EQ(runner.InitialPauseMs(), 0);
  EXPECT_EQ(runner.RunkeyPauseMs(), 300);
  EXPECT_EQ(runner.StartupPauseMs(), 450);
  EXPECT_EQ(RawDword(kHKeyLocalMachine, kProgramKey, kInitialPauseValue, -1), 5000);
  EXPECT_EQ(RawDword(kHKeyLocalMachine, kProgramKey, kRunkeyDelayValue, -1), 1000);
  EXPECT_EQ(RawDword(kHKeyLocalMachine, kProgramKey, kStartupDelayValue, -1), 2000);
}

TEST_F(PolicySimTest, TheStartFirstListLeadsEachPassInItsOrder) {
  const std::string me = CurrentUserName();
  StageRunItems({{"Alpha", "C:\\a.exe", ""},
                 {"Bravo", "C:\\b.exe", ""},
                 {me + "_Charlie", "C:\\c.exe", me},
                 {"Delta", "C:\\d.exe", ""}});
  StageShortcuts(
      {{"X.lnk", "C:\\x.exe", "", userStartup}, {"Y.lnk", "C:\\y.exe", "", userStartup}});
  // A user's item by its Run value's name, a shortcut without ".lnk", and a name nobody has.
  PlantList(kPolicyStartFirst, {"Delta", "nobody", "Y", "charlie"});
  Reload();
  LogonRunner runner({}, RunnerUse::kSingleItems);
  std::vector<std::string> runkey;
  for (const RunKeyItem& item : runner.RunkeyItems()) runkey.push_back(item.name);
  EXPECT_EQ(runkey, (std::vector<std::string>{"Delta", me + "_Charlie", "Alpha", "Bravo"}));
  ASSERT_EQ(runner.StartupItems().size(), 2u);
  EXPECT_EQ(ExtractFileName(runner.StartupItems()[0].path), "Y.lnk");
}

TEST_F(PolicySimTest, OnlyAdministratorsOpenEditAndRestoreWhenThePolicySaysSo) {
  const std::string sid = CurrentUserSid();
  ASSERT_FALSE(sid.empty());
  struct Case {
    bool policy;
    bool administrator;
    bool kept;
  };
  for (const Case& c :
       {Case{false, false, false}, Case{true, true, false}, Case{true, false, true}}) {
    SCOPED_TRACE(std::to_string(c.policy) + std::to_string(c.administrator));
    Sim().SetAdministratorAccount(sid, c.administrator);
    PlantPolicy(kPolicyAdminOnlyEditRestore, c.policy ? 1 : 0);
    Reload();
    EXPECT_EQ(PolicyKeepsEditAndRestoreFromUser(), c.kept);
  }
}

}  // namespace
}  // namespace lw::test
