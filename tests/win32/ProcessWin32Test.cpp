// Process starts under Wine where the simulation is deliberately stricter, the shell's COM
// scope around ShellExecute, and starts through ShellExecuteEx that the program waits for.

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

// Wine's token is always an administrator's and it has no elevation prompt: "runas" starts the
// program at once, as "<quoted path> <parameters>". (Wine 8 starts an executable whatever the
// verb, an unknown one too, so this shows nothing of elevation itself.) The test holds the probe's
// log alone, so the probe (which retries while another writer holds the log) is still running when
// the handle is first asked; once the log is free it writes its line and ends with 0.
TEST_F(ProcessWin32Test, RunasStartsTheProgramAndItsHandleWaitsForItsEnd) {
  HANDLE log = CreateFileA(ProbeLogPath().c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(log, INVALID_HANDLE_VALUE);
  Handle process = 0;
  const bool started =
      Shell().ShellExecuteEx("runas", probe, "-elevated \"two words\"", kSwShowNormal, &process);
  const std::uint32_t error = Sys().GetLastError();
  std::uint32_t running = 0;
  const std::uint32_t early = started ? Sys().WaitForSingleObject(process, 0) : kWaitFailed;
  const bool askedEarly = started && Sys().GetExitCodeProcess(process, &running);
  CloseHandle(log);
  ASSERT_TRUE(started) << "error " << error;
  ASSERT_NE(process, 0u);
  EXPECT_EQ(early, kWaitTimeout);
  EXPECT_TRUE(askedEarly);
  EXPECT_EQ(running, kStillActive);

  EXPECT_EQ(Sys().WaitForSingleObject(process, 30000), kWaitObject0);
  std::uint32_t exitCode = kStillActive;
  EXPECT_TRUE(Sys().GetExitCodeProcess(process, &exitCode));
  EXPECT_EQ(exitCode, 0u);
  EXPECT_TRUE(Sys().CloseHandle(process));
  const std::vector<ProbeStart> starts = WaitForProbeStarts(1);
  ASSERT_EQ(starts.size(), 1u);
  const std::string tail = " -elevated \"two words\"";
  EXPECT_TRUE(starts[0].commandLine.ends_with(tail)) << starts[0].commandLine;
}

TEST_F(ProcessWin32Test, ShellExecuteExOfAMissingFileFailsWithFileNotFound) {
  for (const char* verb : {"", "runas"}) {
    SCOPED_TRACE(std::string("verb \"") + verb + "\"");
    Handle process = 12345;
    Sys().SetLastError(kErrorSuccess);
    EXPECT_FALSE(Shell().ShellExecuteEx(verb, ScratchFolder() + "missing.exe", "-x", kSwShowNormal,
                                        &process));
    EXPECT_EQ(Sys().GetLastError(), kErrorFileNotFound);
    EXPECT_EQ(process, 12345u) << "a failed call leaves its out value alone";
  }
}

TEST_F(ProcessWin32Test, WaitingOnNoHandleFailsAtOnce) {
  EXPECT_EQ(Sys().WaitForSingleObject(0, 30000), kWaitFailed);
  EXPECT_EQ(Sys().GetLastError(), kErrorInvalidHandle);
}

}  // namespace
}  // namespace lw::test
