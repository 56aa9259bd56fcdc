#pragma once
// Every start-up item where Windows keeps it (the Run keys' values with their types and bytes,
// the Startup folders' files with their bytes), for tests that compare the machine before and
// after a round trip through Launchward.

#include <cstdint>
#include <map>
#include <ostream>
#include <string>

#include "platform/Platform.h"
#include "store/SettingsStore.h"
#include "support/RawRegistry.h"
#include "support/TestEnv.h"

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

// The files of a folder (with a trailing backslash) and their bytes, by name.
inline std::map<std::string, std::string> FolderFiles(const std::string& folder) {
  std::map<std::string, std::string> files;
  FindData data;
  Handle find = Files().FindFirstFile(folder + "*", &data);
  if (find == kInvalidHandle) return files;
  do {
    if ((data.attributes & kFileAttributeDirectory) == 0)
      files[data.fileName] = ReadWholeFile(folder + data.fileName);
  } while (Files().FindNextFile(find, &data));
  Files().FindClose(find);
  return files;
}

// The items of both Run keys and of the two Startup folders (with trailing backslashes), the
// program's own registration left out.
inline WindowsItems TakeWindowsItems(const std::string& userFolder,
                                     const std::string& commonFolder) {
  WindowsItems items{RawValues(kHKeyLocalMachine, kRunKey), RawValues(kHKeyCurrentUser, kRunKey),
                     FolderFiles(userFolder), FolderFiles(commonFolder)};
  items.machineRun.erase(kSelfRunValue);
  items.userRun.erase(kSelfRunValue);
  return items;
}

}  // namespace lw::test
