#pragma once
// The start-up items and the one component that moves them between their states.
//
// A run-key item is a value of a Run key (its data is a command line); a startup-folder item
// is a file (normally a shortcut) in a Startup folder. Each is new (the store knows nothing of
// it), excluded (left to Windows), disabled (nobody starts it) or managed (in the run order;
// the runner starts it). ItemManager is the only code that changes those states: it writes
// the store's lists and moves values between the system Run keys and the store's "Run" key,
// and files between the Startup folders and the shortcut store.
//
// What the manager guarantees whatever fails half-way (a key that cannot be written, a file
// that cannot be copied): an item is never dropped. Every move writes the new place first and
// reads it back, and only then clears the old place, so a failure leaves the item where it
// was (or in both places), never in neither. Errors of string writes (the registry layer's
// "Unable to open : " + key, "Failed to set data for '...'") reach the caller, and the steps
// after them are not done.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/WinConst.h"
#include "store/Registry.h"
#include "store/SettingsStore.h"

namespace lw {

struct RunKeyItem {
  // The Run-key value name (in a snapshot of the Run keys) or the stored item name (in the
  // runner's list of managed items).
  std::string name;
  // The value's data: the command line.
  std::string command;
  // The owning user for a value of the user's own Run key; empty for HKEY_LOCAL_MACHINE and
  // when the user's name is unknown.
  std::string user;
  // The root the value was read from: kHKeyCurrentUser or kHKeyLocalMachine.
  HKey root = 0;
  // The value's type: kRegSz, or kRegExpandSz for a command Windows expands before it starts it.
  std::uint32_t type = kRegSz;
  // The view of the machine's Run key the value was read from: kOwnView (the program's, the
  // 32-bit one on 64-bit Windows), or kKeyWow64_64Key. A value of the 64-bit view is named as
  // the store knows it, followed by kView64Mark; RunValueName gives its own name.
  std::uint32_t view = 0;
  // The SID of the account whose Run key the value was read from (HKEY_CURRENT_USER only);
  // empty when it cannot be known. An account is its SID: two accounts may share a user name.
  std::string sid;
};

// Where a stored run-key item lives when Windows has it: the Run key of root (for
// HKEY_CURRENT_USER, the one of user; empty for the current user, also when the name was
// unknown) and the value's own name there, without the user prefix the store adds.
struct RunOrigin {
  HKey root = kHKeyLocalMachine;
  std::string user;
  std::string valueName;
  // For the machine's Run key: its view (0 for the program's own, or kKeyWow64_64Key).
  std::uint32_t view = 0;
  // For a user's Run key: the account's SID when it was recorded (its hive is found by it).
  std::string sid;
};

struct StartupFolderItem {
  // Folder + file name (snapshot), or the path in the shortcut store (runner's list).
  std::string path;
  // The folder the file was found in, with a trailing backslash (snapshot only).
  std::string folder;
  // The current user's name for the user's own Startup folder, empty otherwise (snapshot only).
  std::string user;
};

// Owning lists: the items live and die with the list.
using RunKeyItemList = std::vector<RunKeyItem>;
using StartupFolderItemList = std::vector<StartupFolderItem>;

// The user prefix of a run-key item: its user and "_" for a value of HKEY_CURRENT_USER with a
// known user, else empty. The stored item name is the prefix followed by the value name.
std::string RunItemUserPrefix(const RunKeyItem& item);
std::string StoredItemName(const RunKeyItem& item);
// The value's own name in its Run key (without the 64-bit view's mark).
std::string RunValueName(const RunKeyItem& item);
// Whether the name ends with the 64-bit view's mark, and the name without it.
bool HasView64Mark(const std::string& name);
std::string WithoutView64Mark(const std::string& name);
// The name "RunExclude" knows a machine value by: the 64-bit view's carry their mark.
std::string ExcludeName(const RunOrigin& origin);
// Whose exclusion of that name leaves the origin's value to Windows: kMachineExcludeOwner for
// the machine's Run key, the account's SID for a user's (the current account's when none was
// recorded); kExcludeMark, everybody's, for another account that cannot be told by its SID.
std::string ExcludeOwner(const RunOrigin& origin);
// The same for a value of the Run-key snapshot.
std::string RunItemExcludeOwner(const RunKeyItem& item);
// The origin of a stored item, from the root and user recorded when it was taken over. Without
// a record (items the store got before it kept them), a name that starts with the current
// user's prefix is the current user's value, and any other name the machine's.
RunOrigin RunItemOrigin(const std::string& storedName);
// The same from the item's "RunLocation" record as the caller has it: each part is asked for
// only when the origin depends on it (the root, the view of a machine item, the user and SID of
// a user's item).
struct RunLocationReader {
  std::function<std::int32_t()> root;  // -1 when absent
  std::function<std::int32_t()> view;  // -1 when absent
  std::function<std::string()> user;
  std::function<std::string()> sid;
};
RunOrigin RunItemOrigin(const std::string& storedName, const RunLocationReader& location);
// The account a stored run-key item belongs to: the SID recorded for a user's item (empty for a
// machine item and for a user's item stored before SIDs were kept).
std::string ItemAccountSid(const std::string& storedName);
// Whether the stored item is a user's item of the account the program acts for: the recorded
// SID decides; without one, the recorded user name does (see IsCurrentAccount). False for a
// machine item.
bool IsCurrentAccountsItem(const std::string& storedName);
// The Startup folder a stored shortcut (its path in the shortcut store) came from, as the
// take-over recorded it; the All Users one for a shortcut without a record.
std::string StartupOriginFolder(const std::string& storePath);
// Where an excluded item of that Run-key value name lives: the first of the places recorded for
// it (the current user's stored item, the plain name's, another user's) and then the machine's
// and the current user's Run key whose value holds text; command, when given, receives that
// text. When none holds it (the item is gone), the first place it was recorded in, else the
// machine's, with an empty command.
RunOrigin ExcludedRunItemOrigin(const std::string& valueName, StringValue* command = nullptr);

// One owner's exclusion, as the edit window lists it: the machine's value of that name, an
// account's, or (a mark written before owners were kept) everybody's, found where
// ExcludedRunItemOrigin finds it.
struct ExcludedRunItem {
  // The row's caption: the name "RunExclude" knows, with the user's prefix for a user's value
  // (the way stored items of users are named; the SID's when no user name is recorded for it).
  std::string caption;
  std::string excludeName;
  // ExcludeOwner's answer for the row (kExcludeMark for everybody's).
  std::string owner;
  RunOrigin origin;
  // What its Run key holds; empty when the value is gone (or its hive cannot be reached).
  StringValue command;
};
// The exclusions of that name, one per owner.
std::vector<ExcludedRunItem> ExcludedRunItemsOf(const std::string& excludeName);
// Every exclusion of "RunExclude" but the program's own value.
std::vector<ExcludedRunItem> ExcludedRunItems();

class ItemManager {
 public:
  ItemManager();

  // --- Run-key items ------------------------------------------------------------------------
  // One item of the Run-key snapshot, by its state (a value of the user's Run key whose account
  // is unknown, or whose stored name another account's item holds, is left with Windows and the
  // error log says why; see UserValueStaysWithWindows): a new one is taken into the store (or
  // excluded when its value is guarded), an excluded one excluded again, a disabled one
  // disabled again (its value leaves the Run keys), a managed one has its value removed from
  // the Run key. The stored command stays, unless its program can no longer be found while the
  // written-back command's can (an update moved the program): then the new command replaces
  // it, and the error log says so.
  void TakeOverRunItem(const RunKeyItem& item);
  // The same with the item's state already read (GetRunItemState of its value name and user
  // prefix), so that a pass that looked at it need not scan the run order again.
  void TakeOverRunItem(const RunKeyItem& item, ItemState state);
  // Whether the Run key under root refuses the program's changes: a throw-away value
  // (kProbeValue) cannot be written, read back and deleted there. The key's own values are
  // never touched, so a probe cut short loses nothing; a probe value left behind is never
  // taken over (the take-over pass removes it). A value that another program guards shows
  // when the take-over deletes it: it stays, or comes back, and the item is excluded.
  bool TestRunValue(HKey root, std::uint32_t view = 0);
  // Whether the item's value is (still, or again) in its Run key.
  bool RunValueStays(const RunKeyItem& item);
  // Whether the take-over leaves a value of the user's Run key with Windows, untouched: its
  // account is unknown (no SID), or the item stored under its name belongs to another account
  // of the same user name. The error log then says why.
  static bool UserValueStaysWithWindows(const RunKeyItem& item);
  // Marks the stored item excluded (under its value name) and gives its stored command back to
  // the Run key it came from (RunItemOrigin), with its type and under its own name: the
  // machine's, the current user's, or another user's, through that user's hive. A value of that
  // name already there is the program's current one and stays. Raises "Unable to open : " +
  // key, with the item still stored, when that Run key cannot be written (another user's hive
  // that is in use).
  void ExcludeRunItem(const std::string& storedName);
  // Moves the stored item prefix + name out of the run order into "RunDisabled" and deletes its
  // value from its own Run key (RunItemOrigin: the root, the view and the account it came
  // from), never a namesake of another root, view or account. An item of an account whose name
  // was unknown when it was stored touches no Run key.
  void DisableRunItem(const std::string& name, const std::string& userPrefix);
  // Moves a disabled item back to the end of the run order.
  void EnableRunItem(const std::string& storedName);
  // Takes the value name of a system Run key (the current user's when fromCurrentUser, else
  // HKEY_LOCAL_MACHINE's) into the store at the end of the run order, records where it came
  // from, and clears its exclusion. A machine name with the 64-bit view's mark that the
  // program's view does not hold is the 64-bit view's value.
  void IncludeRunItem(const std::string& name, const std::string& userPrefix, bool fromCurrentUser);
  // Rewrites "RunSort" without the entries that have no command in "Run" (and without gaps),
  // keeping the order of the others.
  void RebuildRunSort();
  // Appends an entry to a sort list of the program key (see SettingsStore); true when written.
  bool AppendSortEntry(const std::string& sortKeyName, const std::string& entry);

  // --- Startup-folder items -----------------------------------------------------------------
  // Moves the file into the shortcut store, clears its exclusion and appends it to the start
  // order. Returns the path in the store; empty when there was no file at path, and empty with
  // nothing changed when the file could not be moved (failure, when given, then says why; see
  // MoveFileToFolder).
  std::string IncludeStartupItem(const std::string& path, std::string* failure = nullptr);
  // Moves the stored shortcut back to the Startup folder it came from (StartupOriginFolder: a
  // user's own, another user's through that user's profile, the All Users one) and marks it
  // excluded. Raises, changing nothing, when it cannot go there: the folder is not there, or the
  // move fails (see MoveFileToFolder; another program's shortcut of the same name stays).
  void ExcludeStartupItem(const std::string& storePath);
  void DisableStartupItem(const std::string& path);
  void EnableStartupItem(const std::string& path);
  // Appends the path unless an entry with the same file name (any folder, any case) is there.
  void AddToStartupSort(const std::string& path);
  // Rewrites "StartupSort" without the entries equal to path (empty entries stay).
  void RemoveFromStartupSort(const std::string& path);
  // Rewrites "StartupSort" with the same entries.
  void RewriteStartupSort();
  // Records where an excluded shortcut of that file name lies now (user's, All Users' or the
  // alternate Startup folder, the first that has it).
  void RelocateExcludedStartupItem(const std::string& fileName);
  // Moves the file into the folder: a copy that refuses to overwrite, checked against the
  // source, then the source deleted (a copy whose source cannot be deleted is removed again).
  // True when the file is now in the folder: also when source already is the target under
  // another spelling (nothing is touched), and when the target already holds the same bytes (a
  // move cut short; the source goes). A different file of that name at the target is never
  // replaced. False when the file stays where it was (or, when even a copy cannot be removed,
  // is in both places); failure, when given, then receives "Unable to move " + source + " to "
  // + folder, followed by " : another file named " + the file name + " is already there" when
  // that is the reason.
  bool MoveFileToFolder(const std::string& source, const std::string& folder,
                        std::string* failure = nullptr);
  // Keeps the file at path (found in folder), a version of a stored shortcut of the same name
  // that differs from it, beside it in the shortcut store as a disabled item of its own ("Tool
  // (2).lnk", its folder recorded), and writes both to the error log; the file leaves its
  // folder. A copy of that very version kept earlier is enough: the file only leaves its folder.
  // False, with the file still in its folder, when it could not be copied or deleted.
  bool KeepOtherStartupVersion(const std::string& path, const std::string& folder);
  // Reads the shortcut's target (short form). Unless resolveOnly, the shortcut becomes a
  // run-key item named after the target's file name, with the target (quoted when it holds a
  // blank) as command, and the shortcut is disabled. A shortcut of everyone's Startup folder
  // becomes a value of the HKEY_LOCAL_MACHINE Run key, included; one of a user's own Startup
  // folder (StartupFolderOwner of where it came from) becomes that user's item, stored as the
  // user's ("<user>_<name>", its user recorded) so that it starts at that user's logon alone.
  // Returns false (target unchanged) when the file does not load as a shortcut. Before changing
  // anything, raises "A start-up item named " + name + " already exists" when the Run key it
  // would go to or the store already holds an item of that name, and an error when the shortcut
  // names no program.
  bool MoveShortcutToRunKey(const std::string& shortcutPath, std::string& target, bool resolveOnly);

  // Writes the command into the Run key of the origin (the machine's, the current user's, or
  // another user's through that user's hive) unless a value of that name is there, and returns
  // what the value holds afterwards, read back (empty when it is gone or not text). Raises
  // "Unable to open : " + key when that Run key cannot be written.
  StringValue WriteBackRunValue(const RunOrigin& origin, const StringValue& command);
  // What the value of the origin's Run key holds (empty when it is absent or not text). Raises
  // "Unable to open : " + key when another user's hive cannot be mounted.
  StringValue ReadOriginRunValue(const RunOrigin& origin);
  // Takes an excluded item back from the Run key it lives in (the machine's, the current
  // user's, or another user's hive) into the store at the end of the run order, under the
  // stored name of its user, with its type and its recorded location, and clears its exclusion.
  // An item no longer in that Run key only loses its exclusion mark. Returns the stored item
  // name it was taken in under; empty when it was gone.
  std::string IncludeExcludedRunItem(const RunOrigin& origin);
  // A new item of the current user's (the New Item command): the command goes straight into
  // the store under the user's stored name, recorded as the user's, at the end of the run
  // order, so that Restore gives it to the user's Run key. Should a change fail half-way, the
  // stored command is taken out again unless the item joined the order, and the error raised.
  // The command's program part is quoted when it holds a blank (QuoteProgramPart).
  void AddNewRunItem(const std::string& storedName, const std::string& command);
  // The same for the user's item (empty: the current user's, whose name is unknown).
  void AddUserRunItem(const std::string& user, const std::string& storedName,
                      const std::string& command);

 private:
  // Reads and deletes the item's value from the Run key (and view) it was read from.
  void TakeRunValue(const RunKeyItem& item);
  void ExcludeStoredRunItem(const std::string& storedName, const RunOrigin& origin);
  // Deletes the exclusion mark of an item being included, before its value leaves its Run key:
  // a mark left behind once the value is gone would send the next include to a namesake in
  // another Run key. Only the owner's exclusion goes (an everybody's mark goes whole). Raises
  // "Unable to include " + the name when the mark stays.
  void ClearExclusion(const std::string& excludeName, const std::string& owner);
  // Adds the owner to, or takes it out of, the exclusion of that name, as far as it can.
  void MarkExcluded(const std::string& excludeName, const std::string& owner);
  void DropExclusion(const std::string& excludeName, const std::string& owner);
  // Records whose the stored item is: root, user, SID (when known) and the 64-bit view.
  void RecordRunLocation(const std::string& storedName, HKey root, const std::string& user,
                         const std::string& sid, bool view64);
  // Writes the command into the origin's Run key unless a value of that name is there.
  // Stores other, a version of the stored item that differs from the kept one, beside it as a
  // disabled item of its own ("Tool (2)", the origin recorded), unless such a copy is stored
  // already, and writes both versions to the error log. Returns the copy's stored name.
  std::string KeepOtherRunVersion(const std::string& storedName, const RunOrigin& origin,
                                  const StringValue& other, const std::string& kept);
  // Raises, changing nothing, for an item of an unknown account (no Run key is known to be its).
  // Returns what the value holds afterwards.
  StringValue GiveBackRunValue(const RunOrigin& origin, const StringValue& command);
  // Deletes the stored item's value from its own Run key; another user's hive that cannot be
  // mounted is noted in the error log.
  void RemoveOwnRunValue(const std::string& storedName);
  // Runs access on the Run key of the origin (root and path), mounting another user's hive for
  // the while; returns what access returns.
  StringValue OnOriginRunKey(
      const RunOrigin& origin,
      const std::function<StringValue(HKey root, const std::string& runKey)>& access);

  Registry registry_;
};

// The process-wide manager, created when the unit is initialised (before any window) and freed
// when it is finalised. Using it outside that span is a programming error (std::logic_error).
void InitializeItemManager();
void FinalizeItemManager();
ItemManager& SharedItemManager();

}  // namespace lw
