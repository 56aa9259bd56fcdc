#include "ProcessWatch.h"

#include <cstring>

#include "platform/win32/Win32Api.h"
// After <windows.h>, which it needs.
#include <psapi.h>

#include "util/Error.h"

namespace lw::bench {

namespace {

// The performance counter: the finest clock there is.
class Stopwatch {
 public:
  Stopwatch() {
    ::QueryPerformanceFrequency(&frequency_);
    ::QueryPerformanceCounter(&start_);
  }
  double Ms() const {
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart - start_.QuadPart) /
           static_cast<double>(frequency_.QuadPart);
  }

 private:
  LARGE_INTEGER frequency_{};
  LARGE_INTEGER start_{};
};

// The child's process and thread handles, closed on every path; a child still running when
// the watch gives up is ended, so that no run leaks into the next.
class Child {
 public:
  Child(const std::string& commandLine, const std::string& folder) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string line = commandLine;  // CreateProcess may write into the command line
    if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                          &startup, &info_)) {
      throw Error("Cannot start " + commandLine + " (error " + std::to_string(::GetLastError()) +
                  ")");
    }
  }
  ~Child() {
    if (::WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
      ::TerminateProcess(info_.hProcess, 1);
      ::WaitForSingleObject(info_.hProcess, 5000);
    }
    ::CloseHandle(info_.hThread);
    ::CloseHandle(info_.hProcess);
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  HANDLE Process() const { return info_.hProcess; }
  DWORD ThreadId() const { return info_.dwThreadId; }

  // Waits up to the milliseconds; true when the process has ended.
  bool WaitEnded(DWORD ms) const {
    return ::WaitForSingleObject(info_.hProcess, ms) == WAIT_OBJECT_0;
  }

 private:
  PROCESS_INFORMATION info_{};
};

// The system's own input-method window, made for a thread together with its first window.
constexpr char kImeClass[] = "IME";

// The watch in progress (one at a time): window events carry no context of their own.
struct Watch {
  DWORD threadId = 0;
  DWORD startTick = 0;
  const std::vector<std::string>* classes = nullptr;
  ChildRun* run = nullptr;
};
Watch* watch = nullptr;

// Events may arrive out of order: the earliest counts.
void NoteEarliest(double& slot, double ms) {
  if (slot < 0.0 || ms < slot) slot = ms;
}

void CALLBACK OnWindowCreated(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child,
                              DWORD thread, DWORD eventTick) {
  if (watch == nullptr || object != OBJID_WINDOW || child != CHILDID_SELF ||
      thread != watch->threadId) {
    return;
  }
  const double ms = static_cast<double>(eventTick - watch->startTick);
  char name[256] = "";
  const bool alive = ::GetClassNameA(window, name, sizeof name) > 0;
  // A window already gone by the time its event arrives is taken for a top-level one: a
  // program makes its top-level windows before their children, and only a program that ends
  // at once (the minimal one) loses its window that fast.
  if (alive && (::GetAncestor(window, GA_PARENT) != ::GetDesktopWindow() ||
                std::strcmp(name, kImeClass) == 0)) {
    return;
  }
  ChildRun& run = *watch->run;
  if (run.firstWindowMs < 0.0 || ms < run.firstWindowMs) {
    run.firstWindowMs = ms;
    run.firstWindowClass = name;
  }
  for (std::size_t i = 0; alive && i < watch->classes->size(); ++i) {
    if ((*watch->classes)[i] == name) NoteEarliest(run.windowMs[i], ms);
  }
}

// The events reach this thread as messages.
void DispatchEvents() {
  MSG message;
  while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&message);
}

// The hook for window creations in every other process, for the length of one watch.
class CreationHook {
 public:
  CreationHook()
      : hook_(::SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, nullptr, &OnWindowCreated,
                                0, 0, WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS)) {
    if (hook_ == nullptr) throw Error("Cannot watch window creations");
  }
  ~CreationHook() {
    ::UnhookWinEvent(hook_);
    watch = nullptr;
  }
  CreationHook(const CreationHook&) = delete;
  CreationHook& operator=(const CreationHook&) = delete;

 private:
  HWINEVENTHOOK hook_;
};

void NoteReading(PeakMemory& peak, std::uint64_t bytes) {
  if (bytes == 0) return;
  ++peak.readings;
  if (bytes > peak.bytes) peak.bytes = bytes;
}

// PeakWorkingSetSize of the process, 0 when it cannot be read.
std::uint64_t ReadPeakWorkingSet(HANDLE process) {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!::GetProcessMemoryInfo(process, &counters, sizeof counters)) return 0;
  return counters.PeakWorkingSetSize;
}

}  // namespace

ChildRun WatchWindows(const std::string& commandLine, const std::string& folder,
                      const std::vector<std::string>& classes, std::uint32_t timeoutMs) {
  ChildRun run;
  run.windowMs.assign(classes.size(), -1.0);
  // Hooked before the start, so that no window is missed; the events are only looked at once
  // the child's thread is known.
  const CreationHook hook;
  Watch current;
  current.classes = &classes;
  current.run = &run;
  // The clocks start before the call: the process start itself is part of the start-up.
  current.startTick = ::GetTickCount();
  const Stopwatch clock;
  const Child child(commandLine, folder);
  current.threadId = child.ThreadId();
  watch = &current;
  for (;;) {
    const double left = timeoutMs - clock.Ms();
    if (left <= 0.0) break;
    HANDLE process = child.Process();
    const DWORD woke =
        ::MsgWaitForMultipleObjects(1, &process, FALSE, static_cast<DWORD>(left) + 1, QS_ALLINPUT);
    if (woke == WAIT_OBJECT_0) {
      run.exitMs = clock.Ms();
      break;
    }
    DispatchEvents();
  }
  // What the child did before it ended is all queued here by now.
  DispatchEvents();
  if (run.exitMs >= 0.0) {
    DWORD code = 0;
    ::GetExitCodeProcess(child.Process(), &code);
    run.exitCode = code;
  }
  return run;
}

PeakMemory WatchPeakMemory(const std::string& commandLine, const std::string& folder,
                           std::uint32_t timeoutMs) {
  PeakMemory peak;
  const Stopwatch clock;
  const Child child(commandLine, folder);
  bool ended = false;
  while (!ended && clock.Ms() < timeoutMs) {
    // Wine has the figure only while the process runs, so it is read all along; the peak is a
    // high-water mark, so the last reading before the end is the run's.
    NoteReading(peak, ReadPeakWorkingSet(child.Process()));
    ended = child.WaitEnded(1);
  }
  // Where the system keeps the figure after the end (Wine does not), it is the final one.
  if (ended) NoteReading(peak, ReadPeakWorkingSet(child.Process()));
  return peak;
}

void HoldDesktop() {
  static HWND window = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                         ::GetModuleHandleA(nullptr), nullptr);
  (void)window;
}

std::string WineVersion() {
  using GetVersionFunction = const char*(__cdecl*)();
  HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
  if (ntdll == nullptr) return std::string();
  const auto get = reinterpret_cast<GetVersionFunction>(
      reinterpret_cast<void*>(::GetProcAddress(ntdll, "wine_get_version")));
  return get == nullptr ? std::string() : std::string(get());
}

}  // namespace lw::bench
