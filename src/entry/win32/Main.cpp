// The program's entry: the real Windows behind the seam, message boxes on the screen, the
// command line's arguments, then the program block.

#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "entry/Program.h"
#include "entry/win32/Win32ProgramWindows.h"
#include "platform/win32/Win32Api.h"
#include "platform/win32/Win32Console.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/Win32SystemLibrary.h"
#include "ui/Dialogs.h"
#include "ui/win32/Win32Dialogs.h"
#include "util/Console.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  using namespace lw;
  // Before anything loads a library: only the system folder is searched, never the folder of
  // the executable or the current one, where anybody may have put a DLL of a known name.
  LimitLibrarySearchToSystemFolder();
  InstallPlatform(MakeWin32Platform());
  Win32Dialogs dialogs;
  InstallDialogService(&dialogs);
  // What the unattended commands say goes to whoever started them from a script.
  Win32Console console;
  InstallConsole(&console);
  // The runtime splits the command line the way Windows programs do (blanks separate, quotes
  // group); the first is the executable.
  std::vector<std::string> args;
  for (int i = 1; i < __argc; ++i) args.emplace_back(__argv[i]);
  int code = 0;
  try {
    Win32ProgramWindows windows;
    code = RunProgram(args, windows);
  } catch (const std::exception& error) {
    // Only the start itself can get here (the units, the first windows); every event handler
    // shows its own errors.
    dialogs.ShowMessage(error.what());
    code = 1;
  }
  InstallConsole(nullptr);
  InstallDialogService(nullptr);
  return code;
}
