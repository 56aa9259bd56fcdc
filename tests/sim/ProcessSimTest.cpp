// Process starts that only the simulation can stage: scripted failures, the time a start
// takes on the clock, the search order over folders the tests cannot fill on a real machine,
// and the records and handles the runner's tests read.

#include <string>
#include <vector>

#include "support/TestEnv.h"

namespace lw::test {
namespace {

constexpr std::uint32_t kRunnerFlags = kNormalPriorityClass | kCreateNewProcessGroup;
constexpr std::uint32_t kErrorNoSystemResources = 1450;

class ProcessSim : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    Sim().AddFile(tool, "MZ");
    Sim().AddFolder("C:\\Links");
    ASSERT_EQ(Shell().SaveShellLink(link, tool, "-min"), kSOk);
  }

  // The image of the last start after the line started; empty when it did not.
  std::string StartedImage(const std::string& line) {
    ProcessInformation info;
    if (!Sys().CreateProcess(line, kRunnerFlags, &info)) return std::string();
    Sys().CloseHandle(info.process);
    Sys().CloseHandle(info.thread);
    return Sim().ProcessStarts().back().image;
  }

  const std::string tool = "C:\\Tools\\Tool Box\\tool.exe";
  const std::string link = "C:\\Links\\tool.lnk";
};

TEST_F(ProcessSim, StagedFailuresReachTheCallerAndEveryCallCostsItsTime) {
  Sim().SetProcessStartCost(250);
  Sim().FailProcessStart("c:\\tools\\TOOL BOX\\Tool.EXE", kErrorAccessDenied);
  const std::uint64_t start = Sim().Now();
  ProcessInformation info;
  EXPECT_FALSE(Sys().CreateProcess("\"" + tool + "\" -a", kRunnerFlags, &info));
  EXPECT_EQ(Sys().GetLastError(), kErrorAccessDenied);
  EXPECT_EQ(info.process, 0u);
  // Through the shell: a code below 32 is the result itself.
  EXPECT_EQ(Shell().ShellExecute("", link, "", "", kSwShowNormal), 5);
  EXPECT_EQ(Sys().GetLastError(), kErrorAccessDenied);
  // Above it the shell answers ERROR_BAD_FORMAT, with the error as the last error.
  Sim().FailProcessStart(tool, kErrorNoSystemResources);
  EXPECT_EQ(Shell().ShellExecute("", link, "", "", kSwShowNormal), 11);
  EXPECT_EQ(Sys().GetLastError(), kErrorNoSystemResources);
  EXPECT_TRUE(Sim().ProcessStarts().empty());
  EXPECT_EQ(Sim().Now(), start + 750);

  Sim().FailProcessStart(tool, kErrorSuccess);
  EXPECT_GT(Shell().ShellExecute("", link, "-x", "", kSwShowNormal), kShellExecuteSuccessAbove);
  ASSERT_EQ(Sim().ProcessStarts().size(), 1u);
  const SimPlatform::ProcessStart started = Sim().ProcessStarts().back();
  EXPECT_EQ(started.commandLine, "\"" + tool + "\" -min -x");
  EXPECT_EQ(started.image, tool);
  EXPECT_EQ(started.creationFlags, kNormalPriorityClass);
  // The program starts when the call is made; the call returns after the cost.
  EXPECT_EQ(started.time, start + 750);
  EXPECT_EQ(Sim().Now(), start + 1000);
}

TEST_F(ProcessSim, BareNamesAreSearchedInWindowsOrder) {
  Sim().SetEnvironmentVariable("Path", "C:\\First; C:\\Second");
  const std::string program = "C:\\Program Files\\Launchward\\";
  struct Case {
    std::string name;
    std::vector<std::string> files;  // the first is the one that starts
  };
  const Case cases[] = {
      {"a", {program + "a.exe", "C:\\WINDOWS\\system32\\a.exe"}},
      {"b", {"C:\\WINDOWS\\system32\\b.exe", "C:\\WINDOWS\\b.exe", "C:\\First\\b.exe"}},
      {"c", {"C:\\WINDOWS\\c.exe", "C:\\First\\c.exe"}},
      {"d", {"C:\\First\\d.exe", "C:\\Second\\d.exe"}},
      {"e", {"C:\\Second\\e.exe"}},
      // ".exe" is tried in every folder before the name alone.
      {"f", {"C:\\Second\\f.exe", program + "f"}},
      {"g.cmd", {"C:\\WINDOWS\\g.cmd", "C:\\WINDOWS\\g.cmd.exe"}},
  };
  for (const Case& c : cases) {
    for (const std::string& file : c.files) Sim().AddFile(file, "MZ");
    EXPECT_EQ(StartedImage(c.name + " -x"), c.files.front()) << c.name;
  }
}

TEST_F(ProcessSim, TwoPriorityClassesAtOnceAreRefused) {
  // Wine starts such a program at normal priority; the sim refuses the flags, so that a runner
  // that passes them is caught.
  ProcessInformation info;
  EXPECT_FALSE(
      Sys().CreateProcess("\"" + tool + "\"", kIdlePriorityClass | kHighPriorityClass, &info));
  EXPECT_EQ(Sys().GetLastError(), kErrorInvalidParameter);
  EXPECT_TRUE(Sim().ProcessStarts().empty());
  EXPECT_EQ(Sim().OpenProcessHandleCount(), 0);
}

TEST_F(ProcessSim, StartsAreRecordedAndTheirHandlesCountedUntilClosed) {
  const std::string line = "C:\\Tools\\Tool Box\\tool -a b";
  const std::uint32_t flags = kAboveNormalPriorityClass | kCreateNewProcessGroup;
  ProcessInformation first;
  ProcessInformation second;
  ASSERT_TRUE(Sys().CreateProcess(line, flags, &first));
  ASSERT_TRUE(Sys().CreateProcess(line, flags, &second));
  EXPECT_EQ(Sim().OpenProcessHandleCount(), 4);
  EXPECT_NE(first.processId, second.processId);
  ASSERT_EQ(Sim().ProcessStarts().size(), 2u);
  const SimPlatform::ProcessStart started = Sim().ProcessStarts().front();
  EXPECT_EQ(started.commandLine, line);
  EXPECT_EQ(started.image, tool);
  EXPECT_EQ(started.creationFlags, flags);
  for (Handle handle : {first.process, first.thread, second.process, second.thread}) {
    EXPECT_TRUE(Sys().CloseHandle(handle));
  }
  EXPECT_EQ(Sim().OpenProcessHandleCount(), 0);
}

TEST_F(ProcessSim, ShellOpensDocumentsAndFoldersAndKnowsOnlyTheOpenVerb) {
  Sim().AddFile("C:\\Docs\\read me.txt", "text");
  EXPECT_GT(Shell().ShellExecute("open", "read me.txt", "", "C:\\Docs", kSwShowNormal),
            kShellExecuteSuccessAbove);
  EXPECT_GT(Shell().ShellExecute("", "C:\\Docs", "", "", kSwShowNormal), kShellExecuteSuccessAbove);
  ASSERT_EQ(Sim().ProcessStarts().size(), 2u);
  EXPECT_EQ(Sim().ProcessStarts()[0].image, "C:\\Docs\\read me.txt");
  EXPECT_EQ(Sim().ProcessStarts()[1].image, "C:\\Docs");

  EXPECT_EQ(Shell().ShellExecute("print", "C:\\Docs\\read me.txt", "", "", kSwShowNormal), 31);
  // A file named as a shortcut that is none: Wine's answer.
  Sim().AddFile("C:\\Links\\broken.lnk", "not a shortcut");
  EXPECT_EQ(Shell().ShellExecute("", "C:\\Links\\broken.lnk", "", "", kSwShowNormal), 31);
  EXPECT_EQ(Sim().ProcessStarts().size(), 2u);
}

}  // namespace
}  // namespace lw::test
