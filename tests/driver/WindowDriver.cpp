#include "driver/WindowDriver.h"

#include <commctrl.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <utility>

// How the driver reads another program's windows:
// - Class names, top-level captions and visibility are read without a message (the system keeps
//   them), so they answer even while the program is busy.
// - A control's text lives in the control (an edit keeps its own buffer), so it is asked with
//   WM_GETTEXT, which the system copies across processes. The program answers when it next
//   handles its messages; the reads wait for that with a limit, and one read asks for the text
//   in one message, so that the length and the text cannot come from two different moments.

namespace lw::driver {

namespace {

constexpr DWORD kReadLimitMs = 5000;
// Long enough for any text the program shows in a control.
constexpr int kTextBufferChars = 32768;
// The window watch: how long one read may wait (so that the watch ends soon when asked), and
// how it slows down for a program that waits for messages.
constexpr DWORD kWatchReadLimitMs = 200;
constexpr int kQuickAnswersBeforeIdle = 50;
constexpr DWORD kIdlePollMs = 5;

// The number of bytes of the notification-icon record that every Windows version since 2000
// accepts (without the GUID and the balloon icon).
constexpr DWORD kNotifyIconRecordSize = NOTIFYICONDATAA_V2_SIZE;

struct EnumContext {
  DWORD processId;
  const WindowQuery* query;
  std::vector<HWND>* found;
};

// The caption the system keeps for the window, in the code page of the program's texts.
// GetWindowText would send WM_GETTEXT to a window of this process, and so wait for its thread.
std::string CaptionOf(HWND window) {
  wchar_t wide[1024] = {};
  const int length = ::InternalGetWindowText(window, wide, 1024);
  if (length <= 0) return std::string();
  char text[4096] = {};
  const int bytes =
      ::WideCharToMultiByte(CP_ACP, 0, wide, length, text, sizeof text, nullptr, nullptr);
  return std::string(text, bytes > 0 ? static_cast<std::size_t>(bytes) : 0);
}

BOOL CALLBACK CollectProcessWindow(HWND window, LPARAM param) {
  const auto* context = reinterpret_cast<const EnumContext*>(param);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (owner != context->processId) return TRUE;
  const WindowQuery& query = *context->query;
  if (!query.className.empty() && WindowClass(window) != query.className) return TRUE;
  if (!query.caption.empty() && CaptionOf(window) != query.caption) return TRUE;
  if (query.visibleOnly && !::IsWindowVisible(window)) return TRUE;
  context->found->push_back(window);
  return TRUE;
}

// A read of the control's text that waits at most limitMs; false when it got no answer.
bool ReadText(HWND window, DWORD limitMs, std::string* text) {
  std::string buffer(kTextBufferChars, '\0');
  DWORD_PTR copied = 0;
  if (!::SendMessageTimeoutA(window, WM_GETTEXT, buffer.size(),
                             reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG, limitMs,
                             &copied)) {
    return false;
  }
  buffer.resize(copied < buffer.size() ? copied : buffer.size() - 1);
  *text = std::move(buffer);
  return true;
}

void HandleWaitingMessages() {
  MSG message{};
  while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
}

}  // namespace

// --- ChildProcess --------------------------------------------------------------------------------

ChildProcess::~ChildProcess() {
  Terminate();
  Release();
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : process_(std::exchange(other.process_, nullptr)), id_(std::exchange(other.id_, 0)) {}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
  if (this != &other) {
    Terminate();
    Release();
    process_ = std::exchange(other.process_, nullptr);
    id_ = std::exchange(other.id_, 0);
  }
  return *this;
}

void ChildProcess::Release() {
  if (process_ != nullptr) ::CloseHandle(process_);
  process_ = nullptr;
  id_ = 0;
}

bool ChildProcess::Start(const std::string& commandLine, const std::string& folder,
                         const STARTUPINFOEXA* extended) {
  Release();
  STARTUPINFOEXA startup{};
  if (extended != nullptr) startup = *extended;
  startup.StartupInfo.cb = extended == nullptr ? sizeof startup.StartupInfo : sizeof startup;
  PROCESS_INFORMATION info{};
  std::string line = commandLine;  // CreateProcessA may write into it
  const DWORD flags = extended == nullptr ? 0 : EXTENDED_STARTUPINFO_PRESENT;
  if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, flags, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup.StartupInfo, &info)) {
    return false;
  }
  ::CloseHandle(info.hThread);
  process_ = info.hProcess;
  id_ = info.dwProcessId;
  return true;
}

bool ChildProcess::Running() const {
  return process_ != nullptr && ::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

bool ChildProcess::WaitForExit(DWORD timeoutMs, DWORD* exitCode) const {
  if (process_ == nullptr || ::WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) {
    return false;
  }
  if (exitCode != nullptr) {
    DWORD code = 0;
    ::GetExitCodeProcess(process_, &code);
    *exitCode = code;
  }
  return true;
}

bool ChildProcess::Terminate(UINT exitCode) {
  if (process_ == nullptr) return true;
  if (Running()) ::TerminateProcess(process_, exitCode);
  return WaitForExit(kStartLimitMs);
}

// --- Windows ---------------------------------------------------------------------------------

std::vector<HWND> ProcessWindows(DWORD processId, const WindowQuery& query) {
  std::vector<HWND> found;
  EnumContext context{processId, &query, &found};
  ::EnumWindows(CollectProcessWindow, reinterpret_cast<LPARAM>(&context));
  return found;
}

HWND WaitForProcessWindow(DWORD processId, const WindowQuery& query, DWORD timeoutMs) {
  HWND window = nullptr;
  WaitUntil(
      [&] {
        const std::vector<HWND> found = ProcessWindows(processId, query);
        window = found.empty() ? nullptr : found.front();
        return window != nullptr;
      },
      timeoutMs);
  return window;
}

std::vector<HWND> MessageBoxes(DWORD processId, const std::string& title) {
  return ProcessWindows(processId, WindowQuery{kMessageBoxClass, title, false});
}

HWND WaitForMessageBox(DWORD processId, const std::string& title, DWORD timeoutMs) {
  // A box is visible only once its text and buttons exist: found earlier, on a loaded machine,
  // it may have neither yet.
  return WaitForProcessWindow(processId, WindowQuery{kMessageBoxClass, title, true}, timeoutMs);
}

std::string WindowText(HWND window) {
  std::string text;
  ReadText(window, kReadLimitMs, &text);
  return text;
}

std::string WindowClass(HWND window) {
  char name[256] = {};
  const int length = ::GetClassNameA(window, name, sizeof name);
  return std::string(name, length > 0 ? static_cast<std::size_t>(length) : 0);
}

std::vector<HWND> ChildWindows(HWND parent) {
  std::vector<HWND> children;
  for (HWND child = ::GetWindow(parent, GW_CHILD); child != nullptr;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    children.push_back(child);
  }
  return children;
}

std::vector<std::string> ChildTexts(HWND parent) {
  std::vector<std::string> texts;
  for (HWND child : ChildWindows(parent)) texts.push_back(WindowText(child));
  return texts;
}

std::string ControlText(HWND parent, int id) {
  HWND control = ::GetDlgItem(parent, id);
  return control == nullptr ? std::string() : WindowText(control);
}

HWND FindChildByText(HWND parent, const std::string& caption) {
  for (HWND child : ChildWindows(parent)) {
    if (WindowText(child) == caption) return child;
  }
  return nullptr;
}

bool IsVisible(HWND window) { return ::IsWindowVisible(window) != FALSE; }

// --- Input -----------------------------------------------------------------------------------

bool PressButton(HWND button) {
  return button != nullptr && ::PostMessageA(button, BM_CLICK, 0, 0) != FALSE;
}

bool PressButton(HWND parent, int id) { return PressButton(::GetDlgItem(parent, id)); }

bool PressButtonByCaption(HWND parent, const std::string& caption) {
  return PressButton(FindChildByText(parent, caption));
}

namespace {

// A block of memory in the process that owns the window, freed when it goes.
class RemoteBlock {
 public:
  RemoteBlock(HWND window, std::size_t size) : size_(size) {
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    process_ =
        ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (process_ != nullptr) {
      address_ =
          ::VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
  }
  ~RemoteBlock() {
    if (address_ != nullptr) ::VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    if (process_ != nullptr) ::CloseHandle(process_);
  }
  RemoteBlock(const RemoteBlock&) = delete;
  RemoteBlock& operator=(const RemoteBlock&) = delete;

  bool Valid() const { return address_ != nullptr; }
  char* Address() const { return static_cast<char*>(address_); }
  bool Write(std::size_t offset, const void* data, std::size_t size) const {
    return offset + size <= size_ &&
           ::WriteProcessMemory(process_, Address() + offset, data, size, nullptr) != FALSE;
  }
  bool Read(std::size_t offset, void* data, std::size_t size) const {
    return offset + size <= size_ &&
           ::ReadProcessMemory(process_, Address() + offset, data, size, nullptr) != FALSE;
  }

 private:
  std::size_t size_;
  HANDLE process_ = nullptr;
  void* address_ = nullptr;
};

bool SendWithLimit(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  DWORD_PTR answer = 0;
  if (!::SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kReadLimitMs,
                             &answer)) {
    return false;
  }
  if (result != nullptr) *result = static_cast<LRESULT>(answer);
  return true;
}

bool SetRowState(HWND list, int row, UINT state, UINT mask) {
  RemoteBlock block(list, sizeof(LVITEMA));
  if (!block.Valid()) return false;
  LVITEMA item{};
  item.state = state;
  item.stateMask = mask;
  LRESULT done = 0;
  return block.Write(0, &item, sizeof item) &&
         SendWithLimit(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                       reinterpret_cast<LPARAM>(block.Address()), &done) &&
         done != 0;
}

}  // namespace

int ListRowCount(HWND list) {
  LRESULT count = 0;
  return SendWithLimit(list, LVM_GETITEMCOUNT, 0, 0, &count) ? static_cast<int>(count) : -1;
}

std::string ListCellText(HWND list, int row, int column) {
  constexpr std::size_t kTextChars = 1024;
  RemoteBlock block(list, sizeof(LVITEMA) + kTextChars);
  if (!block.Valid()) return std::string();
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = block.Address() + sizeof(LVITEMA);
  item.cchTextMax = static_cast<int>(kTextChars);
  LRESULT length = 0;
  if (!block.Write(0, &item, sizeof item) ||
      !SendWithLimit(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(block.Address()), &length)) {
    return std::string();
  }
  std::string text(kTextChars, '\0');
  if (!block.Read(sizeof(LVITEMA), text.data(), kTextChars)) return std::string();
  text.resize(static_cast<std::size_t>(length) < kTextChars ? static_cast<std::size_t>(length)
                                                            : kTextChars - 1);
  return text;
}

std::vector<int> SelectedListRows(HWND list) {
  std::vector<int> rows;
  const int count = ListRowCount(list);
  for (int row = 0; row < count; ++row) {
    LRESULT state = 0;
    if (SendWithLimit(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED, &state) &&
        (state & LVIS_SELECTED) != 0) {
      rows.push_back(row);
    }
  }
  return rows;
}

bool SelectListRows(HWND list, const std::vector<int>& rows) {
  // -1: every row.
  bool done = SetRowState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const UINT state = LVIS_SELECTED | (i == 0 ? LVIS_FOCUSED : 0u);
    done = SetRowState(list, rows[i], state, state) && done;
  }
  return done;
}

bool ClickListRow(HWND list, int row) {
  RemoteBlock block(list, sizeof(RECT));
  RECT rect{};
  rect.left = LVIR_LABEL;
  LRESULT done = 0;
  if (!block.Valid() || !block.Write(0, &rect, sizeof rect) ||
      !SendWithLimit(list, LVM_GETITEMRECT, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(block.Address()), &done) ||
      done == 0 || !block.Read(0, &rect, sizeof rect)) {
    return false;
  }
  const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  return ::PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at) != FALSE &&
         ::PostMessageA(list, WM_LBUTTONUP, 0, at) != FALSE;
}

HWND FocusedWindow(HWND windowOfThread) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  const DWORD thread = ::GetWindowThreadProcessId(windowOfThread, nullptr);
  return thread != 0 && ::GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

bool TypeKeys(const std::vector<WORD>& chord) {
  std::vector<INPUT> inputs;
  for (WORD key : chord) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    inputs.push_back(input);
  }
  for (auto key = chord.rbegin(); key != chord.rend(); ++key) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = *key;
    input.ki.dwFlags = KEYEVENTF_KEYUP;
    inputs.push_back(input);
  }
  return ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) ==
         inputs.size();
}

bool PostWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return ::PostMessageA(window, message, wParam, lParam) != FALSE;
}

bool NotifyIconExists(HWND owner, UINT id) {
  NOTIFYICONDATAA record{};
  record.cbSize = kNotifyIconRecordSize;
  record.hWnd = owner;
  record.uID = id;
  record.uFlags = 0;  // nothing to change: only whether the icon is there
  return ::Shell_NotifyIconA(NIM_MODIFY, &record) != FALSE;
}

namespace {

constexpr char kWineTrayIconClass[] = "__winex11_tray_icon";

BOOL CALLBACK CollectIfTrayIcon(HWND window, LPARAM param) {
  if (WindowClass(window) == kWineTrayIconClass) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
  }
  return TRUE;
}

BOOL CALLBACK CollectTrayIcons(HWND window, LPARAM param) {
  CollectIfTrayIcon(window, param);
  // The icons of Wine's own tray window are its children (EnumChildWindows goes all the way
  // down).
  ::EnumChildWindows(window, CollectIfTrayIcon, param);
  return TRUE;
}

}  // namespace

std::vector<HWND> WineTrayIcons() {
  std::vector<HWND> found;
  ::EnumWindows(CollectTrayIcons, reinterpret_cast<LPARAM>(&found));
  return found;
}

bool DoubleClickWineTrayIcon(HWND icon) {
  bool posted = icon != nullptr;
  for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}) {
    posted = posted && ::PostMessageA(icon, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, 0);
  }
  return posted;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  const DWORD started = ::GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (::GetTickCount() - started >= timeoutMs) return condition();
    HandleWaitingMessages();
    ::Sleep(kPollMs);
  }
}

// --- WindowWatch ----------------------------------------------------------------------------

struct WindowWatch::State {
  DWORD processId = 0;
  WindowQuery query;
  int controlId = 0;
  std::atomic<bool> stop{false};
  mutable std::mutex mutex;
  HWND window = nullptr;
  std::vector<std::string> texts;
  bool everVisible = false;
  std::thread thread;

  void Run() {
    // Looks for the window in a tight loop: the program may show its first text a few
    // milliseconds after it created the window.
    HWND found = nullptr;
    while (!stop && found == nullptr) {
      const std::vector<HWND> windows = ProcessWindows(processId, query);
      if (!windows.empty()) {
        found = windows.front();
      } else {
        ::Sleep(1);
      }
    }
    {
      std::lock_guard<std::mutex> lock(mutex);
      window = found;
    }
    // A read that the program answers at once means it waits for messages: after many of
    // those in a row the watch slows down, so that it does not keep two processors busy for a
    // program that sits idle. A program at work answers at its next turn of the loop, and
    // the next read is sent at once.
    int quickAnswers = 0;
    while (!stop && found != nullptr && ::IsWindow(found)) {
      const bool visible = IsVisible(found);
      HWND control = ::GetDlgItem(found, controlId);
      std::string text;
      const DWORD asked = ::GetTickCount();
      const bool read = control != nullptr && ReadText(control, kWatchReadLimitMs, &text);
      quickAnswers = read && ::GetTickCount() - asked < 2 ? quickAnswers + 1 : 0;
      {
        std::lock_guard<std::mutex> lock(mutex);
        everVisible = everVisible || visible;
        if (read && (texts.empty() || texts.back() != text)) texts.push_back(text);
      }
      if (control == nullptr) {
        ::Sleep(1);
      } else if (quickAnswers > kQuickAnswersBeforeIdle) {
        ::Sleep(kIdlePollMs);
      }
    }
  }
};

WindowWatch::WindowWatch(DWORD processId, const WindowQuery& query, int controlId)
    : state_(std::make_unique<State>()) {
  state_->processId = processId;
  state_->query = query;
  state_->controlId = controlId;
  state_->thread = std::thread([state = state_.get()] { state->Run(); });
}

WindowWatch::~WindowWatch() {
  state_->stop = true;
  state_->thread.join();
}

HWND WindowWatch::Window() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->window;
}

std::vector<std::string> WindowWatch::Texts() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->texts;
}

bool WindowWatch::EverVisible() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->everVisible;
}

}  // namespace lw::driver
