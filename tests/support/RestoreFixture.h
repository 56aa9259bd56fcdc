#pragma once
// A machine whose items were taken over, for the restore tests: the take-over fixture with the
// dialog service recorded, and helpers that take a picture of every item as Windows had it
// (names, data, types, shortcut bytes) to compare after a restore.

#include <string>
#include <tuple>
#include <vector>

#include "install/RestoreWindow.h"
#include "items/ItemManager.h"
#include "support/RecordingDialogs.h"
#include "support/TakeOverFixture.h"
#include "support/WindowsItems.h"

namespace lw::test {

// Failure messages show both texts.
inline ::testing::AssertionResult Contains(const std::string& text, const std::string& part) {
  if (text.find(part) != std::string::npos) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "\"" << text << "\"\ndoes not contain\n\"" << part << "\"";
}

class RestoreFixture : public TakeOverFixture {
 protected:
  WindowsItems Picture() const { return TakeWindowsItems(userFolder, commonFolder); }

  // Opens the restore window, leaves its rows as they start (or as adjust sets them), presses
  // Restore and returns the closing message.
  std::string Restore(bool fullUninstall = false,
                      const std::function<void(RestoreWindow&)>& adjust = nullptr) {
    StartupMover mover;
    RestoreWindow window(mover, nullptr);
    window.Load();
    if (adjust) adjust(window);
    return window.RunRestore(fullUninstall);
  }

  static int RowOf(const RestoreWindow& window, const std::string& caption) {
    const auto& rows = window.Rows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
      if (rows[i].caption == caption) return static_cast<int>(i);
    }
    ADD_FAILURE() << "no row " << caption;
    return 0;
  }

  RecordingDialogs dialogs;
};

}  // namespace lw::test
