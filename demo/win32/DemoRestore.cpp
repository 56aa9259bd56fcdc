#include "win32/DemoRestore.h"

#include <iostream>

#include "driver/WindowDriver.h"
#include "install/RestoreWindow.h"
#include "install/win32/RestoreWindowView.h"
#include "ui/Dialogs.h"
#include "ui/win32/MainWindowView.h"
#include "util/Error.h"

namespace lw::demo {

namespace {

constexpr DWORD kEndLimitMs = 30000;

HWND WaitForVisible(DWORD process, const driver::WindowQuery& query, const std::string& what) {
  HWND window = driver::WaitForProcessWindow(process, query);
  if (window == nullptr) throw Error(what + " did not appear");
  return window;
}

// The text of the program's message box, once one is there; the box is then closed with OK.
std::string ReadAndCloseMessage(DWORD process) {
  HWND box = nullptr;
  std::string text;
  driver::WaitUntil([&] {
    for (HWND candidate : driver::MessageBoxes(process, kProductTitle)) {
      // Only a box on the screen has all its buttons.
      if (!driver::IsVisible(candidate)) continue;
      for (const std::string& shown : driver::ChildTexts(candidate)) {
        if (shown.size() > text.size()) text = shown;
      }
      box = candidate;
    }
    return box != nullptr;
  });
  if (box == nullptr) throw Error("the program showed no message");
  if (!driver::PressButton(box, IDOK)) throw Error("the message box could not be closed");
  return text;
}

void Press(HWND window, int id, const std::string& what) {
  if (!driver::PressButton(window, id)) throw Error("could not press " + what);
}

}  // namespace

std::string RestoreAsAUser(const std::string& launchward) {
  driver::ChildProcess program;
  if (!program.Start("\"" + launchward + "\"", std::string())) {
    throw Error("could not start " + launchward);
  }
  const DWORD id = program.Id();
  HWND main = WaitForVisible(id, {kMainWindowClass, kProductTitle, true}, "the main window");
  std::cout << "  The main window is open; Restore is "
            << (::IsWindowEnabled(::GetDlgItem(main, kMainRestoreId)) ? "enabled" : "disabled")
            << ". Pressing Restore.\n";
  Press(main, kMainRestoreId, "Restore in the main window");
  HWND restore =
      WaitForVisible(id, {kRestoreWindowClass, kRestoreWindowCaption, true}, "the restore window");
  const LRESULT rows =
      ::SendMessageA(::GetDlgItem(restore, kRestoreListId), LVM_GETITEMCOUNT, 0, 0);
  std::cout << "  \"" << kRestoreWindowCaption << "\" lists " << rows
            << " items (those Launchward starts are checked). Pressing Restore.\n";
  Press(restore, kRestoreButtonId, "Restore in the restore window");
  const std::string message = ReadAndCloseMessage(id);
  std::cout << "  Launchward says: " << message << "\n";
  if (!driver::WaitUntil([&] { return ::IsWindowEnabled(::GetDlgItem(restore, kRestoreCloseId)); }))
    throw Error("the restore window's Close button stayed disabled");
  Press(restore, kRestoreCloseId, "Close in the restore window");
  if (!driver::WaitUntil(
          [&] { return ::IsWindowEnabled(::GetDlgItem(main, kMainInstallId)) != 0; }))
    throw Error("Install did not become available again after the restore");
  std::cout << "  Back in the main window, Install is available again. Closing it.\n";
  driver::PostWindowMessage(main, WM_CLOSE, 0, 0);
  DWORD code = 0;
  if (!program.WaitForExit(kEndLimitMs, &code)) throw Error("the program did not end");
  if (code != 0) throw Error("the program ended with exit code " + std::to_string(code));
  return message;
}

}  // namespace lw::demo
