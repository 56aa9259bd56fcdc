// Two versions of one item that differ: the stored command and another one found in its Run
// key (a program re-wrote its value with new arguments, or the user put another command there
// while the item was stored), or the stored shortcut and another of the same name put in its
// Startup folder. Neither is thrown away: the one that is not kept in place is stored beside it
// as a disabled item of its own, and the error log names both.

#include "items/ItemManager.h"
#include "platform/Platform.h"
#include "store/SettingsStore.h"
#include "util/Error.h"
#include "util/ErrorLog.h"
#include "util/ExecutablePath.h"
#include "util/FileIdentity.h"
#include "util/SpecialFolders.h"
#include "util/Text.h"

namespace lw {

namespace {

bool StoreHolds(const std::string& key, const std::string& name) {
  return SharedRegistry().ValueExistsAt(kProgramRoot, key, name);
}

std::string StoreText(const std::string& key, const std::string& name) {
  try {
    return SharedRegistry().GetStringAt(kProgramRoot, key, name);
  } catch (const Error&) {
    return std::string();  // not text: no command of anybody's
  }
}

// The k-th name beside the stored name: "Tool (2)", "bob_Tool (2)", and for the machine's
// 64-bit view "Tool (2) (64-bit)", so that the copy's own value name still tells its view.
std::string BesideName(const std::string& storedName, int k) {
  const bool view64 = HasView64Mark(storedName);
  return WithoutView64Mark(storedName) + " (" + std::to_string(k) + ")" +
         (view64 ? std::string(kView64Mark) : std::string());
}

}  // namespace

std::string ItemManager::KeepOtherRunVersion(const std::string& storedName, const RunOrigin& origin,
                                             const StringValue& other, const std::string& kept) {
  std::string name;
  for (int k = 2;; ++k) {
    name = BesideName(storedName, k);
    // A copy of this very version kept earlier is kept once.
    if (StoreText(kRunDisabledKey, name) == other.text ||
        StoreText(kRunItemsKey, name) == other.text) {
      return name;
    }
    if (!StoreHolds(kRunItemsKey, name) && !StoreHolds(kRunDisabledKey, name) &&
        GetRunLocationHKey(name) == -1 && !RunOrderHolds(name)) {
      break;
    }
  }
  // Where it came from first, so that Restore and Exclude give it back to the same Run key.
  registry_.PutString(kRunLocationKey, true, name,
                      origin.root == kHKeyCurrentUser ? origin.user : std::string());
  registry_.PutInteger(kRunLocationKey, true, name + kHKeySuffix, StoredRoot(origin.root));
  if (origin.view == kKeyWow64_64Key)
    registry_.PutInteger(kRunLocationKey, true, name + kViewSuffix, kStoredView64);
  registry_.PutString(kRunItemsKey, true, name, other);
  registry_.PutString(kRunDisabledKey, true, name, other);
  SharedErrorLog().TryWrite("Run key item " + storedName + ": two versions differ, " + kept +
                            " and " + other.text + "; the second is kept beside it, disabled, as " +
                            name);
  return name;
}

bool ItemManager::KeepOtherStartupVersion(const std::string& path, const std::string& folder) {
  const std::string fileName = ExtractFileName(path);
  const std::string store = IncludeTrailingBackslash(GetShortcutStoreFolder());
  const std::string::size_type dot = fileName.find_last_of('.');
  const std::string stem = dot == std::string::npos ? fileName : fileName.substr(0, dot);
  const std::string extension = dot == std::string::npos ? std::string() : fileName.substr(dot);
  std::string besidePath;
  for (int k = 2;; ++k) {
    besidePath = store + stem + " (" + std::to_string(k) + ")" + extension;
    if (Files().GetFileAttributes(besidePath) == kInvalidFileAttributes) break;
    // This very version was kept earlier: the copy in the folder is one too many.
    if (FileExists(besidePath) && SameContent(path, besidePath)) {
      Files().DeleteFile(path);
      return true;
    }
  }
  if (!Files().CopyFile(path, besidePath, true)) return false;
  if (!SameContent(path, besidePath)) {
    DiscardCopy(besidePath);
    return false;
  }
  try {
    SetStartupLocation(besidePath, folder);
    DisableStartupItem(besidePath);
  } catch (const Error&) {
    // Unlisted, the copy would be nobody's: it goes, and the file stays in its folder.
    DiscardCopy(besidePath);
    throw;
  }
  if (!Files().DeleteFile(path)) return false;
  SharedErrorLog().TryWrite("Startup item " + store + fileName + ": another version of it, " +
                            path + ", is kept beside it, disabled, as " + besidePath);
  return true;
}

}  // namespace lw
