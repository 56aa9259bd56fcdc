#pragma once
// The "Startup Control" window on the screen: the controls of its layout, the load timer and
// the notification-area icons, driven by the portable StartupControl that it owns.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "runner/StartupControl.h"
#include "ui/win32/Win32Application.h"
#include "ui/win32/Win32Form.h"

namespace lw {

class AutoTuneErrorDialog;

// The window class name that other programs find the window by.
inline constexpr char kStartupControlWindowClass[] = "TfrmDummyRunner";

// The message Explorer broadcasts when its taskbar comes up again.
inline constexpr char kTaskbarCreatedMessage[] = "TaskbarCreated";

// The control ids (a test finds the controls by them).
inline constexpr int kRunnerStatusBoxId = 101;
inline constexpr int kRunnerPauseId = 102;
inline constexpr int kRunnerStopId = 103;
inline constexpr int kRunnerLoadCaptionId = 104;
inline constexpr int kRunnerLoadId = 105;
inline constexpr int kRunnerPictureId = 106;
inline constexpr UINT_PTR kRunnerLoadTimerId = 1;
// The icon resource shown when new items were found (the program's own is kApplicationIconId).
inline constexpr int kNewItemsIconId = 2;
// The size of the notification-icon record the window passes (the version 5 record, without
// the GUID and the balloon icon).
// 488 bytes in the 32-bit program.
inline constexpr DWORD kNotifyIconDataSize = NOTIFYICONDATAA_V2_SIZE;

class StartupControlWindow final : public Win32Form, public IStartupControlWindow {
 public:
  // autoTuneError: the dialog shown when the load cannot be sampled (not owned).
  explicit StartupControlWindow(Win32Form& autoTuneError);
  ~StartupControlWindow() override;

  // How the new-items icon opens the edit window (made before this window); false when it
  // could not.
  void SetShowEditWindow(std::function<bool()> show) { showEdit_ = std::move(show); }

  // The creation handler, run by the program block right after the window exists.
  void OnCreate(const std::vector<std::string>& args);
  StartupControl& Logic() { return logic_; }

  // IStartupControlWindow
  void SetStatusText(const std::string& text) override;
  void SetLoadText(const std::string& text) override;
  std::string PauseCaption() const override;
  void SetPauseCaption(const std::string& caption) override;
  bool Visible() const override { return Win32Form::Visible(); }
  void ShowForm() override { Show(); }
  void HideForm() override { Hide(); }
  void BringToForeground() override;
  void MakeApplicationTopmost(bool keepSize) override;
  bool TimerEnabled() const override { return timerEnabled_; }
  void EnableTimer() override;
  bool AddTrayIcon(TrayIcon icon) override;
  bool RemoveTrayIcon() override;
  void ShowAutoTuneError() override;
  bool ShowEditWindowFromTray() override { return showEdit_ && showEdit_(); }

 protected:
  void OnCommand(int id, int notifyCode) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  Win32Form& autoTuneError_;
  std::function<bool()> showEdit_;
  StartupControl logic_;
  bool timerEnabled_ = false;
  NOTIFYICONDATAA trayRecord_{};
  UINT taskbarCreated_ = 0;
};

}  // namespace lw
