#include "entry/win32/Win32ProgramWindows.h"

#include "runner/win32/UnitFrmAutoTuneError.h"
#include "runner/win32/Win32RunnerWindow.h"
#include "ui/win32/UnitFrmOptions.h"
#include "ui/win32/Win32Application.h"

namespace lw {

TWin32ProgramWindows::TWin32ProgramWindows() = default;

TWin32ProgramWindows::~TWin32ProgramWindows() { DestroyForms(); }

void TWin32ProgramWindows::InitializeApplication() {
  application_ = std::make_unique<TWin32Application>();
}

void TWin32ProgramWindows::CreateOptionsForm() { options_ = std::make_unique<TFrmOptions>(); }

void TWin32ProgramWindows::CreateAutoTuneErrorForm() {
  autoTuneError_ = std::make_unique<TFrmAutoTuneError>();
}

void TWin32ProgramWindows::CreateRunnerForm(const std::vector<std::string>& args) {
  runner_ = std::make_unique<TRunnerWindow>(*autoTuneError_);
  runner_->FormCreate(args);
}

void TWin32ProgramWindows::RunMessageLoop() { application_->Run(); }

void TWin32ProgramWindows::DestroyForms() {
  runner_.reset();
  autoTuneError_.reset();
  options_.reset();
  application_.reset();
}

}  // namespace lw
