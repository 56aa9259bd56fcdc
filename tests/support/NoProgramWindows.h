#pragma once
// The program's windows for a start that must never reach one (a refused copy, a command for
// scripts): each creation, start or loop counts a call, so that a test can check none came.

#include <string>
#include <vector>

#include "entry/Program.h"

namespace lw::test {

class NoWindows : public IProgramWindows {
 public:
  void InitializeApplication() override { ++calls; }
  void CreateMainWindow() override { ++calls; }
  void CreateOptionsDialog() override { ++calls; }
  void CreateAutoTuneErrorDialog() override { ++calls; }
  void CreateEditWindow() override { ++calls; }
  void CreateAboutBox() override { ++calls; }
  void CreateStartupControlWindow(const std::vector<std::string>&) override { ++calls; }
  void CreateNewItemDialog() override { ++calls; }
  void CreateRestoreWindow() override { ++calls; }
  void StartMainWindow(bool) override { ++calls; }
  void StartAlone(const std::string&) override { ++calls; }
  void RunMessageLoop() override { ++calls; }
  void DestroyWindows() override {}

  int calls = 0;
};

}  // namespace lw::test
