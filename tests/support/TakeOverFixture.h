#pragma once
// A machine for the take-over tests: the process-wide units and the options up, both Startup
// folders present, and helpers that stage Run values and real shortcuts and read the store
// back through the seam alone.

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "entry/ProcessUnits.h"
#include "install/StartupMover.h"
#include "store/SettingsStore.h"
#include "support/RawRegistry.h"
#include "support/TestEnv.h"
#include "ui/Options.h"
#include "util/CurrentUser.h"
#include "util/SpecialFolders.h"
#include "util/Text.h"
#include "util/WindowsBitness.h"

namespace lw::test {

using ValueMap = std::map<std::string, std::string>;

// The string values of a key, by name.
inline ValueMap Values(HKey root, const std::string& key) {
  ValueMap values;
  for (const std::string& name : RawValueNames(root, key))
    values[name] = RawString(root, key, name);
  return values;
}

// The string values of a key of the store (HKEY_LOCAL_MACHINE).
inline ValueMap Store(const std::string& key) { return Values(kHKeyLocalMachine, key); }

inline std::string ProgramValue(const std::string& name) {
  return RawString(kHKeyLocalMachine, kProgramKey, name);
}

// The entries "0" .. "SortIndex" - 1 of a sort list.
inline std::vector<std::string> SortEntries(const std::string& key) {
  std::vector<std::string> entries;
  std::int64_t count = RawDword(kHKeyLocalMachine, key, kSortIndexValue, 0);
  for (std::int64_t i = 0; i < count; ++i) {
    entries.push_back(RawString(kHKeyLocalMachine, key, std::to_string(i)));
  }
  return entries;
}

// The names in a folder (files and folders), sorted.
inline std::vector<std::string> FolderNames(const std::string& folder) {
  std::vector<std::string> names;
  FindData data;
  Handle find = Files().FindFirstFile(folder + "*", &data);
  if (find == kInvalidHandle) return names;
  do {
    if (data.fileName != "." && data.fileName != "..") names.push_back(data.fileName);
  } while (Files().FindNextFile(find, &data));
  Files().FindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

inline bool FileThere(const std::string& path) {
  return Files().GetFileAttributes(path) != kInvalidFileAttributes;
}

class TakeOverFixture : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    InitializeProcessUnits();
    CreateOptions();
    user = CurrentUserName();
    userFolder = IncludeTrailingBackslash(SharedSpecialFolders().GetUserStartupFolder());
    commonFolder = IncludeTrailingBackslash(SharedSpecialFolders().GetCommonStartupFolder());
    store = GetShortcutStoreFolder();
    MakeFolders(userFolder);
    MakeFolders(commonFolder);
    ASSERT_NE(userFolder, commonFolder);
  }
  void TearDown() override {
    FreeOptions();
    FinalizeProcessUnits();
  }
  // A fresh machine within one test, for tables of cases that each need one.
  void Restart() {
    TearDown();
    SetUp();
  }

  // On the simulation the units start anew on a 64-bit machine, as the program does when it
  // starts there; under Wine the machine is what it is. True on 64-bit Windows.
  bool StartOn64BitWindows() {
#ifndef _WIN32
    FreeOptions();
    FinalizeProcessUnits();
    Sim().SetWindows64();
    InitializeProcessUnits();
    CreateOptions();
#endif
    return IsWindows64();
  }

  // A value of the machine's Run key in the view (kKeyWow64_32Key or kKeyWow64_64Key), and the
  // values of that Run key.
  static void PlantMachineRun(std::uint32_t view, const std::string& name,
                              const std::string& command) {
    InRawView in(view);
    SetRawString(kHKeyLocalMachine, kRunKey, name, command);
  }
  static ValueMap MachineRunValues(std::uint32_t view) {
    InRawView in(view);
    return Values(kHKeyLocalMachine, kRunKey);
  }

  static void MakeFolders(const std::string& path) {
    std::string folder = path.substr(0, path.size() - 1);
    for (std::size_t at = folder.find('\\', 3);; at = folder.find('\\', at + 1)) {
      Files().CreateDirectory(folder.substr(0, at));
      if (at == std::string::npos) break;
    }
  }

  // A real shortcut (one the shell wrote); returns its bytes.
  static std::string Link(const std::string& folder, const std::string& name,
                          const std::string& target) {
    EXPECT_EQ(Shell().SaveShellLink(folder + name, target, "/tray"), kSOk) << folder + name;
    return ReadWholeFile(folder + name);
  }

  static void Run(HKey root, const std::string& name, const std::string& command) {
    SetRawString(root, kRunKey, name, command);
  }

  // One logon's first start: a fresh snapshot, then both passes.
  static void Pass() {
    StartupMover mover;
    mover.DetectNewRunItems();
    mover.DetectNewStartupItems();
  }

  // The name a Run value is stored under.
  std::string Stored(HKey root, const std::string& name) const {
    return root == kHKeyCurrentUser ? user + "_" + name : name;
  }

  std::string user;
  std::string userFolder;
  std::string commonFolder;
  std::string store;
};

}  // namespace lw::test
