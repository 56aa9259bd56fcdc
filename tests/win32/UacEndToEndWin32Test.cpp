// The copy that the main window starts with administrator rights to install, run as a process
// of the real program: where UAC is on it registers the first phase as a logon task of the Task
// Scheduler (Wine's), elsewhere in the RunOnce key as before, and the unregistration removes the
// task. Wine's token is always an administrator's, so the elevation prompt itself is the
// simulation's to test.

#include <string>

#include "install/ElevatedCopy.h"
#include "install/LogonTask.h"
#include "install/StartupMover.h"
#include "store/StoreLock.h"
#include "support/win32/LogonFixture.h"
#include "util/UserAccountControl.h"

namespace lw::test {
namespace {

using driver::ChildProcess;

constexpr char kPolicyKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";

class UacEndToEndTest : public LogonTest {
 protected:
  void SetUp() override {
    LogonTest::SetUp();
    savedUac = RawDword(kHKeyLocalMachine, kPolicyKey, "EnableLUA", -1);
    Tasks().DeleteTask(kLogonTaskName);
  }
  void TearDown() override {
    if (savedUac >= 0) SetRawDword(kHKeyLocalMachine, kPolicyKey, "EnableLUA", savedUac);
    Tasks().DeleteTask(kLogonTaskName);
    LogonTest::TearDown();
  }
  static void SetUac(bool on) {
    SetRawDword(kHKeyLocalMachine, kPolicyKey, "EnableLUA", on ? 1 : 0);
  }
  static std::string TaskXml() {
    std::string xml = "(none)";
    Tasks().GetTaskXml(kLogonTaskName, &xml);
    return xml;
  }

  std::int64_t savedUac = -1;
};

TEST_F(UacEndToEndTest, TheInstallingCopyRegistersTheFirstPhaseWhereUacWantsIt) {
  SetUac(true);
  ASSERT_TRUE(IsUacEnabled());
  ASSERT_EQ(ExitCode(Start(kInstallSwitch)), kExitActionDone);
  EXPECT_EQ(RunValue(kHKeyLocalMachine, kSelfRunValue), Registration("-go"));
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunOnceKey, kSelfRunValue));
  // Wine's Task Scheduler keeps no trigger, action or principal of a task it stores (see
  // TaskSchedulerWin32Test): that the task is the program's shows in its author alone here, and
  // the definition itself is checked on the simulation.
  const std::string xml = TaskXml();
  EXPECT_NE(xml.find("<Author>Launchward</Author>"), std::string::npos) << xml;
  EXPECT_TRUE(IsInstalledMarked());

  // UAC switched off since: the next installation goes back to the RunOnce value, and the task
  // goes, so that no logon starts the first phase twice.
  SetUac(false);
  ASSERT_EQ(ExitCode(Start(kInstallSwitch)), kExitActionDone);
  ExpectRegisteredForBothPhases();
  EXPECT_EQ(TaskXml(), "(none)");

  // On again; the unregistration of Restore removes the task with the values.
  SetUac(true);
  ASSERT_EQ(ExitCode(Start(kInstallSwitch)), kExitActionDone);
  ASSERT_TRUE(IsLogonTaskRegistered());
  StartupMover().UnregisterSelf(true);
  EXPECT_FALSE(IsLogonTaskRegistered());
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunKey, kSelfRunValue));
}

// The Task Scheduler starts the first phase and Explorer the second, each on its own. A first
// phase holds a mutex of its own that another process sees while it runs; a second phase
// started meanwhile neither ends nor refuses itself, and runs the items once the first ended.
// (When it waits, and for how long, is checked on the simulation's clock.)
TEST_F(UacEndToEndTest, ASecondPhaseStartedDuringTheFirstRunsAfterIt) {
  // The second phase ends at once, without the new-items icon that would keep it on.
  WriteOptions({{kDisableSysTrayNotificationOption, true}});
  StageRunValue(kHKeyLocalMachine, "ProbeMachine", ProbeCommand("machine"));
  SetRawString(kHKeyLocalMachine, kRunKey, kSelfRunValue, Registration("-go"));
  // The store's lock, held here, keeps the first phase from its take-over until the Pause
  // press waits in its queue: then it cannot end its short pass before the press is read.
  // Released however the test ends, or every later test would wait for the store.
  struct HeldStore {
    HANDLE lock = ::CreateMutexA(nullptr, TRUE, kStoreLockName);
    void Release() {
      if (lock == nullptr) return;
      ::ReleaseMutex(lock);
      ::CloseHandle(lock);
      lock = nullptr;
    }
    ~HeldStore() { Release(); }
  } store;
  ASSERT_NE(store.lock, nullptr);
  ChildProcess first = Start("-pre");
  const HWND runner = RunnerWindow(first);
  ASSERT_NE(runner, nullptr);
  ASSERT_TRUE(driver::PressButton(runner, kRunnerPauseId));
  store.Release();
  ASSERT_TRUE(driver::WaitUntil(
      [&] { return driver::ControlText(runner, kRunnerPauseId) == kUnpauseCaption; }));

  const std::string firstPhaseMutex = std::string("launchward.exe ") + kPreSwitch;
  HANDLE seen = ::CreateMutexA(nullptr, FALSE, firstPhaseMutex.c_str());
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  ::CloseHandle(seen);

  ChildProcess second = Start("-go");
  // Only a bounded look can show that something does not happen.
  EXPECT_FALSE(second.WaitForExit(3000));
  EXPECT_TRUE(driver::MessageBoxes(second.Id()).empty());
  EXPECT_TRUE(ProbeArguments(0).empty());

  ASSERT_TRUE(driver::PressButtonByCaption(runner, kUnpauseCaption));
  EXPECT_EQ(ExitCode(first), 0);
  EXPECT_EQ(ExitCode(second), 0);
  EXPECT_EQ(ProbeArguments(1), std::vector<std::string>{"machine"});
  HANDLE after = ::CreateMutexA(nullptr, FALSE, firstPhaseMutex.c_str());
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  ::CloseHandle(after);
}

}  // namespace
}  // namespace lw::test
