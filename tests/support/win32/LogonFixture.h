#pragma once
// What the end-to-end tests stand on: a copy of launchward.exe in the test's scratch folder (so
// its "options.ini", "error.txt" and shortcut store "Startup\" are the test's own), the probe
// program beside it, short pauses, and helpers that start the copy and find its runner window.
// What a test checks is read from outside, as a user or Windows would see it: the registry and
// the folders through the seam, the windows and icons through the window driver.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "driver/WindowDriver.h"
#include "runner/StartupControl.h"
#include "runner/win32/StartupControlWindow.h"
#include "support/LogonRunnerFixture.h"
#include "support/ProbePrograms.h"
#include "ui/Dialogs.h"
#include "util/CurrentUser.h"

namespace lw::test {

// How long a copy may take to end once it has nothing left to do (a Wine start costs seconds).
inline constexpr DWORD kEndLimitMs = 60000;

// The runner window of a started copy.
inline const driver::WindowQuery kRunnerWindowQuery{"TfrmDummyRunner", kRunnerCaption, false};

class LogonTest : public RunnerTest {
 protected:
  void SetUp() override {
    RunnerTest::SetUp();
    folder = ScratchFolder();
    program = folder + "launchward.exe";
    ASSERT_TRUE(Files().CopyFile(ExeFolder() + "launchward.exe", program, false))
        << "launchward.exe must lie beside the tests";
    probe = folder + "lwprobe.exe";
    InstallProbe(probe);
    // The copy keeps its taken-over shortcuts beside itself.
    store = folder + "Startup\\";
    SetDefaultPauses(0, 0, 0);
  }
  void TearDown() override {
    // The registration points at this test's copy: a later logon of the Wine prefix must not
    // start it.
    for (HKey root : {kHKeyLocalMachine, kHKeyCurrentUser}) {
      RemoveRawValue(root, kRunKey, kSelfRunValue);
      RemoveRawValue(root, kRunOnceKey, kSelfRunValue);
    }
    RunnerTest::TearDown();
  }

  // "options.ini" beside the copy, with these check boxes ("1" or "0").
  void WriteOptions(std::initializer_list<std::pair<const char*, bool>> boxes) const {
    for (const auto& [name, checked] : boxes) {
      ASSERT_TRUE(Files().WritePrivateProfileString(name, name, checked ? "1" : "0",
                                                    folder + "options.ini"));
    }
  }

  // Starts the copy (or another executable of the scratch folder) with the arguments, in the
  // scratch folder.
  driver::ChildProcess Start(const std::string& arguments,
                             const std::string& executable = {}) const {
    driver::ChildProcess process;
    const std::string path = executable.empty() ? program : executable;
    EXPECT_TRUE(process.Start("\"" + path + "\" " + arguments, folder)) << path;
    return process;
  }

  // The probe's command line for an item; the argument tells the starts apart.
  std::string ProbeCommand(const std::string& argument) const {
    return "\"" + probe + "\" " + argument;
  }

  // The registration values the program writes for itself.
  std::string Registration(const std::string& theSwitch, const std::string& executable = {}) const {
    return "\"" + (executable.empty() ? program : executable) + "\" " + theSwitch + " ";
  }

  // Both phases are registered in the machine's keys for this test's copy.
  void ExpectRegisteredForBothPhases() const {
    EXPECT_EQ(RunValue(kHKeyLocalMachine, kSelfRunValue), Registration("-go"));
    EXPECT_EQ(RawString(kHKeyLocalMachine, kRunOnceKey, kSelfRunValue), Registration("-pre"));
  }

  // The runner window of the process, once it exists with its buttons: the window is listed
  // from its creation on, before its controls are made.
  static HWND RunnerWindow(const driver::ChildProcess& process) {
    const HWND runner = driver::WaitForProcessWindow(process.Id(), kRunnerWindowQuery);
    if (runner == nullptr ||
        !driver::WaitUntil([&] { return ::GetDlgItem(runner, kRunnerPauseId) != nullptr; })) {
      return nullptr;
    }
    return runner;
  }

  // The exit code once the process ended; -1 when it still runs after kEndLimitMs.
  static std::int64_t ExitCode(const driver::ChildProcess& process) {
    DWORD code = 0;
    return process.WaitForExit(kEndLimitMs, &code) ? static_cast<std::int64_t>(code) : -1;
  }

  // Whether the status box's text reaches the text.
  static bool StatusBecomes(HWND runner, const std::string& text) {
    return driver::WaitUntil(
        [&] { return driver::ControlText(runner, kRunnerStatusBoxId) == text; });
  }

  // The arguments of the probe starts so far, in order (the last blank-separated word of each
  // command line, which the start method leaves as it was).
  static std::vector<std::string> ProbeArguments(std::size_t count) {
    std::vector<std::string> arguments;
    for (const ProbeStart& start : WaitForProbeStarts(count)) {
      const std::string& line = start.commandLine;
      const std::size_t end = line.find_last_not_of(' ');
      const std::size_t blank = line.find_last_of(' ', end);
      arguments.push_back(blank == std::string::npos ? line : line.substr(blank + 1, end - blank));
    }
    return arguments;
  }

  // The one icon in Wine's notification area (the program's: nothing else of the tests has
  // one), once it is there; null when there is none or more than one.
  static HWND OnlyWineTrayIcon() {
    std::vector<HWND> icons;
    driver::WaitUntil([&] {
      icons = driver::WineTrayIcons();
      return !icons.empty();
    });
    EXPECT_EQ(icons.size(), 1u);
    return icons.size() == 1 ? icons.front() : nullptr;
  }

  // Waits for the process's message box that shows the text, presses the button and waits for
  // the box to go; false when no such box came or it stayed.
  static bool Answer(const driver::ChildProcess& process, const std::string& text, int button) {
    HWND box = nullptr;
    driver::WaitUntil([&] {
      // Only a box on the screen has all its buttons.
      for (HWND candidate : driver::MessageBoxes(process.Id(), kProductTitle)) {
        if (!driver::IsVisible(candidate)) continue;
        for (const std::string& shown : driver::ChildTexts(candidate)) {
          if (shown == text) box = candidate;
        }
      }
      return box != nullptr;
    });
    if (box == nullptr) {
      ADD_FAILURE() << "no message box: " << text;
      return false;
    }
    return driver::PressButton(box, button) && driver::WaitUntil([&] { return !::IsWindow(box); });
  }

  std::string folder;   // the scratch folder, with a trailing backslash
  std::string program;  // the copy of launchward.exe
  std::string probe;    // lwprobe.exe beside it
};

}  // namespace lw::test
