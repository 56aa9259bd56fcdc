#pragma once
// An edit window without a screen: it records what the logic asked of it (in order), answers
// the New Item dialog from fields the test sets, and gives the Options dialog's default pauses.

#include <string>
#include <vector>

#include "edit/EditWindow.h"

namespace lw::test {

class RecordingEditView : public IEditView {
 public:
  void ColumnsChanged() override { events.push_back("columns"); }
  void RowsChanged(EditListId list) override {
    events.push_back("rows " + std::to_string(static_cast<int>(list)));
  }
  void ControlsChanged() override { ++controlsChanged; }
  void SelectPage(int page) override { events.push_back("page " + std::to_string(page)); }
  void ShowPopupMenu() override { events.push_back("popup"); }
  bool AskNewItem(const std::string& filter, std::string& name, std::string& path) override {
    events.push_back("new item " + filter);
    name = newName;
    path = newPath;
    return newItemOk;
  }
  void ShowItemProperties(const std::string& path) override { properties.push_back(path); }
  std::string DefaultRunkeyPauseText() override { return defaultRunkeyPause; }
  std::string DefaultStartupPauseText() override { return defaultStartupPause; }
  void OpenUrl(const std::string& url) override { urls.push_back(url); }

  std::vector<std::string> events;
  std::vector<std::string> properties;
  std::vector<std::string> urls;
  int controlsChanged = 0;
  // The New Item dialog's answer.
  bool newItemOk = true;
  std::string newName;
  std::string newPath;
  std::string defaultRunkeyPause = "1000";
  std::string defaultStartupPause = "2000";
};

}  // namespace lw::test
