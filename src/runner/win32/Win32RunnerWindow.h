#pragma once
// The "Startup Control" window on the screen: the controls of its layout, the load timer and
// the notification-area icons, driven by the portable TfrmDummyRunner that it owns.

#include <memory>
#include <string>
#include <vector>

#include "runner/UnitFrmDummyRunner.h"
#include "ui/win32/Win32Application.h"
#include "ui/win32/Win32Form.h"

namespace lw {

class TFrmAutoTuneError;

// The control ids (a test finds the controls by them).
inline constexpr int kRunnerMemo1Id = 101;
inline constexpr int kRunnerPauseId = 102;
inline constexpr int kRunnerStopId = 103;
inline constexpr int kRunnerLabel1Id = 104;
inline constexpr int kRunnerCpuId = 105;
inline constexpr int kRunnerImage2Id = 106;
inline constexpr UINT_PTR kRunnerTimer1Id = 1;
// The icon resource shown when new items were found (the program's own is kApplicationIconId).
inline constexpr int kNewItemsIconId = 2;
// The size of the notification-icon record the window passes (the version 5 record, without
// the GUID and the balloon icon).
inline constexpr DWORD kNotifyIconDataSize = 488;

class TRunnerWindow final : public TWin32Form, public IRunnerWindow {
 public:
  // autoTuneError: the dialog shown when the load cannot be sampled (not owned).
  explicit TRunnerWindow(TWin32Form& autoTuneError);
  ~TRunnerWindow() override;

  // The creation handler, run by the program block right after the window exists.
  void FormCreate(const std::vector<std::string>& args);
  TfrmDummyRunner& Logic() { return logic_; }

  // IRunnerWindow
  void SetStatusText(const std::string& text) override;
  void SetCpuText(const std::string& text) override;
  std::string PauseCaption() const override;
  void SetPauseCaption(const std::string& caption) override;
  bool Visible() const override { return TWin32Form::Visible(); }
  void ShowForm() override { Show(); }
  void HideForm() override { Hide(); }
  void BringToForeground() override;
  void MakeApplicationTopmost(bool keepSize) override;
  bool TimerEnabled() const override { return timerEnabled_; }
  void EnableTimer() override;
  bool AddTrayIcon(TTrayIcon icon) override;
  bool RemoveTrayIcon() override;
  void ShowAutoTuneError() override;

 protected:
  void OnCommand(int id, int notifyCode) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  TWin32Form& autoTuneError_;
  TfrmDummyRunner logic_;
  bool timerEnabled_ = false;
  NOTIFYICONDATAA trayRecord_{};
};

}  // namespace lw
