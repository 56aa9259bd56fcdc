#pragma once
// Readers of the places the demo looks at: registry keys, folders, the program key's sort lists,
// the Startup folders and Launchward's shortcut store.

#include <string>
#include <vector>

#include "platform/WinConst.h"

namespace lw::demo {

struct NamedValue {
  std::string name;
  std::string data;
};

// The values of a key in the registry's order; a value that is not text reads as
// "(not text)". Empty when the key is missing.
std::vector<NamedValue> ReadValues(HKey root, const std::string& path);
bool HasValue(HKey root, const std::string& path, const std::string& name);
// The files of a folder (with a trailing backslash), sub-folders left out.
std::vector<std::string> FolderFiles(const std::string& folder);
bool HasFile(const std::string& folder, const std::string& name);
// The entries "0" .. SortIndex - 1 of a sort list under the program key.
std::vector<std::string> SortEntries(const std::string& sortKeyName);

// The Startup folders, with a trailing backslash (created when missing); raises Error when the
// shell gives none.
std::string UserStartupFolder();
std::string CommonStartupFolder();
// launchward.exe's shortcut store: "Startup\" beside it.
std::string ShortcutStoreOf(const std::string& launchward);

}  // namespace lw::demo
