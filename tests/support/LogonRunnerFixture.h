#pragma once
// What the runner's tests stand on: the item manager's fixture, recorded dialogs and status
// messages, and helpers that stage managed items the way the take-over leaves them.

#include <memory>
#include <string>
#include <vector>

#include "runner/LogonRunner.h"
#include "support/ItemManagerFixture.h"
#include "support/RecordingDialogs.h"

namespace lw::test {

// Sets an environment variable of the test process (and so of the programs it starts).
void SetTestEnvironment(const std::string& name, const std::string& value);

class RunnerTest : public ItemManagerTest {
 protected:
  void SetUp() override {
    ItemManagerTest::SetUp();
    dialogs = std::make_unique<RecordingDialogs>();
  }
  void TearDown() override {
    dialogs.reset();
    ItemManagerTest::TearDown();
  }

  // Managed run-key items in this order, each with its command and origin (the machine's Run
  // key, or the named user's own).
  struct RunItem {
    std::string storedName;
    std::string command;
    std::string user;  // empty: HKEY_LOCAL_MACHINE
  };
  static void StageRunItems(const std::vector<RunItem>& items) {
    std::vector<std::string> order;
    for (const RunItem& item : items) {
      StageCommand(item.storedName, item.command);
      SetRawString(kHKeyLocalMachine, kRunLocationKey, item.storedName, item.user);
      SetRawDword(kHKeyLocalMachine, kRunLocationKey, item.storedName + kHKeySuffix,
                  item.user.empty() ? 0x80000002u : 0x80000001u);
      order.push_back(item.storedName);
    }
    StageSort(kRunSortKey, order);
  }

  // Managed shortcuts in this order: each saved in the shortcut store (named file) with its
  // target and arguments, recorded as taken from the folder.
  struct Shortcut {
    std::string fileName;
    std::string target;
    std::string arguments;
    std::string folder;
  };
  std::vector<std::string> StageShortcuts(const std::vector<Shortcut>& shortcuts) const {
    std::vector<std::string> paths;
    for (const Shortcut& shortcut : shortcuts) {
      std::string path = store + shortcut.fileName;
      EXPECT_EQ(Shell().SaveShellLink(path, shortcut.target, shortcut.arguments), kSOk) << path;
      SetRawString(kHKeyLocalMachine, kStartupLocationKey, path, shortcut.folder);
      paths.push_back(path);
    }
    StageSort(kStartupSortKey, paths);
    return paths;
  }

  static void SetDefaultPauses(std::uint32_t initial, std::uint32_t runkey, std::uint32_t startup) {
    SetRawDword(kHKeyLocalMachine, kProgramKey, kInitialPauseValue, initial);
    SetRawDword(kHKeyLocalMachine, kProgramKey, kRunkeyDelayValue, runkey);
    SetRawDword(kHKeyLocalMachine, kProgramKey, kStartupDelayValue, startup);
  }
  static void SetAutoTune(bool on) { SharedOptions().SetChecked(kDisableAutoTuneOption, !on); }

  // A runner whose status messages land in `status`.
  std::unique_ptr<LogonRunner> MakeRunner(RunnerUse use = RunnerUse::kLogon) {
    return std::make_unique<LogonRunner>(
        [this](const std::string& text) { status.push_back(text); }, use);
  }
  static void RunPhase2(LogonRunner& runner) {
    runner.InitialPause();
    runner.RunRunkeyItems();
    runner.RunStartupItems();
  }

  std::unique_ptr<RecordingDialogs> dialogs;
  std::vector<std::string> status;
};

}  // namespace lw::test
