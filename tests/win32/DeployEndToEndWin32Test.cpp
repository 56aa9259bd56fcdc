// The deployment commands run as a process of the real program, the way a deployment tool or a
// script starts them: no window while they run, their exit codes, and the audit list written
// through a redirected standard output (what "launchward.exe -list > items.csv" and "| more"
// rely on: a window program writes to the handle its starter gave it).

#include <string>

#include "entry/Unattended.h"
#include "install/ElevatedCopy.h"
#include "install/RestoreWindow.h"
#include "runner/StartupControl.h"
#include "store/SettingsStore.h"
#include "support/win32/LogonFixture.h"
#include "util/Csv.h"

namespace lw::test {
namespace {

class DeployEndToEndTest : public LogonTest {
 protected:
  // Waits for the end, checking all along that the process never has a window; its exit code.
  static std::int64_t ExitCodeWithoutWindow(const driver::ChildProcess& process) {
    DWORD code = 0;
    for (DWORD waited = 0; waited < kEndLimitMs; waited += driver::kPollMs) {
      EXPECT_TRUE(driver::ProcessWindows(process.Id(), driver::WindowQuery{"", "", true}).empty());
      if (process.WaitForExit(driver::kPollMs, &code)) return code;
    }
    return -1;
  }
};

TEST_F(DeployEndToEndTest, QuietInstallAndRestoreShowNothingAndSayHowTheyEnded) {
  SetRawString(kHKeyLocalMachine, kRunKey, "Deploy Tool", ProbeCommand("tool"));
  SetRawString(kHKeyLocalMachine, kRunKey, "Deploy Kept", ProbeCommand("kept"));
  ASSERT_EQ(ExitCodeWithoutWindow(Start("-install -quiet")), kExitActionDone);
  ExpectRegisteredForBothPhases();
  EXPECT_TRUE(IsInstalledMarked());
  // The logon's first phase takes both over.
  ASSERT_EQ(ExitCode(Start("-pre")), 0);
  ASSERT_FALSE(RawValueExists(kHKeyLocalMachine, kRunKey, "Deploy Tool"));

  // The list, through a redirected standard output.
  const std::string listed = folder + "items.csv";
  driver::ChildProcess list;
  ASSERT_TRUE(list.Start("cmd /c \"\"" + program + "\" -list > \"" + listed + "\"\"", folder));
  ASSERT_EQ(ExitCode(list), 0);
  const std::string csv = ReadWholeFile(listed);
  ASSERT_EQ(csv.substr(0, 3), kUtf8ByteOrderMark) << csv;
  EXPECT_NE(csv.find("\r\nRun key,Deploy Tool,"), std::string::npos) << csv;
  EXPECT_NE(csv.find("\r\nRun key,Deploy Kept,"), std::string::npos) << csv;

  // One item cannot go back: a program wrote its own value under its name meanwhile.
  SetRawString(kHKeyLocalMachine, kRunKey, "Deploy Kept", "C:\\other.exe");
  EXPECT_EQ(ExitCodeWithoutWindow(Start("-restore -quiet")), kExitNotAllRestored);
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunKey, "Deploy Tool"), ProbeCommand("tool"));
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunKey, "Deploy Kept"), "C:\\other.exe");
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunKey, kSelfRunValue));
  const std::string fallback = ReadWholeFile(folder + "LocalMachine.REG");
  EXPECT_NE(fallback.find("Deploy Kept"), std::string::npos) << fallback;

  // Given back by hand, a second restore has nothing left to fail on.
  RemoveRawValue(kHKeyLocalMachine, kRunKey, "Deploy Kept");
  EXPECT_EQ(ExitCodeWithoutWindow(Start("-restore -quiet")), kExitActionDone);
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunKey, "Deploy Kept"), ProbeCommand("kept"));
  EXPECT_EQ(ExitCode(Start("-restore -quiet -x")), kExitUnknownArgument);
}

}  // namespace
}  // namespace lw::test
