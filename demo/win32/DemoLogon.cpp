#include "win32/DemoLogon.h"

#include <iostream>

#include "DemoClock.h"
#include "DemoItems.h"
#include "DemoMachine.h"
#include "driver/WindowDriver.h"
#include "edit/EditWindow.h"
#include "edit/win32/EditWindowView.h"
#include "platform/Platform.h"
#include "platform/win32/Win32Api.h"
#include "runner/StartupControl.h"
#include "store/SettingsStore.h"
#include "util/Error.h"
#include "util/Text.h"

namespace lw::demo {

namespace {

constexpr DWORD kRunOnceTimeoutMs = 60000;
constexpr DWORD kGoTimeoutMs = 120000;
constexpr DWORD kPollMs = 100;
// How long Launchward may take from its registration for the next logon to its end; still
// running after that, it stays in its message loop with the new-items icon.
constexpr DWORD kStaysAfterMs = 2000;
constexpr DWORD kEndAfterClickMs = 15000;

driver::ChildProcess Start(const std::string& commandLine) {
  driver::ChildProcess process;
  if (!process.Start(commandLine, "")) {
    throw Error("cannot start " + commandLine + " (error " + std::to_string(::GetLastError()) +
                ")");
  }
  return process;
}

std::string RootName(HKey root) { return root == kHKeyLocalMachine ? "HKLM" : "HKCU"; }

// The first phase leaves its mark; the second clears it once its items ran.
bool RunOnceMarkCleared() {
  Registry reg;
  return !reg.ValueExistsAt(kHKeyLocalMachine, kProgramKey, kRunOnceMarkValue);
}

void RunOnceValues() {
  for (const HKey root : {kHKeyLocalMachine, kHKeyCurrentUser}) {
    for (const NamedValue& value : ReadValues(root, kRunOnceKey)) {
      Registry reg;
      reg.RemoveValueAt(root, kRunOnceKey, value.name);
      std::cout << "  RunOnce " << RootName(root) << " \"" << value.name
                << "\": deleted, then run and waited for: " << value.data << "\n";
      const std::int64_t begin = NowMs();
      driver::ChildProcess process = Start(value.data);
      DWORD code = 0;
      if (!process.WaitForExit(kRunOnceTimeoutMs, &code)) {
        process.Terminate();
        throw Error(value.data + " did not end within " + SecondsText(kRunOnceTimeoutMs));
      }
      std::cout << "    it ended after " << SecondsText(NowMs() - begin) << " with exit code "
                << code << "\n";
      if (code != 0) throw Error(value.data + " ended with exit code " + std::to_string(code));
    }
  }
}

// Starts the Run values; returns Launchward's "-go" process (none started when it was not
// there). The other programs run on their own.
driver::ChildProcess RunValues(std::int64_t logonStartMs, std::int64_t* goStartMs) {
  driver::ChildProcess launchward;
  for (const HKey root : {kHKeyLocalMachine, kHKeyCurrentUser}) {
    for (const NamedValue& value : ReadValues(root, kRunKey)) {
      const std::int64_t at = NowMs();
      driver::ChildProcess process = Start(value.data);
      std::cout << "  Run " << RootName(root) << " \"" << value.name << "\": started at +"
                << SecondsText(at - logonStartMs) << ": " << value.data << "\n";
      if (root == kHKeyLocalMachine && value.name == kSelfRunValue) {
        launchward = std::move(process);
        *goStartMs = at;
      } else {
        process.Detach();
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
void WatchLaunchward(driver::ChildProcess& launchward, std::int64_t goStartMs) {
  const DWORD begin = ::GetTickCount();
  DWORD ranAt = 0;
  std::int64_t ranMs = 0;
  bool ran = false;
  DWORD code = 0;
  while (!launchward.WaitForExit(kPollMs, &code)) {
    const DWORD now = ::GetTickCount();
    if (!ran && RunOnceMarkCleared()) {
      ran = true;
      ranAt = now;
      ranMs = NowMs() - goStartMs;
    }
    if (ran && now - ranAt >= kStaysAfterMs) {
      std::cout << "  Launchward -go ran its items " << SecondsText(ranMs) << " after it "
                << "started,\n  and stays with its new-items icon; the demo double-clicks it "
                << "and closes the edit window it opens\n";
      const std::vector<HWND> windows =
          driver::ProcessWindows(launchward.Id(), {"", kRunnerCaption});
      if (windows.empty()) {
        launchward.Terminate();
        throw Error(std::string("Launchward stays, but it has no window \"") + kRunnerCaption +
                    "\" to double-click");
      }
      // What the icon sends its window when it is double-clicked.
      ::PostMessageA(windows.front(), kNewItemsIconMessage, 0, kWmLButtonDblClk);
      const HWND edit = driver::WaitForProcessWindow(
          launchward.Id(), {kEditWindowClass, kEditWindowCaption, true}, kEndAfterClickMs);
      if (edit != nullptr) ::PostMessageA(edit, WM_CLOSE, 0, 0);
      if (!launchward.WaitForExit(kEndAfterClickMs, &code)) {
        launchward.Terminate();
        throw Error(edit == nullptr ? "Launchward opened no edit window from its new-items icon"
                                    : "Launchward did not end when its edit window was closed");
      }
      std::cout << "  Launchward ended with exit code " << code << "\n";
      return;
    }
    if (now - begin > kGoTimeoutMs) {
      launchward.Terminate();
      throw Error("Launchward -go did not finish within " + SecondsText(kGoTimeoutMs));
    }
  }
  std::cout << "  Launchward -go ended by itself " << SecondsText(NowMs() - goStartMs)
            << " after it started, with exit code " << code << "\n";
  if (code != 0) throw Error("Launchward -go ended with exit code " + std::to_string(code));
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
  driver::ChildProcess go = RunValues(times.logonStartMs, &times.goStartMs);
  OpenStartupFolders();
  if (!go.Started()) throw Error("Launchward's Run value was not there to start");
  WatchLaunchward(go, times.goStartMs);
  return times;
}

}  // namespace lw::demo
