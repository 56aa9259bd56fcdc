#pragma once
// The folders the program works with: the system's Startup folders, the profiles folder (where
// every user's NTuser.dat lives), the executable's own folder and the shortcut store beside it,
// and the owner of a Startup folder.

#include <string>

namespace lw {

class SpecialFolders {
 public:
  // The shell's path of a folder id (only its low 16 bits are used); empty when the shell gives
  // no path.
  std::string GetSpecialFolder(int csidl) const;
  // The current user's Startup folder.
  std::string GetUserStartupFolder() const;
  // The All Users Startup folder; the user's own when the shell has none.
  std::string GetCommonStartupFolder() const;
  // The alternate Startup folder; often empty.
  std::string GetAltStartupFolder() const;
  // The folder that holds the users' profile folders, with a trailing backslash, or empty when
  // it cannot be found. Taken from the All Users Startup folder ("C:\Documents and Settings\All
  // Users\..." gives "C:\Documents and Settings\"); when that path has no "All Users" (Windows
  // Vista and later), from the system's profile list.
  std::string GetProfilesFolder() const;
};

// The process-wide instance, created by InitializeSpecialFolders and freed by
// FinalizeSpecialFolders. Using it outside that span is a programming error (std::logic_error).
void InitializeSpecialFolders();
void FinalizeSpecialFolders();
SpecialFolders& SharedSpecialFolders();

// The folder of the running executable with a trailing backslash: the home of "options.ini",
// "error.txt" and the shortcut store.
std::string GetExeFolder();

// The shortcut store: the executable's folder, then "Startup\".
std::string GetShortcutStoreFolder();

// The user a Startup folder belongs to: the folder name before "\Start Menu\Programs\Startup"
// (any letter case), skipping "\AppData\Roaming\Microsoft\Windows" of the per-user layout of
// Windows Vista and later. Empty for an empty path and for a path without that tail.
std::string UserFromStartupFolder(const std::string& startupFolder);

// The user a Startup folder is personal to (UserFromStartupFolder), or empty for a folder that is
// everyone's: the All Users and the alternate Startup folders, whatever their paths look like,
// and a folder that names no user. Uses SharedSpecialFolders().
std::string StartupFolderOwner(const std::string& startupFolder);

}  // namespace lw
