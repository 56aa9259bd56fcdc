#include "entry/Unattended.h"

#include "entry/ItemAudit.h"
#include "entry/Program.h"
#include "entry/ProgramScope.h"
#include "install/ElevatedCopy.h"
#include "install/InstallCommand.h"
#include "install/ProgramLocation.h"
#include "install/RestoreWindow.h"
#include "install/StartupMover.h"
#include "platform/Platform.h"
#include "runner/StartupControl.h"
#include "store/SettingsStore.h"
#include "store/StoreLock.h"
#include "ui/Dialogs.h"
#include "ui/EventDispatch.h"
#include "ui/Options.h"
#include "ui/QuietDialogs.h"
#include "util/Console.h"
#include "util/ErrorLog.h"

// How the unattended commands go:
// - They check in an order that lets a deployment tool act on the code: the arguments, the
//   folder the program runs from, another copy, the rights; only then is anything changed.
// - They never ask Windows for rights: a caller without them gets kExitNeedsAdministrator, and
//   the tool runs the command again as SYSTEM or elevated.
// - They do what the buttons do, with the questions left out (the caller has decided), and
//   their messages go to the log and the console, so a tool's log shows why a PC failed.

namespace lw {

namespace {

// The options and the organisation's policies, which a take-over and a restore may read, for
// the command's run.
class OptionsScope {
 public:
  OptionsScope() { CreateOptions(); }
  ~OptionsScope() { FreeOptions(); }
  OptionsScope(const OptionsScope&) = delete;
  OptionsScope& operator=(const OptionsScope&) = delete;
};

int ListItems(const std::vector<std::string>& args) {
  std::string csv;
  if (!DispatchEvent([&csv] { csv = AuditCsv(); })) return kExitFailed;
  if (args.size() < 2) {
    ToConsole(csv);
    return kExitActionDone;
  }
  if (!Files().WriteFile(args[1], csv)) {
    ShowMessage("Unable to write " + args[1] + ": " + SystemErrorText(Sys().GetLastError()));
    return kExitFailed;
  }
  return kExitActionDone;
}

int QuietInstall() {
  const int code = InstallFromElevatedCopy(false);
  if (code == kExitActionDone) ShowMessage(kMsgInstallComplete);
  return code == kExitActionDone ? kExitActionDone : kExitFailed;
}

int QuietRestore() {
  int code = kExitFailed;
  DispatchEvent([&code] {
    StartupMover mover;
    RestoreWindow window(mover, {});
    window.Load();
    // The closing message goes to the log and the console as it is shown.
    const std::string message = window.RunRestore(false);
    {
      StoreLock lock;
      ClearInstalled();
    }
    code = kExitActionDone;
    for (const RestoreRow& row : window.Rows()) {
      if (row.mark == RestoreMark::kNotRestored) code = kExitNotAllRestored;
    }
    if (code == kExitActionDone && message.rfind(kMsgRestoreComplete, 0) != 0) code = kExitFailed;
  });
  return code;
}

bool WellFormed(const std::vector<std::string>& args) {
  if (args.front() == kListSwitch) return args.size() <= 2 && (args.size() < 2 || !args[1].empty());
  return args.size() == 2 && args[1] == kQuietSwitch;
}

}  // namespace

bool IsUnattendedCommand(const std::vector<std::string>& args) {
  if (args.empty()) return false;
  if (args.front() == kListSwitch) return true;
  if (args.front() != kInstallSwitch && args.front() != kRestoreSwitch) return false;
  for (const std::string& arg : args) {
    if (arg == kQuietSwitch) return true;
  }
  return false;
}

int RunUnattended(const std::vector<std::string>& args) {
  ProgramScope program;
  QuietDialogs quiet;
  if (!WellFormed(args)) {
    ShowMessage(kMsgUnattendedUsage);
    return kExitUnknownArgument;
  }
  // Reading the store needs no lock, no rights and no single copy.
  if (args.front() == kListSwitch) return ListItems(args);
  // What is registered runs with administrator rights at every logon: never from a place that
  // others can change.
  const std::string unsafe = UnsafeProgramPath(Sys().GetModuleFileName());
  if (!unsafe.empty()) {
    ShowMessage(RefusedUnsafeText(unsafe));
    return kExitUnsafeFolder;
  }
  if (!program.ClaimSingleInstance()) {
    ShowMessage(kMsgOnlyOneInstance);
    return kExitAnotherCopyRunning;
  }
  {
    StartupMover mover;
    std::string failedLocation;
    if (!mover.CheckPermissions(failedLocation)) {
      ShowMessage(kMsgQuietNeedsAdmin + failedLocation);
      return kExitNeedsAdministrator;
    }
  }
  const OptionsScope options;
  ConfirmStartingAccount(args);
  return args.front() == kInstallSwitch ? QuietInstall() : QuietRestore();
}

}  // namespace lw
