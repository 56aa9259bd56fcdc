// What the logon runner relies on when it starts programs: how CreateProcess finds the program
// a command line names and what the program then sees, the error codes of the lines that start
// nothing, the priority classes, the handles; GetShortPathName; ShellExecute of a shortcut.
// These run on the simulation and on Windows (under Wine, with the real probe program).

#include <string>
#include <vector>

#include "support/ProbePrograms.h"
#include "support/TestEnv.h"

namespace lw::test {
namespace {

constexpr std::uint32_t kRunnerFlags = kNormalPriorityClass | kCreateNewProcessGroup;
// ERROR_BAD_EXE_FORMAT, and the SE_ERR_ results of ShellExecute.
constexpr std::intptr_t kSeErrFileNotFound = 2;
constexpr std::intptr_t kSeErrBadFormat = 11;
constexpr std::intptr_t kSeErrNoAssociation = 31;

std::string WithoutQuotes(std::string text) {
  std::erase(text, '"');
  return text;
}

class ProcessFacts : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    dir = ScratchFolder();
    probe = dir + "Start Up\\Probe Program.exe";
    InstallProbe(probe);
  }

  // Starts the line as the runner does and closes the handles: kErrorSuccess, or the error
  // with the handles left as they were.
  std::uint32_t Start(const std::string& line, std::uint32_t flags = kRunnerFlags) {
    ProcessInformation info;
    if (!Sys().CreateProcess(line, flags, &info)) {
      EXPECT_EQ(info.process, 0u) << line;
      EXPECT_EQ(info.thread, 0u) << line;
      return Sys().GetLastError();
    }
    EXPECT_NE(info.processId, 0u) << line;
    EXPECT_TRUE(Sys().CloseHandle(info.process)) << line;
    EXPECT_TRUE(Sys().CloseHandle(info.thread)) << line;
    return kErrorSuccess;
  }

  // Starts the line and waits for the probe's report: what the program saw.
  ProbeStart StartAndWatch(const std::string& line, std::uint32_t flags = kRunnerFlags) {
    const std::size_t before = WaitForProbeStarts(0).size();
    EXPECT_EQ(Start(line, flags), kErrorSuccess) << line;
    std::vector<ProbeStart> starts = WaitForProbeStarts(before + 1);
    if (starts.size() != before + 1) {
      ADD_FAILURE() << "the probe did not report: " << line;
      return ProbeStart{};
    }
    return starts.back();
  }

  std::string dir;
  std::string probe;
};

TEST_F(ProcessFacts, QuotedAndUnquotedPathsWithBlanksStart) {
  // Quoted, the program sees its line as it was given. Unquoted, the prefixes of the line are
  // tried in turn ("...\Start", then "...\Start Up\Probe", with ".exe" added, ...) and the
  // program runs with its arguments; Wine puts the found name in quotes, Windows does not.
  EXPECT_EQ(StartAndWatch("\"" + probe + "\" -a  \"b c\"").commandLine,
            "\"" + probe + "\" -a  \"b c\"");
  const std::string lines[] = {
      probe + " -x y",
      dir + "Start Up\\Probe Program -x y",
      probe,
  };
  for (const std::string& line : lines) {
    EXPECT_EQ(WithoutQuotes(StartAndWatch(line).commandLine), line);
  }
}

TEST_F(ProcessFacts, UnquotedSearchPassesFoldersOverAndStopsAtOtherFiles) {
  ASSERT_TRUE(Files().CreateDirectory(dir + "Start"));
  EXPECT_EQ(WithoutQuotes(StartAndWatch(probe + " -after-folder").commandLine),
            probe + " -after-folder");
  ASSERT_TRUE(Files().RemoveDirectory(dir + "Start"));
  ASSERT_TRUE(Files().WriteFile(dir + "Start", "not a program"));
  EXPECT_EQ(Start(probe + " -after-file"), kErrorBadExeFormat);
  EXPECT_EQ(WaitForProbeStarts(0).size(), 1u);
}

TEST_F(ProcessFacts, BareNameIsFoundInTheSystemFolder) {
  const std::string system = Sys().GetSystemDirectory() + "\\lwfactsprobe.exe";
  InstallProbe(system);
  EXPECT_EQ(StartAndWatch("lwfactsprobe.exe -sys").commandLine, "lwfactsprobe.exe -sys");
  EXPECT_EQ(StartAndWatch("lwfactsprobe -noext").commandLine, "lwfactsprobe -noext");
  RemoveProbe(system);
}

TEST_F(ProcessFacts, LinesThatStartNothingGiveTheirCodes) {
  // A program known only to App Paths (as the runner's "APPPATH" method reads it) is not found
  // by CreateProcess itself.
  const std::string appPaths = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths";
  HKey key = 0;
  ASSERT_EQ(Reg().CreateKeyEx(kHKeyCurrentUser, appPaths + "\\lwfactsapp.exe", kKeyAllAccess, &key,
                              nullptr),
            kErrorSuccess);
  Reg().SetValueEx(key, "", kRegSz, probe.c_str(), static_cast<std::uint32_t>(probe.size() + 1));
  Reg().CloseKey(key);
  ASSERT_TRUE(Files().WriteFile(dir + "notes.txt", "text"));

  struct Case {
    std::string line;
    std::uint32_t error;
  };
  const Case cases[] = {
      // The runner's "SYSTEMROOT" method passes the variable unexpanded.
      {"%SystemRoot%\\System32\\notepad.exe", kErrorFileNotFound},
      {"lwfactsapp.exe", kErrorFileNotFound},
      {dir + "missing.exe", kErrorFileNotFound},
      {dir + "missing.exe -a b", kErrorFileNotFound},
      {"\"" + dir + "missing.exe\" -a", kErrorFileNotFound},
      // Wine reports a missing folder as a missing file here.
      {"\"" + dir + "No Folder\\x.exe\" -a", kErrorFileNotFound},
      {dir + "No Folder\\x.exe", kErrorFileNotFound},
      {"\"" + probe, kErrorFileNotFound},
      {"", kErrorFileNotFound},
      {"\"\"", kErrorInvalidParameter},
      {"\"\" -a", kErrorInvalidParameter},
      {"\"" + dir + "Start Up\"", kErrorAccessDenied},
      {"\"" + dir + "notes.txt\"", kErrorBadExeFormat},
  };
  for (const Case& c : cases) EXPECT_EQ(Start(c.line), c.error) << c.line;
  EXPECT_EQ(WaitForProbeStarts(0).size(), 0u);
  DeleteKeyTree(kHKeyCurrentUser, appPaths + "\\lwfactsapp.exe");
}

TEST_F(ProcessFacts, EachPriorityClassStartsTheProgram) {
  // Wine starts every program at normal priority whatever the class asked for; the sim, like
  // Windows, gives the program the class.
  const std::uint32_t classes[] = {
      kIdlePriorityClass,        kBelowNormalPriorityClass, kNormalPriorityClass,
      kAboveNormalPriorityClass, kHighPriorityClass,        kRealtimePriorityClass,
  };
  for (std::uint32_t priority : classes) {
    const std::string line = "\"" + probe + "\" -class " + std::to_string(priority);
    const ProbeStart seen = StartAndWatch(line, priority | kCreateNewProcessGroup);
    EXPECT_EQ(seen.commandLine, line);
    EXPECT_EQ(seen.priorityClass, IsRealWindows() ? kNormalPriorityClass : priority) << line;
  }
  EXPECT_EQ(StartAndWatch("\"" + probe + "\" -none", kCreateNewProcessGroup).priorityClass,
            kNormalPriorityClass);
}

TEST_F(ProcessFacts, HandlesCloseOnce) {
  ProcessInformation info;
  ASSERT_TRUE(Sys().CreateProcess("\"" + probe + "\" -handles", kRunnerFlags, &info));
  EXPECT_NE(info.process, info.thread);
  EXPECT_TRUE(Sys().CloseHandle(info.process));
  EXPECT_TRUE(Sys().CloseHandle(info.thread));
  EXPECT_FALSE(Sys().CloseHandle(info.thread));
  EXPECT_EQ(WaitForProbeStarts(1).size(), 1u);
}

TEST_F(ProcessFacts, ShortPathNamesTheSameFileAndFailsForMissingOnes) {
  const std::string file = dir + "Long Folder Name\\Long File Name.text";
  ASSERT_TRUE(Files().CreateDirectory(dir + "Long Folder Name"));
  ASSERT_TRUE(Files().WriteFile(file, "the content"));
  for (const std::string& path : {file, dir + "Long Folder Name"}) {
    std::string shortPath;
    ASSERT_TRUE(Files().GetShortPathName(path, &shortPath)) << path;
    EXPECT_EQ(Files().GetFileAttributes(shortPath), Files().GetFileAttributes(path));
  }
  std::string shortPath;
  ASSERT_TRUE(Files().GetShortPathName(file, &shortPath));
  EXPECT_EQ(ReadWholeFile(shortPath), "the content");

  // Wine reports a missing folder on the way as a missing file.
  for (const std::string& path : {dir + "missing.lnk", dir + "No Folder\\x.lnk"}) {
    std::string out = "unchanged";
    EXPECT_FALSE(Files().GetShortPathName(path, &out)) << path;
    EXPECT_EQ(Sys().GetLastError(), kErrorFileNotFound) << path;
    EXPECT_EQ(out, "unchanged");
  }
}

TEST_F(ProcessFacts, ShellExecuteOfAShortcutStartsItsTargetWithItsArguments) {
  const std::string link = dir + "Start Up\\Probe Shortcut.lnk";
  ASSERT_EQ(Shell().SaveShellLink(link, probe, "-lnk \"x y\""), kSOk);
  std::string shortLink;
  ASSERT_TRUE(Files().GetShortPathName(link, &shortLink));
  // As the runner opens it (by its short path), and by its long path.
  for (const std::string& path : {shortLink, link}) {
    const std::size_t before = WaitForProbeStarts(0).size();
    EXPECT_GT(Shell().ShellExecute("", path, "", "", kSwShowNormal), kShellExecuteSuccessAbove);
    const std::vector<ProbeStart> starts = WaitForProbeStarts(before + 1);
    ASSERT_EQ(starts.size(), before + 1) << path;
    EXPECT_EQ(starts.back().commandLine, "\"" + probe + "\" -lnk \"x y\"");
  }
  // A program opened through the shell gets its path in quotes and the parameters.
  EXPECT_GT(Shell().ShellExecute("", probe, "p1 p2", "", kSwShowNormal), kShellExecuteSuccessAbove);
  const std::vector<ProbeStart> starts = WaitForProbeStarts(3);
  ASSERT_EQ(starts.size(), 3u);
  EXPECT_EQ(starts.back().commandLine, "\"" + probe + "\" p1 p2");
}

TEST_F(ProcessFacts, ShellExecuteFailuresGiveTheirCodes) {
  ASSERT_EQ(Shell().SaveShellLink(dir + "ghost.lnk", dir + "Gone\\ghost.exe", ""), kSOk);
  struct Case {
    std::string file;
    std::intptr_t result;
    std::uint32_t error;
  };
  const Case cases[] = {
      {dir + "missing.lnk", kSeErrFileNotFound, kErrorFileNotFound},
      {dir + "No Folder\\x.lnk", kSeErrFileNotFound, kErrorPathNotFound},
      // What the runner opens when the short path of a missing file came back empty.
      {"", kSeErrBadFormat, kErrorInvalidParameter},
      {dir + "ghost.lnk", kSeErrNoAssociation, kErrorBadExeFormat},
  };
  for (const Case& c : cases) {
    Sys().SetLastError(0);
    EXPECT_EQ(Shell().ShellExecute("", c.file, "", "", kSwShowNormal), c.result) << c.file;
    EXPECT_EQ(Sys().GetLastError(), c.error) << c.file;
  }
  EXPECT_EQ(WaitForProbeStarts(0).size(), 0u);
}

}  // namespace
}  // namespace lw::test
