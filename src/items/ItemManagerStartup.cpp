// The startup-folder half of the item manager, and the move of a shortcut into the Run key.
//
// A shortcut lives in exactly one folder at a time: a Startup folder (new or excluded items) or
// the shortcut store (managed or disabled items). Moving it is a copy that never replaces what
// is at the target, followed by the deletion of the source only when the copy is whole, and the
// store's lists are changed only once the file is where they say it is.

#include "items/ItemManager.h"

#include "platform/Platform.h"
#include "store/SettingsStore.h"
#include "util/CommandLine.h"
#include "util/CurrentUser.h"
#include "util/Error.h"
#include "util/ExecutablePath.h"
#include "util/FileIdentity.h"
#include "util/SpecialFolders.h"
#include "util/Text.h"

namespace lw {

namespace {

// Startup order entries never written by a user: a rewrite with it removes nothing.
constexpr char kNoSuchEntry[] = "thisitemdoesnotexistever";

std::string StartupSortEntry(std::int32_t index) { return GetStartupSortEntry(index); }

}  // namespace

std::string ItemManager::IncludeStartupItem(const std::string& path, std::string* failure) {
  const std::string fileName = ExtractFileName(path);
  const std::string store = IncludeTrailingBackslash(GetShortcutStoreFolder());
  if (!FileExists(path)) {
    registry_.TakeString(kStartupExcludeKey, fileName);
    AddToStartupSort(store + fileName);
    return std::string();
  }
  // A shortcut that cannot be moved stays in its folder, still new: nothing may refer to a
  // store copy that is not there.
  if (!MoveFileToFolder(path, store, failure)) return std::string();
  const std::string storedPath = store + fileName;
  const std::string excludedAs =
      SharedRegistry().GetStringAt(kProgramRoot, kStartupExcludeKey, fileName);
  try {
    registry_.TakeString(kStartupExcludeKey, fileName);
    AddToStartupSort(storedPath);
  } catch (const Error&) {
    // In the store but in no list, nobody would ever see the shortcut again: back it goes to
    // the folder it came from, with its exclusion mark when it had one, so that it is where it
    // was.
    MoveFileToFolder(storedPath, path.substr(0, path.size() - fileName.size()));
    if (!excludedAs.empty()) {
      try {
        registry_.PutString(kStartupExcludeKey, true, fileName, excludedAs);
      } catch (const Error&) {
        // Unmarked, it is taken over at the next logon: still the user's item, and listed.
      }
    }
    throw;
  }
  return storedPath;
}

std::string StartupOriginFolder(const std::string& storePath) {
  std::string folder;
  try {
    folder = GetStartupLocation(storePath);
  } catch (const Error&) {
    // A record that is not text names no folder.
  }
  return folder.empty() ? SharedSpecialFolders().GetCommonStartupFolder() : folder;
}

void ItemManager::ExcludeStartupItem(const std::string& storePath) {
  const std::string fileName = ExtractFileName(storePath);
  const std::string stored = IncludeTrailingBackslash(GetShortcutStoreFolder()) + fileName;
  // Back to the Startup folder it came from: a user's own shortcut never becomes everyone's.
  const std::string folder = StartupOriginFolder(stored);
  const bool moved = FileExists(stored);
  if (moved && !FolderExists(folder)) {
    throw Error("Unable to move " + stored + " to " + folder + " : the folder is not there");
  }
  std::string failure;
  if (moved && !MoveFileToFolder(stored, folder, &failure)) throw Error(failure);
  try {
    registry_.PutString(kStartupExcludeKey, true, fileName,
                        IncludeTrailingBackslash(folder) + fileName);
  } catch (const Error&) {
    // Unmarked, the shortcut would be taken over again as if new: it goes back to the store,
    // where its entries still are.
    if (moved)
      MoveFileToFolder(IncludeTrailingBackslash(folder) + fileName, GetShortcutStoreFolder());
    throw;
  }
  registry_.TakeString(kStartupDisableKey, fileName);
  RemoveFromStartupSort(storePath);
}

void ItemManager::DisableStartupItem(const std::string& path) {
  registry_.PutString(kStartupDisableKey, true, ExtractFileName(path), path);
  std::int32_t count = GetStartupSortCount();
  for (std::int32_t index = 0; index < count; ++index) {
    try {
      if (SameText(StartupSortEntry(index), path)) {
        RemoveSortEntry(registry_, kStartupSortName, index);
      }
    } catch (const Error&) {
      // An entry that cannot be read or removed stays; the item is disabled all the same,
      // since disabled wins over sorted for shortcuts.
    }
  }
  RewriteStartupSort();
}

void ItemManager::EnableStartupItem(const std::string& path) {
  // Into the order first: the disable mark goes only when the item is listed again.
  AddToStartupSort(path);
  registry_.TakeString(kStartupDisableKey, ExtractFileName(path));
}

void ItemManager::AddToStartupSort(const std::string& path) {
  const std::string wanted = LowerCase(ExtractFileName(path));
  std::int32_t count = GetStartupSortCount();
  for (std::int32_t index = 0; index < count; ++index) {
    if (LowerCase(ExtractFileName(StartupSortEntry(index))) == wanted) return;
  }
  AppendSortEntry(kStartupSortName, path);
}

void ItemManager::RemoveFromStartupSort(const std::string& path) {
  // An absent count walks nothing; missing entries are kept as empty ones so that the order
  // keeps its shape.
  std::int32_t count =
      SharedRegistry().GetIntegerAt(kProgramRoot, kStartupSortKey, kSortIndexValue);
  std::vector<std::string> entries;
  for (std::int32_t index = 0; index < count; ++index) {
    std::string entry = StartupSortEntry(index);
    if (path.empty() || entry != path) entries.push_back(entry);
  }
  SaveSortOrder(registry_, kStartupSortName, entries);
}

void ItemManager::RewriteStartupSort() { RemoveFromStartupSort(kNoSuchEntry); }

void ItemManager::RelocateExcludedStartupItem(const std::string& fileName) {
  const SpecialFolders& paths = SharedSpecialFolders();
  for (const std::string& folder : {paths.GetUserStartupFolder(), paths.GetCommonStartupFolder(),
                                    paths.GetAltStartupFolder()}) {
    if (folder.empty()) continue;
    std::string candidate = IncludeTrailingBackslash(folder) + fileName;
    if (FileExists(candidate)) {
      registry_.PutString(kStartupExcludeKey, true, fileName, candidate);
      return;
    }
  }
}

bool ItemManager::MoveFileToFolder(const std::string& source, const std::string& folder,
                                   std::string* failure) {
  const std::string fileName = ExtractFileName(source);
  const std::string target = IncludeTrailingBackslash(folder) + fileName;
  const auto fail = [&](const std::string& reason) {
    if (failure != nullptr) *failure = "Unable to move " + source + " to " + folder + reason;
    return false;
  };
  if (!FileExists(source)) return fail(std::string());
  // The file is there already, spelt another way (letter case, a short name, a mapped drive):
  // there is nothing to copy, and deleting the "source" would delete the file itself.
  if (SameFile(source, target)) return true;
  if (Files().GetFileAttributes(target) != kInvalidFileAttributes) {
    // A whole copy of this very file, left by a move cut short after its copy: the move is
    // finished by removing the source. Anything else there belongs to somebody else (another
    // program's shortcut of the same name) and is never replaced.
    if (!FileExists(target) || !SameContent(source, target)) {
      return fail(" : another file named " + fileName + " is already there");
    }
    return Files().DeleteFile(source) || fail(std::string());
  }
  // Refusing to overwrite: a file that appears at the target meanwhile is left alone.
  if (!Files().CopyFile(source, target, true)) return fail(std::string());
  // The source goes only once its copy is whole; otherwise the copy goes, and the file stays
  // where it was.
  if (!SameContent(source, target) || !Files().DeleteFile(source)) {
    DiscardCopy(target);
    return fail(std::string());
  }
  return true;
}

bool ItemManager::MoveShortcutToRunKey(const std::string& shortcutPath, std::string& target,
                                       bool resolveOnly) {
  std::string linkTarget;
  std::string foundName;
  if (Shell().LoadShellLink(shortcutPath, kSlgpShortPath, &linkTarget, &foundName) != kSOk) {
    return false;
  }
  target = linkTarget;
  if (resolveOnly) return true;
  if (linkTarget.empty() || foundName.empty()) {
    throw Error("Unable to find the program that " + shortcutPath + " starts");
  }
  // A user's own shortcut stays that user's: it becomes the user's item, not everyone's.
  const std::string owner = StartupFolderOwner(StartupOriginFolder(shortcutPath));
  const bool personal = !owner.empty();
  const std::string storedName = personal ? owner + "_" + foundName : foundName;
  const std::string command = QuoteProgramPart(linkTarget);
  // The new item is named after the program's file name: a value of the Run key it goes to or a
  // stored item (managed or disabled) of that name already belongs to another item, whose
  // command it would overwrite.
  Registry& store = SharedRegistry();
  const bool valueThere = personal ? SameText(owner, CurrentUserName()) &&
                                         store.ValueExistsAt(kHKeyCurrentUser, kRunKey, foundName)
                                   : store.ValueExistsAt(kHKeyLocalMachine, kRunKey, foundName);
  if (valueThere || store.ValueExistsAt(kProgramRoot, kRunItemsKey, storedName) ||
      store.ValueExistsAt(kProgramRoot, kRunDisabledKey, storedName)) {
    throw Error("A start-up item named " + foundName + " already exists");
  }
  try {
    DisableStartupItem(shortcutPath);
    if (personal) {
      AddUserRunItem(owner, storedName, command);
    } else {
      registry_.PutStringAt(kHKeyLocalMachine, kRunKey, true, foundName, command);
      IncludeRunItem(foundName, std::string(), false);
    }
  } catch (const Error&) {
    // Until the new item is in the run order, the move is undone: the value written for it
    // goes (nobody else's can be there: a namesake refused the move above), and the shortcut
    // goes back into the start order. Once it is in the order, the move has happened.
    try {
      if (!RunOrderHolds(storedName)) {
        if (store.GetStringAt(kProgramRoot, kRunItemsKey, storedName) == command) {
          registry_.RemoveValue(kRunItemsKey, storedName);
        }
        if (!personal && store.GetStringAt(kHKeyLocalMachine, kRunKey, foundName) == command) {
          registry_.RemoveValueAt(kHKeyLocalMachine, kRunKey, foundName);
        }
        if (store.ValueExistsAt(kProgramRoot, kStartupDisableKey, ExtractFileName(shortcutPath))) {
          EnableStartupItem(shortcutPath);
        }
      }
    } catch (const Error&) {
    }
    throw;
  }
  // A sort entry whose deletion the registry refused without a word still lists the shortcut.
  if (StartupOrderHolds(shortcutPath)) DisableStartupItem(shortcutPath);
  return true;
}

}  // namespace lw
