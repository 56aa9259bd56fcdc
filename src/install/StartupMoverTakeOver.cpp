// The take-over passes of a logon's first start ("-pre").
//
// Each pass walks its snapshot in order and hands every item to the item manager by the state
// the store gives it; what the store has never seen is recorded as new ("RunNewItems",
// "StartupNew", with the flags "NewRunItems" and "NewStartupItems") so that the edit window
// can mark it and the "-go" start can announce it.
//
// The records are written item by item, right after each take-over: when a later item fails
// half-way through the pass (a key that cannot be written), the items already moved are still
// known as new. Whether the records of the last pass are dropped is decided once, before the
// first item: they are dropped when the "-go" start consumed the flag, and added to when the
// flag survived.

#include <exception>
#include <string>

#include "install/StartupMover.h"
#include "items/ItemManager.h"
#include "items/StartupApproval.h"
#include "platform/Platform.h"
#include "store/HeldSortOrders.h"
#include "store/SettingsStore.h"
#include "store/StoreLock.h"
#include "ui/Options.h"
#include "ui/Policies.h"
#include "util/Error.h"
#include "util/ErrorLog.h"
#include "util/ExecutablePath.h"
#include "util/FileIdentity.h"
#include "util/SpecialFolders.h"
#include "util/Text.h"

namespace lw {

namespace {

bool IsFolder(const std::string& path) {
  std::uint32_t attributes = Files().GetFileAttributes(path);
  return attributes != kInvalidFileAttributes && (attributes & kFileAttributeDirectory) != 0;
}

// The shortcut store with its trailing backslash, created when it is missing.
std::string EnsureShortcutStore() {
  std::string store = IncludeTrailingBackslash(GetShortcutStoreFolder());
  std::string folder = store.substr(0, store.size() - 1);
  if (!IsFolder(folder) && !Files().CreateDirectory(folder)) {
    std::uint32_t code = Sys().GetLastError();
    throw Error("Unable to create the folder " + folder + " : " + SystemErrorText(code));
  }
  return store;
}

bool SameFolder(const std::string& a, const std::string& b) {
  return SameText(IncludeTrailingBackslash(a), IncludeTrailingBackslash(b));
}

// The store is flat: two Startup folders may hold files of the same name, and the store keeps
// one of them. Once that one is stored (managed or disabled), a namesake from another folder
// is left where it is; taking it would replace the stored copy or delete the namesake, and
// one of the two programs would be lost.
bool NamesakeStoredFromElsewhere(ItemState state, const std::string& storePath,
                                 const std::string& folder) {
  if (state != ItemState::kDisabled && state != ItemState::kSorted) return false;
  if (!FileExists(storePath)) return false;
  std::string origin = GetStartupLocation(storePath);
  return !origin.empty() && !SameFolder(origin, folder);
}

// Runs the take-over of one item. When it raises half-way, the item is still recorded as new
// if it already reached the store, so that nothing the user has not seen goes unannounced;
// the error then goes on to the caller unchanged.
template <class TakeOver, class Reached, class Record>
void TakeOverNewItem(TakeOver takeOver, Reached reachedStore, Record record) {
  try {
    takeOver();
  } catch (...) {
    std::exception_ptr failure = std::current_exception();
    try {
      if (reachedStore()) record();
    } catch (...) {
      // The store cannot be written either: the first error is the one to tell.
    }
    std::rethrow_exception(failure);
  }
}

// A shortcut that cannot be moved stays where it is for the next logon; the log says why (a
// namesake in the store, a file another program holds open).
void LogMoveFailure(const std::string& failure) {
  if (!failure.empty()) SharedErrorLog().TryWrite(failure);
}

// Moves the file into the store and disables it there. It does not join the start order on the
// way (as including it and then disabling it would), so that no failure half-way can leave it
// to be started. When the store cannot record it, the file goes back to its folder, where the
// next pass finds it. False when the file could not be moved.
bool StoreDisabled(ItemManager& manager, const StartupFolderItem& item, const std::string& store) {
  std::string failure;
  if (!manager.MoveFileToFolder(item.path, store, &failure)) {
    LogMoveFailure(failure);
    return false;
  }
  const std::string storePath = store + ExtractFileName(item.path);
  try {
    manager.DisableStartupItem(storePath);
  } catch (...) {
    manager.MoveFileToFolder(storePath, item.folder);
    throw;
  }
  return true;
}

// The file a shortcut starts; empty when it does not load as a shortcut.
std::string ShortcutTarget(const std::string& path) {
  std::string target;
  if (Shell().LoadShellLink(path, 0, &target, nullptr) != kSOk) return std::string();
  return target;
}

// Whether a program re-created its shortcut for a new place (an update moved it): the stored
// shortcut starts a file that is gone, the new one a file that is there.
bool ProgramMoved(const std::string& storePath, const std::string& newPath) {
  const std::string stored = ShortcutTarget(storePath);
  const std::string now = ShortcutTarget(newPath);
  return !stored.empty() && !now.empty() && !SameText(stored, now) && !FileExists(stored) &&
         FileExists(now);
}

// Where a new shortcut is copied and checked before it takes a stored one's place.
constexpr char kStagedSuffix[] = ".launchward-new";

// The new shortcut takes the stored one's place, which keeps its entries in the lists. It is
// copied beside the stored one and checked first, then put in its place in one step: a copy that
// fails half-way never damages the stored shortcut, and the new one leaves its folder only once
// it is stored whole.
void ReplaceStoredShortcut(const std::string& newPath, const std::string& storePath) {
  const std::string before = ShortcutTarget(storePath);
  const std::string staged = storePath + kStagedSuffix;
  // Left by a replacement cut short: it is the program's own, and never in any list.
  if (Files().GetFileAttributes(staged) != kInvalidFileAttributes) DiscardCopy(staged);
  if (!Files().CopyFile(newPath, staged, true)) {
    DiscardCopy(staged);
    return;
  }
  if (!SameContent(newPath, staged) || !Files().MoveFileReplacing(staged, storePath)) {
    DiscardCopy(staged);
    return;
  }
  Files().DeleteFile(newPath);
  SharedErrorLog().TryWrite("Startup item " + storePath + ": the program of " + before +
                            " is gone; the shortcut to " + ShortcutTarget(storePath) +
                            " replaces it");
}

}  // namespace

void StartupMover::DetectNewRunItems() {
  // Another session's pass or edit window changes the same store: one at a time, and each
  // pass reads the store afresh for every item once it has the lock; only the orders, which
  // every item is looked up in, are read once and kept in step as the pass appends to them.
  StoreLock lock;
  HeldSortOrders orders;
  RemoveProbeLeftovers();
  if (registry_.GetStringAt(kProgramRoot, kProgramKey, kNewRunItemsValue).empty()) {
    registry_.RecreateSubKeyAt(kProgramRoot, kProgramKey, kRunNewItemsName);
  }
  bool flagged = false;
  auto record = [this, &flagged](const RunKeyItem& item) {
    // A name too long to be stored (see TakeOverRunItem) stays with Windows, unrecorded.
    const std::string storedName = StoredItemName(item);
    if (storedName.size() > kMaxValueNameLength) return;
    registry_.PutStringAt(kProgramRoot, kRunNewItemsKey, true, storedName,
                          StringValue{item.command, item.type});
    if (flagged) return;
    registry_.PutStringAt(kProgramRoot, kProgramKey, true, kNewRunItemsValue, kNewRunItemsValue);
    flagged = true;
  };
  for (const RunKeyItem& item : runItems_) {
    // What the organisation keeps with Windows (a security agent, an accessibility tool that
    // must start at once) is never touched.
    if (PolicyNeverTakesOver(RunValueName(item))) continue;
    // The take-over of an earlier item may have removed this value already (a disabled item's
    // namesake in the other Run key): taking it over from the snapshot would bring back what
    // was just removed.
    bool present = false;
    {
      ScopedRegistryView inView(registry_, item.view);
      present = registry_.ValueExistsAt(item.root, kRunKey, RunValueName(item));
    }
    if (!present) continue;
    const std::string prefix = RunItemUserPrefix(item);
    const std::string owner = RunItemExcludeOwner(item);
    const ItemState state = GetRunItemState(item.name, prefix, owner);
    if (state != ItemState::kNew) {
      SharedItemManager().TakeOverRunItem(item, state);
      continue;
    }
    // A new value that another program guards ends excluded, yet it is new all the same.
    TakeOverNewItem([&] { SharedItemManager().TakeOverRunItem(item, state); },
                    [&] { return GetRunItemState(item.name, prefix, owner) != ItemState::kNew; },
                    [&] { record(item); });
    record(item);
  }
  LoadRunItems();
}

void StartupMover::DetectNewStartupItems() {
  StoreLock lock;
  HeldSortOrders orders;
  const std::string store = EnsureShortcutStore();
  if (registry_.GetStringAt(kProgramRoot, kProgramKey, kNewStartupItemsValue).empty()) {
    registry_.RecreateSubKeyAt(kProgramRoot, kProgramKey, kStartupNewName);
  }
  bool flagged = false;
  auto record = [this, &flagged](const std::string& fileName, const std::string& storePath) {
    registry_.PutStringAt(kProgramRoot, kStartupNewKey, true, fileName, storePath);
    if (flagged) return;
    registry_.PutStringAt(kProgramRoot, kProgramKey, true, kNewStartupItemsValue,
                          kNewStartupItemsValue);
    flagged = true;
  };
  ItemManager& manager = SharedItemManager();
  for (const StartupFolderItem& item : startupItems_) {
    // A file that left its folder since the snapshot is no longer there to take over.
    if (!FileExists(item.path)) continue;
    const std::string fileName = ExtractFileName(item.path);
    if (PolicyNeverTakesOver(fileName)) continue;
    const std::string storePath = store + fileName;
    const ItemState state = GetStartupItemState(fileName);
    if (NamesakeStoredFromElsewhere(state, storePath, item.folder)) continue;
    SetStartupLocation(storePath, item.folder);
    switch (state) {
      case ItemState::kNew: {
        // An empty path means the file could not be copied into the store: it stays in its
        // folder, still new, and the next logon tries again.
        std::string newPath;
        // A shortcut switched off in Task Manager is stored as disabled, as the user left it.
        const bool disable =
            SharedOptions().AutoDisable() ||
            ShortcutSwitchedOffInTaskManager(
                fileName, SameText(IncludeTrailingBackslash(item.folder),
                                   IncludeTrailingBackslash(
                                       SharedSpecialFolders().GetCommonStartupFolder())));
        TakeOverNewItem(
            [&] {
              if (!disable) {
                std::string failure;
                newPath = manager.IncludeStartupItem(item.path, &failure);
                LogMoveFailure(failure);
              } else if (StoreDisabled(manager, item, store)) {
                newPath = storePath;
              }
            },
            [&] { return FileExists(storePath) && !FileExists(item.path); },
            [&] { record(fileName, storePath); });
        if (!newPath.empty()) record(fileName, newPath);
        break;
      }
      case ItemState::kExcluded:
        break;
      // Put back while the store holds the item's shortcut: the copy in the folder goes, and
      // the stored one stays, unless its program is gone and the new one's is there (an update
      // that moved the program). A file that differs from the stored one is another version:
      // kept beside it, disabled. When the folder is the store spelt otherwise, the "copy" is
      // the stored file itself and stays.
      case ItemState::kDisabled:
      case ItemState::kSorted:
        if (FileExists(storePath)) {
          if (SameFile(item.path, storePath)) break;
          if (ProgramMoved(storePath, item.path)) {
            ReplaceStoredShortcut(item.path, storePath);
          } else if (SameContent(item.path, storePath)) {
            Files().DeleteFile(item.path);
          } else {
            manager.KeepOtherStartupVersion(item.path, item.folder);
          }
        } else if (state == ItemState::kDisabled) {
          StoreDisabled(manager, item, store);
        } else {
          std::string failure;
          manager.IncludeStartupItem(item.path, &failure);
          LogMoveFailure(failure);
        }
        break;
    }
  }
  LoadStartupItems();
}

bool StartupMover::HasNewItems() {
  // The flags are the program key's; with standard rights they cannot be consumed, only read.
  StoreLock lock(StoreLock::Need::kIfAvailable);
  bool found = registry_.ValueExistsAt(kProgramRoot, kProgramKey, kNewRunItemsValue) ||
               registry_.ValueExistsAt(kProgramRoot, kProgramKey, kNewStartupItemsValue);
  registry_.RemoveValueAt(kProgramRoot, kProgramKey, kNewRunItemsValue);
  registry_.RemoveValueAt(kProgramRoot, kProgramKey, kNewStartupItemsValue);
  return found;
}

}  // namespace lw
