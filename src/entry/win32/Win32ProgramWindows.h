#pragma once
// The real program's windows, created in the program block's order and destroyed in reverse.

#include <memory>
#include <string>
#include <vector>

#include "entry/Program.h"

namespace lw {

class Win32Application;
class OptionsDialog;
class AutoTuneErrorDialog;
class StartupControlWindow;

class Win32ProgramWindows final : public IProgramWindows {
 public:
  Win32ProgramWindows();
  ~Win32ProgramWindows() override;

  void InitializeApplication() override;
  void CreateOptionsDialog() override;
  void CreateAutoTuneErrorDialog() override;
  void CreateStartupControlWindow(const std::vector<std::string>& args) override;
  void RunMessageLoop() override;
  void DestroyWindows() override;

 private:
  std::unique_ptr<Win32Application> application_;
  std::unique_ptr<OptionsDialog> options_;
  std::unique_ptr<AutoTuneErrorDialog> autoTuneError_;
  std::unique_ptr<StartupControlWindow> runner_;
};

}  // namespace lw
