// The main window's logic with a recording window: which of Install and Restore applies, the
// repair of a lost registration, the buttons' commands and the end of the program. Runs on
// both trees (the registry is the real one under Wine).

#include "ui/MainWindow.h"

#include <string>
#include <vector>

#include "install/InstallCommand.h"
#include "install/StartupMover.h"
#include "support/LogonRunnerFixture.h"
#include "support/RecordingMainWindowView.h"
#include "util/Termination.h"

namespace lw::test {
namespace {

class MainWindowTest : public RunnerTest {
 protected:
  static std::string Registration(const char* switchData) {
    return "\"" + Sys().GetModuleFileName() + "\"" + switchData;
  }
  static void Unregister() {
    RemoveRawValue(kHKeyLocalMachine, kRunKey, kSelfRunValue);
    RemoveRawValue(kHKeyLocalMachine, kRunOnceKey, kSelfRunValue);
  }
  void TearDown() override {
    Unregister();
    RunnerTest::TearDown();
  }

  RecordingMainWindowView view;
  MainWindow window{view};
};

TEST_F(MainWindowTest, TheButtonsFollowTheRunKeyAndALostRegistrationIsWrittenAgain) {
  const struct {
    const char* title;
    bool registered;  // "LAUNCHWARD" in the machine's Run key
    bool marked;      // "IsInstalled"
    bool installEnabled;
    std::vector<std::string> messages;
  } cases[] = {
      {"never installed", false, false, true, {}},
      {"installed", true, true, false, {}},
      {"registered, the mark gone", true, false, false, {}},
      {"marked, the Run value gone", false, true, true, {kMsgRunValueMissing}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    Unregister();
    ClearInstalled();
    if (c.registered) SetRawString(kHKeyLocalMachine, kRunKey, kSelfRunValue, "x");
    if (c.marked) MarkInstalled();
    dialogs->Clear();
    RecordingMainWindowView shown;
    MainWindow start(shown);

    start.OnStart(true);

    EXPECT_EQ(shown.install, c.installEnabled);
    EXPECT_EQ(shown.restore, !c.installEnabled);
    EXPECT_EQ(shown.edit, std::nullopt);  // as designed: enabled
    EXPECT_EQ(shown.events, std::vector<std::string>{"show"});
    EXPECT_EQ(dialogs->Messages(), c.messages);
    if (c.marked && !c.registered) {
      // Both values, for the next logon; Install still applies until the next refresh.
      EXPECT_EQ(RunValue(kHKeyLocalMachine, kSelfRunValue), Registration(kGoSwitchData));
      EXPECT_EQ(RawString(kHKeyLocalMachine, kRunOnceKey, kSelfRunValue),
                Registration(kPreSwitchData));
      start.RefreshInstallState();
      EXPECT_EQ(shown.install, false);
      EXPECT_EQ(shown.restore, true);
    }
  }
}

// A logon pass never shows the main window and changes nothing through it, a lost registration
// included (the logon passes keep their own).
TEST_F(MainWindowTest, StartedForALogonPassItDoesNothing) {
  MarkInstalled();
  window.OnStart(false);
  EXPECT_TRUE(view.events.empty());
  EXPECT_EQ(view.install, std::nullopt);
  EXPECT_EQ(view.restore, std::nullopt);
  EXPECT_TRUE(dialogs->Messages().empty());
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunKey, kSelfRunValue));
}

TEST_F(MainWindowTest, InstallRegistersAndTurnsTheButtonsOverCancelWritesNothing) {
  // Never installed: no shortcut store yet.
  RemoveTree(store);
  window.OnStart(true);
  ASSERT_EQ(view.install, true);
  // The first install asks; Cancel leaves everything as it was.
  dialogs->Answer(false);
  window.OnInstallClicked();
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunKey, kSelfRunValue));
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunOnceKey, kSelfRunValue));
  EXPECT_FALSE(IsInstalledMarked());
  EXPECT_EQ(view.install, true);
  EXPECT_TRUE(dialogs->Messages().empty());

  dialogs->Answer(true);
  window.OnInstallClicked();
  EXPECT_EQ(RunValue(kHKeyLocalMachine, kSelfRunValue), Registration(kGoSwitchData));
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunOnceKey, kSelfRunValue), Registration(kPreSwitchData));
  EXPECT_EQ(RawString(kHKeyLocalMachine, kProgramKey, kIsInstalledValue), kIsInstalledData);
  EXPECT_EQ(view.install, false);
  EXPECT_EQ(view.restore, true);
  EXPECT_EQ(dialogs->Messages(), std::vector<std::string>{kMsgInstallComplete});
}

// Restore shows the restore window, then forgets the installed mark whatever happened there,
// and the buttons follow what the Run key holds now: no "missing" message for a registration
// the restore removed.
TEST_F(MainWindowTest, RestoreShowsTheRestoreWindowThenFollowsTheRunKey) {
  for (bool unregistered : {false, true}) {
    SCOPED_TRACE(unregistered ? "the restore unregistered" : "the window was cancelled");
    SetRawString(kHKeyLocalMachine, kRunKey, kSelfRunValue, "x");
    MarkInstalled();
    dialogs->Clear();
    RecordingMainWindowView shown;
    MainWindow start(shown);
    start.OnStart(true);
    if (unregistered) shown.onRestoreWindow = [] { Unregister(); };

    start.OnRestoreClicked();

    EXPECT_EQ(shown.events, (std::vector<std::string>{"show", "restore"}));
    EXPECT_FALSE(IsInstalledMarked());
    EXPECT_EQ(shown.install, unregistered);
    EXPECT_EQ(shown.restore, !unregistered);
    EXPECT_TRUE(dialogs->Messages().empty());
    EXPECT_EQ(RawValueExists(kHKeyLocalMachine, kRunKey, kSelfRunValue), !unregistered);
  }
}

TEST_F(MainWindowTest, EditOptionsAboutAndClosing) {
  window.OnStart(true);
  window.OnEditClicked();
  window.OnOptionsClicked();
  window.OnAboutClicked();
  EXPECT_TRUE(dialogs->Messages().empty());
  EXPECT_EQ(view.events, (std::vector<std::string>{"show", "edit", "options", "about"}));
  EXPECT_FALSE(ApplicationTerminating());
  window.OnClosed();
  EXPECT_TRUE(ApplicationTerminating());
}

}  // namespace
}  // namespace lw::test
