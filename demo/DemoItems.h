#pragma once
// The demo's stand-ins for a user's start-up programs: three Run values (two of the machine,
// one of the user) and two shortcuts (in the user's and in the All Users Startup folder), each
// of which starts the demo program with a name of its own; and the steps that set the machine
// up for the demo logon.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/WinConst.h"

namespace lw::demo {

// The demo program's log lives beside it unless this variable names another file.
inline constexpr char kDemoLogVariable[] = "LW_DEMO_LOG";
inline constexpr char kDemoLogFileName[] = "lwdemo-log.txt";
inline constexpr char kDemoProgramFileName[] = "lwdemoapp.exe";

enum class DemoPlace { kMachineRun, kUserRun, kUserStartup, kCommonStartup };

struct DemoItem {
  // The name the demo program logs; also the Run value's name, or the shortcut's file name
  // without ".lnk".
  std::string name;
  DemoPlace place;
};

// In the order they are planted.
const std::vector<DemoItem>& DemoItems();
bool IsRunKeyPlace(DemoPlace place);
std::string PlaceText(DemoPlace place);
HKey RunRootOf(DemoPlace place);
std::string StartupFolderOf(DemoPlace place);
// The Run value's command line, or the shortcut's arguments, for the demo program at path.
std::string DemoCommandLine(const std::string& program, const DemoItem& item);
std::string ShortcutFileName(const DemoItem& item);
// The demo item that a run-key command (for the demo program at path) or a shortcut path
// stands for; empty for anything else.
std::string DemoNameOfCommand(const std::string& program, const std::string& command);
std::string DemoNameOfShortcut(const std::string& path);

// Gives the demo a clean machine: empties both Run and RunOnce keys, both Startup folders and
// the shortcut store of launchward.exe at path, and deletes the program key and its per-user
// copy. Prints what it removed.
void ResetMachine(const std::string& launchward);
// Plants every demo item for the demo program at path; raises Error when a shortcut cannot be
// made.
void PlantItems(const std::string& program);
// Registers launchward.exe at path as Install does: the machine's Run value "-go" and RunOnce
// value "-pre".
void RegisterLaunchward(const std::string& launchward);
// Writes the three pauses into the program key, where the runner reads them.
void SetPauses(std::int32_t initialMs, std::int32_t runkeyMs, std::int32_t startupMs);

}  // namespace lw::demo
