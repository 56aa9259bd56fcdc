#pragma once
// <windows.h> for the code that talks to Windows, without the macros that would rename the
// seam's methods. Windows maps names such as CopyFile or FormatMessage to CopyFileA or
// CopyFileW; the seam (Platform.h) declares methods of the same names, so a file that sees
// both would call, or override, a method that does not exist. Include this header instead of
// <windows.h> and call the Windows functions by their ANSI names (CopyFileA ...).

#include <windows.h>
// After <windows.h>, which they need.
#include <commdlg.h>
#include <lmcons.h>
#include <objbase.h>
#include <sddl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <winnetwk.h>
#include <winver.h>

#undef CopyFile
#undef CreateDirectory
#undef CreateJobObject
#undef CreateMutex
#undef CreateProcess
#undef DeleteFile
#undef ExpandEnvironmentStrings
#undef FindFirstFile
#undef FindNextFile
#undef FormatMessage
#undef GetFileAttributes
#undef GetFileSecurity
#undef GetFileVersionInfo
#undef GetModuleFileName
#undef GetPrivateProfileString
#undef GetShortPathName
#undef GetSystemDirectory
#undef GetVersionEx
#undef GetWindowsDirectory
#undef LookupPrivilegeValue
#undef LookupAccountSid
#undef RemoveDirectory
#undef SetFileAttributes
#undef ShellExecute
#undef ShellExecuteEx
#undef WNetGetUser
#undef WritePrivateProfileString
