#include "install/InstallCommand.h"

#include <string>

#include "install/ElevatedCopy.h"
#include "install/ProgramLocation.h"
#include "platform/Platform.h"
#include "platform/WinConst.h"
#include "store/SettingsStore.h"
#include "store/StoreLock.h"
#include "ui/Dialogs.h"
#include "ui/EventDispatch.h"
#include "util/UserAccountControl.h"

namespace lw {

namespace {

// The registration for the next logon and the installed mark. A registration cut short is
// taken back whole: a Run value without its first-phase start would look installed yet never
// take anything over.
void RegisterInstall(StartupMover& mover) {
  StoreLock lock;
  try {
    mover.RegisterSelf(true, kHKeyLocalMachine);
  } catch (...) {
    try {
      mover.UnregisterSelf(true);
    } catch (...) {
      // The first error is the one to tell.
    }
    throw;
  }
  MarkInstalled();
}

}  // namespace

bool InstallCommand(StartupMover& mover, const std::function<void()>& reloadRunnerItems,
                    const std::function<void()>& refreshButtons) {
  std::string failedLocation;
  const bool mayWrite = mover.CheckPermissions(failedLocation);
  // Where UAC gives this window standard rights, a copy with administrator rights installs.
  if (!mayWrite && !IsUacEnabled()) {
    ShowMessage(kMsgInstallNeedsAdmin);
    return false;
  }
  // What is registered runs with administrator rights at every logon: never from a place that
  // others can change. The copy under Program Files is installed instead, if the user agrees.
  const std::string unsafe = UnsafeProgramPath(Sys().GetModuleFileName());
  const bool moveToProgramFiles = !unsafe.empty();
  if (moveToProgramFiles) {
    const std::string folder = ProgramFilesFolder();
    if (!Confirm(MoveToProgramFilesQuestion(unsafe, folder), ConfirmButtons::kYesNo)) {
      ShowMessage(NotInstalledUnsafeText(folder));
      return false;
    }
  } else if (mover.IsFirstInstall() &&
             !Confirm(kMsgFirstInstallQuestion, ConfirmButtons::kOkCancel)) {
    // The registration names the executable where it lies now, and the shortcut store is made
    // beside it: the first time, the user confirms that this is where the program stays.
    return false;
  }
  // Nothing moves now: the registration makes the next logon take the items over.
  if (mayWrite) {
    if (moveToProgramFiles) mover.SetRegisteredProgram(CopySelfToProgramFiles());
    RegisterInstall(mover);
  } else {
    switch (RunElevatedCopy(moveToProgramFiles ? kInstallCopySwitch : kInstallSwitch)) {
      case ElevatedResult::kRefused:
        ShowMessage(kMsgInstallNeedsAdmin);
        return false;
      case ElevatedResult::kFailed:
        // The copy told the user why.
        if (refreshButtons) refreshButtons();
        return false;
      case ElevatedResult::kDone:
        break;
    }
  }
  if (reloadRunnerItems) reloadRunnerItems();
  ShowMessage(kMsgInstallComplete);
  if (refreshButtons) refreshButtons();
  return true;
}

int InstallFromElevatedCopy(bool moveToProgramFiles) {
  bool installed = false;
  DispatchEvent([&installed, moveToProgramFiles] {
    StartupMover mover;
    std::string failedLocation;
    if (!mover.CheckPermissions(failedLocation)) {
      ShowMessage(kMsgInstallNeedsAdmin);
      return;
    }
    if (moveToProgramFiles) mover.SetRegisteredProgram(CopySelfToProgramFiles());
    RegisterInstall(mover);
    installed = true;
  });
  return installed ? kExitActionDone : kExitActionFailed;
}

}  // namespace lw
