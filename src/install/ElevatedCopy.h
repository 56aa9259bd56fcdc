#pragma once
// Administrative actions done by a copy of the program started with administrator rights.
// Where UAC is on, the main window runs with standard rights even for an administrator; the
// action its button stands for is then done by a copy of the program started through the
// "runas" verb (after the elevation prompt), with a switch that names the action, while the
// window waits for it. The manifest asks for no rights, so the program itself, and everything
// it starts at logon, keeps the rights it was started with.

#include <string>
#include <vector>

namespace lw {

// The switches of the elevated copies: one installs (registers the program for the next
// logon), the others open the restore or the edit window alone.
inline constexpr char kInstallSwitch[] = "-install";
// Installs the same way, but first copies the program under Program Files and registers that
// copy (the running one lies where people without administrator rights can change it).
inline constexpr char kInstallCopySwitch[] = "-installcopy";
inline constexpr char kRestoreSwitch[] = "-restore";
inline constexpr char kEditSwitch[] = "-edit";
// True for the switches of the copies that open a window alone.
inline bool IsWindowAloneSwitch(const std::string& argument) {
  return argument == kRestoreSwitch || argument == kEditSwitch;
}
// The switches of the commands for deployment tools and scripts (entry/Unattended.h): -quiet
// after -install or -restore does their work without a window; -list writes the items as CSV.
inline constexpr char kQuietSwitch[] = "-quiet";
inline constexpr char kListSwitch[] = "-list";
// The elevated copy's exit codes.
inline constexpr int kExitActionDone = 0;
inline constexpr int kExitActionFailed = 1;

enum class ElevatedResult {
  kDone,     // the copy ran and did its action
  kFailed,   // the copy ran and told the user why it could not
  kRefused,  // the user refused the elevation prompt: no copy ran
};

// Whom the copy acts for. The elevation prompt may be answered with another account's password
// (an administrator's, typed for a standard user): the copy then runs as that other account,
// while its user-scoped work (a new item, the restored items and shortcuts of the current user,
// the figures of the last logon) belongs to the account whose window started it. The window
// names its account's SID after this switch; the copy believes it only when the process that
// started it runs as that account.
inline constexpr char kForSwitch[] = "-for";

// Starts the running executable with the switch (and kForSwitch with the current account's
// SID) through "runas" and waits until it ends, handling the window messages meanwhile. Raises
// Error when the copy cannot be started for another reason than the user's refusal.
ElevatedResult RunElevatedCopy(const std::string& switchText);

// In the elevated copy, before anything else: settles the account it acts for from its
// arguments. The SID named after kForSwitch is acted for when the parent process runs as that
// account (or, with the parent out of reach, when it is the copy's own). Without a SID, a
// parent of the copy's own account means the copy's own. Anything else leaves the account
// unconfirmed: user-scoped actions then refuse (see RequireKnownAccount).
void ConfirmStartingAccount(const std::vector<std::string>& args);

}  // namespace lw
