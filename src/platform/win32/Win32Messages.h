#pragma once
// Handling one window message the way every loop of the program does (the message loop, the
// modal loops, the waits that pump messages): keyboard navigation (Tab, Enter, Esc, Space on a
// button) inside the active window first, then the window the message is for.

#include "platform/win32/Win32Api.h"

namespace lw {

inline void DispatchWindowMessage(MSG& message) {
  HWND active = ::GetActiveWindow();
  if (active != nullptr && ::IsDialogMessageA(active, &message)) return;
  ::TranslateMessage(&message);
  ::DispatchMessageA(&message);
}

}  // namespace lw
