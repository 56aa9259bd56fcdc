// lwdemo: the console tool behind scripts/run. It plants stand-ins for a user's start-up
// programs, registers Launchward as its Install does, logs on the way Windows does, and prints
// what the Run keys, the Startup folders and Launchward's store hold at each stage and when
// each item started. Any step that does not do what it should ends the tool with exit code 1
// and a message that says what went wrong.
//
//   lwdemo <path of launchward.exe> <command>...
//
// The commands run in the order given:
//   reset                 empty the Run and RunOnce keys, the Startup folders and the store
//   pauses=<init>,<runkey>,<startup>
//                         the three pauses of the program key, in milliseconds
//   plant                 three Run values and two shortcuts starting lwdemoapp.exe (beside us)
//   register              Launchward's Run ("-go") and RunOnce ("-pre") values
//   show                  what the Run keys, the Startup folders and the store hold
//   logon                 a logon with Launchward, the store after each phase, the start times
//   restore               Launchward started as a user starts it, Restore pressed in its main
//                         window and in the restore window; every item must be back

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "DemoChecks.h"
#include "DemoItems.h"
#include "DemoMachine.h"
#include "DemoReport.h"
#include "DemoTiming.h"
#include "platform/Platform.h"
#include "platform/win32/Win32Api.h"
#include "platform/win32/Win32Platform.h"
#include "store/SettingsStore.h"
#include "util/Error.h"
#include "win32/DemoLogon.h"
#include "win32/DemoRestore.h"

namespace lw::demo {
namespace {

constexpr std::uint32_t kLastItemWaitMs = 10000;

std::string OwnFolder() {
  char buffer[MAX_PATH * 2] = {};
  const DWORD length = ::GetModuleFileNameA(nullptr, buffer, sizeof(buffer));
  const std::string path(buffer, length < sizeof(buffer) ? length : 0);
  return path.substr(0, path.find_last_of('\\') + 1);
}

void Heading(const std::string& text) { std::cout << "\n== " << text << "\n"; }

void ShowAll(const std::string& launchward) {
  PrintSystemPlaces();
  PrintStore(launchward);
}

// The run order, then the startup order, as demo item names.
std::vector<std::string> ManagedOrder(const std::string& program) {
  std::vector<std::string> order;
  for (const std::string& name : SortEntries(kRunSortName)) {
    order.push_back(DemoNameOfCommand(program, GetRunCommand(name)));
  }
  for (const std::string& path : SortEntries(kStartupSortName)) {
    order.push_back(DemoNameOfShortcut(path));
  }
  return order;
}

void Logon(const std::string& launchward, const std::string& program) {
  const std::string log = OwnFolder() + kDemoLogFileName;
  Files().DeleteFile(log);
  ::SetEnvironmentVariableA(kDemoLogVariable, log.c_str());
  Heading(
      "Logon, as Windows runs it: first the RunOnce values (Launchward -pre: Phase 1, the\n"
      "   take-over), then the Run values (Launchward -go: Phase 2) and the Startup folders");
  std::vector<std::string> order;
  const LogonTimes times = RunLogon([&] {
    Heading("After Phase 1: the items have moved into Launchward's store");
    ShowAll(launchward);
    CheckAfterPhase1(program, launchward);
    if (!ReadStarts(log).empty()) throw Error("items started during Phase 1");
    order = ManagedOrder(program);
    Heading("Logon goes on: Run values and Startup folders");
  });
  Heading("After Phase 2: Launchward is registered again for the next logon");
  ShowAll(launchward);
  CheckAfterPhase2(launchward);
  Heading("When each item started");
  std::cout << "  Launchward waited its initial pause, then started the run order and then the "
               "startup order,\n  pausing after each (without it, Windows starts them all at "
               "once when you log on):\n";
  ReportStarts(WaitForStarts(log, order.size(), kLastItemWaitMs), times, order);
}

void RunCommand(const std::string& command, const std::string& launchward) {
  const std::string program = OwnFolder() + kDemoProgramFileName;
  if (command == "reset") {
    Heading("A clean machine: the Run and RunOnce keys, the Startup folders and the store emptied");
    ResetMachine(launchward);
  } else if (command.rfind("pauses=", 0) == 0) {
    int initial = 0, runkey = 0, startup = 0, used = 0;
    if (std::sscanf(command.c_str(), "pauses=%d,%d,%d%n", &initial, &runkey, &startup, &used) !=
            3 ||
        static_cast<std::size_t>(used) != command.size()) {
      throw Error("pauses take three numbers: pauses=<initial>,<runkey>,<startup>");
    }
    Heading("Pauses (ms): " + std::to_string(initial) + " before the first item, " +
            std::to_string(runkey) + " after a run-key item, " + std::to_string(startup) +
            " after a shortcut");
    SetPauses(initial, runkey, startup);
  } else if (command == "plant") {
    Heading("Planting the demo items: 3 Run values and 2 Startup shortcuts, each starting " +
            program + " with its own name");
    PlantItems(program);
  } else if (command == "register") {
    Heading("Registering Launchward as Install does (Run: -go, RunOnce: -pre)");
    RegisterLaunchward(launchward);
    CheckPlanted(program, launchward);
  } else if (command == "show") {
    Heading("Before the logon");
    ShowAll(launchward);
  } else if (command == "logon") {
    Logon(launchward, program);
  } else if (command == "restore") {
    Heading("Restore, as a user does it: launchward.exe without an argument, then Restore");
    RestoreAsAUser(launchward);
    Heading("After the restore: every item is back where Windows had it, and Launchward is gone");
    ShowAll(launchward);
    CheckAfterRestore(program, launchward);
  } else {
    throw Error("unknown command: " + command);
  }
}

}  // namespace
}  // namespace lw::demo

int main(int argc, char** argv) {
  // Plain line ends on the Linux side of Wine's console.
  _setmode(_fileno(stdout), _O_BINARY);
  if (argc < 3) {
    std::cerr << "usage: lwdemo <path of launchward.exe> "
                 "reset|pauses=I,R,S|plant|register|show|logon|restore...\n";
    return 2;
  }
  try {
    lw::InstallPlatform(lw::MakeWin32Platform());
    lw::InitializeSettingsStore();
    for (int i = 2; i < argc; ++i) lw::demo::RunCommand(argv[i], argv[1]);
    lw::FinalizeSettingsStore();
  } catch (const std::exception& error) {
    std::cout.flush();
    std::cerr << "\nlwdemo: FAILED: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
