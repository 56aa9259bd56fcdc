// The logon task on the Task Scheduler (Wine's, under Wine) and UAC's state as the machine's
// policy value gives it. Each test leaves the task and the policy value as it found them.

#include "install/LogonTask.h"

#include <string>
#include <vector>

#include "platform/Platform.h"
#include "support/RawRegistry.h"
#include "support/TestEnv.h"
#include "util/Error.h"
#include "util/UserAccountControl.h"
#include "util/WindowsBitness.h"

namespace lw::test {
namespace {

constexpr char kPolicyKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";

class LogonTaskTest : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
#ifndef _WIN32
    // The Task Scheduler 2.0 came with Windows Vista; the fresh simulated machine is an XP one.
    Sim().SetOsVersion(OsVersionInfo{10, 0, 19045, kVerPlatformWin32Nt, ""});
#endif
    Tasks().DeleteTask(kLogonTaskName);
  }
  void TearDown() override { Tasks().DeleteTask(kLogonTaskName); }
};

TEST_F(LogonTaskTest, TheTaskRunsThisProgramWithTheFirstPhasesSwitchAndGoesAgain) {
  ASSERT_FALSE(IsLogonTaskRegistered());
  RegisterLogonTask(Sys().GetModuleFileName());
  ASSERT_TRUE(IsLogonTaskRegistered());
  std::string xml;
  ASSERT_EQ(Tasks().GetTaskXml(kLogonTaskName, &xml), kSOk);
  // The Task Scheduler keeps the definition in its own layout: the parts are what counts.
  // Wine's keeps no trigger, action or principal (see TaskSchedulerWin32Test), only the author.
  std::vector<std::string> parts{"<Author>Launchward</Author>"};
#ifndef _WIN32
  parts.insert(parts.end(), {"<Command>" + Sys().GetModuleFileName() + "</Command>",
                             "<Arguments>-pre</Arguments>", "<LogonTrigger>", "HighestAvailable",
                             kAllUsersGroupSid});
#endif
  for (const std::string& part : parts) {
    EXPECT_NE(xml.find(part), std::string::npos) << part << "\nin\n" << xml;
  }
  // Registering again replaces the definition; removing twice is no error.
  RegisterLogonTask(Sys().GetModuleFileName());
  RemoveLogonTask();
  EXPECT_FALSE(IsLogonTaskRegistered());
  EXPECT_NO_THROW(RemoveLogonTask());
}

TEST_F(LogonTaskTest, UacIsReadFromTheMachinesPolicy) {
  const bool vista = IsWindowsVistaOrLater();
  InRawView in(IsWindows64() ? kKeyWow64_64Key : 0);
  const std::int64_t before = RawDword(kHKeyLocalMachine, kPolicyKey, "EnableLUA", -1);
  for (std::uint32_t value : {1u, 0u}) {
    SetRawDword(kHKeyLocalMachine, kPolicyKey, "EnableLUA", value);
    EXPECT_EQ(IsUacEnabled(), vista && value != 0) << value;
  }
  if (before >= 0) SetRawDword(kHKeyLocalMachine, kPolicyKey, "EnableLUA", before);
}

}  // namespace
}  // namespace lw::test
