#pragma once
// Handling one window message the way every loop of the program does (the message loop, the
// modal loops, the waits that pump messages): a key is first offered to the window it was
// typed in (its top-level window: a form may give keys a meaning of their own, such as Ctrl+Tab
// between pages), then keyboard navigation (Tab, Enter, Esc, Space on a button) inside the
// active window, then the window the message is for.

#include "platform/win32/Win32Api.h"

namespace lw {

// The message that offers a key to a form (WM_KEYDOWN, WM_SYSKEYDOWN, WM_KEYUP, WM_SYSKEYUP):
// lParam points to the MSG, whose hwnd is the window that has the focus; a form that used the
// key answers non-zero. Windows that do not know the message answer 0.
inline UINT PreviewKeyMessage() {
  static const UINT message = ::RegisterWindowMessageA("Launchward.PreviewKey");
  return message;
}

inline void DispatchWindowMessage(MSG& message) {
  const bool key = message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN ||
                   message.message == WM_KEYUP || message.message == WM_SYSKEYUP;
  if (key && message.hwnd != nullptr) {
    HWND form = ::GetAncestor(message.hwnd, GA_ROOT);
    if (form != nullptr &&
        ::SendMessageA(form, PreviewKeyMessage(), 0, reinterpret_cast<LPARAM>(&message)) != 0) {
      return;
    }
  }
  HWND active = ::GetActiveWindow();
  if (active != nullptr && ::IsDialogMessageA(active, &message)) return;
  ::TranslateMessage(&message);
  ::DispatchMessageA(&message);
}

}  // namespace lw
