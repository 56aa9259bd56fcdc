// Writes to the store outside the operations of the edit window, the take-over and the restore
// hold the machine-wide lock too: another session's copy never meets them half-made. Each case
// watches one value and asks, for every change of it, whether the program owned the lock
// during the registry call that made it.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "runner/StartupControl.h"
#include "store/StoreLock.h"
#include "support/LogonRunnerFixture.h"
#include "support/RecordingMainWindowView.h"
#include "support/RecordingStartupControlWindow.h"
#include "ui/MainWindow.h"

namespace lw::test {
namespace {

// Whether this process owns the store's lock: another process's wait for it runs out at once.
bool ProgramOwnsStoreLock() {
  bool owned = false;
  Sim().AsAnotherProcess([&] {
    const Handle mutex = Sys().CreateMutex(false, kStoreLockName);
    owned = Sys().WaitForSingleObject(mutex, 0) == kWaitTimeout;
    if (!owned) Sys().ReleaseMutex(mutex);
    Sys().CloseHandle(mutex);
  });
  return owned;
}

struct Watched {
  HKey root;
  std::string key;
  std::string name;
};

std::string StateOf(const Watched& value) {
  std::uint32_t type = 0;
  std::string bytes;
  if (!GetRaw(value.root, value.key, value.name, &type, &bytes)) return "<missing>";
  return std::to_string(type) + ":" + bytes;
}

class StoreLockSimTest : public RunnerTest {
 protected:
  // Runs the operation; returns how often the value changed, and how often without the lock.
  static std::pair<int, int> Changes(const Watched& value, const std::function<void()>& operation) {
    std::string last = StateOf(value);
    bool owned = false;
    int changes = 0;
    int unlocked = 0;
    auto look = [&] {
      const std::string now = StateOf(value);
      if (now != last) {
        ++changes;
        if (!owned) ++unlocked;
      }
      last = now;
    };
    Sim().BeforeEachRegistryCall([&] {
      look();
      owned = ProgramOwnsStoreLock();
    });
    operation();
    Sim().BeforeEachRegistryCall(nullptr);
    look();
    return {changes, unlocked};
  }
};

TEST_F(StoreLockSimTest, EveryWriteOfTheseValuesHoldsTheLock) {
  RecordingMainWindowView view;
  std::unique_ptr<MainWindow> main;
  const struct {
    const char* title;
    Watched value;
    std::function<void()> stage;
    std::function<void()> operation;
  } cases[] = {
      {"the install mark, dropped once the restore window closed",
       {kHKeyLocalMachine, kProgramKey, kIsInstalledValue},
       [&] {
         MarkInstalled();
         SetRawString(kHKeyLocalMachine, kRunKey, kSelfRunValue, "x -go ");
         main = std::make_unique<MainWindow>(view);
         main->OnStart(true);
       },
       [&] { main->OnRestoreClicked(); }},
      {"the main window's repair of the registration",
       {kHKeyLocalMachine, kRunKey, kSelfRunValue},
       [] { MarkInstalled(); },
       [&] {
         main = std::make_unique<MainWindow>(view);
         main->OnStart(true);
       }},
      {"the processor statistics of a logon",
       {kHKeyCurrentUser, kAutoTuneKey, kHighCPUStatValue},
       [] { SetRawString(kHKeyLocalMachine, kProgramKey, kRunOnceMarkValue, kRunOnceMarkValue); },
       [] {
         RecordingStartupControlWindow window;
         StartupControl control(window);
         control.OnCreate({"-go"});
         control.OnDestroy();
       }},
      {"the default pauses the runner used",
       {kHKeyLocalMachine, kProgramKey, kInitialPauseValue},
       // Not a number: the runner writes the default it used instead.
       [] { SetRawString(kHKeyLocalMachine, kProgramKey, kInitialPauseValue, "soon"); },
       [] { LogonRunner runner(StatusCallback{}, RunnerUse::kLogon); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    c.stage();
    const auto [changes, unlocked] = Changes(c.value, c.operation);
    EXPECT_GT(changes, 0);
    EXPECT_EQ(unlocked, 0);
    main.reset();
    // A fresh machine for the next case.
    TearDown();
    SetUp();
  }
}

}  // namespace
}  // namespace lw::test
