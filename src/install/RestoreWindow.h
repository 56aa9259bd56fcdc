#pragma once
// The restore window's rules: which rows it lists and how they start, what pressing Restore does
// to each row, the files it leaves for what could not go back, and the closing message. The view
// (win32/RestoreWindowView) draws the rows and passes the user's actions in; tests drive this
// class directly.
//
// Pressing Restore gives every checked row back to Windows through the StartupMover. What went
// back leaves the store; everything else (unchecked rows, orphaned and disabled ones, rows that
// failed) stays stored, so that nothing is lost: a later Restore or the edit window can still
// give it back. Rows that failed are also written into files the user can apply by hand.

#include <functional>
#include <string>
#include <vector>

#include "install/StartupMover.h"

namespace lw {

inline constexpr char kRestoreWindowCaption[] = "Launchward - Restore Checked Items";
inline constexpr char kRunKeyRowType[] = "Run Key";
inline constexpr char kStartupRowType[] = "Startup Folder";
inline constexpr char kOrphanedStatus[] = "Orphaned";
inline constexpr char kDisabledStatus[] = "Disabled";
inline constexpr char kRestoredStatus[] = "Restored";
inline constexpr char kNotRestoredStatus[] = "ERROR - item not restored.";
inline constexpr char kMsgRestoreComplete[] =
    "Restore Complete. Launchward will not run next reboot.";
inline constexpr char kMsgSomeNotRestored[] =
    "Some items were not restored. Items saved to file(s): \r\n\r\n";
inline constexpr char kMsgRestoredButRegistered[] =
    "Every checked item was restored, but Launchward could not remove its own start at logon "
    "everywhere (see below).";
inline constexpr char kMsgStillRegistered[] =
    "\r\n\r\nLaunchward could not remove its own start at logon from these places; it will "
    "still run there at logon until the value \"LAUNCHWARD\" (or the logon task) is removed:"
    "\r\n";
// Unchecked items are not deleted (they stay stored), but the restore unregisters Launchward, so
// the warning and the closing message say that nobody starts them any more.
inline constexpr char kMsgUncheckedWarning[] =
    "Warning: Unchecked items will not be restored. Launchward keeps them stored, but after the "
    "Restore nothing starts them at logon: they will not start until Launchward is installed "
    "again or they are restored by a later Restore.";
inline constexpr char kMsgKeptItemsDoNotStart[] =
    "\r\nThey will not start at logon until Launchward is installed again or they are "
    "restored (start Launchward and Restore again).";

enum class RestoreMark { kNone, kRestored, kNotRestored };

struct RestoreRow {
  bool runKey = true;         // a Run-key item, else a stored shortcut
  std::string caption;        // the stored item name, or the shortcut's file name
  StringValue data;           // the command, or the folder the shortcut came from
  std::string profile;        // the user the item belongs to; empty for everyone's
  std::string status;         // "", "Orphaned" or "Disabled"
  std::string restoreStatus;  // "", "Restored" or "ERROR - item not restored."
  std::string error;          // why it was not restored
  std::string iconFile;       // the file whose icon the row shows; empty for the program's own
  bool checked = false;
  RestoreMark mark = RestoreMark::kNone;

  const char* Type() const { return runKey ? kRunKeyRowType : kStartupRowType; }
};

// What the window needs of its view while a restore runs.
class IRestoreView {
 public:
  virtual ~IRestoreView() = default;
  // The row's marks and texts changed: draw it again.
  virtual void RowChanged(int index) = 0;
  // Let the list repaint before the slow part begins.
  virtual void Repaint() = 0;
};

class RestoreWindow {
 public:
  // mover: the main window's; reloadRunnerItems: the runner engine's lists, reloaded at the end.
  RestoreWindow(StartupMover& mover, std::function<void()> reloadRunnerItems);

  // Fills the rows from the store (every time the window is shown): active shortcuts, active
  // run-key items (each group last found first), then orphaned and disabled run-key items, then
  // orphaned and disabled shortcuts (each in the order found). Active rows start checked.
  void Load();
  const std::vector<RestoreRow>& Rows() const { return rows_; }
  void SetChecked(int index, bool checked);
  int CheckedCount() const;

  // The row's tip: its type, profile, error and data, a line each.
  std::string InfoTip(int index) const;

  // The user ticked or unticked a row (with the mouse or the keyboard): the warning about
  // unchecked rows, shown once while this object lives (the view keeps one for the program's
  // run, across its shows).
  void OnUserChangedChecks();
  bool WarningShown() const { return warningShown_; }

  // Pressing Restore. Gives the checked rows back, saves what failed into files beside the
  // executable, forgets what went back (with fullUninstall, every preference too, except the
  // records of the items that stay stored), unregisters the program for the machine and for
  // every user who owned an item, and shows the closing message. Returns that message.
  std::string RunRestore(bool fullUninstall, IRestoreView* view = nullptr);

 private:
  void LoadRunRows(std::vector<RestoreRow>& top, std::vector<RestoreRow>& bottom);
  void LoadShortcutRows(std::vector<RestoreRow>& top, std::vector<RestoreRow>& bottom);
  // The fallback files; each returns the paths it wrote.
  std::vector<std::string> SaveRegistryFiles(std::string& problems);
  std::vector<std::string> SaveBatchFile(std::string& problems);

  StartupMover& mover_;
  std::function<void()> reloadRunnerItems_;
  std::vector<RestoreRow> rows_;
  std::vector<std::string> usersToClean_;
  bool warningShown_ = false;
};

}  // namespace lw
