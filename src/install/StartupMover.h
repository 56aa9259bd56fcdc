#pragma once
// Taking the start-up items of Windows over and registering the program itself.
//
// StartupMover keeps a snapshot of the values of both Run keys and of the files of the three
// Startup folders, checks that the user may change the machine's settings, writes and removes
// the program's own "LAUNCHWARD" values in the Run and RunOnce keys, and runs the take-over
// passes that move every item it has never seen into the store (through the item manager) and
// record it as new, and gives stored items back to Windows (restore).
//
// The take-over passes (DetectNewRunItems, DetectNewStartupItems, HasNewItems) live in
// StartupMoverTakeOver.cpp, the restore operations in StartupMoverRestore.cpp.

#include <cstdint>
#include <string>
#include <vector>

#include "items/ItemManager.h"
#include "platform/WinConst.h"
#include "store/Registry.h"
#include "util/CurrentUser.h"

namespace lw {

inline constexpr char kHKeyLocalMachineText[] = "HKEY_LOCAL_MACHINE";
// The switches of the program's own Run and RunOnce values, each with one blank either side.
inline constexpr char kGoSwitchData[] = " -go ";
inline constexpr char kPreSwitchData[] = " -pre ";

// A run-key item of the store: its stored name, its command with the value's type, and the user
// recorded for it (empty for the machine's items).
struct ManagedRunValue {
  std::string name;
  StringValue command;
  std::string user;
};

// A file of the shortcut store and the Startup folder it came from (the All Users one when
// none was recorded).
struct StoredShortcut {
  std::string path;
  std::string folder;
};

class StartupMover {
 public:
  // Takes both snapshots.
  StartupMover();

  // --- Snapshots ----------------------------------------------------------------------------
  // The values of the Run key of HKEY_CURRENT_USER, then those of HKEY_LOCAL_MACHINE, in the
  // order the registry returns them; values whose name is blank or whose data is empty are
  // not items.
  void LoadRunItems();
  // The files (not folders, not system files) of the user's, the All Users and the alternate
  // Startup folder, in that order and in listing order; a folder whose path equals one already
  // listed is not listed again.
  void LoadStartupItems();
  const RunKeyItemList& RunItems() const { return runItems_; }
  const StartupFolderItemList& StartupItems() const { return startupItems_; }
  int RunItemCount() const { return static_cast<int>(runItems_.size()); }
  const RunKeyItem& RunItem(int index) const { return runItems_.at(index); }
  int StartupItemCount() const { return static_cast<int>(startupItems_.size()); }
  const StartupFolderItem& StartupItem(int index) const { return startupItems_.at(index); }

  // --- Rights and registration --------------------------------------------------------------
  // Whether the program key, the Run key and the RunOnce key of HKEY_LOCAL_MACHINE can each be
  // written (a probe value written, read and deleted; the key created when missing), tested in
  // that order up to the first that cannot. failedLocation receives "HKEY_LOCAL_MACHINE" and
  // the path of the last key tested (on success too).
  bool CheckPermissions(std::string& failedLocation);
  // The executable the registrations below name: the running one, unless another copy is named
  // here (the copy under Program Files that Install made).
  void SetRegisteredProgram(const std::string& path) { registeredProgram_ = path; }
  // "LAUNCHWARD" = the quoted executable path + " -go " in the Run key under root; with
  // alsoRunOnce, then the start of the first phase: for the machine (root HKEY_LOCAL_MACHINE)
  // where UAC is on, the logon task (and no RunOnce value); elsewhere RegisterRunOnce(root)
  // (and, on Windows Vista and later, no logon task, so that one logon never starts the first
  // phase twice). Raises "Unable to open : " + key, or the logon task's error.
  void RegisterSelf(bool alsoRunOnce, HKey root);
  // "LAUNCHWARD" = the quoted executable path + " -pre " in the RunOnce key under root.
  void RegisterRunOnce(HKey root);
  // Removes "LAUNCHWARD" from the Run key (and with alsoRunOnce the RunOnce key and, on Windows
  // Vista and later, the logon task) of HKEY_LOCAL_MACHINE; a missing value, key or task is no
  // error.
  void UnregisterSelf(bool alsoRunOnce);
  // Removes "LAUNCHWARD" from the RunOnce key of HKEY_LOCAL_MACHINE alone.
  void UnregisterRunOnce();
  // Mounts the user's hive and removes "LAUNCHWARD" from its Run and RunOnce keys; nothing
  // happens when the hive cannot be mounted (the current user's own, which is in use).
  void UnregisterUser(const std::string& user);
  // Restore's end: removes every registration of the program's start at logon that it can
  // reach: "LAUNCHWARD" in the Run and RunOnce keys of the machine (both views on 64-bit
  // Windows), of the current user, of every hive Windows has loaded, of every profile in the
  // system's profile list (its hive mounted for the while) and of the named users' hives, and
  // the logon task. Returns the places where a registration stays (a value that would not go,
  // a task the Task Scheduler kept), each in words the user can look up.
  std::vector<std::string> UnregisterEverywhere(const std::vector<std::string>& users);
  bool IsSelfRegistered();
  // True when the shortcut store does not exist yet.
  bool IsFirstInstall();

  // --- Take-over passes ---------------------------------------------------------------------
  // Each item of the Run-key snapshot is taken over by its state (the item manager's
  // TakeOverRunItem); the new ones are recorded in "RunNewItems" and flagged by "NewRunItems".
  // The snapshot is taken again at the end.
  void DetectNewRunItems();
  // Each file of the Startup-folder snapshot: its origin recorded, then by its state moved into
  // the shortcut store (new, disabled) or removed from the folder when the store holds it
  // (managed, disabled; the stored one is never replaced); the new ones recorded in "StartupNew"
  // and flagged by "NewStartupItems". A file whose stored namesake came from another folder is left
  // where it is. The snapshot is taken again at the end.
  void DetectNewStartupItems();
  // True when either flag of new items is set; both flags are consumed.
  bool HasNewItems();

  // --- Restore ------------------------------------------------------------------------------
  // Every value of the store's "Run" key, in the order the registry returns them. A value that
  // is not text is listed with empty data (and so never written back).
  std::vector<ManagedRunValue> ManagedRunItems();
  // Every file of the shortcut store (not folders, not system files), in listing order.
  std::vector<StoredShortcut> StoredShortcuts();
  // Writes the stored item back into the Run key it came from (the machine's, the current
  // user's, or another user's through that user's hive) and reads it back. A value of that
  // name already there with other data is another program's (or a newer one of the same
  // program's) and is never replaced: the item is then not restored. False, with LastError()
  // saying why, when the item is not in its Run key now; the store is not changed either way.
  bool RestoreRunItem(const std::string& storedName, const StringValue& command);
  // Moves the stored shortcut into the Startup folder it came from, or into the All Users
  // Startup folder when that cannot be done (the folder is gone, or another file of that name
  // is there). A file at the target is never replaced. False, with LastError() set, when the
  // shortcut stays in the store.
  bool RestoreStartupItem(const std::string& fileName);
  const std::string& LastError() const { return lastError_; }
  // Forgets the restored items: their commands leave the store's "Run" key, their entries the
  // run order; the start order loses the shortcuts that are no longer in the store. A restored
  // item also loses its disabled mark: it is Windows' again, and a later Install must not take
  // it over as disabled and remove it from its Run key or Startup folder once more. What was not
  // restored stays where it was, and every other record (excluded, locations, pauses,
  // priorities) stays too. The snapshots are taken again.
  void ForgetRestoredItems(const std::vector<std::string>& restoredRunItems,
                           const std::vector<std::string>& restoredShortcuts = {});
  // The full uninstall: deletes the program key with everything below it and creates it again
  // empty, except the records of the items that stay stored (the store's "Run" values, their
  // order, disabled marks and origins, and the start order and origins of the shortcuts still
  // in the store), so that nothing that was not given back is lost. The current user's
  // per-user copy of the program key (what the runner learnt) is deleted whole.
  void DeleteProgramKey();

 private:
  // The values of the root's Run key, in the registry view (0 for the program's own).
  void AppendRunItems(HKey root, std::uint32_t view = 0);
  // Deletes the values that a rights check or probe cut short left in the Run keys walked.
  void RemoveProbeLeftovers();
  void AppendStartupItems(const std::string& folder, const std::string& user);
  // The names of the files of the folder that can be start-up items: not folders, not system
  // files; empty when the folder cannot be listed.
  static std::vector<std::string> ListItemFiles(const std::string& folder);
  // The quoted path of the running executable followed by the switch data.
  std::string SelfCommand(const char* switchData) const;
  std::string RegisteredProgram() const;

  Registry registry_;
  std::string registeredProgram_;
  std::string lastError_;
  RunKeyItemList runItems_;
  StartupFolderItemList startupItems_;
};

// The responsive pause: whole 100 ms sleeps (at least one) with the window messages handled
// before each, until the time is used up, AbortPause is called or the program is terminating.
// A pause of 0 or less only clears the abort request.
void PauseMs(std::int32_t milliseconds);
// Ends the running (or next) PauseMs after its current step.
void AbortPause();
// CurrentUserName (the logged-on user's name, or "UnknownUser") comes with CurrentUser.

}  // namespace lw
