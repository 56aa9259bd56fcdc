#pragma once
// Drives a Windows program from outside, the way a user (or Windows itself) would: starts it as
// a process of its own, finds its windows and message boxes, reads what they show, presses
// their buttons, posts the messages its notification icon would get, and waits for it to end.
// Plain Win32 (user32, kernel32, shell32): the end-to-end tests and the benchmarks link it.
//
// Every wait polls with a limit and never raises; the caller asserts on what it returns. A
// window is read with messages sent with a time limit, so a program that hangs makes a read
// come back empty instead of holding the caller.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/Win32Api.h"

namespace lw::driver {

// Generous limits: each process start under Wine costs seconds.
inline constexpr DWORD kStartLimitMs = 30000;
inline constexpr DWORD kPollMs = 20;

// A program started as a process of its own. Owns the process handle; a process still running
// when its ChildProcess goes is ended (so a failed test leaves nothing behind, such as a program
// holding its single-instance mutex).
class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess();
  ChildProcess(ChildProcess&& other) noexcept;
  ChildProcess& operator=(ChildProcess&& other) noexcept;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // CreateProcessA with no application name, the command line, the caller's environment and
  // folder as the working folder, and the extended start-up information when given (a pseudo
  // console's attribute, say). False (with GetLastError set) when Windows refuses; a process
  // this object held before is let go without being ended.
  bool Start(const std::string& commandLine, const std::string& folder,
             const STARTUPINFOEXA* extended = nullptr);

  bool Started() const { return process_ != nullptr; }
  DWORD Id() const { return id_; }
  HANDLE ProcessHandle() const { return process_; }

  // True while the process runs (false when none was started).
  bool Running() const;
  // Waits at most timeoutMs for the end; true when the process has ended, with its exit code
  // in *exitCode when given. False when it still runs (or none was started).
  bool WaitForExit(DWORD timeoutMs, DWORD* exitCode = nullptr) const;
  // Ends a running process (TerminateProcess with exitCode) and waits for the end; true when it
  // has ended (also when it had ended before).
  bool Terminate(UINT exitCode = 1);
  // Lets the process go on its own: it is neither waited for nor ended by this object.
  void Detach() { Release(); }

 private:
  void Release();

  HANDLE process_ = nullptr;
  DWORD id_ = 0;
};

// Which top-level windows to find; an empty field matches every window.
struct WindowQuery {
  std::string className;
  std::string caption;
  bool visibleOnly = false;
};

// The top-level windows of the process (owned pop-ups, hidden windows and message boxes
// included) that match, in the system's order.
std::vector<HWND> ProcessWindows(DWORD processId, const WindowQuery& query);
// Polls until a matching window exists; null when none came within timeoutMs.
HWND WaitForProcessWindow(DWORD processId, const WindowQuery& query,
                          DWORD timeoutMs = kStartLimitMs);

// The system's message box class.
inline constexpr char kMessageBoxClass[] = "#32770";
// The process's message boxes with that title (any title when empty).
std::vector<HWND> MessageBoxes(DWORD processId, const std::string& title = std::string());
// Polls until a message box with that title is on the screen (visible, and so with its text and
// buttons); null when none came within timeoutMs.
HWND WaitForMessageBox(DWORD processId, const std::string& title, DWORD timeoutMs = kStartLimitMs);

// A window's text (a top-level window's caption, a control's text), read with WM_GETTEXT so
// that controls of other processes answer too; empty when the window does not answer in time.
std::string WindowText(HWND window);
std::string WindowClass(HWND window);
// The direct child windows, in the system's order.
std::vector<HWND> ChildWindows(HWND parent);
// Their texts, in the same order.
std::vector<std::string> ChildTexts(HWND parent);
// The text of the child with that control id; empty when there is none.
std::string ControlText(HWND parent, int id);
// The first direct child whose text is caption; null when none.
HWND FindChildByText(HWND parent, const std::string& caption);
// Whether the window and every window above it are visible.
bool IsVisible(HWND window);

// Posts BM_CLICK to the button: the click is handled when the program next handles its
// messages (the caller waits for its effect). False when the post failed (no such window).
bool PressButton(HWND button);
bool PressButton(HWND parent, int id);
bool PressButtonByCaption(HWND parent, const std::string& caption);
// Report list views of another process. Their messages carry pointers, so the driver passes the
// row records through memory it borrows in that process (the program and the driver must be
// built for the same word size, as the tests are). The number of rows (-1 when the list does
// not answer), one cell's text (column 0: the caption), the selected rows, and a selection made
// as a user makes it: every row unselected, then the rows given selected, the first of them
// with the focus mark; the list tells its window of each change as it does for the mouse.
int ListRowCount(HWND list);
std::string ListCellText(HWND list, int row, int column);
std::vector<int> SelectedListRows(HWND list);
bool SelectListRows(HWND list, const std::vector<int>& rows);
// A click of the left mouse button on the row's caption (posted: the button goes down and up
// there); the list takes the focus and selects the row as for the mouse.
bool ClickListRow(HWND list, int row);
// Keys as the keyboard types them (SendInput), into whatever window has the keyboard focus:
// each key of the chord goes down in order, then up in reverse order.
bool TypeKeys(const std::vector<WORD>& chord);

// The window that has the keyboard focus in the thread of the given window (null when none).
HWND FocusedWindow(HWND windowOfThread);

// PostMessage, for what a notification icon or another program would send.
bool PostWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Whether the notification area holds the icon that the window added with that id. Asked by
// changing nothing about it (NIM_MODIFY without a flag), which the notification area refuses
// for an icon it does not hold.
bool NotifyIconExists(HWND owner, UINT id = 0);

// Wine only: the icons of Wine's notification area, each a window of its own (in the "Wine
// System Tray" window that Wine shows when the X display has no notification area, or docked
// into the display's one). Empty on Windows, whose notification area keeps its icons inside
// Explorer. Which program an icon belongs to cannot be told from outside: a test that looks
// at them makes sure its program is the only one with icons.
std::vector<HWND> WineTrayIcons();
// A double-click on one of them, as the mouse does it (down, up, double-click, up): Wine posts
// each to the icon's owner as the icon's callback message, with the mouse message in lParam.
bool DoubleClickWineTrayIcon(HWND icon);

// Polls the condition every kPollMs until it holds or timeoutMs have passed; returns its last
// value. Handles this thread's waiting messages between the polls.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kStartLimitMs);

// Watches one window of a process from a thread of its own, from as soon as the window exists
// until the watch goes: the texts one of its controls showed (in order, each recorded when it
// replaced the one before) and whether the window was ever visible. While the program is at
// work, the watch keeps a read of the control waiting in the program's queue, which the program
// answers at its next turn of the message loop: so the watch sees every text that the program
// shows and then handles its messages (as a status box that must be seen does), provided it
// found the window before the program showed the text. It is meant to start right after the
// process starts, while the program is still loading. Visibility is looked at between reads: a
// window shown for less than a moment may be missed. A program that sits idle is read every few
// milliseconds only.
class WindowWatch {
 public:
  WindowWatch(DWORD processId, const WindowQuery& query, int controlId);
  ~WindowWatch();
  WindowWatch(const WindowWatch&) = delete;
  WindowWatch& operator=(const WindowWatch&) = delete;

  // The window once found; null before.
  HWND Window() const;
  std::vector<std::string> Texts() const;
  bool EverVisible() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace lw::driver
