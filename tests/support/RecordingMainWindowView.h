#pragma once
// A main window without a screen: it records the state of its three administrative buttons
// (null: never set, as designed: enabled) and what the logic asked of it, in order.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/MainWindow.h"

namespace lw::test {

class RecordingMainWindowView : public IMainWindowView {
 public:
  void SetInstallEnabled(bool enabled) override { install = enabled; }
  void SetRestoreEnabled(bool enabled) override { restore = enabled; }
  void SetEditEnabled(bool enabled) override { edit = enabled; }
  void ShowAndBringToFront() override { events.push_back("show"); }
  void ShowOptionsDialog() override { events.push_back("options"); }
  void ShowEditWindow() override { events.push_back("edit"); }
  void ShowRestoreWindow() override {
    events.push_back("restore");
    if (onRestoreWindow) onRestoreWindow();
  }
  void ShowAboutBox() override { events.push_back("about"); }
  void ShowAutoTuneError() override { events.push_back("auto-tune error"); }

  std::optional<bool> install;
  std::optional<bool> restore;
  std::optional<bool> edit;
  std::vector<std::string> events;
  // What the user does in the restore window while it is shown.
  std::function<void()> onRestoreWindow;
};

}  // namespace lw::test
