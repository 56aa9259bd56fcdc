// launchward.exe under the user's hand: the Pause and Stop buttons of the "Startup Control"
// window during the second phase, and a second copy started while one runs.

#include <algorithm>
#include <string>
#include <vector>

#include "entry/Program.h"
#include "support/win32/LogonFixture.h"

namespace lw::test {
namespace {

using driver::ChildProcess;

// The window is shown, and every pause lasts as long as it is set (auto-tune would end it early
// on an idle machine).
class LogonEndToEndButtonsTest : public LogonTest {
 protected:
  void SetUp() override {
    LogonTest::SetUp();
    WriteOptions({{kShowStartupDialogOption, true}, {kDisableAutoTuneOption, true}});
    StageRunItems({{"ProbeA", ProbeCommand("a"), ""}, {"ProbeB", ProbeCommand("b"), ""}});
  }

  static std::string PauseButtonText(HWND runner) {
    return driver::ControlText(runner, kRunnerPauseId);
  }
  static bool PauseButtonReads(HWND runner, const std::string& caption) {
    return driver::WaitUntil([&] { return PauseButtonText(runner) == caption; });
  }

  // A second phase held in a long pause after its first item; its runner window in *runner.
  ChildProcess StartInThePauseAfterTheFirstItem(HWND* runner) {
    SetDefaultPauses(0, 600000, 0);
    ChildProcess process = Start("-go");
    *runner = RunnerWindow(process);
    EXPECT_NE(*runner, nullptr);
    EXPECT_EQ(ProbeArguments(1), std::vector<std::string>{"a"});
    return process;
  }
};

// Stop ends the initial pause at its next step: no item starts, the rest of the phase runs
// (the mark cleared, both phases registered) and the program ends.
TEST_F(LogonEndToEndButtonsTest, StopDuringTheInitialPauseStartsNothing) {
  SetDefaultPauses(600000, 0, 0);
  SetRawString(kHKeyLocalMachine, kProgramKey, kRunOnceMarkValue, kRunOnceMarkValue);

  ChildProcess process = Start("-go");
  const HWND runner = RunnerWindow(process);
  ASSERT_NE(runner, nullptr);
  ASSERT_TRUE(StatusBecomes(runner, "(Pausing 600 seconds before executing)"));
  EXPECT_TRUE(driver::IsVisible(runner));
  ASSERT_TRUE(driver::PressButtonByCaption(runner, kStopCaption));

  EXPECT_EQ(ExitCode(process), 0);
  EXPECT_TRUE(ProbeArguments(0).empty());
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kProgramKey, kRunOnceMarkValue));
  ExpectRegisteredForBothPhases();
}

// Pause holds the run before its first item, well past the initial pause; Unpause lets it
// finish.
TEST_F(LogonEndToEndButtonsTest, PauseHoldsTheRunUntilUnpaused) {
  SetDefaultPauses(2000, 0, 0);

  ChildProcess process = Start("-go");
  const HWND runner = RunnerWindow(process);
  ASSERT_NE(runner, nullptr);
  ASSERT_TRUE(StatusBecomes(runner, "(Pausing 2 seconds before executing)"));
  ASSERT_TRUE(driver::PressButton(runner, kRunnerPauseId));
  ASSERT_TRUE(PauseButtonReads(runner, kUnpauseCaption));

  EXPECT_FALSE(process.WaitForExit(5000));
  EXPECT_TRUE(ProbeArguments(0).empty());
  EXPECT_EQ(driver::ControlText(runner, kRunnerStatusBoxId),
            "(Pausing 2 seconds before executing)");
  // Meanwhile the window goes on showing the load.
  const std::string load = driver::ControlText(runner, kRunnerLoadId);
  EXPECT_TRUE(!load.empty() && load.find_first_not_of("0123456789") == std::string::npos) << load;

  ASSERT_TRUE(driver::PressButtonByCaption(runner, kUnpauseCaption));
  EXPECT_EQ(ExitCode(process), 0);
  EXPECT_EQ(ProbeArguments(2), (std::vector<std::string>{"a", "b"}));
}

// Stop while paused does not let the run go: it stays held (the button still reads "Unpause")
// until the button is clicked again; then it ends without starting another item.
TEST_F(LogonEndToEndButtonsTest, StopWhilePausedHoldsUntilClickedAgain) {
  SetDefaultPauses(0, 3000, 0);

  ChildProcess process = Start("-go");
  const HWND runner = RunnerWindow(process);
  ASSERT_NE(runner, nullptr);
  // In the pause after the first item.
  ASSERT_EQ(ProbeArguments(1), std::vector<std::string>{"a"});
  ASSERT_TRUE(driver::PressButton(runner, kRunnerPauseId));
  ASSERT_TRUE(PauseButtonReads(runner, kUnpauseCaption));
  ASSERT_TRUE(driver::PressButtonByCaption(runner, kStopCaption));

  EXPECT_FALSE(process.WaitForExit(5000));
  EXPECT_EQ(PauseButtonText(runner), kUnpauseCaption);
  EXPECT_EQ(ProbeArguments(0), std::vector<std::string>{"a"});

  ASSERT_TRUE(driver::PressButtonByCaption(runner, kUnpauseCaption));
  EXPECT_EQ(ExitCode(process), 0);
  EXPECT_EQ(ProbeArguments(0), std::vector<std::string>{"a"});
}

// A logon ended in the middle of the run (the process killed, as a crash or a shutdown that
// does not wait would end it) leaves Launchward registered for both passes of the next logon.
TEST_F(LogonEndToEndButtonsTest, ARunEndedFromOutsideLeavesTheRegistration) {
  HWND runner = nullptr;
  ChildProcess process = StartInThePauseAfterTheFirstItem(&runner);
  ASSERT_FALSE(HasFailure());
  ASSERT_TRUE(process.Terminate());
  ExpectRegisteredForBothPhases();
}

// A logoff during the run: the program agrees to it, stops the run where it is and ends, with
// both passes registered.
TEST_F(LogonEndToEndButtonsTest, TheEndOfTheSessionStopsTheRunCleanly) {
  HWND runner = nullptr;
  ChildProcess process = StartInThePauseAfterTheFirstItem(&runner);
  ASSERT_FALSE(HasFailure());
  DWORD_PTR agreed = 0;
  ASSERT_NE(::SendMessageTimeoutA(runner, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL,
                                  driver::kStartLimitMs, &agreed),
            0);
  EXPECT_EQ(agreed, static_cast<DWORD_PTR>(TRUE));
  ASSERT_TRUE(driver::PostWindowMessage(runner, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF));

  EXPECT_EQ(ExitCode(process), 0);
  EXPECT_EQ(ProbeArguments(0), std::vector<std::string>{"a"});
  ExpectRegisteredForBothPhases();
}

// Explorer started again comes with an empty notification area: the icon is added again.
TEST_F(LogonEndToEndButtonsTest, TheIconComesBackWhenTheTaskbarIsCreatedAgain) {
  SetDefaultPauses(600000, 0, 0);
  ChildProcess process = Start("-go");
  const HWND runner = RunnerWindow(process);
  ASSERT_NE(runner, nullptr);
  ASSERT_TRUE(StatusBecomes(runner, "(Pausing 600 seconds before executing)"));
  ASSERT_TRUE(driver::NotifyIconExists(runner));
  NOTIFYICONDATAA record{};
  record.cbSize = NOTIFYICONDATAA_V2_SIZE;
  record.hWnd = runner;
  record.uID = 0;
  ASSERT_TRUE(::Shell_NotifyIconA(NIM_DELETE, &record));
  ASSERT_FALSE(driver::NotifyIconExists(runner));

  ASSERT_TRUE(driver::PostWindowMessage(runner, ::RegisterWindowMessageA("TaskbarCreated"), 0, 0));
  EXPECT_TRUE(driver::WaitUntil([&] { return driver::NotifyIconExists(runner); }));
  ASSERT_TRUE(driver::PressButtonByCaption(runner, kStopCaption));
  EXPECT_EQ(ExitCode(process), 0);
}

// A first copy that keeps running: a second phase in a long initial pause.
class LogonEndToEndInstanceTest : public LogonTest {
 protected:
  ChildProcess StartFirstCopy() {
    SetDefaultPauses(600000, 0, 0);
    ChildProcess first = Start("-go");
    const HWND runner = RunnerWindow(first);
    EXPECT_NE(runner, nullptr);
    if (runner != nullptr) {
      EXPECT_TRUE(driver::WaitUntil([&] {
        return driver::ControlText(runner, kRunnerStatusBoxId).rfind("(Pausing", 0) == 0;
      }));
    }
    return first;
  }
};

// A second start of the same executable is refused with one message and ends; the first one
// goes on undisturbed. (Only the other logon phase may run beside it: a first phase that comes
// after the second does its take-over, which the program's own tests show.)
TEST_F(LogonEndToEndInstanceTest, ASecondCopyIsRefused) {
  StageRunValue(kHKeyLocalMachine, "ProbeNew", ProbeCommand("new"));
  ChildProcess first = StartFirstCopy();

  ChildProcess second = Start("-go");
  const HWND box = driver::WaitForMessageBox(second.Id(), "Launchward");
  ASSERT_NE(box, nullptr);
  const std::vector<std::string> texts = driver::ChildTexts(box);
  EXPECT_NE(std::find(texts.begin(), texts.end(), kMsgOnlyOneInstance), texts.end())
      << ::testing::PrintToString(texts);
  std::vector<std::string> buttons;
  for (HWND child : driver::ChildWindows(box)) {
    if (driver::WindowClass(child) == "Button") buttons.push_back(driver::WindowText(child));
  }
  EXPECT_EQ(buttons, std::vector<std::string>{"OK"});
  EXPECT_NE(::GetDlgItem(box, IDOK), nullptr);
  EXPECT_TRUE(driver::ProcessWindows(second.Id(), kRunnerWindowQuery).empty());

  ASSERT_TRUE(driver::PressButton(box, IDOK));
  EXPECT_EQ(ExitCode(second), 0);
  EXPECT_TRUE(first.Running());
  // The second copy took nothing over.
  EXPECT_EQ(RunValue(kHKeyLocalMachine, "ProbeNew"), ProbeCommand("new"));
}

// The single-instance rule goes by the executable's file name: a copy under another name does
// its pass beside the first without a word.
TEST_F(LogonEndToEndInstanceTest, ACopyUnderAnotherNameRunsBeside) {
  const std::string other = folder + "launchward-other.exe";
  ASSERT_TRUE(Files().CopyFile(program, other, false));
  ChildProcess first = StartFirstCopy();

  ChildProcess second = Start("-master", other);
  driver::WindowWatch boxes(second.Id(), {driver::kMessageBoxClass, "", false}, 0xFFFF);
  EXPECT_EQ(ExitCode(second), 0);
  EXPECT_EQ(boxes.Window(), nullptr);
  EXPECT_EQ(RunValue(kHKeyCurrentUser, kSelfRunValue), Registration("-go", other));
  EXPECT_EQ(RawString(kHKeyCurrentUser, kRunOnceKey, kSelfRunValue), Registration("-pre", other));
  EXPECT_TRUE(first.Running());
}

}  // namespace
}  // namespace lw::test
