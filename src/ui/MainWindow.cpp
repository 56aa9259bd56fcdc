#include "ui/MainWindow.h"

#include <string>

#include "install/ElevatedCopy.h"
#include "install/InstallCommand.h"
#include "install/ProgramLocation.h"
#include "install/StartupMover.h"
#include "platform/Platform.h"
#include "runner/LogonRunner.h"
#include "runner/ProcessorLoad.h"
#include "runner/StartupControl.h"
#include "store/SettingsStore.h"
#include "store/StoreLock.h"
#include "ui/Dialogs.h"
#include "ui/Policies.h"
#include "util/Error.h"
#include "util/ErrorLog.h"
#include "util/Termination.h"
#include "util/UserAccountControl.h"
#include "util/UserStarts.h"

namespace lw {

MainWindow::MainWindow(IMainWindowView& view) : view_(view) {}

MainWindow::~MainWindow() {
  runner_.reset();
  mover_.reset();
}

void MainWindow::OnStart(bool managementMode) {
  // A logon pass has no use for the main window's objects: creating them would only read the
  // store again (and write the default pauses back) at every logon.
  if (!managementMode) return;
  mover_ = std::make_unique<StartupMover>();
  runner_ = std::make_unique<LogonRunner>(StatusCallback{}, RunnerUse::kSingleItems);
  // The repair of a lost registration comes before the rights check. When the Run key refuses
  // it, the user is told why, and the start goes on: the rights check that follows says what
  // this user may still do, and the window is the way to repair it later (as an administrator).
  try {
    RefreshInstallState();
  } catch (const Error& error) {
    SharedErrorLog().TryWrite(error.what());
    ShowMessage(error.what());
  }
  std::string failedLocation;
  if (!mover_->CheckPermissions(failedLocation)) {
    administrator_ = false;
    mayElevate_ = IsUacEnabled();
    ShowMessage((mayElevate_ ? kMsgStandardRights : kMsgNotAdministrator) + failedLocation);
    view_.SetEditEnabled(mayElevate_);
    SetInstallButtons(mover_->IsSelfRegistered());
  }
  view_.ShowAndBringToFront();
  // The sample tells whether the load can be measured at all; its value is not needed here.
  SampleCpuUsage();
  CheckAutoTuneFailure([this] { view_.ShowAutoTuneError(); });
}

void MainWindow::SetInstallButtons(bool registered) {
  // A user without administrator rights keeps both disabled for the rest of the run, unless
  // they may ask for the rights.
  const bool mayChange = administrator_ || mayElevate_;
  view_.SetRestoreEnabled(registered && mayChange);
  view_.SetInstallEnabled(!registered && mayChange);
}

void MainWindow::RefreshInstallState() {
  if (mover_->IsSelfRegistered()) {
    SetInstallButtons(true);
    return;
  }
  // The buttons are right whether or not the repair below can be written: the program is not
  // registered now, so Install is what applies.
  SetInstallButtons(false);
  // A copy that others could change is never registered; Install offers to move it instead.
  if (IsInstalledMarked() && UnsafeProgramPath(Sys().GetModuleFileName()).empty()) {
    ShowMessage(kMsgRunValueMissing);
    StoreLock lock;
    mover_->RegisterSelf(true, kHKeyLocalMachine);
  }
}

void MainWindow::OnInstallClicked() {
  InstallCommand(
      *mover_, [this] { runner_->ReloadItems(); }, [this] { RefreshInstallState(); });
}

void MainWindow::OnStartAlone(const std::string& switchText) {
  // This copy runs with administrator rights: what its windows start, the desktop starts.
  StartsThroughDesktop userStarts;
  mover_ = std::make_unique<StartupMover>();
  runner_ = std::make_unique<LogonRunner>(StatusCallback{}, RunnerUse::kSingleItems);
  if (switchText == kRestoreSwitch) OnRestoreClicked();
  if (switchText == kEditSwitch) OnEditClicked();
  ApplicationTerminate();
}

void MainWindow::OnRestoreClicked() {
  if (PolicyKeepsEditAndRestoreFromUser()) {
    ShowMessage(kMsgPolicyAdminsOnly);
    return;
  }
  std::string failedLocation;
  if (!mover_->CheckPermissions(failedLocation)) {
    // Where UAC is on, a copy with administrator rights shows the restore window.
    const ElevatedResult result =
        IsUacEnabled() ? RunElevatedCopy(kRestoreSwitch) : ElevatedResult::kRefused;
    if (result == ElevatedResult::kRefused) {
      ShowMessage(kMsgRestoreNeedsAdmin);
      return;
    }
    ReloadRunnerItems();
    RefreshInstallState();
    return;
  }
  view_.ShowRestoreWindow();
  // Whatever the user did there: what is left registered is read from the Run key again.
  {
    StoreLock lock;
    ClearInstalled();
  }
  RefreshInstallState();
}

void MainWindow::ReloadRunnerItems() {
  if (runner_) runner_->ReloadItems();
}

void MainWindow::OnEditClicked() {
  if (PolicyKeepsEditAndRestoreFromUser()) {
    ShowMessage(kMsgPolicyAdminsOnly);
    return;
  }
  if (!administrator_ && mayElevate_) {
    // Where UAC is on, a copy with administrator rights shows the edit window.
    if (RunElevatedCopy(kEditSwitch) == ElevatedResult::kRefused) ShowMessage(kMsgEditNeedsAdmin);
  } else {
    view_.ShowEditWindow();
  }
  // Items enabled, disabled or added there are the ones a start from here finds.
  if (runner_) runner_->ReloadItems();
}

void MainWindow::OnOptionsClicked() { view_.ShowOptionsDialog(); }

void MainWindow::OnAboutClicked() { view_.ShowAboutBox(); }

void MainWindow::OnClosed() { ApplicationTerminate(); }

}  // namespace lw
