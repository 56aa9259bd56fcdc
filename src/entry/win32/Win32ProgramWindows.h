#pragma once
// The real program's windows, created in the program block's order and destroyed in reverse.

#include <memory>
#include <string>
#include <vector>

#include "entry/UnitProgram.h"

namespace lw {

class TWin32Application;
class TFrmOptions;
class TFrmAutoTuneError;
class TRunnerWindow;

class TWin32ProgramWindows final : public IProgramWindows {
 public:
  TWin32ProgramWindows();
  ~TWin32ProgramWindows() override;

  void InitializeApplication() override;
  void CreateOptionsForm() override;
  void CreateAutoTuneErrorForm() override;
  void CreateRunnerForm(const std::vector<std::string>& args) override;
  void RunMessageLoop() override;
  void DestroyForms() override;

 private:
  std::unique_ptr<TWin32Application> application_;
  std::unique_ptr<TFrmOptions> options_;
  std::unique_ptr<TFrmAutoTuneError> autoTuneError_;
  std::unique_ptr<TRunnerWindow> runner_;
};

}  // namespace lw
