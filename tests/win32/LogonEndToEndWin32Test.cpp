// launchward.exe at logon, as Windows starts it: "-pre" from the RunOnce key takes the items
// over, "-go" from the Run key starts them. Each case starts a copy of the real program, reads
// what its window and notification icon show, and then what the machine holds.

#include <algorithm>
#include <string>
#include <vector>

#include "install/NewItemListing.h"
#include "support/win32/LogonFixture.h"

namespace lw::test {
namespace {

using driver::ChildProcess;
using driver::WindowWatch;

// The first phase, with the window shown (the default) and with the option that keeps it hidden:
// the same take-over either way.
class LogonEndToEndPhase1Test : public LogonTest, public ::testing::WithParamInterface<bool> {};

TEST_P(LogonEndToEndPhase1Test, TakesTheItemsOverAndRegistersTheSecondPhase) {
  const bool windowHidden = GetParam();
  WriteOptions({{kDisableMoveDialogOption, windowHidden}});
  const std::string user = CurrentUserName();
  ASSERT_NE(user, kUnknownUser);
  StageRunValue(kHKeyLocalMachine, "ProbeMachine", ProbeCommand("machine"));
  StageRunValue(kHKeyCurrentUser, "ProbeUser", ProbeCommand("user"));
  ASSERT_EQ(Shell().SaveShellLink(userStartup + "Probe Link.lnk", probe, "link"), kSOk);
  // Installed. (Windows deletes the RunOnce value when it starts it; the program removes it all
  // the same.)
  SetRawString(kHKeyLocalMachine, kRunKey, kSelfRunValue, Registration("-go"));
  SetRawString(kHKeyLocalMachine, kRunOnceKey, kSelfRunValue, Registration("-pre"));

  ChildProcess process = Start("-pre");
  WindowWatch watch(process.Id(), kRunnerWindowQuery, kRunnerStatusBoxId);
  ASSERT_EQ(ExitCode(process), 0);

  // What the user saw.
  EXPECT_EQ(watch.EverVisible(), !windowHidden);
  const std::vector<std::string> shown = watch.Texts();
  const std::string found = std::string(kMsgItemsFound) +
                            "Runkey: ProbeUser\r\nRunkey: ProbeMachine\r\n"
                            "Startup: Probe Link.lnk\r\n";
  const auto detecting = std::find(shown.begin(), shown.end(), kMsgDetectingNewItems);
  EXPECT_NE(detecting, shown.end()) << ::testing::PrintToString(shown);
  EXPECT_NE(std::find(detecting, shown.end(), found), shown.end())
      << ::testing::PrintToString(shown);

  // The items moved into the store, in the order of the Run keys (the user's first), and the
  // shortcut into the copy's own shortcut store; none of them was started.
  EXPECT_EQ(RunValue(kHKeyLocalMachine, "ProbeMachine"), "<missing>");
  EXPECT_EQ(RunValue(kHKeyCurrentUser, "ProbeUser"), "<missing>");
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunItemsKey, "ProbeMachine"), ProbeCommand("machine"));
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunItemsKey, user + "_ProbeUser"), ProbeCommand("user"));
  EXPECT_EQ(SortOf(kRunSortKey), (std::vector<std::string>{user + "_ProbeUser", "ProbeMachine"}));
  EXPECT_FALSE(FileThere(userStartup + "Probe Link.lnk"));
  EXPECT_TRUE(FileThere(store + "Probe Link.lnk"));
  EXPECT_EQ(SortOf(kStartupSortKey), std::vector<std::string>{store + "Probe Link.lnk"});
  EXPECT_EQ(RawString(kHKeyLocalMachine, kProgramKey, kNewRunItemsValue), kNewRunItemsValue);
  EXPECT_EQ(RawString(kHKeyLocalMachine, kProgramKey, kNewStartupItemsValue),
            kNewStartupItemsValue);
  EXPECT_TRUE(ProbeArguments(0).empty());

  // Registered for the second phase only, and the first marked done.
  EXPECT_EQ(RunValue(kHKeyLocalMachine, kSelfRunValue), Registration("-go"));
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunOnceKey, kSelfRunValue));
  EXPECT_EQ(RawString(kHKeyLocalMachine, kProgramKey, kRunOnceMarkValue), kRunOnceMarkValue);
}

INSTANTIATE_TEST_SUITE_P(LogonEndToEnd, LogonEndToEndPhase1Test, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Hidden" : "Shown"; });

using LogonEndToEndTest = LogonTest;

// The second phase starts the managed items in order with the progress icon up (its
// double-click shows and hides the window, which stays hidden otherwise), clears the first
// phase's mark, registers both phases for the next logon and ends.
//
// The icons are double-clicked where Wine shows them. That a notification icon exists is asked
// the way that works on Windows too (NotifyIconExists).
TEST_F(LogonEndToEndTest, SecondPhaseStartsTheItemsInOrderAndEnds) {
  // A whole initial pause (auto-tune would end it early on an idle machine), long enough to
  // look at the icon.
  WriteOptions({{kDisableAutoTuneOption, true}});
  SetDefaultPauses(4000, 0, 0);
  StageRunItems({{"ProbeA", ProbeCommand("a"), ""}, {"ProbeB", ProbeCommand("b"), ""}});
  EnsureFolder(store);
  StageShortcuts({{"Probe C.lnk", probe, "c", userStartup}});
  SetRawString(kHKeyLocalMachine, kProgramKey, kRunOnceMarkValue, kRunOnceMarkValue);
  SetRawString(kHKeyLocalMachine, kRunKey, kSelfRunValue, Registration("-go"));

  ChildProcess process = Start("-go");
  const HWND runner = RunnerWindow(process);
  ASSERT_NE(runner, nullptr);
  ASSERT_TRUE(StatusBecomes(runner, "(Pausing 4 seconds before executing)"));
  EXPECT_TRUE(driver::NotifyIconExists(runner));
  EXPECT_FALSE(driver::NotifyIconExists(runner, 1));  // the window has one icon, id 0
  EXPECT_FALSE(driver::IsVisible(runner));
  // The Run value is taken away while the items run, and written again at the end.
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunKey, kSelfRunValue));
  const HWND icon = OnlyWineTrayIcon();
  ASSERT_NE(icon, nullptr);
  EXPECT_TRUE(driver::DoubleClickWineTrayIcon(icon));
  EXPECT_TRUE(driver::WaitUntil([&] { return driver::IsVisible(runner); }));
  EXPECT_TRUE(driver::DoubleClickWineTrayIcon(icon));
  EXPECT_TRUE(driver::WaitUntil([&] { return !driver::IsVisible(runner); }));
  EXPECT_TRUE(ProbeArguments(0).empty());

  ASSERT_EQ(ExitCode(process), 0);
  EXPECT_EQ(ProbeArguments(3), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kProgramKey, kRunOnceMarkValue));
  EXPECT_EQ(RunValue(kHKeyLocalMachine, kSelfRunValue), Registration("-go"));
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunOnceKey, kSelfRunValue), Registration("-pre"));
}

// When the first phase found new items, the second stays in the notification area after the
// run (unless the option says not to), until the icon is double-clicked.
class LogonEndToEndNewItemsTest : public LogonTest, public ::testing::WithParamInterface<bool> {};

TEST_P(LogonEndToEndNewItemsTest, TheNewItemsIconStaysUntilDoubleClicked) {
  const bool notificationOff = GetParam();
  WriteOptions({{kDisableSysTrayNotificationOption, notificationOff}});
  StageRunItems({{"ProbeA", ProbeCommand("a"), ""}});
  SetRawString(kHKeyLocalMachine, kProgramKey, kNewRunItemsValue, kNewRunItemsValue);

  ChildProcess process = Start("-go");
  const HWND runner = RunnerWindow(process);
  ASSERT_NE(runner, nullptr);
  EXPECT_EQ(ProbeArguments(1), std::vector<std::string>{"a"});
  if (notificationOff) {
    EXPECT_EQ(ExitCode(process), 0);
    EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kProgramKey, kNewRunItemsValue));
    return;
  }
  // The run is over once the program has registered itself again and read the flag; the
  // progress icon went before that.
  ASSERT_TRUE(driver::WaitUntil([] {
    return RawValueExists(kHKeyLocalMachine, kRunOnceKey, kSelfRunValue) &&
           !RawValueExists(kHKeyLocalMachine, kProgramKey, kNewRunItemsValue);
  }));
  ASSERT_TRUE(driver::WaitUntil([&] { return driver::NotifyIconExists(runner); }));
  EXPECT_FALSE(process.WaitForExit(2000));
  EXPECT_FALSE(driver::IsVisible(runner));

  // The icon is the new-items one: its double-click ends the program (the progress icon's would
  // show the window).
  const HWND icon = OnlyWineTrayIcon();
  ASSERT_NE(icon, nullptr);
  EXPECT_TRUE(driver::DoubleClickWineTrayIcon(icon));
  EXPECT_EQ(ExitCode(process), 0);
  EXPECT_EQ(RunValue(kHKeyLocalMachine, kSelfRunValue), Registration("-go"));
}

INSTANTIATE_TEST_SUITE_P(LogonEndToEnd, LogonEndToEndNewItemsTest, ::testing::Bool(),
                         [](const auto& info) {
                           return info.param ? "NotificationOff" : "NotificationOn";
                         });

// "-master" registers the program for the current user; on a machine where it is not
// registered for everyone it says so first.
class LogonEndToEndMasterTest : public LogonTest, public ::testing::WithParamInterface<bool> {};

TEST_P(LogonEndToEndMasterTest, RegistersTheCurrentUser) {
  const bool machineRegistered = GetParam();
  if (machineRegistered) SetRawString(kHKeyLocalMachine, kRunKey, kSelfRunValue, "\"x.exe\" -go ");

  ChildProcess process = Start("-master");
  WindowWatch watch(process.Id(), kRunnerWindowQuery, kRunnerStatusBoxId);
  ASSERT_EQ(ExitCode(process), 0);

  EXPECT_EQ(watch.EverVisible(), !machineRegistered);
  const std::vector<std::string> shown = watch.Texts();
  EXPECT_EQ(std::count(shown.begin(), shown.end(), kMsgInstallingForNextReboot),
            machineRegistered ? 0 : 1)
      << ::testing::PrintToString(shown);
  EXPECT_EQ(RunValue(kHKeyCurrentUser, kSelfRunValue), Registration("-go"));
  EXPECT_EQ(RawString(kHKeyCurrentUser, kRunOnceKey, kSelfRunValue), Registration("-pre"));
  EXPECT_EQ(RunValue(kHKeyLocalMachine, kSelfRunValue),
            machineRegistered ? "\"x.exe\" -go " : "<missing>");
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunOnceKey, kSelfRunValue));
}

INSTANTIATE_TEST_SUITE_P(LogonEndToEnd, LogonEndToEndMasterTest, ::testing::Bool(),
                         [](const auto& info) {
                           return info.param ? "MachineRegistered" : "MachineNotRegistered";
                         });

// An argument that is no switch (letter case counts) does nothing: no window, nothing
// registered, and the process stays until it is ended from outside.
class LogonEndToEndUnknownTest : public LogonTest,
                                 public ::testing::WithParamInterface<const char*> {};

TEST_P(LogonEndToEndUnknownTest, DoesNothingAndKeepsRunning) {
  StageRunItems({{"ProbeA", ProbeCommand("a"), ""}});
  StageRunValue(kHKeyLocalMachine, "ProbeNew", ProbeCommand("new"));

  ChildProcess process = Start(GetParam());
  WindowWatch watch(process.Id(), kRunnerWindowQuery, kRunnerStatusBoxId);
  ASSERT_NE(RunnerWindow(process), nullptr);
  EXPECT_FALSE(process.WaitForExit(3000));

  EXPECT_FALSE(watch.EverVisible());
  EXPECT_TRUE(driver::ProcessWindows(process.Id(), {"", "", true}).empty());
  EXPECT_TRUE(ProbeArguments(0).empty());
  EXPECT_EQ(RunValue(kHKeyLocalMachine, "ProbeNew"), ProbeCommand("new"));
  for (HKey root : {kHKeyLocalMachine, kHKeyCurrentUser}) {
    EXPECT_FALSE(RawValueExists(root, kRunKey, kSelfRunValue)) << root;
    EXPECT_FALSE(RawValueExists(root, kRunOnceKey, kSelfRunValue)) << root;
  }
  EXPECT_TRUE(process.Terminate());
}

INSTANTIATE_TEST_SUITE_P(LogonEndToEnd, LogonEndToEndUnknownTest, ::testing::Values("-GO", "-stay"),
                         [](const auto& info) {
                           return std::string(info.param) == "-GO" ? "SwitchInCapitals"
                                                                   : "UnknownSwitch";
                         });

}  // namespace
}  // namespace lw::test
