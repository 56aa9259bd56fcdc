// The main window for a user without administrator rights, a repair that the Run key refuses,
// and a processor load that cannot be measured: what only the simulation can stage.

#include "ui/MainWindow.h"

#include <string>
#include <vector>

#include "install/InstallCommand.h"
#include "install/StartupMover.h"
#include "platform/PerfDataBlock.h"
#include "support/LogonRunnerFixture.h"
#include "support/RecordingMainWindowView.h"
#include "util/ErrorLog.h"

namespace lw::test {
namespace {

class MainWindowSimTest : public RunnerTest {
 protected:
  RecordingMainWindowView view;
  MainWindow window{view};
};

TEST_F(MainWindowSimTest, WithoutAdministratorRightsOnlyOptionsAndAboutRemain) {
  SetRawString(kHKeyLocalMachine, kRunKey, kSelfRunValue, "x");
  MarkInstalled();
  Sim().DenyKeyWrites(kHKeyLocalMachine, "");

  window.OnStart(true);

  EXPECT_EQ(dialogs->Messages(), std::vector<std::string>{std::string(kMsgNotAdministrator) +
                                                          kHKeyLocalMachineText + kProgramKey});
  EXPECT_EQ(view.install, false);
  EXPECT_EQ(view.restore, false);
  EXPECT_EQ(view.edit, false);
  EXPECT_EQ(view.events, std::vector<std::string>{"show"});
  // Neither a refresh nor the buttons' handlers give the user more.
  window.RefreshInstallState();
  EXPECT_EQ(view.install, false);
  EXPECT_EQ(view.restore, false);
  dialogs->Clear();
  window.OnRestoreClicked();
  window.OnInstallClicked();
  window.OnOptionsClicked();
  EXPECT_EQ(dialogs->Messages(),
            (std::vector<std::string>{kMsgRestoreNeedsAdmin, kMsgInstallNeedsAdmin}));
  EXPECT_EQ(view.events, (std::vector<std::string>{"show", "options"}));
  EXPECT_TRUE(IsInstalledMarked());
}

// The repair runs before the rights check. When the Run key refuses it, the user reads why,
// the error log keeps it, and the start goes on to the rights check and the window.
TEST_F(MainWindowSimTest, ARepairTheRunKeyRefusesIsToldAndTheStartGoesOn) {
  MarkInstalled();
  Sim().DenyKeyWrites(kHKeyLocalMachine, std::string(kRunKey).substr(1));

  window.OnStart(true);

  const std::string refused = std::string("Unable to open : ") + kRunKey;
  EXPECT_EQ(dialogs->Messages(), (std::vector<std::string>{kMsgRunValueMissing, refused,
                                                           std::string(kMsgNotAdministrator) +
                                                               kHKeyLocalMachineText + kRunKey}));
  EXPECT_EQ(view.events, std::vector<std::string>{"show"});
  EXPECT_EQ(view.install, false);
  EXPECT_EQ(view.restore, false);
  EXPECT_NE(ReadWholeFile(ErrorLogPath()).find(refused), std::string::npos);
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunKey, kSelfRunValue));
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunOnceKey, kSelfRunValue));
}

// A load that cannot be measured is found at the start of the management window too (after
// the window is up), once; a logon pass's main window takes no sample.
TEST_F(MainWindowSimTest, ALoadThatCannotBeMeasuredShowsTheAutoTuneErrorAtTheStart) {
  Sim().SetPerformanceData(perf::BuildPerfDataBlock({}, 0));
  Sim().SetSystemTimesAvailable(false);
  ASSERT_FALSE(SharedOptions().DisableAutoTune());

  window.OnStart(false);
  EXPECT_TRUE(view.events.empty());
  EXPECT_FALSE(SharedOptions().DisableAutoTune());

  window.OnStart(true);
  EXPECT_EQ(view.events, (std::vector<std::string>{"show", "auto-tune error"}));
  EXPECT_TRUE(SharedOptions().DisableAutoTune());
}

}  // namespace
}  // namespace lw::test
