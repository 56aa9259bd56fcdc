#pragma once
// The "Startup Control" window's logic: the driver of a logon start. Its creation reads the
// first command-line argument and runs the whole pass right there: "-pre" takes new items over
// (the first phase), "-go" starts the managed items (the second phase), "-master" registers the
// program for the current user. The window shows one status message at a time, the smoothed
// processor load and Pause and Stop buttons; while the second phase runs, and afterwards when
// new items were found, the program has an icon in the notification area.
//
// The logic talks to its window through IStartupControlWindow, so the same code drives the real
// window and a recording one in the tests. The auto-tune error dialog's text and the check
// that shows it live here too.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace lw {

class StartupMover;
class LogonRunner;

inline constexpr char kRunnerCaption[] = "Launchward - Startup Control";
inline constexpr char kPauseCaption[] = "Pause";
inline constexpr char kUnpauseCaption[] = "Unpause";
inline constexpr char kStopCaption[] = "Stop";
inline constexpr char kCpuCaption[] = "CPU%";

inline constexpr char kPreSwitch[] = "-pre";
inline constexpr char kGoSwitch[] = "-go";
inline constexpr char kMasterSwitch[] = "-master";
// True for the three switches, written exactly (letter case counts).
bool IsRunnerSwitch(const std::string& argument);
// What a start with any other first argument shows before it ends: the argument and the
// switches that are accepted. The program then ends with kExitUnknownArgument
// (ERROR_INVALID_PARAMETER), so that a script or a shortcut with a mistyped switch fails
// visibly instead of leaving a hidden copy that refuses every later start.
std::string UnknownArgumentText(const std::string& argument);
inline constexpr int kExitUnknownArgument = 87;

inline constexpr char kMsgStarting[] = "Starting...";
inline constexpr char kMsgPermissionDenied[] = "ERROR: Permission Denied on :\r\n";
inline constexpr char kMsgInstallingForNextReboot[] = "Installing for next reboot.";
inline constexpr std::int32_t kPermissionDeniedPauseMs = 4000;
inline constexpr std::int32_t kMasterPauseMs = 4000;
inline constexpr std::int32_t kPausedPollMs = 50;

// The notification-area icons: their tips and the messages their clicks come back as.
inline constexpr char kProgressIconTip[] = "Launchward - Double Click Me";
inline constexpr char kNewItemsIconTip[] = "Launchward - New Items found";
inline constexpr std::uint32_t kNewItemsIconMessage = 1025;  // WM_USER + 1
inline constexpr std::uint32_t kProgressIconMessage = 1026;  // WM_USER + 2
inline constexpr std::uint32_t kWmLButtonDblClk = 0x203;

enum class TrayIcon { kProgress, kNewItems };

// The auto-tune error dialog.
inline constexpr char kAutoTuneErrorCaption[] = "Auto-Tune error";
// Its five lines, in order.
std::vector<std::string> AutoTuneErrorLines();
// The text of its box: the lines, separated by CR LF.
std::string AutoTuneErrorText();

// The runner window as its logic uses it.
class IStartupControlWindow {
 public:
  virtual ~IStartupControlWindow() = default;
  // The status box's whole text.
  virtual void SetStatusText(const std::string& text) = 0;
  // The load label's text.
  virtual void SetLoadText(const std::string& text) = 0;
  virtual std::string PauseCaption() const = 0;
  virtual void SetPauseCaption(const std::string& caption) = 0;
  virtual bool Visible() const = 0;
  // Show and Hide the window (the logic runs its show handler itself).
  virtual void ShowForm() = 0;
  virtual void HideForm() = 0;
  // SetForegroundWindow on the window.
  virtual void BringToForeground() = 0;
  // SetWindowPos(the application's window, HWND_TOPMOST, ...) with SWP_NOMOVE | SWP_NOACTIVATE,
  // and SWP_NOSIZE as well when keepSize.
  virtual void MakeApplicationTopmost(bool keepSize) = 0;
  virtual bool TimerEnabled() const = 0;
  // Starts the load timer (1000 ms); its ticks call OnLoadTimer.
  virtual void EnableTimer() = 0;
  // Shell_NotifyIcon NIM_ADD of the icon's record; NIM_DELETE of the record added last.
  virtual bool AddTrayIcon(TrayIcon icon) = 0;
  virtual bool RemoveTrayIcon() = 0;
  // AutoTuneErrorDialog, modally.
  virtual void ShowAutoTuneError() = 0;
  // The edit window, opened from the new-items icon (modeless, centred on the screen; nothing
  // happens when it is on the screen already). False when the program has no edit window.
  virtual bool ShowEditWindowFromTray() = 0;
};

class StartupControl {
 public:
  explicit StartupControl(IStartupControlWindow& window);
  ~StartupControl();
  StartupControl(const StartupControl&) = delete;
  StartupControl& operator=(const StartupControl&) = delete;

  // The creation handler: creates the mover and the runner and, when there is an argument,
  // runs the pass its first argument names (compared exactly); an unknown one does nothing.
  void OnCreate(const std::vector<std::string>& args);
  // The show handler: the load shown at once the first time, the timer started, the
  // application's window kept on top.
  void OnShow();
  // Frees the mover and the runner and takes a notification icon that is still there away.
  void OnDestroy();
  void OnPauseClicked();
  void OnStopClicked();
  void OnLoadTimer();
  // A notification icon's callback message (kProgressIconMessage or kNewItemsIconMessage) with
  // the mouse message in lParam. A double-click on the new-items icon opens the edit window.
  void OnTrayIconMessage(std::uint32_t message, std::intptr_t lParam);
  // The edit window opened from the new-items icon was closed: the icon goes and the program
  // ends, its work done.
  void OnEditWindowClosed();
  // Explorer started again ("TaskbarCreated"): the notification area is new and empty, so the
  // icon shown before is added again.
  void OnTaskbarCreated();
  // The session ends (WM_ENDSESSION): the pass stops where it is, as Stop does, and the program
  // stays registered for the next logon, which Windows may not let it finish otherwise.
  void OnEndSession();

  void ShowStatus(const std::string& text);
  void ShowRunnerWindow();
  void RunPhase1();
  void RunPhase2();
  void RunMaster();
  void RunManagedItems();
  bool IsPaused() const { return paused_; }

  // "RUNONCE" directly under the program key: set after a first phase that took the items over,
  // cleared by the next second phase that had the rights to.
  static void SetRunOnceMark();
  static void ClearRunOnceMark();

 private:
  void ShowForm();
  // Where UAC is on and this logon may not change the store: the edit window through a copy
  // with administrator rights. False when the edit window can open here.
  bool OpenEditWindowElevated();
  void WaitWhilePaused();
  // "LAUNCHWARD" in the machine's Run key (and RunOnce key) for the next logon.
  void RegisterForNextLogon(bool alsoRunOnce);
  void AddTrayIcon(TrayIcon icon);
  void RemoveTrayIcon();

  IStartupControlWindow& window_;
  // The pass this start runs ("-pre", "-go", "-master"), empty for none.
  std::string pass_;
  std::unique_ptr<StartupMover> mover_;
  std::unique_ptr<LogonRunner> runner_;
  bool paused_ = false;
  bool trayIconShown_ = false;
  TrayIcon trayIcon_ = TrayIcon::kProgress;
};

// When the processor load cannot be sampled and auto-tune is on: shows the auto-tune error
// dialog (showDialog, modally), switches auto-tune off for good (the option checked and saved
// as the Options dialog's Save does) and writes the dialog's text to the error log. Nothing
// otherwise. The second phase calls it once; the main window once when it starts.
void CheckAutoTuneFailure(const std::function<void()>& showDialog);

}  // namespace lw
