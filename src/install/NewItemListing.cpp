// What the runner window shows while a logon's first start looks for new items. The list is
// made from the snapshot before anything moves: after a complete take-over, whatever is still
// in a Run key or a Startup folder and not left to Windows has arrived since.

#include "install/NewItemListing.h"

#include <exception>

#include "store/SettingsStore.h"
#include "util/Text.h"

namespace lw {

std::string NewItemListText(const StartupMover& mover) {
  std::string text;
  for (const RunKeyItem& item : mover.RunItems()) {
    // The program's own value counts as excluded.
    if (!RunItemExcluded(item.name, RunItemExcludeOwner(item)))
      text += "Runkey: " + item.name + "\r\n";
  }
  for (const StartupFolderItem& item : mover.StartupItems()) {
    std::string fileName = ExtractFileName(item.path);
    if (!StartupItemExcluded(fileName)) text += "Startup: " + fileName + "\r\n";
  }
  return text;
}

bool RunNewItemListing(StartupMover& mover,
                       const std::function<void(const std::string&)>& showStatus) {
  try {
    showStatus(kMsgDetectingNewItems);
    std::string list = NewItemListText(mover);
    showStatus(list.empty() ? std::string(kMsgNoNewItems) : kMsgItemsFound + list);
    PauseMs(kItemsFoundPauseMs);
    mover.DetectNewRunItems();
    mover.DetectNewStartupItems();
  } catch (const std::exception& error) {
    // The pass stops at the first failure; the user gets a moment to read why.
    showStatus(kMsgErrorPrefix + std::string(error.what()));
    PauseMs(kErrorPauseMs);
    return false;
  }
  return true;
}

}  // namespace lw
