#include "DemoMachine.h"

#include <algorithm>

#include "platform/Platform.h"
#include "store/SettingsStore.h"
#include "util/Error.h"
#include "util/Text.h"

namespace lw::demo {

namespace {

void CreateFolders(const std::string& folder) {
  std::string path = folder;
  while (!path.empty() && path.back() == '\\') path.pop_back();
  if (path.empty() || Files().GetFileAttributes(path) != kInvalidFileAttributes) return;
  const std::size_t slash = path.find_last_of('\\');
  if (slash != std::string::npos) CreateFolders(path.substr(0, slash));
  if (!Files().CreateDirectory(path)) {
    throw Error("cannot create the folder " + path + " (error " +
                std::to_string(Sys().GetLastError()) + ")");
  }
}

std::string StartupFolder(int csidl, const char* what) {
  std::string folder;
  if (!Shell().GetSpecialFolderPath(csidl, &folder) || TrimBlanks(folder).empty()) {
    throw Error(std::string("the shell gives no path for the ") + what);
  }
  folder = IncludeTrailingBackslash(folder);
  CreateFolders(folder);
  return folder;
}

}  // namespace

std::vector<NamedValue> ReadValues(HKey root, const std::string& path) {
  Registry reg;
  std::vector<std::string> names;
  reg.ListValueNamesAt(root, path, names);
  std::vector<NamedValue> values;
  for (const std::string& name : names) {
    std::string data;
    try {
      data = reg.GetStringAt(root, path, name);
    } catch (const Error&) {
      data = "(not text)";
    }
    values.push_back({name, data});
  }
  return values;
}

bool HasValue(HKey root, const std::string& path, const std::string& name) {
  const std::vector<NamedValue> values = ReadValues(root, path);
  return std::any_of(values.begin(), values.end(),
                     [&](const NamedValue& value) { return SameText(value.name, name); });
}

std::vector<std::string> FolderFiles(const std::string& folder) {
  std::vector<std::string> files;
  FindData found;
  const Handle find = Files().FindFirstFile(folder + "*", &found);
  if (find == kInvalidHandle) return files;
  do {
    if ((found.attributes & kFileAttributeDirectory) == 0) files.push_back(found.fileName);
  } while (Files().FindNextFile(find, &found));
  Files().FindClose(find);
  return files;
}

bool HasFile(const std::string& folder, const std::string& name) {
  const std::vector<std::string> files = FolderFiles(folder);
  return std::any_of(files.begin(), files.end(),
                     [&](const std::string& file) { return SameText(file, name); });
}

std::vector<std::string> SortEntries(const std::string& sortKeyName) {
  Registry reg;
  const std::string path = std::string(kProgramKey) + "\\" + sortKeyName;
  const std::int32_t count = reg.GetIntegerAt(kHKeyLocalMachine, path, kSortIndexValue);
  std::vector<std::string> entries;
  for (std::int32_t i = 0; i < count; ++i) {
    entries.push_back(reg.GetStringAt(kHKeyLocalMachine, path, std::to_string(i)));
  }
  return entries;
}

std::string UserStartupFolder() { return StartupFolder(kCsidlStartup, "user's Startup folder"); }

std::string CommonStartupFolder() {
  return StartupFolder(kCsidlCommonStartup, "All Users Startup folder");
}

std::string ShortcutStoreOf(const std::string& launchward) {
  return launchward.substr(0, launchward.find_last_of('\\') + 1) + "Startup\\";
}

}  // namespace lw::demo
