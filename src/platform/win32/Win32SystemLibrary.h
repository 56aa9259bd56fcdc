#pragma once
// Libraries of the system folder, loaded by their full path. A library named without a folder
// is searched for beside the executable first: a file planted there (version.dll, mpr.dll ...)
// would run inside the program, with its rights. The libraries that are not among Windows'
// known DLLs are therefore never imported at load time; their functions are looked up here.

#include "platform/win32/Win32Api.h"

namespace lw {

// Limits where this process loads libraries from to the system folder, before any other
// library loads: SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32) where Windows has it
// (Windows 8 and later, Windows 7 and Vista with their update), else SetDllDirectory("") at least
// takes the current folder out of the search. True when the first one was in force.
bool LimitLibrarySearchToSystemFolder();

// The procedure of a library of the system folder (for example "version.dll"), loaded once by
// its full path and kept for the life of the process; null (with the last error) when the
// library or the procedure is missing.
FARPROC SystemProcedure(const char* library, const char* procedure);

template <typename Function>
Function SystemFunction(const char* library, const char* procedure) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(SystemProcedure(library, procedure)));
}

}  // namespace lw
