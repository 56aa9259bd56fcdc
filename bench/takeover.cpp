// The cost of a first take-over: N Run values (half the user's, half the machine's) and N
// shortcuts (half in the user's, half in the All Users Startup folder) are taken into the
// store in one logon pass. Prints, for each N, the time, and the registry calls, file
// operations and distinct files changed per item.
//
// Natively it runs on the simulation (N = 10, 100, 1000 unless given on the command line);
// built for Windows it runs on the real registry and files (N = 100), and clears the program's
// keys, the Run keys and the Startup folders first: run it in a test machine or Wine prefix.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "CountingPlatform.h"
#include "entry/ProcessUnits.h"
#include "install/StartupMover.h"
#include "store/Registry.h"
#include "store/SettingsStore.h"
#include "ui/Options.h"
#include "util/SpecialFolders.h"

#ifdef _WIN32
#include "platform/win32/Win32Platform.h"
#else
#include "platform/sim/SimPlatform.h"
#endif

namespace lw::bench {
namespace {

std::unique_ptr<IPlatform> MachinePlatform() {
#ifdef _WIN32
  return MakeWin32Platform();
#else
  return std::make_unique<SimPlatform>();
#endif
}

void EmptyFolder(const std::string& folder) {
  if (folder.empty()) return;
  std::vector<std::string> names;
  FindData data;
  Handle find = Files().FindFirstFile(folder + "\\*", &data);
  if (find == kInvalidHandle) return;
  do {
    if ((data.attributes & kFileAttributeDirectory) == 0) names.push_back(data.fileName);
  } while (Files().FindNextFile(find, &data));
  Files().FindClose(find);
  for (const std::string& name : names) Files().DeleteFile(folder + "\\" + name);
}

// A machine where the program has never run, with n items in each kind of place.
void StageMachine(int n) {
  Registry reg;
  for (HKey root : {kHKeyLocalMachine, kHKeyCurrentUser}) {
    reg.SetRootKey(root);
    reg.DeleteKey(kTallowmereKey);
    reg.RecreateSubKeyAt(root, "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "Run");
  }
  std::string store = GetShortcutStoreFolder();
  EmptyFolder(store.substr(0, store.size() - 1));
  Files().RemoveDirectory(store.substr(0, store.size() - 1));
  std::string folders[2] = {SharedSpecialFolders().GetUserStartupFolder(),
                            SharedSpecialFolders().GetCommonStartupFolder()};
  for (const std::string& folder : folders) EmptyFolder(folder);

  for (int i = 0; i < n; ++i) {
    std::string name = "Item " + std::to_string(i);
    HKey root = i % 2 == 0 ? kHKeyCurrentUser : kHKeyLocalMachine;
    reg.PutStringAt(root, kRunKey, true, name,
                    "\"C:\\Program Files\\Vendor " + std::to_string(i) + "\\app.exe\" -tray");
    std::string link = folders[i % 2] + "\\Shortcut " + std::to_string(i) + ".lnk";
    Shell().SaveShellLink(link, "C:\\Program Files\\Vendor\\tool" + std::to_string(i) + ".exe", "");
  }
}

void Measure(int n) {
  auto counting = std::make_unique<CountingPlatform>(MachinePlatform());
  CountingPlatform& platform = *counting;
  InstallPlatform(std::move(counting));
  InitializeProcessUnits();
  StageMachine(n);
  CreateOptions();
  platform.Reset();

  auto start = std::chrono::steady_clock::now();
  {
    StartupMover mover;
    mover.DetectNewRunItems();
    mover.DetectNewStartupItems();
  }
  auto end = std::chrono::steady_clock::now();
  CallCounts counts = platform.Counts();

  bool complete = GetRunSortCount() == n && GetStartupSortCount() == n;
  double items = 2.0 * n;
  double ms = std::chrono::duration<double, std::milli>(end - start).count();
  std::printf("%6d %6d %10.1f %9.3f %12.1f %12.1f %14.2f %s\n", n, n, ms, ms / items,
              counts.registryCalls / items, counts.fileCalls / items,
              counts.filesChanged.size() / items, complete ? "" : "INCOMPLETE");
  FreeOptions();
  FinalizeProcessUnits();
}

}  // namespace
}  // namespace lw::bench

int main(int argc, char** argv) {
  std::vector<int> sizes;
  for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
#ifdef _WIN32
  const char* machine = "the real registry and files";
  if (sizes.empty()) sizes = {100};
#else
  const char* machine = "the simulation";
  if (sizes.empty()) sizes = {10, 100, 1000};
#endif
  std::printf("First take-over on %s: N Run values and N shortcuts, per item = per value or file\n",
              machine);
  std::printf("%6s %6s %10s %9s %12s %12s %14s\n", "values", "links", "total ms", "ms/item",
              "reg calls", "file ops", "files changed");
  for (int n : sizes) lw::bench::Measure(n);
  return 0;
}
