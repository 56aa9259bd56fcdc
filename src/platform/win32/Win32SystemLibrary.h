#pragma once
// The libraries of the system folder that are not among Windows' known DLLs (version, mpr,
// netapi32). A library named without a folder is searched for beside the executable first: a
// file planted there would run inside the program, with its rights. These are therefore never
// imported at load time; their functions are looked up here, from the system folder only, the
// first time one of them is needed. The common dialogs (comdlg32) are loaded the same way for
// another reason: they bring the printing libraries with them, several megabytes that a logon,
// which never shows a file dialog, would otherwise carry from its first moment.

#include "platform/win32/Win32Api.h"

namespace lw {

// Limits where this process loads libraries from to the system folder, before any other
// library loads: SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32) where Windows has it
// (Windows 8 and later, Windows 7 and Vista with their update), else SetDllDirectory("") at least
// takes the current folder out of the search. True when the first one was in force.
bool LimitLibrarySearchToSystemFolder();

// Each table holds a library's functions. When error is ERROR_SUCCESS every function is there;
// otherwise it says why not (the library or one of its functions is missing) and every
// function is null. The library stays loaded for the life of the process.
struct VersionFunctions {
  DWORD error = ERROR_SUCCESS;
  decltype(&::GetFileVersionInfoSizeA) getFileVersionInfoSize = nullptr;
  decltype(&::GetFileVersionInfoA) getFileVersionInfo = nullptr;
  decltype(&::VerQueryValueA) verQueryValue = nullptr;
};
const VersionFunctions& VersionLibrary();

struct MprFunctions {
  DWORD error = ERROR_SUCCESS;
  decltype(&::WNetGetUserA) wNetGetUser = nullptr;
};
const MprFunctions& MprLibrary();

// NetUserGetLocalGroups and NetApiBufferFree, as <lm.h> declares them.
struct NetApiFunctions {
  DWORD error = ERROR_SUCCESS;
  DWORD(WINAPI* netUserGetLocalGroups)
  (LPCWSTR, LPCWSTR, DWORD, DWORD, LPBYTE*, DWORD, LPDWORD, LPDWORD) = nullptr;
  DWORD(WINAPI* netApiBufferFree)(LPVOID) = nullptr;
};
const NetApiFunctions& NetApiLibrary();

struct CommonDialogFunctions {
  DWORD error = ERROR_SUCCESS;
  decltype(&::GetOpenFileNameA) getOpenFileName = nullptr;
};
const CommonDialogFunctions& CommonDialogLibrary();

}  // namespace lw
