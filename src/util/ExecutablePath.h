#pragma once
// From a Run-key command line to the executable file it starts.

#include <string>

#include "platform/WinConst.h"

namespace lw {

// The command line up to and including its first ".exe" (any letter case), in the command
// line's own letter case, without a leading double quote; empty when there is no ".exe".
// "\"C:\Program Files\Tool\tool.EXE\" /min" gives "C:\Program Files\Tool\tool.EXE".
std::string ExtractExePath(const std::string& commandLine);

// The program that App Paths registers under root for the file name ("tool.exe"): the key's
// default value, expanded and without surrounding quotes; empty when there is none (or it is
// no text).
std::string AppPathsEntry(HKey root, const std::string& exe);
// The existing file that the command line's executable names, or empty when none is found
// (never raises). First hit wins:
//   1. the executable part itself (a relative one against the current directory);
//   2. its App Paths entry under HKEY_LOCAL_MACHINE, when that names an existing file;
//   3. the executable in the system directory, then the Windows directory, then each %PATH%
//      entry in order.
// A folder is never taken for a file.
std::string ResolveExecutable(const std::string& commandLine);
// The same for a command line as Windows runs it from a Run key: its environment references
// ("%ProgramFiles%") expanded first.
std::string ResolveCommandProgram(const std::string& commandLine);

// True when a file (not a folder) is at the path; false for an empty path.
bool FileExists(const std::string& path);
// True when a folder is at the path (a trailing backslash allowed); false for an empty path.
bool FolderExists(const std::string& path);

}  // namespace lw
