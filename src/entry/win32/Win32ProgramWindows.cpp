#include "entry/win32/Win32ProgramWindows.h"

#include "runner/win32/AutoTuneErrorDialog.h"
#include "runner/win32/StartupControlWindow.h"
#include "ui/win32/OptionsDialog.h"
#include "ui/win32/Win32Application.h"

namespace lw {

Win32ProgramWindows::Win32ProgramWindows() = default;

Win32ProgramWindows::~Win32ProgramWindows() { DestroyWindows(); }

void Win32ProgramWindows::InitializeApplication() {
  application_ = std::make_unique<Win32Application>();
}

void Win32ProgramWindows::CreateOptionsDialog() { options_ = std::make_unique<OptionsDialog>(); }

void Win32ProgramWindows::CreateAutoTuneErrorDialog() {
  autoTuneError_ = std::make_unique<AutoTuneErrorDialog>();
}

void Win32ProgramWindows::CreateStartupControlWindow(const std::vector<std::string>& args) {
  runner_ = std::make_unique<StartupControlWindow>(*autoTuneError_);
  runner_->OnCreate(args);
}

void Win32ProgramWindows::RunMessageLoop() { application_->Run(); }

void Win32ProgramWindows::DestroyWindows() {
  runner_.reset();
  autoTuneError_.reset();
  options_.reset();
  application_.reset();
}

}  // namespace lw
