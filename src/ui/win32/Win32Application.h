#pragma once
// The application object of the real program: a hidden window that owns every form (so the
// forms share one place in the task bar and can be kept on top together), the common controls,
// and the message loop. Asking the application to end (ApplicationTerminate) wakes the loop,
// which then returns; nothing posts WM_QUIT, so a message box shown while the program ends
// still waits for its answer.

#include <string>

#include "platform/win32/Win32Api.h"

namespace lw {

// The program's own icon among the executable's resources.
inline constexpr int kApplicationIconId = 1;

class Win32Application {
 public:
  // Creates the hidden window and sets the terminate handler. Raises lw::Error when Windows
  // refuses the window.
  Win32Application();
  ~Win32Application();
  Win32Application(const Win32Application&) = delete;
  Win32Application& operator=(const Win32Application&) = delete;

  // Handles messages until the program is asked to end.
  void Run();
};

// The application's hidden window; null while no application object exists.
HWND ApplicationWindow();

// Registers a window class of the program (its icon, the arrow cursor, the dialog colour) unless
// it is registered already. Raises lw::Error when Windows refuses.
void RegisterWindowClass(const std::string& className, WNDPROC procedure);

}  // namespace lw
