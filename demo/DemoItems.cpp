#include "DemoItems.h"

#include <iostream>

#include "DemoMachine.h"
#include "platform/Platform.h"
#include "store/SettingsStore.h"
#include "util/Error.h"
#include "util/Text.h"

namespace lw::demo {

namespace {

// Deletes the files of a folder (sub-folders stay); returns their names.
std::vector<std::string> EmptyFolder(const std::string& folder) {
  const std::vector<std::string> names = FolderFiles(folder);
  for (const std::string& name : names) {
    Files().SetFileAttributes(folder + name, kFileAttributeNormal);
    if (!Files().DeleteFile(folder + name)) throw Error("cannot delete " + folder + name);
  }
  return names;
}

void EmptyKey(HKey root, const std::string& path) {
  Registry reg;
  for (const NamedValue& value : ReadValues(root, path)) {
    reg.RemoveValueAt(root, path, value.name);
    std::cout << "  removed " << (root == kHKeyLocalMachine ? "HKLM" : "HKCU") << path << " \""
              << value.name << "\"\n";
  }
  if (!ReadValues(root, path).empty()) throw Error("cannot empty " + path);
}

}  // namespace

const std::vector<DemoItem>& DemoItems() {
  static const std::vector<DemoItem> items = {
      {"DemoMachineA", DemoPlace::kMachineRun},
      {"DemoMachineB", DemoPlace::kMachineRun},
      {"DemoUser", DemoPlace::kUserRun},
      {"DemoUserShortcut", DemoPlace::kUserStartup},
      {"DemoCommonShortcut", DemoPlace::kCommonStartup},
  };
  return items;
}

bool IsRunKeyPlace(DemoPlace place) {
  return place == DemoPlace::kMachineRun || place == DemoPlace::kUserRun;
}

std::string PlaceText(DemoPlace place) {
  switch (place) {
    case DemoPlace::kMachineRun:
      return "machine's Run key";
    case DemoPlace::kUserRun:
      return "user's Run key";
    case DemoPlace::kUserStartup:
      return "user's Startup folder";
    case DemoPlace::kCommonStartup:
      return "All Users Startup folder";
  }
  return "";
}

HKey RunRootOf(DemoPlace place) {
  return place == DemoPlace::kMachineRun ? kHKeyLocalMachine : kHKeyCurrentUser;
}

std::string StartupFolderOf(DemoPlace place) {
  return place == DemoPlace::kUserStartup ? UserStartupFolder() : CommonStartupFolder();
}

std::string DemoCommandLine(const std::string& program, const DemoItem& item) {
  return IsRunKeyPlace(item.place) ? "\"" + program + "\" " + item.name : item.name;
}

std::string ShortcutFileName(const DemoItem& item) { return item.name + ".lnk"; }

std::string DemoNameOfCommand(const std::string& program, const std::string& command) {
  for (const DemoItem& item : DemoItems()) {
    if (IsRunKeyPlace(item.place) && command == DemoCommandLine(program, item)) return item.name;
  }
  return "";
}

std::string DemoNameOfShortcut(const std::string& path) {
  for (const DemoItem& item : DemoItems()) {
    if (!IsRunKeyPlace(item.place) && SameText(ExtractFileName(path), ShortcutFileName(item))) {
      return item.name;
    }
  }
  return "";
}

void ResetMachine(const std::string& launchward) {
  for (const HKey root : {kHKeyLocalMachine, kHKeyCurrentUser}) {
    EmptyKey(root, kRunKey);
    EmptyKey(root, kRunOnceKey);
    Registry reg;
    reg.SetRootKey(root);
    if (reg.KeyExists(kProgramKey)) {
      if (!reg.DeleteKey(kProgramKey)) throw Error(std::string("cannot delete ") + kProgramKey);
      std::cout << "  deleted " << (root == kHKeyLocalMachine ? "HKLM" : "HKCU") << kProgramKey
                << "\n";
    }
  }
  for (const std::string& folder :
       {UserStartupFolder(), CommonStartupFolder(), ShortcutStoreOf(launchward)}) {
    for (const std::string& name : EmptyFolder(folder)) {
      std::cout << "  deleted " << folder << name << "\n";
    }
  }
}

void PlantItems(const std::string& program) {
  Registry reg;
  for (const DemoItem& item : DemoItems()) {
    const std::string command = DemoCommandLine(program, item);
    if (IsRunKeyPlace(item.place)) {
      reg.PutStringAt(RunRootOf(item.place), kRunKey, true, item.name, command);
      continue;
    }
    const std::string link = StartupFolderOf(item.place) + ShortcutFileName(item);
    const long result = Shell().SaveShellLink(link, program, command);
    std::string target;
    if (result != kSOk || Shell().LoadShellLink(link, 0, &target, nullptr) != kSOk ||
        !SameText(target, program)) {
      throw Error("the shortcut " + link + " could not be made (result " + std::to_string(result) +
                  ")");
    }
  }
}

void RegisterLaunchward(const std::string& launchward) {
  Registry reg;
  const std::string quoted = "\"" + launchward + "\"";
  reg.PutStringAt(kHKeyLocalMachine, kRunKey, true, kSelfRunValue, quoted + " -go ");
  reg.PutStringAt(kHKeyLocalMachine, kRunOnceKey, true, kSelfRunValue, quoted + " -pre ");
}

void SetPauses(std::int32_t initialMs, std::int32_t runkeyMs, std::int32_t startupMs) {
  Registry reg;
  const std::pair<const char*, std::int32_t> values[] = {{kInitialPauseValue, initialMs},
                                                         {kRunkeyDelayValue, runkeyMs},
                                                         {kStartupDelayValue, startupMs}};
  for (const auto& [name, ms] : values) {
    reg.PutIntegerAt(kHKeyLocalMachine, kProgramKey, true, name, ms);
    if (reg.GetIntegerAt(kHKeyLocalMachine, kProgramKey, name) != ms) {
      throw Error(std::string("the pause ") + name + " did not stay written");
    }
  }
}

}  // namespace lw::demo
