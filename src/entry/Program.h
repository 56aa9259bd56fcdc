#pragma once
// The program block: the start and the end of the program. The units are set up; a second copy
// of the same executable is refused; the windows are created in their fixed order, each running
// its creation handler (the runner window runs a whole logon pass in its own); the message loop
// runs until the program is asked to end; everything is released in reverse order.
//
// The windows themselves are the platform's: IProgramWindows builds the real ones, and a test
// builds recording ones.

#include <cstdint>
#include <string>
#include <vector>

namespace lw {

inline constexpr char kMsgOnlyOneInstance[] =
    "Only one instance of Launchward can be run. Terminating.";

class IProgramWindows {
 public:
  virtual ~IProgramWindows() = default;
  // The application object (after the single-instance check, before any window).
  virtual void InitializeApplication() = 0;
  // The windows, in this order, once each. The options are created and loaded before
  // CreateOptionsDialog; args are the command line's arguments (the executable's name left out).
  virtual void CreateMainWindow() = 0;
  virtual void CreateOptionsDialog() = 0;
  virtual void CreateAutoTuneErrorDialog() = 0;
  virtual void CreateEditWindow() = 0;
  virtual void CreateAboutBox() = 0;
  virtual void CreateStartupControlWindow(const std::vector<std::string>& args) = 0;
  virtual void CreateNewItemDialog() = 0;
  virtual void CreateRestoreWindow() = 0;
  // The main window's start routine, once every window exists: in management mode (no
  // argument) it shows the main window, whose closing ends the program; in runner mode it
  // does nothing.
  virtual void StartMainWindow(bool managementMode) = 0;
  // Instead of StartMainWindow, in a copy with administrator rights started with kRestoreSwitch
  // or kEditSwitch: that window alone, modally; the program then ends.
  virtual void StartAlone(const std::string& switchText) = 0;
  // Handles messages until the program is asked to end.
  virtual void RunMessageLoop() = 0;
  // Every window, in reverse order of creation, and the application object.
  virtual void DestroyWindows() = 0;
};

// The name of the single-instance mutex: the file name of the running executable as the system
// reports it ("launchward.exe"), so a copy under another name may run beside it.
std::string InstanceMutexName();

// The mutex a logon phase ("-pre", "-go") holds while it runs: the instance mutex's name, a
// blank and the switch.
std::string PhaseMutexName(const std::string& pass);
std::string FirstPhaseMutexName();
// How long a second phase waits for a running first phase, and how often it looks.
inline constexpr std::uint32_t kFirstPhaseWaitMs = 60000;
inline constexpr std::uint32_t kFirstPhasePollMs = 250;

// Runs the program; returns its exit code: 0, or kExitUnknownArgument when the first argument
// is none of the switches (the program then shows what it accepts and starts nothing). The
// unattended commands (entry/Unattended.h) return theirs.
int RunProgram(const std::vector<std::string>& args, IProgramWindows& windows);

}  // namespace lw
