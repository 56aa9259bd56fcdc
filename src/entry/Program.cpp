#include "entry/Program.h"

#include <functional>

#include "entry/ProcessUnits.h"
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

// Releases what the program block set up, whichever way it ends.
class ProgramScope {
 public:
  ProgramScope() { InitializeProcessUnits(); }
  ~ProgramScope() {
    if (mutex_ != 0) Sys().CloseHandle(mutex_);
    if (phase_ != 0) Sys().CloseHandle(phase_);
    FinalizeProcessUnits();
  }
  ProgramScope(const ProgramScope&) = delete;
  ProgramScope& operator=(const ProgramScope&) = delete;

  // True when this is the only copy. Any error of the creation counts as another copy, as
  // ERROR_ALREADY_EXISTS does: a program that cannot tell must not run twice at logon.
  bool ClaimSingleInstance() {
    mutex_ = Sys().CreateMutex(true, InstanceMutexName());
    if (Sys().GetLastError() == kErrorSuccess) return true;
    // The handle of a mutex another copy holds would keep it alive after that copy ended.
    if (mutex_ != 0) Sys().CloseHandle(mutex_);
    mutex_ = 0;
    return false;
  }

  // A logon phase says that it runs, for as long as it runs.
  void ClaimPhase(const std::string& pass) {
    phase_ = Sys().CreateMutex(true, PhaseMutexName(pass));
  }

  // Where UAC is on, the Task Scheduler starts the first phase and Explorer the second, each on
  // its own and in either order. Neither refuses the other: that would leave a logon without
  // its take-over, or without its items. True when this logon phase may run beside the copy
  // that holds the lock.
  bool MayRunBesideOtherPhase(const std::string& pass) {
    if (pass == kPreSwitch) return PhaseRunning(kGoSwitch);
    if (pass != kGoSwitch || !PhaseRunning(kPreSwitch)) return false;
    // The second waits for the first to end (a bounded time), so that it starts nothing before
    // the new items are taken over. A first phase that outlasts the wait (a long take-over, a
    // pause the user holds) does not cost the logon its items: the second runs beside it, and
    // the store lock keeps it from reading a take-over half-done.
    for (std::uint32_t waited = 0; waited < kFirstPhaseWaitMs; waited += kFirstPhasePollMs) {
      Sys().Sleep(kFirstPhasePollMs);
      if (ClaimSingleInstance()) return true;
      // The lock outlived the first phase: another copy holds it.
      if (!PhaseRunning(kPreSwitch)) return false;
    }
    return true;
  }

 private:
  // A mutex that cannot be created, or that exists already, is held by a running phase (one
  // started with administrator rights refuses a standard-rights copy its handle).
  static bool PhaseRunning(const std::string& pass) {
    const Handle probe = Sys().CreateMutex(false, PhaseMutexName(pass));
    const bool running = Sys().GetLastError() != kErrorSuccess;
    if (probe != 0) Sys().CloseHandle(probe);
    return running;
  }

  Handle mutex_ = 0;
  Handle phase_ = 0;
};

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
