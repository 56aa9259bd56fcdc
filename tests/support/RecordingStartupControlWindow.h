#pragma once
// A runner window without a screen: it records what the runner's logic does to its window
// (the status messages in order, shows and hides, the notification icons, the load label) so
// that tests can check what the user would have seen.

#include <string>
#include <vector>

#include "runner/StartupControl.h"

namespace lw::test {

class RecordingStartupControlWindow : public IStartupControlWindow {
 public:
  void SetStatusText(const std::string& text) override {
    statusText = text;
    statuses.push_back(text);
  }
  void SetLoadText(const std::string& text) override {
    cpuText = text;
    ++cpuUpdates;
  }
  std::string PauseCaption() const override { return pauseCaption; }
  void SetPauseCaption(const std::string& caption) override { pauseCaption = caption; }
  bool Visible() const override { return visible; }
  void ShowForm() override {
    visible = true;
    events.push_back("show");
  }
  void HideForm() override {
    if (visible) events.push_back("hide");
    visible = false;
  }
  void BringToForeground() override { events.push_back("foreground"); }
  void MakeApplicationTopmost(bool keepSize) override {
    events.push_back(keepSize ? "topmost keep size" : "topmost");
  }
  bool TimerEnabled() const override { return timerEnabled; }
  void EnableTimer() override { timerEnabled = true; }
  bool AddTrayIcon(TrayIcon icon) override {
    trayIcon = icon == TrayIcon::kProgress ? "progress" : "new items";
    events.push_back("add " + trayIcon);
    return trayAvailable;
  }
  bool RemoveTrayIcon() override {
    events.push_back("remove " + trayIcon);
    trayIcon.clear();
    return true;
  }
  void ShowAutoTuneError() override { events.push_back("auto-tune error"); }
  bool ShowEditWindowFromTray() override {
    events.push_back("edit window");
    return editWindow;
  }

  // Whether the window was ever shown.
  bool EverShown() const {
    for (const std::string& event : events) {
      if (event == "show") return true;
    }
    return false;
  }

  std::vector<std::string> statuses;
  std::vector<std::string> events;
  std::string statusText;
  std::string cpuText = "<never set>";
  int cpuUpdates = 0;
  std::string pauseCaption = kPauseCaption;
  std::string trayIcon;  // the icon now in the notification area, empty when none
  bool visible = false;
  bool timerEnabled = false;
  bool trayAvailable = true;
  bool editWindow = true;  // whether the program has an edit window to open
};

}  // namespace lw::test
