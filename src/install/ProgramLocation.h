#pragma once
// Where the program may run with administrator rights. The logon task starts the first phase
// with the highest rights of whoever logs on, without a prompt, and the elevated copies run
// with an administrator's: whoever can change the executable, or the folder it lies in, or
// the folders above that one, decides what runs with those rights. So the program installs,
// and runs elevated, only from a place that nobody but administrators can change.
//
// Who counts as an administrator: the Administrators group, SYSTEM and TrustedInstaller, and
// the accounts that are members of the Administrators group (such an account could give
// itself any right anyway; Wine's one user is one, and Wine reports every folder as owned by
// it). Every other trustee (Users, Authenticated Users, Everyone, a standard account, a SID
// that cannot be read) must hold none of the rights that change the place:
// - the executable and its folder: writing or appending (in a folder: adding files, such as a
//   DLL beside the executable, or folders), writing extended attributes, deleting the object
//   or its children, changing its DACL or owner, and the generic rights that include these;
// - each folder above it, up to the drive's root: deleting it or its children (a folder
//   renamed away makes room for another of the same name), changing its DACL or owner, and
//   the generic write and all rights. Creating new folders there (what every user may do in
//   C:\) is harmless.
// Rules of reading a DACL: a NULL DACL lets everyone do everything; entries meant only for
// children (inherit-only) do not apply to the object; a CREATOR OWNER entry on the object
// itself grants nothing; denying entries are not counted on (a right allowed to a group may
// reach a member whom the denial does not name). The owner may always change the DACL, so an
// owner who is not an administrator makes the place unsafe, unless an OWNER RIGHTS entry
// limits the owner to rights judged as above. A place whose security cannot be read is unsafe.

#include <string>

namespace lw {

// The question Install asks when the running copy lies in an unsafe place, and its answers.
std::string MoveToProgramFilesQuestion(const std::string& unsafePath, const std::string& folder);
std::string NotInstalledUnsafeText(const std::string& folder);
// What a copy that would run with administrator rights says (or logs) instead of running from
// an unsafe place.
std::string RefusedUnsafeText(const std::string& unsafePath);

// Empty when the executable, its folder and the folders above are safe; otherwise the path
// that is not, to show the user.
std::string UnsafeProgramPath(const std::string& executable);

// The folder Install offers to move Launchward to: "<Program Files>\Launchward" (the 64-bit
// Program Files for the 64-bit build, the one a 32-bit program gets for the 32-bit build).
// Raises Error when the shell names no Program Files folder.
std::string ProgramFilesFolder();

// Copies the running executable into ProgramFilesFolder() (created when missing), under its own
// file name, replacing an older copy there, and checks the copy: the same bytes, in a safe
// place. Returns the copy's full path. Raises Error with the reason when any step fails.
std::string CopySelfToProgramFiles();

}  // namespace lw
