// The smallest honest Win32 GUI program: it registers a window class, creates one (hidden)
// top-level window of it and ends. The start-up benchmark measures it beside launchward.exe, so
// that what the figures show is our own start-up and not the cost of starting any Windows
// program at all. It is built with the same compiler, options and static runtime as the program.

#include <windows.h>

namespace {

constexpr char kClassName[] = "LwMinimalWindow";

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = ::DefWindowProcA;
  wc.hInstance = instance;
  wc.lpszClassName = kClassName;
  if (!::RegisterClassExA(&wc)) return 1;
  // Hidden, as the program's own windows are while it runs a logon.
  HWND window = ::CreateWindowExA(0, kClassName, "Minimal", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 320, 200, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return 2;
  // Whatever the creation queued is handled before the window goes, as any program does.
  MSG message{};
  while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
  ::DestroyWindow(window);
  return 0;
}
