#include "runner/win32/StartupControlWindow.h"

#include <cstring>

#include "ui/win32/Win32Application.h"

namespace lw {

namespace {

#ifndef _WIN64
static_assert(kNotifyIconDataSize == 488);
#endif

FormSpec Form() {
  // No border icons: the window has a caption but no close box.
  return {kStartupControlWindowClass, kRunnerCaption, 376, 115, WS_CAPTION | WS_BORDER};
}

std::vector<ControlSpec> Controls() {
  return {
      // The picture lies under the status box, as the design has it.
      {kRunnerPictureId, ControlKind::kIcon, std::to_string(kApplicationIconId), 212, 56, 33, 33},
      {kRunnerStatusBoxId, ControlKind::kTextBox, "", 8, 8, 265, 97},
      {kRunnerPauseId, ControlKind::kButton, kPauseCaption, 298, 8, 57, 20},
      {kRunnerStopId, ControlKind::kButton, kStopCaption, 298, 40, 57, 20},
      {kRunnerLoadCaptionId, ControlKind::kLabel, kCpuCaption, 288, 77, 36, 13},
      {kRunnerLoadId, ControlKind::kLabel, "", 325, 77, 36, 13},
  };
}

}  // namespace

StartupControlWindow::StartupControlWindow(Win32Form& autoTuneError)
    : Win32Form(Form(), Controls()), autoTuneError_(autoTuneError), logic_(*this) {
  ::SetWindowPos(Item(kRunnerPictureId), HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  trayRecord_.cbSize = kNotifyIconDataSize;
  trayRecord_.hWnd = Handle();
  trayRecord_.uID = 0;
  trayRecord_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  // Explorer broadcasts this message when it starts again (after a crash, say), with a new,
  // empty notification area.
  taskbarCreated_ = ::RegisterWindowMessageA(kTaskbarCreatedMessage);
}

StartupControlWindow::~StartupControlWindow() {
  logic_.OnDestroy();
  if (timerEnabled_) ::KillTimer(Handle(), kRunnerLoadTimerId);
}

void StartupControlWindow::OnCreate(const std::vector<std::string>& args) { logic_.OnCreate(args); }

void StartupControlWindow::SetStatusText(const std::string& text) {
  SetItemText(kRunnerStatusBoxId, text);
}

void StartupControlWindow::SetLoadText(const std::string& text) {
  SetItemText(kRunnerLoadId, text);
}

std::string StartupControlWindow::PauseCaption() const { return ItemText(kRunnerPauseId); }

void StartupControlWindow::SetPauseCaption(const std::string& caption) {
  SetItemText(kRunnerPauseId, caption);
}

void StartupControlWindow::BringToForeground() { ::SetForegroundWindow(Handle()); }

void StartupControlWindow::MakeApplicationTopmost(bool keepSize) {
  HWND application = ApplicationWindow();
  if (application == nullptr) return;
  const UINT flags = SWP_NOMOVE | SWP_NOACTIVATE | (keepSize ? SWP_NOSIZE : 0);
  ::SetWindowPos(application, HWND_TOPMOST, 0, 0, 0, 0, flags);
}

void StartupControlWindow::EnableTimer() {
  if (::SetTimer(Handle(), kRunnerLoadTimerId, 1000, nullptr) != 0) timerEnabled_ = true;
}

bool StartupControlWindow::AddTrayIcon(TrayIcon icon) {
  const bool progress = icon == TrayIcon::kProgress;
  trayRecord_.uCallbackMessage = progress ? kProgressIconMessage : kNewItemsIconMessage;
  trayRecord_.hIcon = static_cast<HICON>(
      ::LoadImageA(::GetModuleHandleA(nullptr),
                   MAKEINTRESOURCEA(progress ? kApplicationIconId : kNewItemsIconId), IMAGE_ICON,
                   ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  const char* tip = progress ? kProgressIconTip : kNewItemsIconTip;
  std::memset(trayRecord_.szTip, 0, sizeof trayRecord_.szTip);
  std::strncpy(trayRecord_.szTip, tip, sizeof trayRecord_.szTip - 1);
  return ::Shell_NotifyIconA(NIM_ADD, &trayRecord_) != FALSE;
}

bool StartupControlWindow::RemoveTrayIcon() {
  return ::Shell_NotifyIconA(NIM_DELETE, &trayRecord_);
}

void StartupControlWindow::ShowAutoTuneError() { autoTuneError_.ShowModal(); }

void StartupControlWindow::OnCommand(int id, int notifyCode) {
  if (notifyCode != BN_CLICKED) return;
  if (id == kRunnerPauseId) logic_.OnPauseClicked();
  if (id == kRunnerStopId) logic_.OnStopClicked();
}

bool StartupControlWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (message == WM_TIMER && wParam == kRunnerLoadTimerId) {
    logic_.OnLoadTimer();
  } else if (message == kProgressIconMessage || message == kNewItemsIconMessage) {
    logic_.OnTrayIconMessage(message, lParam);
  } else if (taskbarCreated_ != 0 && message == taskbarCreated_) {
    logic_.OnTaskbarCreated();
  } else if (message == WM_QUERYENDSESSION) {
    // Launchward never holds a logoff up: its registration is in place all along.
    result = TRUE;
    return true;
  } else if (message == WM_ENDSESSION) {
    if (wParam != FALSE) logic_.OnEndSession();
  } else {
    return false;
  }
  result = 0;
  return true;
}

}  // namespace lw
