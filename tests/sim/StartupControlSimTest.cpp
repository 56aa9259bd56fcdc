// The runner window's logic on the simulation: what each logon start does, shows and leaves
// behind, with the buttons and the notification icons used on the virtual clock.

#include "runner/StartupControl.h"

#include <stdexcept>

#include "install/NewItemListing.h"
#include "platform/PerfDataBlock.h"
#include "runner/ProcessorLoad.h"
#include "support/LogonRunnerFixture.h"
#include "support/RecordingStartupControlWindow.h"
#include "util/ErrorLog.h"

namespace lw::test {
namespace {

const std::string kSelfPath = "\"C:\\Program Files\\Launchward\\launchward.exe\"";

class StartupControlSimTest : public RunnerTest {
 protected:
  void SetUp() override {
    RunnerTest::SetUp();
    form = std::make_unique<StartupControl>(window);
  }
  void TearDown() override {
    form->OnDestroy();
    form.reset();
    RunnerTest::TearDown();
  }

  // A new window with its logic, as a new start of the program has.
  void NewStart() {
    window = RecordingStartupControlWindow();
    form = std::make_unique<StartupControl>(window);
  }

  void Start(const std::string& argument) {
    std::vector<std::string> args;
    if (!argument.empty()) args.push_back(argument);
    form->OnCreate(args);
  }

  static std::string SelfValue(HKey root, const char* key) {
    return RawString(root, key, kSelfRunValue);
  }
  static std::string RunOnceMark() {
    return RawValueExists(kHKeyLocalMachine, kProgramKey, kRunOnceMarkValue)
               ? RawString(kHKeyLocalMachine, kProgramKey, kRunOnceMarkValue)
               : "";
  }
  std::vector<std::string> Started() const {
    std::vector<std::string> lines;
    for (const auto& start : Sim().ProcessStarts()) lines.push_back(start.commandLine);
    return lines;
  }

  RecordingStartupControlWindow window;
  std::unique_ptr<StartupControl> form;
};

// -- Which pass a start runs -----------------------------------------------------------------

TEST_F(StartupControlSimTest, TheFirstArgumentAloneChoosesThePassAndOnlyExactSwitchesCount) {
  struct Case {
    std::vector<std::string> args;
    bool ends;           // the program is asked to end
    bool registersUser;  // "-master": HKEY_CURRENT_USER registration
    bool takesOver;      // "-pre": the RUNONCE mark
    bool registersGo;    // "-pre" and "-go" leave the machine's Run value
  };
  const Case cases[] = {
      {{}, false, false, false, false},
      {{"-pre"}, true, false, true, true},
      {{"-go"}, true, false, false, true},
      {{"-master"}, true, true, false, false},
      {{"-GO"}, false, false, false, false},
      {{"-Pre"}, false, false, false, false},
      {{"/go"}, false, false, false, false},
      {{""}, false, false, false, false},
      {{"-go", "-pre"}, true, false, false, true},
      {{"-x", "-go"}, false, false, false, false},
  };
  for (const Case& c : cases) {
    std::string what;
    for (const std::string& arg : c.args) what += "[" + arg + "]";
    SCOPED_TRACE(what);
    TearDown();
    window = RecordingStartupControlWindow();
    SetUp();
    SetDefaultPauses(0, 0, 0);
    form->OnCreate(c.args);
    EXPECT_EQ(ApplicationTerminating(), c.ends);
    if (!window.EverShown()) {
      EXPECT_EQ(window.cpuText, "");
    }
    EXPECT_EQ(SelfValue(kHKeyCurrentUser, kRunKey) == kSelfPath + " -go ", c.registersUser);
    EXPECT_EQ(RunOnceMark() == kRunOnceMarkValue, c.takesOver);
    EXPECT_EQ(SelfValue(kHKeyLocalMachine, kRunKey) == kSelfPath + " -go ", c.registersGo);
    if (c.args.empty() || !c.ends) {
      EXPECT_TRUE(window.statuses.empty());
      EXPECT_FALSE(window.EverShown());
    }
    const std::vector<std::string> topmost = {"topmost keep size", "topmost"};
    ASSERT_GE(window.events.size(), 2u);
    EXPECT_EQ(std::vector<std::string>(window.events.begin(), window.events.begin() + 2), topmost);
  }
}

// -- The first phase ----------------------------------------------------------------------

TEST_F(StartupControlSimTest, PreTakesTheItemsOverShowsThemAndMarksTheFirstPhaseDone) {
  StageRunValue(kHKeyLocalMachine, "Tool", "C:\\Tools\\tool.exe /tray");
  StageRunValue(kHKeyCurrentUser, "Chat", "C:\\Chat\\chat.exe");
  ASSERT_EQ(Shell().SaveShellLink(userStartup + "Notes.lnk", "C:\\Notes\\notes.exe", ""), kSOk);
  SetRawString(kHKeyLocalMachine, kRunOnceKey, kSelfRunValue, kSelfPath + " -pre ");
  const std::uint64_t begin = Sim().Now();

  Start("-pre");

  ASSERT_GE(window.statuses.size(), 2u);
  EXPECT_EQ(window.statuses[0], kMsgDetectingNewItems);
  EXPECT_EQ(window.statuses[1],
            "Items Found.\r\nRunkey: Chat\r\nRunkey: Tool\r\nStartup: Notes.lnk\r\n");
  EXPECT_EQ(window.events, (std::vector<std::string>{"topmost keep size", "topmost", "foreground",
                                                     "show", "topmost", "hide"}));
  EXPECT_TRUE(window.timerEnabled);
  EXPECT_NE(window.cpuText, "");  // the load is shown at once when the window appears
  EXPECT_GE(Sim().Now() - begin, static_cast<std::uint64_t>(kItemsFoundPauseMs));
  // Taken over: nothing is left with Windows, everything is in the store and marked new.
  EXPECT_TRUE(RawValueNames(kHKeyLocalMachine, kRunKey) == std::vector<std::string>{kSelfRunValue});
  EXPECT_TRUE(RawValueNames(kHKeyCurrentUser, kRunKey).empty());
  EXPECT_FALSE(FileThere(userStartup + "Notes.lnk"));
  EXPECT_TRUE(FileThere(store + "Notes.lnk"));
  EXPECT_EQ(SortOf(kRunSortKey).size(), 2u);
  EXPECT_EQ(RawString(kHKeyLocalMachine, kProgramKey, kNewRunItemsValue), kNewRunItemsValue);
  // Registered for the second phase only; the first phase is marked done; the program ends.
  EXPECT_EQ(SelfValue(kHKeyLocalMachine, kRunKey), kSelfPath + " -go ");
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunOnceKey, kSelfRunValue));
  EXPECT_EQ(RunOnceMark(), kRunOnceMarkValue);
  EXPECT_TRUE(ApplicationTerminating());
  EXPECT_TRUE(Sim().ProcessStarts().empty());
}

TEST_F(StartupControlSimTest, PreWithTheMoveDialogDisabledShowsNoWindowButTakesOver) {
  SharedOptions().SetChecked(kDisableMoveDialogOption, true);
  StageRunValue(kHKeyLocalMachine, "Tool", "C:\\Tools\\tool.exe");
  Start("-pre");
  EXPECT_FALSE(window.EverShown());
  EXPECT_EQ(SortOf(kRunSortKey), std::vector<std::string>{"Tool"});
  EXPECT_EQ(RunOnceMark(), kRunOnceMarkValue);
  EXPECT_TRUE(ApplicationTerminating());
}

TEST_F(StartupControlSimTest, PreWithoutRightsSaysWhereAndTakesNothingOver) {
  StageRunValue(kHKeyLocalMachine, "Tool", "C:\\Tools\\tool.exe");
  SetRawString(kHKeyLocalMachine, kRunKey, kSelfRunValue, kSelfPath + " -go ");
  Sim().DenyKeyWrites(kHKeyLocalMachine, "");
  const std::uint64_t begin = Sim().Now();

  Start("-pre");

  EXPECT_EQ(window.statusText,
            std::string(kMsgPermissionDenied) + "HKEY_LOCAL_MACHINE" + kProgramKey);
  EXPECT_GE(Sim().Now() - begin, static_cast<std::uint64_t>(kPermissionDeniedPauseMs));
  EXPECT_TRUE(dialogs->Messages().empty());  // no error box at logon
  EXPECT_EQ(RunValue(kHKeyLocalMachine, "Tool"), "C:\\Tools\\tool.exe");
  EXPECT_EQ(RunOnceMark(), "");
  EXPECT_FALSE(window.visible);
  EXPECT_TRUE(ApplicationTerminating());
}

TEST_F(StartupControlSimTest, PauseHoldsTheFirstPhaseAfterTheTakeOverUntilUnpause) {
  StageRunValue(kHKeyLocalMachine, "Tool", "C:\\Tools\\tool.exe");
  const std::uint64_t begin = Sim().Now();
  Sim().At(begin + 500, [&] { form->OnPauseClicked(); });
  std::string markWhilePaused = "<never looked>";
  Sim().At(begin + 30000, [&] {
    markWhilePaused = RunOnceMark();
    EXPECT_EQ(window.pauseCaption, kUnpauseCaption);
    form->OnPauseClicked();
  });

  Start("-pre");

  EXPECT_EQ(markWhilePaused, "");  // held before the mark
  EXPECT_GE(Sim().Now(), begin + 30000);
  EXPECT_EQ(RunOnceMark(), kRunOnceMarkValue);
  EXPECT_EQ(window.pauseCaption, kPauseCaption);
  EXPECT_FALSE(form->IsPaused());
}

// -- The second phase ---------------------------------------------------------------------

class StartupControlGoTest : public StartupControlSimTest {
 protected:
  void SetUp() override {
    StartupControlSimTest::SetUp();
    Files().CreateDirectory("C:\\Apps");
    for (const char* name : {"a.exe", "b.exe"}) {
      ASSERT_TRUE(Files().WriteFile(std::string("C:\\Apps\\") + name, "MZ"));
    }
    StageRunItems({{"A", "C:\\Apps\\a.exe", ""}, {"B", "C:\\Apps\\b.exe", ""}});
    SetDefaultPauses(3000, 1000, 1000);
    // The options are loaded at start, when the pause values exist.
    SharedOptions().Load();
    SetAutoTune(false);
    // What the first phase and the registration left.
    SetRawString(kHKeyLocalMachine, kProgramKey, kRunOnceMarkValue, kRunOnceMarkValue);
    SetRawString(kHKeyLocalMachine, kRunKey, kSelfRunValue, kSelfPath + " -go ");
  }
};

TEST_F(StartupControlGoTest, GoStartsTheItemsInOrderUnderTheProgressIconAndRegistersAgain) {
  const std::uint64_t begin = Sim().Now();
  std::string iconWhileRunning;
  Sim().At(begin + 1000, [&] { iconWhileRunning = window.trayIcon; });

  Start("-go");

  EXPECT_EQ(Started(), (std::vector<std::string>{"\"C:\\Apps\\a.exe\" ", "\"C:\\Apps\\b.exe\" "}));
  EXPECT_GE(Sim().ProcessStarts()[0].time, begin + 3000);
  EXPECT_EQ(iconWhileRunning, "progress");
  EXPECT_EQ(window.trayIcon, "");
  EXPECT_EQ(window.statuses.front(), kMsgStarting);
  EXPECT_EQ(window.statuses[1], "(Pausing 3 seconds before executing)");
  EXPECT_FALSE(window.EverShown());  // the Phase 2 window is off by default
  EXPECT_EQ(RunOnceMark(), "");
  EXPECT_TRUE(RawValueExists(kHKeyCurrentUser, kAutoTuneKey, kHighCPUStatValue));
  EXPECT_EQ(SelfValue(kHKeyLocalMachine, kRunKey), kSelfPath + " -go ");
  EXPECT_EQ(SelfValue(kHKeyLocalMachine, kRunOnceKey), kSelfPath + " -pre ");
  EXPECT_TRUE(ApplicationTerminating());
  EXPECT_EQ(Sim().OpenProcessHandleCount(), 0);
}

// The new-items icon's double-click opens the edit window; the program ends when that window
// closes (or at once, when there is no edit window to open).
TEST_F(StartupControlGoTest, NewItemsLeaveTheirIconWhoseDoubleClickOpensTheEditWindow) {
  struct Case {
    bool notificationOff;
    bool staysWithIcon;
    bool editWindow;
  };
  for (const Case c :
       {Case{false, true, true}, Case{false, true, false}, Case{true, false, true}}) {
    SCOPED_TRACE(::testing::Message() << c.notificationOff << c.editWindow);
    ResetApplicationTerminate();
    NewStart();
    window.editWindow = c.editWindow;
    SetRawString(kHKeyLocalMachine, kProgramKey, kNewRunItemsValue, kNewRunItemsValue);
    SharedOptions().SetChecked(kDisableSysTrayNotificationOption, c.notificationOff);

    Start("-go");

    // The flag is consumed either way.
    EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kProgramKey, kNewRunItemsValue));
    EXPECT_EQ(ApplicationTerminating(), !c.staysWithIcon);
    EXPECT_EQ(window.trayIcon, c.staysWithIcon ? "new items" : "");
    if (!c.staysWithIcon) continue;
    form->OnTrayIconMessage(kNewItemsIconMessage, 0x201);  // a single click does nothing
    EXPECT_FALSE(ApplicationTerminating());
    EXPECT_EQ(window.events.back(), "add new items");
    form->OnTrayIconMessage(kNewItemsIconMessage, kWmLButtonDblClk);
    EXPECT_EQ(window.events.back(), c.editWindow ? "edit window" : "remove new items");
    EXPECT_EQ(ApplicationTerminating(), !c.editWindow);
    if (!c.editWindow) continue;
    EXPECT_EQ(window.trayIcon, "new items");
    form->OnEditWindowClosed();
    EXPECT_TRUE(ApplicationTerminating());
    EXPECT_EQ(window.trayIcon, "");
  }
}

TEST_F(StartupControlGoTest, TheProgressIconShowsAndHidesTheWindowAndTheWindowShowsTheLoad) {
  const std::uint64_t begin = Sim().Now();
  Sim().At(begin + 500, [&] { form->OnTrayIconMessage(kProgressIconMessage, kWmLButtonDblClk); });
  bool shownAfterClick = false;
  Sim().At(begin + 600, [&] { shownAfterClick = window.visible; });
  Sim().At(begin + 2700, [&] { form->OnTrayIconMessage(kProgressIconMessage, kWmLButtonDblClk); });

  Start("-go");

  EXPECT_TRUE(shownAfterClick);
  EXPECT_TRUE(window.timerEnabled);
  EXPECT_NE(window.cpuText, "");
  EXPECT_EQ(std::count(window.events.begin(), window.events.end(), "show"), 1);
  EXPECT_FALSE(window.visible);
}

TEST_F(StartupControlGoTest, StopInTheInitialPauseSkipsEveryItemAndStillRegisters) {
  SharedOptions().SetChecked(kShowStartupDialogOption, true);
  const std::uint64_t begin = Sim().Now();
  Sim().At(begin + 1000, [&] { form->OnStopClicked(); });

  Start("-go");

  EXPECT_TRUE(window.EverShown());
  EXPECT_TRUE(Sim().ProcessStarts().empty());
  EXPECT_LE(Sim().Now(), begin + 1000 + 500);
  EXPECT_TRUE(ApplicationTerminating());
  EXPECT_EQ(SelfValue(kHKeyLocalMachine, kRunOnceKey), kSelfPath + " -pre ");
  EXPECT_EQ(window.trayIcon, "");
}

TEST_F(StartupControlGoTest, PauseHoldsTheRunAndStopWhilePausedWaitsForTheButton) {
  const std::uint64_t begin = Sim().Now();
  // Paused in the pause after the first item; Stop while paused; the run stays held until the
  // button, which reads "Unpause", is clicked again, and then ends without the second item.
  std::size_t startsWhileHeld = 99;
  bool paused = false;
  Sim().OnProcessMessages([&] {
    if (paused || Sim().ProcessStarts().size() != 1) return;
    paused = true;
    form->OnPauseClicked();
    const std::uint64_t now = Sim().Now();
    Sim().At(now + 500, [&] { form->OnStopClicked(); });
    Sim().At(now + 60000, [&] {
      startsWhileHeld = Sim().ProcessStarts().size();
      EXPECT_EQ(window.pauseCaption, kUnpauseCaption);
      EXPECT_TRUE(form->IsPaused());
      form->OnPauseClicked();
    });
  });

  Start("-go");

  EXPECT_EQ(startsWhileHeld, 1u);
  EXPECT_GE(Sim().Now(), begin + 60000);
  EXPECT_EQ(Started().size(), 1u);
  EXPECT_TRUE(ApplicationTerminating());
  EXPECT_EQ(SelfValue(kHKeyLocalMachine, kRunOnceKey), kSelfPath + " -pre ");
}

// The second phase never leaves Launchward unregistered: both values are in place at every turn
// of the run (a logoff or a crash may end it at any of them), and an error that escapes the run
// leaves them too.
TEST_F(StartupControlGoTest, TheRegistrationIsInPlaceThroughoutTheRunAndAfterAnError) {
  for (bool failing : {false, true}) {
    SCOPED_TRACE(failing);
    ResetApplicationTerminate();
    dialogs->Clear();
    NewStart();
    Sim().FailChange(0);
    RemoveRawValue(kHKeyLocalMachine, kRunOnceKey, kSelfRunValue);
    const std::size_t startsBefore = Sim().ProcessStarts().size();
    int turns = 0;
    int turnsUnregistered = 0;
    Sim().OnProcessMessages([&] {
      // The first turn comes with "Starting...", before anything is written.
      if (++turns > 1 && (!RawValueExists(kHKeyLocalMachine, kRunKey, kSelfRunValue) ||
                          !RawValueExists(kHKeyLocalMachine, kRunOnceKey, kSelfRunValue))) {
        ++turnsUnregistered;
      }
      if (failing && Sim().ProcessStarts().size() == startsBefore + 1) {
        // Not an item's error (those go to the error log and the run goes on): one that
        // escapes the run.
        throw std::runtime_error("the run broke down");
      }
    });

    Start("-go");
    Sim().OnProcessMessages({});

    EXPECT_GT(turns, 2);
    EXPECT_EQ(turnsUnregistered, 0);
    EXPECT_EQ(SelfValue(kHKeyLocalMachine, kRunKey), kSelfPath + " -go ");
    EXPECT_EQ(SelfValue(kHKeyLocalMachine, kRunOnceKey), kSelfPath + " -pre ");
    EXPECT_TRUE(ApplicationTerminating());
    EXPECT_EQ(dialogs->Messages(), failing ? std::vector<std::string>{"the run broke down"}
                                           : std::vector<std::string>{});
  }
}

// The end of the session stops the run where it is, as Stop does, with nothing left to register.
TEST_F(StartupControlGoTest, TheEndOfTheSessionStopsTheRun) {
  const std::uint64_t begin = Sim().Now();
  Sim().At(begin + 1000, [&] { form->OnEndSession(); });

  Start("-go");

  EXPECT_TRUE(Sim().ProcessStarts().empty());
  EXPECT_LE(Sim().Now(), begin + 1000 + 500);
  EXPECT_TRUE(ApplicationTerminating());
  EXPECT_EQ(window.trayIcon, "");
  EXPECT_EQ(SelfValue(kHKeyLocalMachine, kRunKey), kSelfPath + " -go ");
  EXPECT_EQ(SelfValue(kHKeyLocalMachine, kRunOnceKey), kSelfPath + " -pre ");
}

// After Explorer restarts, the icon shown before comes back (and none when none was shown);
// when the new-items icon cannot be added at all, the program ends rather than staying on
// invisible.
TEST_F(StartupControlGoTest, TheIconComesBackWithTheTaskbarAndAMissingOneEndsTheProgram) {
  std::string iconAfterRestart;
  const std::uint64_t begin = Sim().Now();
  Sim().At(begin + 1000, [&] {
    window.trayIcon.clear();  // a new, empty notification area
    form->OnTaskbarCreated();
    iconAfterRestart = window.trayIcon;
  });
  SetRawString(kHKeyLocalMachine, kProgramKey, kNewRunItemsValue, kNewRunItemsValue);
  Start("-go");
  EXPECT_EQ(iconAfterRestart, "progress");
  ASSERT_EQ(window.trayIcon, "new items");
  window.trayIcon.clear();
  form->OnTaskbarCreated();
  EXPECT_EQ(window.trayIcon, "new items");
  EXPECT_FALSE(ApplicationTerminating());

  // No icon, no restore.
  form->OnTrayIconMessage(kNewItemsIconMessage, kWmLButtonDblClk);
  form->OnEditWindowClosed();
  const std::size_t events = window.events.size();
  form->OnTaskbarCreated();
  EXPECT_EQ(window.events.size(), events);

  // A notification area that refuses the icon.
  ResetApplicationTerminate();
  NewStart();
  window.trayAvailable = false;
  SetRawString(kHKeyLocalMachine, kProgramKey, kNewRunItemsValue, kNewRunItemsValue);
  Start("-go");
  EXPECT_TRUE(ApplicationTerminating());
}

// Only the second phase learns the initial pause: the other starts leave it as it is, and one
// logon shortens it once.
TEST_F(StartupControlGoTest, OnlyTheSecondPhaseTunesTheInitialPause) {
  SetAutoTune(true);
  const std::string tuned = std::string(kInitialPauseItemKey) + kTunedSuffix;
  for (const char* argument : {"-pre", "-master", "", "-x"}) {
    SCOPED_TRACE(argument);
    NewStart();
    Start(argument);
    EXPECT_FALSE(RawValueExists(kHKeyCurrentUser, kCustomDelaysKey, tuned));
  }
  NewStart();
  Start("-go");
  EXPECT_TRUE(RawValueExists(kHKeyCurrentUser, kCustomDelaysKey, tuned));
}

TEST_F(StartupControlGoTest, WithoutRightsTheItemsRunButNothingOfTheMachineIsWritten) {
  Sim().DenyKeyWrites(kHKeyLocalMachine, "");
  Start("-go");
  EXPECT_EQ(Started().size(), 2u);
  EXPECT_EQ(RunOnceMark(), kRunOnceMarkValue);
  EXPECT_FALSE(RawValueExists(kHKeyCurrentUser, kAutoTuneKey, kHighCPUStatValue));
  EXPECT_TRUE(dialogs->Messages().empty());
  EXPECT_NE(ReadWholeFile(ErrorLogPath()).find("Unable to open : "), std::string::npos);
  EXPECT_TRUE(ApplicationTerminating());
}

// -- Per-user registration ----------------------------------------------------------------

TEST_F(StartupControlSimTest, MasterRegistersTheUserAndSaysSoOnlyWhenTheMachineHasNoRegistration) {
  for (bool machineRegistered : {false, true}) {
    SCOPED_TRACE(machineRegistered);
    TearDown();
    window = RecordingStartupControlWindow();
    SetUp();
    if (machineRegistered) {
      SetRawString(kHKeyLocalMachine, kRunKey, kSelfRunValue, kSelfPath + " -go ");
    }
    const std::uint64_t begin = Sim().Now();
    Start("-master");
    EXPECT_EQ(SelfValue(kHKeyCurrentUser, kRunKey), kSelfPath + " -go ");
    EXPECT_EQ(SelfValue(kHKeyCurrentUser, kRunOnceKey), kSelfPath + " -pre ");
    EXPECT_EQ(window.EverShown(), !machineRegistered);
    if (machineRegistered) {
      EXPECT_TRUE(window.statuses.empty());
    } else {
      EXPECT_EQ(window.statuses, std::vector<std::string>{kMsgInstallingForNextReboot});
      EXPECT_GE(Sim().Now() - begin, static_cast<std::uint64_t>(kMasterPauseMs));
    }
    EXPECT_TRUE(ApplicationTerminating());
  }
}

// A logon with nothing to start measures no load, so it never asks the performance data (whose
// first query loads their providers); it still registers the program for the next logon.
TEST_F(StartupControlSimTest, GoWithNothingToStartNeverReadsThePerformanceData) {
  SetAutoTune(true);
  SetDefaultPauses(0, 1000, 1000);
  SharedOptions().Load();
  int queries = 0;
  Sim().SetPerformanceDataSource([&](std::uint64_t ms) {
    ++queries;
    return perf::BuildPerfDataBlock({}, ms * 10000);
  });
  FinalizeProcessorLoad();
  InitializeProcessorLoad();

  Start("-go");

  EXPECT_EQ(queries, 0);
  EXPECT_TRUE(Sim().ProcessStarts().empty());
  EXPECT_EQ(SelfValue(kHKeyLocalMachine, kRunKey), kSelfPath + " -go ");
  EXPECT_TRUE(ApplicationTerminating());
}

// -- Auto-tune failure --------------------------------------------------------------------

TEST_F(StartupControlGoTest, ASamplingFailureShowsTheDialogOnceAndSwitchesAutoTuneOffForGood) {
  SetAutoTune(true);
  Sim().SetPerformanceData(perf::BuildPerfDataBlock({}, 0));
  Sim().SetSystemTimesAvailable(false);

  Start("-go");

  EXPECT_EQ(std::count(window.events.begin(), window.events.end(), "auto-tune error"), 1);
  EXPECT_TRUE(SharedOptions().DisableAutoTune());
  EXPECT_EQ(Files().GetPrivateProfileString(kDisableAutoTuneOption, kDisableAutoTuneOption, "",
                                            Options::OptionsFilePath()),
            "1");
  const std::string log = ReadWholeFile(ErrorLogPath());
  for (const std::string& line : AutoTuneErrorLines()) {
    EXPECT_NE(log.find(line), std::string::npos) << line;
  }
  // The items still ran; the next check stays silent.
  EXPECT_EQ(Started().size(), 2u);
  CheckAutoTuneFailure([&] { window.events.push_back("auto-tune error"); });
  EXPECT_EQ(std::count(window.events.begin(), window.events.end(), "auto-tune error"), 1);
  SharedOptions().Load();
  EXPECT_TRUE(SharedOptions().DisableAutoTune());
}

}  // namespace
}  // namespace lw::test
