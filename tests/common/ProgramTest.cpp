// The program block: the order in which the program comes up, the single-instance rule and the
// dispatcher behind every event handler. The windows are recording ones; the mutex is the real
// one under Wine.

#include "entry/Program.h"

#include <functional>
#include <memory>

#include "install/ElevatedCopy.h"
#include "runner/StartupControl.h"
#include "store/SettingsStore.h"
#include "support/RawRegistry.h"
#include "support/RecordingDialogs.h"
#include "support/RecordingMainWindowView.h"
#include "support/RecordingStartupControlWindow.h"
#include "support/TestEnv.h"
#include "ui/EventDispatch.h"
#include "ui/MainWindow.h"
#include "ui/Options.h"
#include "util/Error.h"
#include "util/ErrorLog.h"

namespace lw::test {
namespace {

class RecordingProgramWindows : public IProgramWindows {
 public:
  void InitializeApplication() override { calls.push_back("application"); }
  void CreateMainWindow() override {
    calls.push_back("main window");
    main = std::make_unique<MainWindow>(mainView);
  }
  void CreateOptionsDialog() override {
    // The options are up (and loaded) when their window is made.
    SharedOptions();
    calls.push_back("options");
  }
  void CreateAutoTuneErrorDialog() override { calls.push_back("auto-tune error"); }
  void CreateEditWindow() override { calls.push_back("edit"); }
  void CreateAboutBox() override { calls.push_back("about"); }
  void CreateStartupControlWindow(const std::vector<std::string>& args) override {
    calls.push_back("runner");
    runner = std::make_unique<StartupControl>(window);
    if (onRunnerCreated) onRunnerCreated();
    runner->OnCreate(args);
  }
  void CreateNewItemDialog() override { calls.push_back("new item"); }
  void CreateRestoreWindow() override { calls.push_back("restore"); }
  void StartMainWindow(bool managementMode) override {
    calls.push_back(managementMode ? "start: management" : "start: runner");
    main->OnStart(managementMode);
  }
  void StartAlone(const std::string& switchText) override {
    calls.push_back("start: " + switchText + " alone");
    main->OnStartAlone(switchText);
  }
  void RunMessageLoop() override {
    if (ApplicationTerminating()) {
      calls.push_back("loop ends at once");
      return;
    }
    calls.push_back("loop runs");
    // The user closes the main window.
    main->OnClosed();
  }
  void DestroyWindows() override {
    if (runner) runner->OnDestroy();
    runner.reset();
    main.reset();
    calls.push_back("destroy");
  }

  std::vector<std::string> calls;
  std::function<void()> onRunnerCreated;
  RecordingStartupControlWindow window;
  std::unique_ptr<StartupControl> runner;
  RecordingMainWindowView mainView;
  std::unique_ptr<MainWindow> main;
};

class ProgramTest : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    previous = InstallDialogService(&dialogs);
  }
  void TearDown() override { InstallDialogService(previous); }

  RecordingDialogs dialogs;
  IDialogService* previous = nullptr;
};

// Checks that everything the program block set up is released: the units, the options and the
// single-instance mutex.
void ExpectEverythingReleased() {
  EXPECT_EQ(ErrorLogPath(), "");
  EXPECT_THROW(SharedOptions(), std::logic_error);
  const Handle again = Sys().CreateMutex(true, InstanceMutexName());
  EXPECT_EQ(Sys().GetLastError(), kErrorSuccess);
  Sys().CloseHandle(again);
}

// Without an argument the main window is shown once every window exists, and the program runs
// until it is closed.
TEST_F(ProgramTest, TheWindowsComeUpInTheirOrderAndTheMainWindowRunsTheProgram) {
  RecordingProgramWindows windows;
  EXPECT_EQ(RunProgram({}, windows), 0);
  EXPECT_EQ(windows.calls,
            (std::vector<std::string>{"application", "main window", "options", "auto-tune error",
                                      "edit", "about", "runner", "new item", "restore",
                                      "start: management", "loop runs", "destroy"}));
  EXPECT_EQ(windows.mainView.events, std::vector<std::string>{"show"});
  EXPECT_EQ(windows.mainView.install, true);
  EXPECT_FALSE(windows.window.EverShown());
  EXPECT_TRUE(dialogs.Messages().empty());
  ExpectEverythingReleased();
}

// A logon pass never shows the main window, whatever its switch did.
TEST_F(ProgramTest, ALogonPassNeverShowsTheMainWindow) {
  // The passes wait seconds of real time under Wine; their windows are checked end to end.
  LW_SIM_ONLY();
  for (const char* argument : {kPreSwitch, kGoSwitch, kMasterSwitch}) {
    SCOPED_TRACE(argument);
    ResetApplicationTerminate();
    RecordingProgramWindows windows;
    EXPECT_EQ(RunProgram({argument}, windows), 0);
    EXPECT_EQ(windows.calls.at(9), "start: runner");
    EXPECT_TRUE(windows.mainView.events.empty());
    ExpectEverythingReleased();
  }
}

// An argument that is no switch (letter case counts) is answered with what the program accepts,
// and the program ends with an error code without a window, the lock or any pass: a hidden copy
// that held the lock would refuse every later start, logon passes included.
TEST_F(ProgramTest, AnUnknownArgumentIsAnsweredAndEndsTheProgramWithAnError) {
  for (const char* argument : {"-GO", "-Pre", "/?", "-unknown", ""}) {
    SCOPED_TRACE(argument);
    dialogs.Clear();
    RecordingProgramWindows windows;
    EXPECT_EQ(RunProgram({argument, "-go"}, windows), kExitUnknownArgument);
    EXPECT_TRUE(windows.calls.empty());
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    const std::string& text = dialogs.Messages().front();
    EXPECT_EQ(text, UnknownArgumentText(argument));
    const std::string quietly = std::string(" ") + kQuietSwitch;
    for (const std::string& accepted :
         {std::string(kPreSwitch), std::string(kGoSwitch), std::string(kMasterSwitch),
          kInstallSwitch + quietly, kRestoreSwitch + quietly,
          kListSwitch + std::string(" [file]")}) {
      EXPECT_NE(text.find("\r\n" + accepted + "\t"), std::string::npos) << accepted;
    }
    EXPECT_NE(text.find("\"" + std::string(argument) + "\""), std::string::npos);
    ExpectEverythingReleased();
  }
}

TEST_F(ProgramTest, ASecondCopyIsToldAndEndsWithoutAnyWindow) {
  const Handle first = Sys().CreateMutex(true, InstanceMutexName());
  ASSERT_EQ(Sys().GetLastError(), kErrorSuccess);
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{}, std::vector<std::string>{"-go"}}) {
    dialogs.Clear();
    RecordingProgramWindows windows;
    EXPECT_EQ(RunProgram(args, windows), 0);
    EXPECT_TRUE(windows.calls.empty());
    EXPECT_EQ(dialogs.Messages(), std::vector<std::string>{kMsgOnlyOneInstance});
    EXPECT_TRUE(ApplicationTerminating());
  }
  // The first copy's mutex is untouched.
  Sys().CloseHandle(first);
}

// Where UAC is on, the Task Scheduler starts the first phase and Explorer the second, each on
// its own and in either order. Neither refuses the other at logon: the second waits for a
// running first phase (a minute at most) and then runs all the same; a first phase that finds
// the second running takes the new items over beside it. Any other copy still refuses either.
TEST_F(ProgramTest, TheLogonPhasesNeverRefuseEachOther) {
  LW_SIM_ONLY();
#ifndef _WIN32
  struct Case {
    const char* name;
    const char* pass;         // the phase that starts
    const char* holder;       // the phase that holds the lock ("": another copy)
    std::uint64_t endsAfter;  // when the holder ends (0: not during the test)
    bool runs;
    std::uint64_t waited;  // virtual time spent before the pass began or was refused
  };
  const Case cases[] = {
      {"first phase ends", kGoSwitch, kPreSwitch, 5000, true, 5000},
      {"first phase outlasts the wait", kGoSwitch, kPreSwitch, 0, true, kFirstPhaseWaitMs},
      {"second phase came first", kPreSwitch, kGoSwitch, 0, true, 0},
      {"another copy, second phase", kGoSwitch, "", 5000, false, 0},
      {"another copy, first phase", kPreSwitch, "", 5000, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetPlatform();
    ResetApplicationTerminate();
    dialogs.Clear();
    // The first phase has something to take over, the second something to start.
    SetRawString(kHKeyLocalMachine, kRunKey, "Tool", "C:\\tool.exe");
    Sim().AddFile("C:\\managed.exe");
    SetRawString(kHKeyLocalMachine, kRunItemsKey, "Managed", "C:\\managed.exe");
    SetRawString(kHKeyLocalMachine, kRunSortKey, "0", "Managed");
    SetRawDword(kHKeyLocalMachine, kRunSortKey, kSortIndexValue, 1);
    const std::string instance = InstanceMutexName();
    const std::string holder = c.holder[0] == 0 ? std::string() : PhaseMutexName(c.holder);
    Sim().HoldMutex(instance);
    if (!holder.empty()) Sim().HoldMutex(holder);
    const std::uint64_t begin = Sim().Now();
    std::uint64_t passBegan = 0;
    if (c.endsAfter != 0) {
      Sim().At(begin + c.endsAfter, [&] {
        Sim().HoldMutex(instance, false);
        if (!holder.empty()) Sim().HoldMutex(holder, false);
      });
    }
    RecordingProgramWindows windows;
    windows.onRunnerCreated = [&] { passBegan = Sim().Now(); };
    EXPECT_EQ(RunProgram({c.pass}, windows), 0);
    EXPECT_EQ(!windows.calls.empty(), c.runs);
    if (c.runs) {
      EXPECT_TRUE(dialogs.Messages().empty());
      EXPECT_GE(passBegan - begin, c.waited);
      EXPECT_LT(passBegan - begin, c.waited + kFirstPhasePollMs + 1);
      if (std::string(c.pass) == kPreSwitch) {
        EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunKey, "Tool"));
      } else {
        const auto starts = Sim().ProcessStarts();
        ASSERT_EQ(starts.size(), 1u);
        EXPECT_EQ(starts.front().image, "C:\\managed.exe");
      }
    } else {
      EXPECT_EQ(dialogs.Messages(), std::vector<std::string>{kMsgOnlyOneInstance});
      EXPECT_GE(Sim().Now() - begin, c.waited);
      EXPECT_LT(Sim().Now() - begin, c.waited + kFirstPhasePollMs + 1);
    }
    Sim().HoldMutex(instance, false);
    if (!holder.empty()) Sim().HoldMutex(holder, false);
  }
#endif
}

// The copies with administrator rights that the main window starts (and waits for, holding the
// lock) take no lock: the restoring one shows the restore window alone and ends.
TEST_F(ProgramTest, TheElevatedCopiesRunBesideTheWindowThatStartedThem) {
  LW_SIM_ONLY();
  const Handle first = Sys().CreateMutex(true, InstanceMutexName());
  for (const char* alone : {kRestoreSwitch, kEditSwitch}) {
    RecordingProgramWindows windows;
    EXPECT_EQ(RunProgram({alone}, windows), kExitActionDone);
    EXPECT_EQ(windows.calls.at(9), std::string("start: ") + alone + " alone");
    EXPECT_EQ(windows.mainView.events,
              std::vector<std::string>{std::string(alone) == kEditSwitch ? "edit" : "restore"});
    EXPECT_EQ(windows.calls.back(), "destroy");
  }
  RecordingProgramWindows none;
  EXPECT_EQ(RunProgram({kInstallSwitch}, none), kExitActionDone);
  EXPECT_TRUE(none.calls.empty());
  EXPECT_TRUE(dialogs.Messages().empty());
  Sys().CloseHandle(first);
}

// The first phase holds its own mutex while it runs, and lets it go when it ends.
TEST_F(ProgramTest, TheFirstPhaseSaysThatItRuns) {
  LW_SIM_ONLY();
  RecordingProgramWindows windows;
  bool heldDuringThePass = false;
  windows.onRunnerCreated = [&] {
    const Handle probe = Sys().CreateMutex(false, FirstPhaseMutexName());
    heldDuringThePass = Sys().GetLastError() == kErrorAlreadyExists;
    Sys().CloseHandle(probe);
  };
  EXPECT_EQ(RunProgram({kPreSwitch}, windows), 0);
  EXPECT_TRUE(heldDuringThePass);
  const Handle after = Sys().CreateMutex(false, FirstPhaseMutexName());
  EXPECT_EQ(Sys().GetLastError(), kErrorSuccess);
  Sys().CloseHandle(after);
}

TEST_F(ProgramTest, ACopyUnderAnotherNameRunsBesideTheFirst) {
  LW_SIM_ONLY();
#ifndef _WIN32
  const Handle first = Sys().CreateMutex(true, "launchward.exe");
  Sim().SetModuleFileName("C:\\Program Files\\Launchward\\launchward-copy.exe");
  RecordingProgramWindows windows;
  EXPECT_EQ(RunProgram({"-master"}, windows), 0);
  EXPECT_EQ(windows.calls.size(), 12u);
  EXPECT_TRUE(dialogs.Messages().empty());
  Sys().CloseHandle(first);
#endif
}

TEST_F(ProgramTest, TheMutexIsNamedAfterTheExecutablesFileNameAlone) {
  const std::string path = Sys().GetModuleFileName();
  const std::string name = InstanceMutexName();
  ASSERT_FALSE(name.empty());
  EXPECT_EQ(name.find('\\'), std::string::npos);
  EXPECT_EQ(path.substr(path.size() - name.size()), name);
}

TEST(EventDispatchTest, AnErrorThatEscapesAHandlerIsShownWithItsText) {
  RecordingDialogs dialogs;
  IDialogService* previous = InstallDialogService(&dialogs);
  struct Case {
    std::function<void()> handler;
    bool finished;
    std::vector<std::string> shown;
  };
  const Case cases[] = {
      {[] {}, true, {}},
      {[] { throw Error("Unable to open : \\SOFTWARE\\X"); },
       false,
       {"Unable to open : \\SOFTWARE\\X"}},
      {[] { throw std::runtime_error("disk full"); }, false, {"disk full"}},
      {[] { throw 42; }, false, {"Unknown error"}},
  };
  for (const Case& c : cases) {
    dialogs.Clear();
    EXPECT_EQ(DispatchEvent(c.handler), c.finished);
    EXPECT_EQ(dialogs.Messages(), c.shown);
  }
  // Without a dialog service (the program is going down) the error is dropped, not thrown.
  InstallDialogService(nullptr);
  EXPECT_FALSE(DispatchEvent([] { throw Error("late"); }));
  InstallDialogService(previous);
}

}  // namespace
}  // namespace lw::test
