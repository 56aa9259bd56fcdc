#include "runner/StartupControl.h"

#include "install/ElevatedCopy.h"
#include "install/NewItemListing.h"
#include "install/StartupMover.h"
#include "platform/Platform.h"
#include "runner/LogonRunner.h"
#include "runner/ProcessorLoad.h"
#include "store/Registry.h"
#include "store/SettingsStore.h"
#include "store/StoreLock.h"
#include "ui/Dialogs.h"
#include "ui/EventDispatch.h"
#include "ui/Options.h"
#include "ui/Policies.h"
#include "util/Error.h"
#include "util/ErrorLog.h"
#include "util/Termination.h"
#include "util/UserAccountControl.h"

namespace lw {

namespace {

// A vendor article on rebuilding the performance counters, which is what brings the
// processor counter back.
inline constexpr char kAutoTuneHelpAddress[] = "https://support.microsoft.com/kb/300956";

}  // namespace

std::vector<std::string> AutoTuneErrorLines() {
  return {
      "Auto-tune disabled - Failed to retreive [Processor\\% Processor Time]",
      "",
      "Make sure your PAGE FILE is not disabled and see the following address to fix the "
      "problem:",
      "",
      kAutoTuneHelpAddress,
  };
}

std::string AutoTuneErrorText() {
  const std::vector<std::string> lines = AutoTuneErrorLines();
  std::string text = lines.front();
  for (std::size_t i = 1; i < lines.size(); ++i) text += "\r\n" + lines[i];
  return text;
}

bool IsRunnerSwitch(const std::string& argument) {
  return argument == kPreSwitch || argument == kGoSwitch || argument == kMasterSwitch;
}

std::string UnknownArgumentText(const std::string& argument) {
  return "Launchward does not know the argument \"" + argument +
         "\".\r\n\r\n"
         "It accepts one of these, written exactly so:\r\n" +
         kPreSwitch + "\ttakes new start-up items over (at logon, from the RunOnce key)\r\n" +
         kGoSwitch + "\tstarts the managed items (at logon, from the Run key)\r\n" + kMasterSwitch +
         "\tregisters Launchward for the current user\r\n" + kInstallSwitch + " " + kQuietSwitch +
         "\tregisters Launchward for the next logon, without a window (deployment tools)\r\n" +
         kRestoreSwitch + " " + kQuietSwitch +
         "\tgives every item back, without a window (deployment tools)\r\n" + kListSwitch +
         " [file]\tlists every item Launchward keeps as CSV, to the file or the console\r\n"
         "\r\n"
         "Started without an argument, Launchward opens its main window.";
}

StartupControl::StartupControl(IStartupControlWindow& window) : window_(window) {}

StartupControl::~StartupControl() = default;

void StartupControl::OnCreate(const std::vector<std::string>& args) {
  window_.SetLoadText("");
  window_.MakeApplicationTopmost(true);
  window_.MakeApplicationTopmost(false);
  // Everything here runs behind the dispatcher like any event: an error that escapes is shown.
  // A logon start must not then linger hidden for ever, so a pass that failed (or could not
  // begin) ends the program as its normal end would.
  const std::string what = args.empty() ? std::string() : args.front();
  // Only the second phase learns the initial pause: every other start that made a logon
  // runner would shorten it once more.
  const RunnerUse use = what == kGoSwitch ? RunnerUse::kLogon : RunnerUse::kSingleItems;
  const bool created = DispatchEvent([this, use] {
    mover_ = std::make_unique<StartupMover>();
    runner_ =
        std::make_unique<LogonRunner>([this](const std::string& text) { ShowStatus(text); }, use);
  });
  if (!IsRunnerSwitch(what)) return;
  pass_ = what;
  if (!created) {
    ApplicationTerminate();
  } else if (what == kPreSwitch) {
    DispatchEvent([this] { RunPhase1(); });
    ApplicationTerminate();
  } else if (what == kGoSwitch) {
    if (!DispatchEvent([this] { RunPhase2(); })) ApplicationTerminate();
  } else {
    DispatchEvent([this] { RunMaster(); });
    ApplicationTerminate();
  }
}

void StartupControl::OnShow() {
  if (!window_.TimerEnabled()) OnLoadTimer();
  window_.EnableTimer();
  window_.MakeApplicationTopmost(false);
}

void StartupControl::OnDestroy() {
  mover_.reset();
  runner_.reset();
  // An icon left behind would stay in the notification area after the program ended.
  if (trayIconShown_) RemoveTrayIcon();
}

void StartupControl::OnPauseClicked() {
  if (!runner_) return;
  const bool pause = window_.PauseCaption() == kPauseCaption;
  window_.SetPauseCaption(pause ? kUnpauseCaption : kPauseCaption);
  runner_->SetPaused(pause);
  paused_ = pause;
}

void StartupControl::OnStopClicked() {
  AbortPause();
  if (runner_) runner_->Stop();
  ApplicationTerminate();
  Sys().ProcessMessages();
}

void StartupControl::OnTaskbarCreated() {
  if (trayIconShown_) trayIconShown_ = window_.AddTrayIcon(trayIcon_);
}

void StartupControl::OnEndSession() {
  // Nothing is registered here: the passes keep the registration in place all along. The
  // message queue is not pumped either, since Windows may end the process as soon as this
  // returns.
  AbortPause();
  if (runner_) runner_->Stop();
  RemoveTrayIcon();
  ApplicationTerminate();
}

void StartupControl::OnLoadTimer() { window_.SetLoadText(std::to_string(GetCpuUsage())); }

void StartupControl::OnTrayIconMessage(std::uint32_t message, std::intptr_t lParam) {
  if (lParam != static_cast<std::intptr_t>(kWmLButtonDblClk)) return;
  if (message == kProgressIconMessage) {
    if (window_.Visible()) {
      window_.HideForm();
    } else {
      ShowForm();
    }
  } else if (message == kNewItemsIconMessage && trayIconShown_) {
    if (PolicyKeepsEditAndRestoreFromUser()) {
      ShowMessage(kMsgPolicyAdminsOnly);
      OnEditWindowClosed();
      return;
    }
    if (OpenEditWindowElevated()) return;
    // The new items are looked at in the edit window, which ends the program when it closes.
    // Without one, the icon has done its job once the user answers it.
    if (!window_.ShowEditWindowFromTray()) OnEditWindowClosed();
  }
}

bool StartupControl::OpenEditWindowElevated() {
  // Where UAC gives the logon standard rights, an edit window here could change nothing: a
  // copy with administrator rights shows it. The icon stays when the user refused the prompt.
  std::string failedLocation;
  if (!mover_ || !IsUacEnabled() || mover_->CheckPermissions(failedLocation)) return false;
  ElevatedResult result = ElevatedResult::kFailed;
  DispatchEvent([&result] { result = RunElevatedCopy(kEditSwitch); });
  if (result != ElevatedResult::kRefused) OnEditWindowClosed();
  return true;
}

void StartupControl::OnEditWindowClosed() {
  RemoveTrayIcon();
  ApplicationTerminate();
}

void StartupControl::ShowStatus(const std::string& text) {
  window_.SetStatusText(text);
  Sys().ProcessMessages();
}

void StartupControl::ShowRunnerWindow() {
  window_.BringToForeground();
  ShowForm();
}

void StartupControl::RunPhase1() {
  if (!SharedOptions().DisableMoveDialog()) ShowRunnerWindow();
  // The second phase's Run value is written before the RunOnce value goes, so that an
  // interrupted logon never leaves Launchward unregistered.
  RegisterForNextLogon(false);
  mover_->UnregisterRunOnce();
  std::string failedLocation;
  if (mover_->CheckPermissions(failedLocation)) {
    if (!RunNewItemListing(*mover_, [this](const std::string& text) { ShowStatus(text); })) {
      ApplicationTerminate();
    }
    WaitWhilePaused();
    SetRunOnceMark();
    WaitWhilePaused();
  } else {
    ShowStatus(kMsgPermissionDenied + failedLocation);
    PauseMs(kPermissionDeniedPauseMs);
  }
  WaitWhilePaused();
  window_.HideForm();
}

void StartupControl::RunPhase2() {
  ShowStatus(kMsgStarting);
  // Both passes are registered for the next logon before anything else happens, and stay so:
  // a logoff, a crash or an error during the run (which easily lasts a minute) must not leave
  // the managed items without anyone to start them. Where UAC is on, every logon has standard
  // rights and cannot write the machine's keys: they stay as the installation wrote them (the
  // logon task and the Run value), and that is no error. Elsewhere a user without the rights
  // is the exception, and the error log says what failed.
  std::string failedLocation;
  const bool mayWrite = mover_->CheckPermissions(failedLocation);
  if (mayWrite || !IsUacEnabled()) RegisterForNextLogon(true);
  if (SharedOptions().ShowStartupDialog()) ShowRunnerWindow();
  RunManagedItems();
  if (mayWrite) {
    StoreLock lock;
    ClearRunOnceMark();
    SaveCPUStats();
  }
  // Both flags of new items are consumed whether or not the icon is wanted.
  const bool newItems = mover_->HasNewItems();
  if (newItems && !SharedOptions().DisableSysTrayNotification()) AddTrayIcon(TrayIcon::kNewItems);
  // Without its icon the program would stay on, invisible, holding its single-instance lock.
  if (!trayIconShown_) ApplicationTerminate();
}

void StartupControl::RunManagedItems() {
  AddTrayIcon(TrayIcon::kProgress);
  if (SharedOptions().ShowStartupDialog()) ShowForm();
  // Two samples when the first reads 0, so the smoothing starts from a real load. With nothing
  // to start there is no load to learn from (see InitialPause): each sample only waits 150 ms.
  if (runner_->HasItems() && !SharedOptions().DisableAutoTune() && GetCpuUsage() == 0) {
    GetCpuUsage();
  }
  ShowStatus("(Pausing " + std::to_string(runner_->InitialPauseSeconds()) +
             " seconds before executing)");
  Sys().ProcessMessages();
  CheckAutoTuneFailure([this] { window_.ShowAutoTuneError(); });
  runner_->InitialPause();
  runner_->RunRunkeyItems();
  runner_->RunStartupItems();
  runner_->SettleAndHandBack();
  window_.HideForm();
  RemoveTrayIcon();
}

void StartupControl::RunMaster() {
  if (!mover_->IsSelfRegistered()) {
    ShowStatus(kMsgInstallingForNextReboot);
    ShowRunnerWindow();
    PauseMs(kMasterPauseMs);
  }
  mover_->RegisterSelf(true, kHKeyCurrentUser);
}

void StartupControl::SetRunOnceMark() {
  StoreLock lock;
  Registry registry;
  registry.PutStringAt(kHKeyLocalMachine, kProgramKey, true, kRunOnceMarkValue, kRunOnceMarkValue);
}

void StartupControl::ClearRunOnceMark() {
  StoreLock lock;
  Registry registry;
  registry.TakeStringAt(kHKeyLocalMachine, kProgramKey, kRunOnceMarkValue);
}

void StartupControl::RegisterForNextLogon(bool alsoRunOnce) {
  // A user without administrator rights cannot write the machine's Run keys. At logon that is
  // no reason to stop the pass with a message box: the rights check says what is missing, and
  // the failure goes to the error log.
  try {
    mover_->RegisterSelf(alsoRunOnce, kHKeyLocalMachine);
  } catch (const Error& error) {
    SharedErrorLog().TryWrite(error.what());
  }
}

void StartupControl::ShowForm() {
  if (window_.Visible()) return;
  window_.ShowForm();
  OnShow();
}

void StartupControl::WaitWhilePaused() {
  while (IsPaused()) PauseMs(kPausedPollMs);
}

void StartupControl::AddTrayIcon(TrayIcon icon) {
  // One record serves both icons: the one shown goes first.
  if (trayIconShown_) RemoveTrayIcon();
  trayIcon_ = icon;
  trayIconShown_ = window_.AddTrayIcon(icon);
}

void StartupControl::RemoveTrayIcon() {
  if (!trayIconShown_) return;
  window_.RemoveTrayIcon();
  trayIconShown_ = false;
}

void CheckAutoTuneFailure(const std::function<void()>& showDialog) {
  if (!CpuSamplingFailed() || SharedOptions().DisableAutoTune()) return;
  showDialog();
  SharedOptions().ForceAutoTuneOff();
  SharedOptions().Save();
  // Logging must not stop a logon: a line that cannot be written is lost.
  SharedErrorLog().TryWrite(AutoTuneErrorText());
}

}  // namespace lw
