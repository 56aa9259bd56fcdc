#pragma once
// A machine whose items were taken over, for the restore tests: the take-over fixture with the
// dialog service recorded, and helpers that take a picture of every item as Windows had it
// (names, data, types, shortcut bytes) to compare after a restore.

#include <map>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "install/RestoreWindow.h"
#include "items/ItemManager.h"
#include "support/RecordingDialogs.h"
#include "support/TakeOverFixture.h"

namespace lw::test {

// A Run value as Windows sees it: its type and data bytes.
struct RawValue {
  std::uint32_t type = 0;
  std::string bytes;
  bool operator==(const RawValue&) const = default;
};

inline std::map<std::string, RawValue> RawValues(HKey root, const std::string& key) {
  std::map<std::string, RawValue> values;
  for (const std::string& name : RawValueNames(root, key)) {
    RawValue value;
    GetRaw(root, key, name, &value.type, &value.bytes);
    values[name] = value;
  }
  return values;
}

// Every item where Windows keeps it.
struct WindowsItems {
  std::map<std::string, RawValue> machineRun;
  std::map<std::string, RawValue> userRun;
  std::map<std::string, std::string> userFolder;
  std::map<std::string, std::string> commonFolder;
  bool operator==(const WindowsItems&) const = default;
};

// Failure messages show the names and the size of each item.
inline void PrintTo(const WindowsItems& items, std::ostream* out) {
  auto values = [&](const char* what, const std::map<std::string, RawValue>& map) {
    *out << what << ":";
    for (const auto& [name, value] : map)
      *out << " [" << name << " " << value.type << " " << value.bytes.c_str() << "]";
    *out << "\n";
  };
  auto files = [&](const char* what, const std::map<std::string, std::string>& map) {
    *out << what << ":";
    for (const auto& [name, bytes] : map) *out << " [" << name << " " << bytes.size() << " bytes]";
    *out << "\n";
  };
  values("machine Run", items.machineRun);
  values("user Run", items.userRun);
  files("user Startup", items.userFolder);
  files("All Users Startup", items.commonFolder);
}

inline std::map<std::string, std::string> FolderFiles(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const std::string& name : FolderNames(folder)) files[name] = ReadWholeFile(folder + name);
  return files;
}

// Failure messages show both texts.
inline ::testing::AssertionResult Contains(const std::string& text, const std::string& part) {
  if (text.find(part) != std::string::npos) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "\"" << text << "\"\ndoes not contain\n\"" << part << "\"";
}

class RestoreFixture : public TakeOverFixture {
 protected:
  WindowsItems Picture() const {
    WindowsItems items{RawValues(kHKeyLocalMachine, kRunKey), RawValues(kHKeyCurrentUser, kRunKey),
                       FolderFiles(userFolder), FolderFiles(commonFolder)};
    items.machineRun.erase(kSelfRunValue);
    items.userRun.erase(kSelfRunValue);
    return items;
  }

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
