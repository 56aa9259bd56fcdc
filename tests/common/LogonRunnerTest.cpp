// The runner with real programs: the probe program records its command line and priority, so
// the tests see what Windows actually started.

#include <gtest/gtest.h>

#include <algorithm>

#include "runner/LogonRunner.h"
#include "support/LogonRunnerFixture.h"
#include "support/ProbePrograms.h"
#include "support/ScriptNames.h"
#include "support/WindowsConfiguration.h"
#include "util/ErrorLog.h"
#include "util/WindowsBitness.h"

namespace lw {
namespace {

using test::SetRawDword;
using test::SetRawString;

class LogonRunnerTest : public test::RunnerTest {
 protected:
  void TearDown() override {
    for (const std::string& path : cleanup) {
      Files().DeleteFile(path);
    }
    test::DeleteKeyTree(kHKeyLocalMachine,
                        std::string(kAppPathsKey).substr(1) + "\\lwprobe-app.exe");
    test::SetTestEnvironment("LW_PROBE_DIR", "");
    RunnerTest::TearDown();
  }
  std::vector<std::string> cleanup;  // files outside the scratch folder
};

std::vector<std::string> LogLinesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::string::size_type start = 0;
  for (std::string::size_type end = text.find("\r\n"); end != std::string::npos;
       end = text.find("\r\n", start)) {
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The forms command lines take in real Run keys, each started in the run order with the
// priority the user gave it, and a program that cannot be found anywhere.
TEST_F(LogonRunnerTest, RealRunKeyFormsStartInOrderWithTheirPriority) {
  SetAutoTune(false);
  SetDefaultPauses(0, 600, 0);
  const std::string folder = test::ScratchFolder() + "Probe Dir\\";
  const std::string spaced = folder + "probe one.exe";
  // A bare name is looked up where Windows' own logon looks: in its own System32, which a
  // 32-bit process on 64-bit Windows reaches as Sysnative (its System32 is SysWOW64).
  const std::string system = (test::CurrentConfiguration() == test::WindowsConfiguration::kWow64
                                  ? Sys().GetWindowsDirectory() + "\\Sysnative"
                                  : Sys().GetSystemDirectory()) +
                             "\\lwprobe-sys.exe";
  const std::string registered = test::ScratchFolder() + "Apps\\lwprobe-app.exe";
  // Where CreateProcess looks first for the unquoted "...\\Probe Dir\\probe one.exe".
  const std::string decoy = test::ScratchFolder() + "Probe.exe";
  const std::string gone = test::ScratchFolder() + "lwprobe-gone.exe";
  test::InstallProbe(spaced);
  test::InstallProbe(decoy);
  test::InstallProbe(system);
  cleanup.push_back(system);
  test::InstallProbe(registered);
  SetRawString(kHKeyLocalMachine, std::string(kAppPathsKey) + "\\lwprobe-app.exe", "", registered);
  test::SetTestEnvironment("LW_PROBE_DIR", folder.substr(0, folder.size() - 1));

  StageRunItems({{"Quoted", "\"" + spaced + "\" /quoted \"an arg\"", ""},
                 {"Unquoted", spaced + " /unquoted", ""},
                 {"Bare", "lwprobe-sys.exe /bare", ""},
                 {"Missing", "lwprobe-missing.exe /x", ""},
                 {"AppPath", "lwprobe-app.exe /apppath", ""},
                 {"Variable", "%LW_PROBE_DIR%\\probe one.exe /env", ""},
                 {"Padded", "   " + spaced + " /padded  ", ""},
                 {"Gone", gone + " /x", ""}});
  SetRawDword(kHKeyLocalMachine, kPriorityKey, "Quoted", kIdlePriorityClass);
  SetRawDword(kHKeyLocalMachine, kPriorityKey, "Unquoted", kBelowNormalPriorityClass);
  SetRawDword(kHKeyLocalMachine, kPriorityKey, "Bare", kIdlePriorityClass);  // normal at first
  SetRawDword(kHKeyLocalMachine, kPriorityKey, "AppPath", kAboveNormalPriorityClass);
  auto runner = MakeRunner();
  RunPhase2(*runner);

  std::vector<test::ProbeStart> starts = test::WaitForProbeStarts(6);
  ASSERT_EQ(starts.size(), 6u);
  std::stable_sort(starts.begin(), starts.end(),
                   [](const auto& a, const auto& b) { return a.timeUs < b.timeUs; });
  // The class each program runs with from its first instruction: a normal one in the
  // background (below normal) during the logon; above normal at once.
  const std::vector<std::pair<std::string, std::uint32_t>> expected = {
      {"\"" + spaced + "\" /quoted \"an arg\"", kIdlePriorityClass},
      {"\"" + spaced + "\" /unquoted", kBelowNormalPriorityClass},
      {"lwprobe-sys.exe /bare", kBackgroundPriorityClass},
      {"\"" + registered + "\" /apppath", kAboveNormalPriorityClass},
      // The path the variable gives has a blank: quoted, or the decoy would start.
      {"\"" + spaced + "\" /env", kBackgroundPriorityClass},
      {"\"" + spaced + "\" /padded", kBackgroundPriorityClass},
  };
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(starts[i].commandLine, expected[i].first) << i;
    EXPECT_EQ(starts[i].priorityClass, expected[i].second) << i;
  }
  EXPECT_EQ(test::RawString(kHKeyCurrentUser, kExecMethodKey, "Bare"), kExecCmdOriginal);
  EXPECT_EQ(test::RawString(kHKeyCurrentUser, kExecMethodKey, "AppPath"), kExecAppPath);
  EXPECT_EQ(test::RawString(kHKeyCurrentUser, kExecMethodKey, "Missing"), "<missing>");

  // Each failed start is one line: date, time, the code, its text and the line started. The
  // App Paths attempt of the bare name starts nothing: it has no entry; a program given with
  // its drive is not looked for below the system folder.
  const std::string text = SystemErrorText(kErrorFileNotFound);
  std::vector<std::string> lines = LogLinesOf(test::ReadWholeFile(ErrorLogPath()));
  // On 64-bit Windows a bare name of the 32-bit view is looked for in SysWOW64 last.
  std::vector<std::string> tails = {
      " 2 : " + text + " (lwprobe-missing.exe /x)",
      " 2 : " + text + " (" + Sys().ExpandEnvironmentStrings("%SystemRoot%") +
          "\\System32\\lwprobe-missing.exe /x)",
  };
  if (IsWindows64()) {
    tails.push_back(" 2 : " + text + " (" + Sys().ExpandEnvironmentStrings("%SystemRoot%") +
                    "\\SysWOW64\\lwprobe-missing.exe /x)");
  }
  tails.push_back(" 2 : " + text + " (lwprobe-app.exe /apppath)");
  tails.push_back(" 2 : " + text + " (\"" + gone + "\" /x)");
  ASSERT_EQ(lines.size(), tails.size());
  const std::string today = Sys().FormatShortDate(Sys().GetLocalTime());
  for (std::size_t i = 0; i < tails.size(); ++i) {
    EXPECT_EQ(lines[i].rfind(today + " ", 0), 0u) << lines[i];
    EXPECT_TRUE(EndsWith(lines[i], tails[i])) << lines[i];
  }
}

// Items named in four scripts, programs in folders so named and arguments in them: each starts
// in the run order with its command line as it was stored, a shortcut's through the shell.
TEST_F(LogonRunnerTest, NamesInAnyScriptStartAsStored) {
  SetAutoTune(false);
  SetDefaultPauses(0, 600, 0);
  const std::string folder = test::ScratchFolder() + test::kChinese + " " + test::kRocket + "\\";
  const std::string probe = folder + test::kPrivet + ".exe";
  test::InstallProbe(probe);
  StageRunItems({{test::kCafe, "\"" + probe + "\" /" + test::kCafe, ""},
                 {test::kPrivet, "\"" + probe + "\" /" + test::kPrivet, ""},
                 {test::kChinese, "\"" + probe + "\" /" + test::kChinese, ""},
                 {test::kRocket, "\"" + probe + "\" \"/" + test::kRocket + "\"", ""}});
  StageShortcuts({{test::kRocket + ".lnk", probe, "/link " + test::kChinese, commonStartup}});
  auto runner = MakeRunner();
  RunPhase2(*runner);

  std::vector<test::ProbeStart> starts = test::WaitForProbeStarts(5);
  ASSERT_EQ(starts.size(), 5u);
  std::stable_sort(starts.begin(), starts.end(),
                   [](const auto& a, const auto& b) { return a.timeUs < b.timeUs; });
  const std::vector<std::string> expected = {
      "\"" + probe + "\" /" + test::kCafe, "\"" + probe + "\" /" + test::kPrivet,
      "\"" + probe + "\" /" + test::kChinese, "\"" + probe + "\" \"/" + test::kRocket + "\""};
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(starts[i].commandLine, expected[i]);
  EXPECT_NE(starts[4].commandLine.find(test::kPrivet + ".exe"), std::string::npos)
      << starts[4].commandLine;
  EXPECT_TRUE(EndsWith(starts[4].commandLine, " /link " + test::kChinese)) << starts[4].commandLine;
  EXPECT_TRUE(dialogs->Messages().empty());
  EXPECT_EQ(test::ReadWholeFile(ErrorLogPath()), "");
}

// A quoted batch file whose argument names a program: the batch file starts, with that
// argument (the ".exe" in it is no part of the program).
TEST_F(LogonRunnerTest, QuotedBatchFileStartsWithAProgramAsItsArgument) {
  SetAutoTune(false);
  SetDefaultPauses(0, 0, 0);
  const std::string batch = test::ScratchFolder() + "run probe.bat";
  const std::string probe = test::ScratchFolder() + "lwprobe-bat.exe";
  const std::string argument = test::ScratchFolder() + "Apps\\a.exe";
  test::InstallProbe(probe);
  ASSERT_TRUE(Files().WriteFile(batch, "@\"" + probe + "\" /bat %1\r\n"));
  StageRunItems({{"Batch", "\"" + batch + "\" " + argument, ""}});
  auto runner = MakeRunner();
  runner->RunRunkeyItems();

  EXPECT_EQ(test::RawString(kHKeyCurrentUser, kExecMethodKey, "Batch"), kExecCmdOriginal);
  EXPECT_EQ(test::ReadWholeFile(ErrorLogPath()), "");
  // Only Windows runs what the batch file says.
  if (test::IsRealWindows()) {
    const std::vector<test::ProbeStart> starts = test::WaitForProbeStarts(1);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_NE(starts[0].commandLine.find("lwprobe-bat.exe"), std::string::npos);
    EXPECT_TRUE(EndsWith(starts[0].commandLine, " /bat " + argument)) << starts[0].commandLine;
  }
}

// A shortcut in the store is opened by the shell, which starts its target with its arguments;
// a shortcut that is gone is reported in a message box and followed by no pause.
TEST_F(LogonRunnerTest, StoredShortcutsOpenThroughTheShell) {
  SetAutoTune(false);
  SetDefaultPauses(0, 0, 3000);
  const std::string probe = test::ScratchFolder() + "lwprobe-link.exe";
  test::InstallProbe(probe);
  const auto paths = StageShortcuts({{"gone.lnk", probe, "/gone", commonStartup},
                                     {"probe.lnk", probe, "/from-shortcut", commonStartup}});
  Files().DeleteFile(paths[0]);
  auto runner = MakeRunner();
  runner->RunStartupItems();

  std::vector<test::ProbeStart> starts = test::WaitForProbeStarts(1);
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_NE(starts[0].commandLine.find("lwprobe-link.exe"), std::string::npos);
  EXPECT_TRUE(EndsWith(starts[0].commandLine, " /from-shortcut")) << starts[0].commandLine;
  ASSERT_EQ(dialogs->Messages().size(), 1u);
  EXPECT_EQ(dialogs->Messages()[0], "Error execution shortcut: \r\n" + paths[0] + "\r\n" +
                                        SystemErrorText(kErrorFileNotFound));
  const std::vector<std::string> lines = LogLinesOf(test::ReadWholeFile(ErrorLogPath()));
  ASSERT_EQ(lines.size(), 2u);
  for (const std::string& line : lines) {
    EXPECT_TRUE(
        EndsWith(line, " 2 : " + SystemErrorText(kErrorFileNotFound) + " (" + paths[0] + ")"))
        << line;
  }
}

}  // namespace
}  // namespace lw
