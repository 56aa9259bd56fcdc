#include "install/InstallCommand.h"

#include <string>

#include "platform/WinConst.h"
#include "store/SettingsStore.h"
#include "ui/Dialogs.h"

namespace lw {

bool InstallCommand(StartupMover& mover, const std::function<void()>& reloadRunnerItems,
                    const std::function<void()>& refreshButtons) {
  std::string failedLocation;
  if (!mover.CheckPermissions(failedLocation)) {
    ShowMessage(kMsgInstallNeedsAdmin);
    return false;
  }
  // The registration names the executable where it lies now, and the shortcut store is made
  // beside it: the first time, the user confirms that this is where the program stays.
  if (mover.IsFirstInstall() && !Confirm(kMsgFirstInstallQuestion, ConfirmButtons::kOkCancel)) {
    return false;
  }
  // Nothing moves now: the registration makes the next logon take the items over. A
  // registration cut short is taken back whole: a Run value without its RunOnce value would
  // look installed yet never take anything over.
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
  if (reloadRunnerItems) reloadRunnerItems();
  ShowMessage(kMsgInstallComplete);
  if (refreshButtons) refreshButtons();
  return true;
}

}  // namespace lw
