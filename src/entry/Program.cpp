#include "entry/Program.h"

#include "entry/ProcessUnits.h"
#include "platform/Platform.h"
#include "runner/StartupControl.h"
#include "ui/Dialogs.h"
#include "ui/Options.h"
#include "util/Termination.h"

namespace lw {

namespace {

// Releases what the program block set up, whichever way it ends.
class ProgramScope {
 public:
  ProgramScope() { InitializeProcessUnits(); }
  ~ProgramScope() {
    if (mutex_ != 0) Sys().CloseHandle(mutex_);
    FinalizeProcessUnits();
  }
  ProgramScope(const ProgramScope&) = delete;
  ProgramScope& operator=(const ProgramScope&) = delete;

  // True when this is the only copy. Any error of the creation counts as another copy, as
  // ERROR_ALREADY_EXISTS does: a program that cannot tell must not run twice at logon.
  bool ClaimSingleInstance() {
    mutex_ = Sys().CreateMutex(true, InstanceMutexName());
    return Sys().GetLastError() == kErrorSuccess;
  }

 private:
  Handle mutex_ = 0;
};

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

}  // namespace

std::string InstanceMutexName() {
  const std::string path = Sys().GetModuleFileName();
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

int RunProgram(const std::vector<std::string>& args, IProgramWindows& windows) {
  // A mistyped switch is answered at once, before the program takes its single-instance lock.
  if (!args.empty() && !IsRunnerSwitch(args.front())) {
    ShowMessage(UnknownArgumentText(args.front()));
    return kExitUnknownArgument;
  }
  ProgramScope program;
  if (!program.ClaimSingleInstance()) {
    ShowMessage(kMsgOnlyOneInstance);
    ApplicationTerminate();
    return 0;
  }
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
  windows.StartMainWindow(args.empty());
  windows.RunMessageLoop();
  return 0;
}

}  // namespace lw
