// What Windows (here Wine) does with the calls that start items in the background: a job that
// allows break-away holds the program and the program it starts itself, the child inherits a
// below-normal class, the class is changed through a process id, the I/O and memory priority
// calls answer as pinned below, and closing the job ends nothing.

#include "platform/win32/Win32Api.h"

#include <algorithm>
#include <string>
#include <vector>

#include "support/ProbePrograms.h"
#include "support/TestEnv.h"

namespace lw::test {
namespace {

class BackgroundStartWin32Test : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    probe = ScratchFolder() + "probe.exe";
    InstallProbe(probe);
    release = ::CreateEventA(nullptr, TRUE, FALSE, "Local\\LaunchwardProbeRelease");
    ::ResetEvent(release);
  }
  void TearDown() override {
    ::SetEvent(release);
    ::CloseHandle(release);
    PlatformTest::TearDown();
  }

  std::string probe;
  HANDLE release = nullptr;
};

TEST_F(BackgroundStartWin32Test, JobHoldsTheProgramAndItsChildAndClosingItEndsNothing) {
  const Handle job = Sys().CreateJobObject(kJobObjectLimitBreakawayOk);
  ASSERT_NE(job, 0u) << Sys().GetLastError();
  ProcessInformation info;
  ASSERT_TRUE(Sys().CreateProcess("\"" + probe + "\" -spawn -stay",
                                  kBelowNormalPriorityClass | kCreateSuspended, &info));
  ASSERT_TRUE(Sys().SetPriorityClass(info.process, kBelowNormalPriorityClass));
  ASSERT_TRUE(Sys().AssignProcessToJobObject(job, info.process)) << Sys().GetLastError();
  // Wine 8 accepts both calls and keeps nothing that Linux's scheduler would see; Windows
  // (Vista and later, 8 and later) accepts them with a handle that may set information.
  EXPECT_TRUE(Sys().SetProcessIoPriority(info.process, kIoPriorityLow)) << Sys().GetLastError();
  const bool memory = Sys().SetProcessMemoryPriority(info.process, kMemoryPriorityLow);
  const std::uint32_t memoryError = Sys().GetLastError();
  EXPECT_TRUE(memory || memoryError == kErrorProcNotFound) << memoryError;
  ASSERT_NE(Sys().ResumeThread(info.thread), kResumeThreadFailed);
  Sys().CloseHandle(info.thread);

  const std::vector<ProbeStart> starts = WaitForProbeStarts(2);
  ASSERT_EQ(starts.size(), 2u);
  // The child was given no class: it inherits the launcher's below-normal one.
  for (const ProbeStart& start : starts) {
    EXPECT_EQ(start.priorityClass, kBelowNormalPriorityClass) << start.commandLine;
  }
  std::vector<std::uint32_t> ids;
  ASSERT_TRUE(Sys().QueryJobProcessIds(job, &ids)) << Sys().GetLastError();
  ASSERT_EQ(ids.size(), 2u);
  EXPECT_NE(std::find(ids.begin(), ids.end(), info.processId), ids.end());
  for (std::uint32_t id : ids) {
    const Handle process = Sys().OpenProcess(kProcessSetInformation | kProcessQueryInformation, id);
    ASSERT_NE(process, 0u) << id;
    EXPECT_EQ(Sys().GetPriorityClass(process), kBelowNormalPriorityClass);
    EXPECT_TRUE(Sys().SetPriorityClass(process, kNormalPriorityClass));
    EXPECT_EQ(Sys().GetPriorityClass(process), kNormalPriorityClass);
    EXPECT_TRUE(Sys().SetProcessIoPriority(process, kIoPriorityNormal));
    Sys().CloseHandle(process);
  }

  // The job goes; both programs run on until they are released.
  EXPECT_TRUE(Sys().CloseHandle(job));
  EXPECT_EQ(Sys().WaitForSingleObject(info.process, 200), kWaitTimeout);
  ::SetEvent(release);
  EXPECT_EQ(Sys().WaitForSingleObject(info.process, 30000), kWaitObject0);
  Sys().CloseHandle(info.process);
}

// A process that has ended is no longer in its job's list, and its id opens nothing.
TEST_F(BackgroundStartWin32Test, EndedProgramLeavesTheJobsList) {
  const Handle job = Sys().CreateJobObject(kJobObjectLimitBreakawayOk);
  ASSERT_NE(job, 0u);
  ProcessInformation info;
  ASSERT_TRUE(Sys().CreateProcess("\"" + probe + "\" -ends", kCreateSuspended, &info));
  ASSERT_TRUE(Sys().AssignProcessToJobObject(job, info.process));
  ASSERT_NE(Sys().ResumeThread(info.thread), kResumeThreadFailed);
  EXPECT_EQ(Sys().WaitForSingleObject(info.process, 30000), kWaitObject0);
  std::vector<std::uint32_t> ids = {1, 2, 3};
  ASSERT_TRUE(Sys().QueryJobProcessIds(job, &ids));
  EXPECT_TRUE(ids.empty());
  Sys().CloseHandle(info.thread);
  Sys().CloseHandle(info.process);
  Sys().CloseHandle(job);
}

}  // namespace
}  // namespace lw::test
