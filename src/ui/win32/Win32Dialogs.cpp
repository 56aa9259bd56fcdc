#include "ui/win32/Win32Dialogs.h"

#include "platform/win32/Win32Api.h"

namespace lw {

namespace {

// The box belongs to the window the user is working in, so that window waits for the
// answer; without one (at start, or in the runner's hidden phase) the box blocks every
// window of the thread instead.
int ShowBox(const std::string& text, const std::string& title, UINT style) {
  HWND owner = GetActiveWindow();
  if (owner == nullptr) style |= MB_TASKMODAL;
  return MessageBoxA(owner, text.c_str(), title.c_str(), style | MB_SETFOREGROUND);
}

}  // namespace

void Win32Dialogs::ShowMessage(const std::string& text) { ShowBox(text, title_, MB_OK); }

bool Win32Dialogs::Confirm(const std::string& text, ConfirmButtons buttons) {
  if (buttons == ConfirmButtons::kOkCancel) {
    return ShowBox(text, title_, MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
  }
  return ShowBox(text, title_, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

}  // namespace lw
