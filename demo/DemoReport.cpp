#include "DemoReport.h"

#include <iostream>

#include "DemoMachine.h"
#include "platform/Platform.h"
#include "store/SettingsStore.h"

namespace lw::demo {

namespace {

constexpr char kIndent[] = "      ";

void PrintValues(const std::string& title, HKey root, const std::string& path) {
  std::cout << "    " << title << "\n";
  const std::vector<NamedValue> values = ReadValues(root, path);
  if (values.empty()) std::cout << kIndent << "(empty)\n";
  for (const NamedValue& value : values) {
    std::cout << kIndent << value.name << " = " << value.data << "\n";
  }
}

void PrintFolder(const std::string& title, const std::string& folder) {
  std::cout << "    " << title << ": " << folder << "\n";
  const std::vector<std::string> files = FolderFiles(folder);
  if (files.empty()) std::cout << kIndent << "(empty)\n";
  for (const std::string& file : files) {
    std::string target;
    std::cout << kIndent << file;
    if (Shell().LoadShellLink(folder + file, 0, &target, nullptr) == kSOk) {
      std::cout << "  (shortcut to " << target << ")";
    }
    std::cout << "\n";
  }
}

// The names of a sub-key of the program key, on one line.
void PrintNames(const std::string& title, const std::string& subKey) {
  std::cout << "    " << title << ":";
  const std::vector<NamedValue> values =
      ReadValues(kHKeyLocalMachine, std::string(kProgramKey) + "\\" + subKey);
  if (values.empty()) std::cout << " none";
  for (std::size_t i = 0; i < values.size(); ++i) {
    std::cout << (i == 0 ? " " : ", ") << values[i].name;
  }
  std::cout << "\n";
}

std::string RunOrigin(const std::string& storedName) {
  const std::int32_t root = GetRunLocationHKey(storedName);
  if (root == StoredRoot(kHKeyLocalMachine)) return "from the machine's Run key";
  if (root == StoredRoot(kHKeyCurrentUser)) {
    return "from the Run key of user " + GetRunLocation(storedName);
  }
  return "origin not recorded";
}

void PrintPause(Registry& reg, const char* name, std::int32_t defaultMs) {
  std::int32_t ms = 0;
  const bool stored = reg.GetIntegerIfPresentAt(kHKeyLocalMachine, kProgramKey, name, ms);
  std::cout << " " << name << " " << (stored ? ms : defaultMs) << (stored ? "" : " (default)");
}

}  // namespace

void PrintSystemPlaces() {
  std::cout << "  Where Windows starts programs from at logon:\n";
  PrintValues(std::string("machine's Run key     HKLM") + kRunKey, kHKeyLocalMachine, kRunKey);
  PrintValues(std::string("user's Run key        HKCU") + kRunKey, kHKeyCurrentUser, kRunKey);
  PrintValues(std::string("machine's RunOnce key HKLM") + kRunOnceKey, kHKeyLocalMachine,
              kRunOnceKey);
  PrintValues(std::string("user's RunOnce key    HKCU") + kRunOnceKey, kHKeyCurrentUser,
              kRunOnceKey);
  PrintFolder("user's Startup folder", UserStartupFolder());
  PrintFolder("All Users Startup folder", CommonStartupFolder());
}

void PrintStore(const std::string& launchward) {
  Registry reg;
  std::cout << "  Launchward's store, HKLM" << kProgramKey << ":\n";
  if (!reg.KeyExists(kProgramKey)) {
    std::cout << "    (no program key: nothing has been taken over)\n";
  } else {
    const std::vector<std::string> runOrder = SortEntries(kRunSortName);
    std::cout << "    run order (RunSort), started one after another:"
              << (runOrder.empty() ? " none" : "") << "\n";
    for (std::size_t i = 0; i < runOrder.size(); ++i) {
      std::cout << kIndent << i << ". " << runOrder[i] << " = " << GetRunCommand(runOrder[i])
                << "\n"
                << kIndent << "   (" << RunOrigin(runOrder[i]) << ")\n";
    }
    PrintNames("disabled run-key items (RunDisabled)", kRunDisabledName);
    PrintNames("excluded run-key items (RunExclude)", kRunExcludeName);
    PrintNames("new run-key items (RunNewItems)", kRunNewItemsName);
    const std::vector<std::string> startupOrder = SortEntries(kStartupSortName);
    std::cout << "    startup order (StartupSort), opened after the run-key items:"
              << (startupOrder.empty() ? " none" : "") << "\n";
    for (std::size_t i = 0; i < startupOrder.size(); ++i) {
      std::cout << kIndent << i << ". " << startupOrder[i] << "\n"
                << kIndent << "   (taken from " << GetStartupLocation(startupOrder[i]) << ")\n";
    }
    PrintNames("disabled shortcuts (StartupDisable)", kStartupDisableName);
    PrintNames("excluded shortcuts (StartupExclude)", kStartupExcludeName);
    PrintNames("new shortcuts (StartupNew)", kStartupNewName);
    std::cout << "    marks:";
    bool anyMark = false;
    for (const char* mark : {kRunOnceMarkValue, kNewRunItemsValue, kNewStartupItemsValue}) {
      if (reg.ValueExistsAt(kHKeyLocalMachine, kProgramKey, mark)) {
        std::cout << " " << mark;
        anyMark = true;
      }
    }
    std::cout << (anyMark ? "" : " none") << "\n    pauses (ms):";
    PrintPause(reg, kInitialPauseValue, kDefaultInitialPause);
    PrintPause(reg, kRunkeyDelayValue, kDefaultRunkeyDelay);
    PrintPause(reg, kStartupDelayValue, kDefaultStartupDelay);
    std::cout << "\n";
  }
  const std::string store = ShortcutStoreOf(launchward);
  if (Files().GetFileAttributes(store) == kInvalidFileAttributes) {
    std::cout << "    shortcut store " << store << ": not there yet\n";
  } else {
    PrintFolder("shortcut store", store);
  }
}

}  // namespace lw::demo
