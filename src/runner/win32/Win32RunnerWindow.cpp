#include "runner/win32/Win32RunnerWindow.h"

#include <cstring>

#include "ui/win32/Win32Application.h"

namespace lw {

namespace {

static_assert(NOTIFYICONDATAA_V2_SIZE == kNotifyIconDataSize);

TFormSpec FormSpec() {
  // No border icons: the window has a caption but no close box.
  return {"TfrmDummyRunner", kRunnerCaption, 376, 115, WS_CAPTION | WS_BORDER};
}

std::vector<TControlSpec> Controls() {
  return {
      // The picture lies under the status box, as the design has it.
      {kRunnerImage2Id, TControlKind::kIcon, std::to_string(kApplicationIconId), 212, 56, 33, 33},
      {kRunnerMemo1Id, TControlKind::kMemo, "", 8, 8, 265, 97},
      {kRunnerPauseId, TControlKind::kButton, kPauseCaption, 298, 8, 57, 20},
      {kRunnerStopId, TControlKind::kButton, kStopCaption, 298, 40, 57, 20},
      {kRunnerLabel1Id, TControlKind::kLabel, kCpuCaption, 288, 77, 36, 13},
      {kRunnerCpuId, TControlKind::kLabel, "", 325, 77, 36, 13},
  };
}

}  // namespace

TRunnerWindow::TRunnerWindow(TWin32Form& autoTuneError)
    : TWin32Form(FormSpec(), Controls()), autoTuneError_(autoTuneError), logic_(*this) {
  ::SetWindowPos(Item(kRunnerImage2Id), HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  trayRecord_.cbSize = kNotifyIconDataSize;
  trayRecord_.hWnd = Handle();
  trayRecord_.uID = 0;
  trayRecord_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
}

TRunnerWindow::~TRunnerWindow() {
  logic_.FormDestroy();
  if (timerEnabled_) ::KillTimer(Handle(), kRunnerTimer1Id);
}

void TRunnerWindow::FormCreate(const std::vector<std::string>& args) { logic_.FormCreate(args); }

void TRunnerWindow::SetStatusText(const std::string& text) { SetItemText(kRunnerMemo1Id, text); }

void TRunnerWindow::SetCpuText(const std::string& text) { SetItemText(kRunnerCpuId, text); }

std::string TRunnerWindow::PauseCaption() const { return ItemText(kRunnerPauseId); }

void TRunnerWindow::SetPauseCaption(const std::string& caption) {
  SetItemText(kRunnerPauseId, caption);
}

void TRunnerWindow::BringToForeground() { ::SetForegroundWindow(Handle()); }

void TRunnerWindow::MakeApplicationTopmost(bool keepSize) {
  HWND application = ApplicationWindow();
  if (application == nullptr) return;
  const UINT flags = SWP_NOMOVE | SWP_NOACTIVATE | (keepSize ? SWP_NOSIZE : 0);
  ::SetWindowPos(application, HWND_TOPMOST, 0, 0, 0, 0, flags);
}

void TRunnerWindow::EnableTimer() {
  if (::SetTimer(Handle(), kRunnerTimer1Id, 1000, nullptr) != 0) timerEnabled_ = true;
}

bool TRunnerWindow::AddTrayIcon(TTrayIcon icon) {
  const bool progress = icon == TTrayIcon::kProgress;
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

bool TRunnerWindow::RemoveTrayIcon() { return ::Shell_NotifyIconA(NIM_DELETE, &trayRecord_); }

void TRunnerWindow::ShowAutoTuneError() { autoTuneError_.ShowModal(); }

void TRunnerWindow::OnCommand(int id, int notifyCode) {
  if (notifyCode != BN_CLICKED) return;
  if (id == kRunnerPauseId) logic_.bPauseClick();
  if (id == kRunnerStopId) logic_.bStopClick();
}

bool TRunnerWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (message == WM_TIMER && wParam == kRunnerTimer1Id) {
    logic_.Timer1Timer();
  } else if (message == kProgressIconMessage || message == kNewItemsIconMessage) {
    logic_.TrayIconMessage(message, lParam);
  } else {
    return false;
  }
  result = 0;
  return true;
}

}  // namespace lw
