#include "entry/Program.h"

#include <functional>

#include "entry/ProgramScope.h"
#include "entry/Unattended.h"
#include "install/ElevatedCopy.h"
#include "install/InstallCommand.h"
#include "install/ProgramLocation.h"
#include "platform/Platform.h"
#include "runner/StartupControl.h"
#include "ui/Dialogs.h"
#include "ui/Options.h"
#include "util/ErrorLog.h"
#include "util/Termination.h"

namespace lw {

namespace {

// The copies that run with administrator rights refuse to run from a place that people without
// them can change (they would run whatever was put there): true when this one refused, after
// saying why.
bool RefusedUnsafePlace(bool toErrorLog) {
  const std::string unsafe = UnsafeProgramPath(Sys().GetModuleFileName());
  if (unsafe.empty()) return false;
  if (toErrorLog) {
    SharedErrorLog().TryWrite(RefusedUnsafeText(unsafe));
  } else {
    ShowMessage(RefusedUnsafeText(unsafe));
  }
  return true;
}

class FormsScope {
 public:
  explicit FormsScope(IProgramWindows& windows) : windows_(windows) {}
  ~FormsScope() {
    windows_.DestroyWindows();
    FreeOptions();
  }
  FormsScope(const FormsScope&) = delete;
  FormsScope& operator=(const FormsScope&) = delete;

 private:
  IProgramWindows& windows_;
};

// The windows in their order, the start routine, the message loop, and the windows gone again.
void RunWindows(const std::vector<std::string>& args, IProgramWindows& windows,
                const std::function<void()>& start) {
  FormsScope forms(windows);
  windows.InitializeApplication();
  windows.CreateMainWindow();
  CreateOptions();
  windows.CreateOptionsDialog();
  windows.CreateAutoTuneErrorDialog();
  windows.CreateEditWindow();
  windows.CreateAboutBox();
  windows.CreateStartupControlWindow(args);
  windows.CreateNewItemDialog();
  windows.CreateRestoreWindow();
  start();
  windows.RunMessageLoop();
}

}  // namespace

std::string InstanceMutexName() {
  const std::string path = Sys().GetModuleFileName();
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string PhaseMutexName(const std::string& pass) { return InstanceMutexName() + " " + pass; }

std::string FirstPhaseMutexName() { return PhaseMutexName(kPreSwitch); }

int RunProgram(const std::vector<std::string>& args, IProgramWindows& windows) {
  // The commands of deployment tools and scripts: no window at all.
  if (IsUnattendedCommand(args)) return RunUnattended(args);
  // The copy with administrator rights that the main window starts to install: the main window
  // holds the single-instance lock and waits for it.
  const std::string first = args.empty() ? std::string() : args.front();
  if (first == kInstallSwitch || first == kInstallCopySwitch) {
    ProgramScope program;
    ConfirmStartingAccount(args);
    // Moving out of an unsafe place is what the second switch is for.
    if (first == kInstallSwitch && RefusedUnsafePlace(false)) return kExitActionFailed;
    return InstallFromElevatedCopy(first == kInstallCopySwitch);
  }
  // The copies with administrator rights that show a window alone: their windows, but no lock
  // either. A mistyped switch is answered at once, before the program takes its
  // single-instance lock.
  const bool alone = !args.empty() && IsWindowAloneSwitch(args.front());
  if (!alone && !args.empty() && !IsRunnerSwitch(args.front())) {
    ShowMessage(UnknownArgumentText(args.front()));
    return kExitUnknownArgument;
  }
  ProgramScope program;
  const std::string pass = first;
  if (alone && RefusedUnsafePlace(false)) return kExitActionFailed;
  // At logon nobody is there to read a message: the error log says why nothing was taken over.
  if (pass == kPreSwitch && RefusedUnsafePlace(true)) return 0;
  if (alone) {
    ConfirmStartingAccount(args);
    RunWindows({}, windows, [&windows, &args] { windows.StartAlone(args.front()); });
    return kExitActionDone;
  }
  if (pass == kPreSwitch || pass == kGoSwitch) program.ClaimPhase(pass);
  if (!program.ClaimSingleInstance() && !program.MayRunBesideOtherPhase(pass)) {
    ShowMessage(kMsgOnlyOneInstance);
    ApplicationTerminate();
    return 0;
  }
  RunWindows(args, windows, [&windows, &args] { windows.StartMainWindow(args.empty()); });
  return 0;
}

}  // namespace lw
