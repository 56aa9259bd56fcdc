// Process starts under Wine where the simulation is deliberately stricter, and the shell's
// COM scope around ShellExecute.

#include "platform/win32/Win32Api.h"

#include <string>
#include <vector>

#include "support/ProbePrograms.h"
#include "support/TestEnv.h"

namespace lw::test {
namespace {

class ProcessWin32Test : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    probe = ScratchFolder() + "probe.exe";
    InstallProbe(probe);
  }

  std::string probe;
};

// Wine reads none of the priority classes at creation, so two at once start the program too
// (at normal priority). The sim refuses such flags, so that a runner passing them is caught
// before it reaches a Windows that might pick either class.
TEST_F(ProcessWin32Test, WineStartsTwoPriorityClassesAtOnceAtNormal) {
  ProcessInformation info;
  ASSERT_TRUE(Sys().CreateProcess("\"" + probe + "\" -two", kIdlePriorityClass | kHighPriorityClass,
                                  &info));
  Sys().CloseHandle(info.process);
  Sys().CloseHandle(info.thread);
  const std::vector<ProbeStart> starts = WaitForProbeStarts(1);
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0].priorityClass, kNormalPriorityClass);
}

// Wine opens shortcuts only from a single-threaded apartment; the call brings its own and
// leaves the thread's COM as it found it.
TEST_F(ProcessWin32Test, ShellExecuteOfAShortcutLeavesTheThreadsComAsItFoundIt) {
  const std::string link = ScratchFolder() + "probe.lnk";
  ASSERT_EQ(Shell().SaveShellLink(link, probe, "-com"), kSOk);
  EXPECT_GT(Shell().ShellExecute("", link, "", "", kSwShowNormal), kShellExecuteSuccessAbove);
  const HRESULT first = CoInitialize(nullptr);
  EXPECT_EQ(first, S_OK);
  EXPECT_GT(Shell().ShellExecute("", link, "", "", kSwShowNormal), kShellExecuteSuccessAbove);
  EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
  CoUninitialize();
  if (SUCCEEDED(first)) CoUninitialize();
  EXPECT_EQ(WaitForProbeStarts(2).size(), 2u);
}

}  // namespace
}  // namespace lw::test
