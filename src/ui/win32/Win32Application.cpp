#include "ui/win32/Win32Application.h"

#include <commctrl.h>

#include "platform/win32/Win32Messages.h"
#include "ui/win32/Win32Dialogs.h"
#include "util/Error.h"
#include "util/UnitApplication.h"

namespace lw {

namespace {

constexpr char kApplicationClass[] = "TApplication";

HWND applicationWindow = nullptr;

}  // namespace

HWND ApplicationWindow() { return applicationWindow; }

TWin32Application::TWin32Application() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&controls);
  HINSTANCE instance = ::GetModuleHandleA(nullptr);
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = ::DefWindowProcA;
  wc.hInstance = instance;
  wc.hIcon = ::LoadIconA(instance, MAKEINTRESOURCEA(1));
  wc.lpszClassName = kApplicationClass;
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof existing;
  if (!::GetClassInfoExA(instance, kApplicationClass, &existing) && !::RegisterClassExA(&wc)) {
    throw Error("Unable to register the application window");
  }
  applicationWindow = ::CreateWindowExA(0, kApplicationClass, kApplicationTitle, WS_POPUP, 0, 0, 0,
                                        0, nullptr, nullptr, instance, nullptr);
  if (applicationWindow == nullptr) throw Error("Unable to create the application window");
  // The loop may be waiting for a message: a null message wakes it to see the request.
  SetTerminateHandler([] {
    if (applicationWindow != nullptr) ::PostMessageA(applicationWindow, WM_NULL, 0, 0);
  });
}

TWin32Application::~TWin32Application() {
  SetTerminateHandler({});
  ::DestroyWindow(applicationWindow);
  applicationWindow = nullptr;
}

void TWin32Application::Run() {
  MSG message{};
  while (!ApplicationTerminating()) {
    const BOOL got = ::GetMessageA(&message, nullptr, 0, 0);
    if (got <= 0) break;
    DispatchWindowMessage(message);
  }
}

}  // namespace lw
