#include "ui/win32/Win32Application.h"

#include <commctrl.h>

#include "platform/win32/Win32Messages.h"
#include "ui/win32/Win32Dialogs.h"
#include "util/Error.h"
#include "util/Termination.h"

namespace lw {

namespace {

constexpr char kApplicationClass[] = "TApplication";

HWND applicationWindow = nullptr;

}  // namespace

HWND ApplicationWindow() { return applicationWindow; }

void RegisterWindowClass(const std::string& className, WNDPROC procedure) {
  HINSTANCE instance = ::GetModuleHandleA(nullptr);
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof existing;
  if (::GetClassInfoExA(instance, className.c_str(), &existing)) return;
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = procedure;
  wc.hInstance = instance;
  wc.hIcon = ::LoadIconA(instance, MAKEINTRESOURCEA(kApplicationIconId));
  wc.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = className.c_str();
  if (!::RegisterClassExA(&wc)) throw Error("Unable to register window class " + className);
}

Win32Application::Win32Application() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES |
                                                     ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES};
  ::InitCommonControlsEx(&controls);
  RegisterWindowClass(kApplicationClass, ::DefWindowProcA);
  applicationWindow = ::CreateWindowExA(0, kApplicationClass, kProductTitle, WS_POPUP, 0, 0, 0, 0,
                                        nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
  if (applicationWindow == nullptr) throw Error("Unable to create the application window");
  // The loop may be waiting for a message: a null message wakes it to see the request.
  SetTerminateHandler([] {
    if (applicationWindow != nullptr) ::PostMessageA(applicationWindow, WM_NULL, 0, 0);
  });
}

Win32Application::~Win32Application() {
  SetTerminateHandler({});
  ::DestroyWindow(applicationWindow);
  applicationWindow = nullptr;
}

void Win32Application::Run() {
  MSG message{};
  while (!ApplicationTerminating()) {
    const BOOL got = ::GetMessageA(&message, nullptr, 0, 0);
    if (got <= 0) break;
    DispatchWindowMessage(message);
  }
}

}  // namespace lw
