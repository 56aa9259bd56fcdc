#include "win32/DemoLogon.h"

#include <iostream>
#include <memory>

#include "DemoClock.h"
#include "DemoItems.h"
#include "DemoMachine.h"
#include "platform/Platform.h"
#include "platform/win32/Win32Api.h"
#include "runner/UnitFrmDummyRunner.h"
#include "store/UnitMyKeys.h"
#include "util/Error.h"
#include "util/UnitText.h"

namespace lw::demo {

namespace {

constexpr DWORD kRunOnceTimeoutMs = 60000;
constexpr DWORD kGoTimeoutMs = 120000;
constexpr DWORD kPollMs = 100;
// How long Launchward may take from its registration for the next logon to its end; still
// running after that, it stays in its message loop with the new-items icon.
constexpr DWORD kStaysAfterMs = 2000;
constexpr DWORD kEndAfterClickMs = 15000;

class Process {
 public:
  explicit Process(const std::string& commandLine) {
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    std::string line = commandLine;
    if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &info_)) {
      throw Error("cannot start " + commandLine + " (error " + std::to_string(::GetLastError()) +
                  ")");
    }
    ::CloseHandle(info_.hThread);
  }
  ~Process() { ::CloseHandle(info_.hProcess); }
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  // True when it ended within the time.
  bool Wait(DWORD ms) { return ::WaitForSingleObject(info_.hProcess, ms) == WAIT_OBJECT_0; }
  DWORD ExitCode() {
    DWORD code = 0;
    ::GetExitCodeProcess(info_.hProcess, &code);
    return code;
  }
  void Kill() {
    ::TerminateProcess(info_.hProcess, 1);
    Wait(kEndAfterClickMs);
  }
  DWORD Id() const { return info_.dwProcessId; }

 private:
  PROCESS_INFORMATION info_{};
};

struct WindowSearch {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK MatchRunnerWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD processId = 0;
  ::GetWindowThreadProcessId(window, &processId);
  char caption[128] = {};
  ::GetWindowTextA(window, caption, sizeof(caption));
  if (processId != search->processId || std::string(caption) != kRunnerCaption) return TRUE;
  search->found = window;
  return FALSE;
}

std::string RootName(HKey root) { return root == kHKeyLocalMachine ? "HKLM" : "HKCU"; }

bool SelfRunOnceRegistered() {
  TMyRegistry reg;
  return reg.ValueExistsAt(kHKeyLocalMachine, kRunOnceKey, kSelfRunValue);
}

void RunOnceValues() {
  for (const HKey root : {kHKeyLocalMachine, kHKeyCurrentUser}) {
    for (const NamedValue& value : ReadValues(root, kRunOnceKey)) {
      TMyRegistry reg;
      reg.RemoveValueAt(root, kRunOnceKey, value.name);
      std::cout << "  RunOnce " << RootName(root) << " \"" << value.name
                << "\": deleted, then run and waited for: " << value.data << "\n";
      const std::int64_t begin = NowMs();
      Process process(value.data);
      if (!process.Wait(kRunOnceTimeoutMs)) {
        process.Kill();
        throw Error(value.data + " did not end within " + SecondsText(kRunOnceTimeoutMs));
      }
      const DWORD code = process.ExitCode();
      std::cout << "    it ended after " << SecondsText(NowMs() - begin) << " with exit code "
                << code << "\n";
      if (code != 0) throw Error(value.data + " ended with exit code " + std::to_string(code));
    }
  }
}

// Starts the Run values; returns Launchward's "-go" process (null when it was not there).
std::unique_ptr<Process> RunValues(std::int64_t logonStartMs, std::int64_t* goStartMs) {
  std::unique_ptr<Process> launchward;
  for (const HKey root : {kHKeyLocalMachine, kHKeyCurrentUser}) {
    for (const NamedValue& value : ReadValues(root, kRunKey)) {
      const std::int64_t at = NowMs();
      auto process = std::make_unique<Process>(value.data);
      std::cout << "  Run " << RootName(root) << " \"" << value.name << "\": started at +"
                << SecondsText(at - logonStartMs) << ": " << value.data << "\n";
      if (root == kHKeyLocalMachine && value.name == kSelfRunValue) {
        launchward = std::move(process);
        *goStartMs = at;
      }
    }
  }
  return launchward;
}

void OpenStartupFolders() {
  bool any = false;
  for (const std::string& folder : {UserStartupFolder(), CommonStartupFolder()}) {
    for (const std::string& file : FolderFiles(folder)) {
      if (SameText(file, "desktop.ini")) continue;
      const std::intptr_t result =
          Shell().ShellExecute("open", folder + file, "", "", kSwShowNormal);
      std::cout << "  Startup folder: opened " << folder << file << "\n";
      if (result <= kShellExecuteSuccessAbove) {
        throw Error("cannot open " + folder + file + " (result " + std::to_string(result) + ")");
      }
      any = true;
    }
  }
  if (!any) std::cout << "  Startup folders: nothing to open\n";
}

// Waits for the "-go" start to end, or to stay with its new-items icon, which it then ends.
void WatchLaunchward(Process& launchward, std::int64_t goStartMs) {
  const DWORD begin = ::GetTickCount();
  DWORD registeredAt = 0;
  std::int64_t registeredMs = 0;
  bool registered = false;
  while (!launchward.Wait(kPollMs)) {
    const DWORD now = ::GetTickCount();
    if (!registered && SelfRunOnceRegistered()) {
      registered = true;
      registeredAt = now;
      registeredMs = NowMs() - goStartMs;
    }
    if (registered && now - registeredAt >= kStaysAfterMs) {
      std::cout << "  Launchward -go ran its items, registered itself again "
                << SecondsText(registeredMs) << " after it "
                << "started,\n  and stays with its new-items icon; the demo ends it with a "
                << "double-click on the icon\n";
      WindowSearch search{launchward.Id(), nullptr};
      ::EnumWindows(MatchRunnerWindow, reinterpret_cast<LPARAM>(&search));
      if (search.found == nullptr) {
        launchward.Kill();
        throw Error(std::string("Launchward stays, but it has no window \"") + kRunnerCaption +
                    "\" to double-click");
      }
      // What the icon sends its window when it is double-clicked.
      ::PostMessageA(search.found, kNewItemsIconMessage, 0, kWmLButtonDblClk);
      if (!launchward.Wait(kEndAfterClickMs)) {
        launchward.Kill();
        throw Error("Launchward did not end after the double-click on its new-items icon");
      }
      std::cout << "  Launchward ended with exit code " << launchward.ExitCode() << "\n";
      return;
    }
    if (now - begin > kGoTimeoutMs) {
      launchward.Kill();
      throw Error("Launchward -go did not finish within " + SecondsText(kGoTimeoutMs));
    }
  }
  std::cout << "  Launchward -go ended by itself " << SecondsText(NowMs() - goStartMs)
            << " after it started, with exit code " << launchward.ExitCode() << "\n";
  if (launchward.ExitCode() != 0) {
    throw Error("Launchward -go ended with exit code " + std::to_string(launchward.ExitCode()));
  }
}

}  // namespace

std::int64_t NowMs() {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  return MillisecondsOf(
      {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds});
}

std::string NowText() {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  return TimeOfDayText(
      {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds});
}

LogonTimes RunLogon(const std::function<void()>& afterRunOnce) {
  LogonTimes times;
  times.logonStartMs = NowMs();
  std::cout << "  the logon begins at " << NowText() << "\n";
  RunOnceValues();
  afterRunOnce();
  std::unique_ptr<Process> go = RunValues(times.logonStartMs, &times.goStartMs);
  OpenStartupFolders();
  if (go == nullptr) throw Error("Launchward's Run value was not there to start");
  WatchLaunchward(*go, times.goStartMs);
  return times;
}

}  // namespace lw::demo
