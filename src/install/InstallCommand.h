#pragma once
// The Install command of the main window, as one routine: the rights check, the first-install
// question, the registration for the next logon, the installed mark, and the messages. Its
// questions and messages go through the dialog service.

#include <functional>

#include "install/StartupMover.h"

namespace lw {

inline constexpr char kMsgInstallNeedsAdmin[] = "Administrator access is required to Install";
inline constexpr char kMsgFirstInstallQuestion[] =
    "This is the first installation. Make sure Launchward is in its permanent folder location "
    "before installing\r\n Continue?";
inline constexpr char kMsgInstallComplete[] =
    "Install complete. Launchward will manage your applications next reboot.";

// Runs the command. reloadRunnerItems runs after the registration (the runner engine's lists);
// refreshButtons at the end. Returns true when the program was registered. A registration
// that fails raises the registry layer's error, and nothing after it is done. Where UAC is on
// and this process may not write the machine's keys, a copy of the program started with
// administrator rights (kInstallSwitch) registers it; when the user refuses the elevation
// prompt, the command ends with kMsgInstallNeedsAdmin. A program that lies where people without
// administrator rights can change it is never registered: the command offers to copy it under
// Program Files and registers that copy, or registers nothing and says why.
bool InstallCommand(StartupMover& mover, const std::function<void()>& reloadRunnerItems,
                    const std::function<void()>& refreshButtons);

// What the copy started with kInstallSwitch (or kInstallCopySwitch: moveToProgramFiles) does:
// the rights check, the copy under Program Files when asked for, the registration (of that copy)
// and the installed mark, with no question asked (the window that started it asked them).
// Returns the exit code: kExitActionDone, or kExitActionFailed once the user has been told why.
int InstallFromElevatedCopy(bool moveToProgramFiles);

}  // namespace lw
