// launchward.exe at logon, as Windows starts it: "-pre" from the RunOnce key takes the items
// over, "-go" from the Run key starts them. Each case starts a copy of the real program, reads
// what its window and notification icon show, and then what the machine holds.

#include <algorithm>
#include <string>
#include <vector>

#include "edit/EditWindow.h"
#include "edit/win32/EditWindowView.h"
#include "install/NewItemListing.h"
#include "runner/LastLogonRecord.h"
#include "support/ScriptNames.h"
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
  // The list stays on screen for seconds, with the program handling its messages, so the watch
  // reads it whatever the machine's load. "Detecting New items." is replaced a moment after it
  // appears: whether a reader outside sees it depends on when that reader gets a processor, so
  // its order is checked on the simulation, and here only that nothing else came before the
  // list.
  EXPECT_NE(std::find(shown.begin(), shown.end(), found), shown.end())
      << ::testing::PrintToString(shown);
  for (auto text = shown.begin(); text != shown.end() && *text != found; ++text) {
    EXPECT_TRUE(text->empty() || *text == kMsgDetectingNewItems) << *text;
  }

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
// phase's mark and ends, with both phases registered for the next logon all along.
//
// The icons are double-clicked where Wine shows them. That a notification icon exists is asked
// the way that works on Windows too (NotifyIconExists).
TEST_F(LogonEndToEndTest, SecondPhaseStartsTheItemsInOrderAndEnds) {
  // A whole initial pause (auto-tune would end it early on an idle machine), long enough to
  // look at the icon. A second after each Run-key item: the probes note their own start, and
  // two Wine processes started at once may note theirs in either order.
  WriteOptions({{kDisableAutoTuneOption, true}});
  SetDefaultPauses(4000, 1000, 0);
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
  // Both passes are registered for the next logon before the items run.
  ExpectRegisteredForBothPhases();
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
  ExpectRegisteredForBothPhases();
}

// Items named in four scripts, started from a program whose folder is so named too: the first
// phase lists and takes them over under their names, the second starts each.
TEST_F(LogonEndToEndTest, NamesInAnyScriptAreTakenOverAndStarted) {
  WriteOptions({{kDisableSysTrayNotificationOption, true}});
  SetDefaultPauses(0, 1000, 1000);
  const std::string user = CurrentUserName();
  const std::string named = folder + kChinese + "\\" + kCafe + ".exe";
  InstallProbe(named);
  auto command = [&](const std::string& argument) { return "\"" + named + "\" " + argument; };
  StageRunValue(kHKeyLocalMachine, kCafe, command("a"));
  StageRunValue(kHKeyCurrentUser, kPrivet, command("b"));
  ASSERT_EQ(Shell().SaveShellLink(userStartup + kChinese + ".lnk", named, "c"), kSOk);
  ASSERT_EQ(Shell().SaveShellLink(commonStartup + kRocket + ".lnk", named, "d"), kSOk);
  SetRawString(kHKeyLocalMachine, kRunKey, kSelfRunValue, Registration("-go"));
  SetRawString(kHKeyLocalMachine, kRunOnceKey, kSelfRunValue, Registration("-pre"));

  ChildProcess first = Start("-pre");
  WindowWatch watch(first.Id(), kRunnerWindowQuery, kRunnerStatusBoxId);
  ASSERT_EQ(ExitCode(first), 0);
  const std::vector<std::string> shown = watch.Texts();
  const auto listed = [&](const std::string& line) {
    return std::any_of(shown.begin(), shown.end(), [&](const std::string& text) {
      return text.find(line + "\r\n") != std::string::npos;
    });
  };
  for (const std::string& line : {"Runkey: " + kCafe, "Runkey: " + kPrivet,
                                  "Startup: " + kChinese + ".lnk", "Startup: " + kRocket + ".lnk"})
    EXPECT_TRUE(listed(line)) << line << " in " << ::testing::PrintToString(shown);
  EXPECT_EQ(RunValue(kHKeyLocalMachine, kCafe), "<missing>");
  EXPECT_EQ(RunValue(kHKeyCurrentUser, kPrivet), "<missing>");
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunItemsKey, kCafe), command("a"));
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunItemsKey, user + "_" + kPrivet), command("b"));
  EXPECT_EQ(SortOf(kRunSortKey), (std::vector<std::string>{user + "_" + kPrivet, kCafe}));
  for (const std::string& name : {kChinese + ".lnk", kRocket + ".lnk"}) {
    EXPECT_TRUE(FileThere(store + name)) << name;
    EXPECT_FALSE(FileThere(userStartup + name)) << name;
    EXPECT_FALSE(FileThere(commonStartup + name)) << name;
  }

  ChildProcess second = Start("-go");
  ASSERT_EQ(ExitCode(second), 0);
  std::vector<std::string> arguments = ProbeArguments(4);
  ASSERT_EQ(arguments.size(), 4u);
  EXPECT_EQ(arguments[0], "b");  // the user's Run key first, then the machine's
  EXPECT_EQ(arguments[1], "a");
  std::sort(arguments.begin() + 2, arguments.end());
  EXPECT_EQ(arguments, (std::vector<std::string>{"b", "a", "c", "d"}));
  for (const ProbeStart& start : WaitForProbeStarts(4))
    EXPECT_NE(start.commandLine.find(named), std::string::npos) << start.commandLine;
}

// The second phase keeps, in the user's hive, when each item started and the load around its
// start: one value per started item, the figures of the logon before gone. Auto-tune is on (as
// by default), so each item has a sample before it and one in or after its pause.
TEST_F(LogonEndToEndTest, SecondPhaseRecordsEachStartForTheLastLogonColumn) {
  SetDefaultPauses(0, 1000, 0);
  StageRunItems({{"ProbeA", ProbeCommand("a"), ""}, {"ProbeB", ProbeCommand("b"), ""}});
  SetRawString(kHKeyCurrentUser, kLastLogonKey, "ProbeGone", "1,2,3");

  ChildProcess process = Start("-go");
  ASSERT_EQ(ExitCode(process), 0);
  EXPECT_EQ(ProbeArguments(2), (std::vector<std::string>{"a", "b"}));

  std::vector<std::string> recorded = RawValueNames(kHKeyCurrentUser, kLastLogonKey);
  std::sort(recorded.begin(), recorded.end());
  EXPECT_EQ(recorded, (std::vector<std::string>{"ProbeA", "ProbeB"}));
  EXPECT_FALSE(RawKeyExists(kHKeyLocalMachine, kLastLogonKey));
  LastLogonFigures a;
  LastLogonFigures b;
  ASSERT_TRUE(GetLastLogonFigures("ProbeA", a))
      << RawString(kHKeyCurrentUser, kLastLogonKey, "ProbeA");
  ASSERT_TRUE(GetLastLogonFigures("ProbeB", b))
      << RawString(kHKeyCurrentUser, kLastLogonKey, "ProbeB");
  EXPECT_LT(a.startedAfterMs, b.startedAfterMs);
  for (const LastLogonFigures& figures : {a, b}) {
    EXPECT_NE(figures.loadBefore, kLoadUnknown);
    EXPECT_NE(figures.loadAfter, kLoadUnknown);
  }
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

  // The icon is the new-items one: its double-click opens the edit window (the progress icon's
  // would show the runner window), and closing that ends the program.
  const HWND icon = OnlyWineTrayIcon();
  ASSERT_NE(icon, nullptr);
  EXPECT_TRUE(driver::DoubleClickWineTrayIcon(icon));
  const HWND edit =
      driver::WaitForProcessWindow(process.Id(), {kEditWindowClass, kEditWindowCaption, true});
  ASSERT_NE(edit, nullptr);
  EXPECT_FALSE(driver::IsVisible(runner));
  ASSERT_TRUE(driver::PostWindowMessage(edit, WM_CLOSE, 0, 0));
  EXPECT_EQ(ExitCode(process), 0);
  EXPECT_TRUE(driver::WineTrayIcons().empty());
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

// An argument that is no switch (letter case counts) is answered with a message that names the
// accepted switches; once it is closed the program ends with an error code, having done nothing
// and holding nothing: the next start runs as usual.
class LogonEndToEndUnknownTest : public LogonTest,
                                 public ::testing::WithParamInterface<const char*> {};

TEST_P(LogonEndToEndUnknownTest, SaysWhatItAcceptsAndEndsWithAnError) {
  StageRunItems({{"ProbeA", ProbeCommand("a"), ""}});
  StageRunValue(kHKeyLocalMachine, "ProbeNew", ProbeCommand("new"));

  ChildProcess process = Start(GetParam());
  const HWND box = driver::WaitForMessageBox(process.Id(), "Launchward");
  ASSERT_NE(box, nullptr);
  const std::vector<std::string> texts = driver::ChildTexts(box);
  EXPECT_NE(std::find(texts.begin(), texts.end(), UnknownArgumentText(GetParam())), texts.end())
      << ::testing::PrintToString(texts);
  EXPECT_TRUE(driver::ProcessWindows(process.Id(), kRunnerWindowQuery).empty());
  ASSERT_TRUE(driver::PressButton(box, IDOK));
  EXPECT_EQ(ExitCode(process), kExitUnknownArgument);

  EXPECT_TRUE(ProbeArguments(0).empty());
  EXPECT_EQ(RunValue(kHKeyLocalMachine, "ProbeNew"), ProbeCommand("new"));
  for (HKey root : {kHKeyLocalMachine, kHKeyCurrentUser}) {
    EXPECT_FALSE(RawValueExists(root, kRunKey, kSelfRunValue)) << root;
    EXPECT_FALSE(RawValueExists(root, kRunOnceKey, kSelfRunValue)) << root;
  }
  // Nothing held the single-instance lock: a logon pass started now runs.
  ChildProcess next = Start("-master");
  EXPECT_EQ(ExitCode(next), 0);
  EXPECT_EQ(RunValue(kHKeyCurrentUser, kSelfRunValue), Registration("-go"));
}

INSTANTIATE_TEST_SUITE_P(LogonEndToEnd, LogonEndToEndUnknownTest, ::testing::Values("-GO", "-stay"),
                         [](const auto& info) {
                           return std::string(info.param) == "-GO" ? "SwitchInCapitals"
                                                                   : "UnknownSwitch";
                         });

}  // namespace
}  // namespace lw::test
