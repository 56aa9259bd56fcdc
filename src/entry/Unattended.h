#pragma once
// The commands for deployment tools and scripts (Intune, Configuration Manager, a login
// script): no window, no question, never an elevation prompt; every message goes to the error
// log and to the console the starter gave the program. Each ends with an exit code of its own.
//
//   launchward.exe -install -quiet   Install's work: the registration for the next logon
//   launchward.exe -restore -quiet   Restore's work on every item the restore window checks
//   launchward.exe -list [file]      every item the program keeps, as CSV, to the file or the
//                                    console; reads the store and changes nothing

#include <string>
#include <vector>

#include "install/ElevatedCopy.h"

namespace lw {

// Exit codes (besides kExitActionDone, 0, and kExitUnknownArgument, 87, for bad arguments).
// Another reason, told in the message (a registry write refused half-way, say).
inline constexpr int kExitFailed = 1;
// Run from a folder that users without administrator rights can change.
inline constexpr int kExitUnsafeFolder = 2;
// Some items could not go back; they stay stored, and the fallback files beside the
// executable hold them.
inline constexpr int kExitNotAllRestored = 3;
// Needs administrator rights (Windows' ERROR_ELEVATION_REQUIRED): run it as SYSTEM or as an
// elevated administrator.
inline constexpr int kExitNeedsAdministrator = 740;
// Another copy of Launchward is running (Windows Installer's ERROR_INSTALL_ALREADY_RUNNING,
// which deployment tools retry later).
inline constexpr int kExitAnotherCopyRunning = 1618;

inline constexpr char kMsgUnattendedUsage[] =
    "Use: launchward.exe -install -quiet | -restore -quiet | -list [file]";
inline constexpr char kMsgQuietNeedsAdmin[] =
    "Administrator rights are needed (run it as SYSTEM or as an elevated administrator); "
    "nothing was changed. Launchward could not write: ";

// The command line is one of these commands (its first argument is "-list", or "-install" or
// "-restore" with "-quiet" among the rest); its arguments may still be wrong.
bool IsUnattendedCommand(const std::vector<std::string>& args);

// Runs the command with the process units up, and returns its exit code.
int RunUnattended(const std::vector<std::string>& args);

}  // namespace lw
