// How the runner starts each form of command line, what it remembers, and what a run writes.

#include <gtest/gtest.h>

#include <functional>

#include "runner/LogonRunner.h"
#include "support/LogonRunnerFixture.h"
#include "util/ErrorLog.h"

namespace lw {
namespace {

using test::RawDword;
using test::RawString;
using test::RawValueNames;
using test::SetRawDword;
using test::SetRawString;
using test::Sim;

std::size_t LogLines() {
  std::string log = test::ReadWholeFile(ErrorLogPath());
  std::size_t lines = 0;
  for (std::string::size_type at = log.find("\r\n"); at != std::string::npos;
       at = log.find("\r\n", at + 2)) {
    ++lines;
  }
  return lines;
}

class LogonRunnerStartSimTest : public test::RunnerTest {};

// Where CreateProcess looks first for an unquoted "C:\Program Files\...".
constexpr char kDecoy[] = "C:\\Program.exe";

struct StartCase {
  const char* label;
  const char* command;
  std::function<void()> stage;
  const char* remembered;       // "ExecMethod" before the start ("" none)
  std::int32_t storedPriority;  // "Priority" of the item
  bool starts;
  const char* startedLine;  // the line of the start that worked
  std::uint32_t priority;   // its priority class
  const char* method;       // "ExecMethod" afterwards ("" none)
  std::size_t failures;     // lines in the error log
};

TEST_F(LogonRunnerStartSimTest, EachFormStartsByTheFirstMethodThatWorks) {
  const auto program = [](const char* path) { return [path] { Sim().AddFile(path, "MZ"); }; };
  const StartCase cases[] = {
      {"path with a blank and an argument", "C:\\Program Files\\Tool\\tool.exe /min",
       program("C:\\Program Files\\Tool\\tool.exe"), "", 64, true,
       "\"C:\\Program Files\\Tool\\tool.exe\" /min", kIdlePriorityClass, "CMDALTERED", 0},
      {"quoted path and quoted argument",
       "\"C:\\Program Files\\Tool\\tool.exe\" \"C:\\My Files\\a b.txt\"",
       program("C:\\Program Files\\Tool\\tool.exe"), "", 32, true,
       "\"C:\\Program Files\\Tool\\tool.exe\" \"C:\\My Files\\a b.txt\"", kNormalPriorityClass,
       "CMDALTERED", 0},
      {"bare name in the system folder: first at normal priority", "tool2.exe /x",
       program("C:\\WINDOWS\\system32\\tool2.exe"), "", 64, true, "tool2.exe /x",
       kNormalPriorityClass, "CMDORIGNAL", 0},
      {"bare name known to App Paths", "appt.exe /x",
       [] {
         Sim().AddFile("C:\\Apps\\appt.exe", "MZ");
         SetRawString(kHKeyLocalMachine, std::string(kAppPathsKey) + "\\appt.exe", "",
                      "C:\\Apps\\appt.exe");
       },
       "", 128, true, "\"C:\\Apps\\appt.exe\" /x", kHighPriorityClass, "APPPATH", 1},
      {"remembered App Paths start: no failure first", "appt.exe /x",
       [] {
         Sim().AddFile("C:\\Apps\\appt.exe", "MZ");
         SetRawString(kHKeyCurrentUser, std::string(kAppPathsKey) + "\\appt.exe", "",
                      "\"C:\\Apps\\appt.exe\"");
       },
       "APPPATH", 32, true, "\"C:\\Apps\\appt.exe\" /x", kNormalPriorityClass, "APPPATH", 0},
      // The program's variables are expanded before the drive letter is looked for, and the
      // path they give is quoted: unquoted, CreateProcess would start the decoy C:\Program.exe.
      {"variable in the program", "%ProgramFiles%\\Tool\\tool.exe /min",
       program("C:\\Program Files\\Tool\\tool.exe"), "", 64, true,
       "\"C:\\Program Files\\Tool\\tool.exe\" /min", kIdlePriorityClass, "CMDALTERED", 0},
      {"variable in a quoted program", "\"%ProgramFiles%\\Tool\\tool.exe\" /min",
       program("C:\\Program Files\\Tool\\tool.exe"), "", 32, true,
       "\"C:\\Program Files\\Tool\\tool.exe\" /min", kNormalPriorityClass, "CMDALTERED", 0},
      {"variable in an argument stays as written",
       "%ProgramFiles%\\Tool\\tool.exe /in=%ProgramFiles%",
       program("C:\\Program Files\\Tool\\tool.exe"), "", 32, true,
       "\"C:\\Program Files\\Tool\\tool.exe\" /in=%ProgramFiles%", kNormalPriorityClass,
       "CMDALTERED", 0},
      {"variable in the program, remembered as started unchanged",
       "%ProgramFiles%\\Tool\\tool.exe /min", program("C:\\Program Files\\Tool\\tool.exe"),
       "CMDORIGNAL", 32, true, "\"C:\\Program Files\\Tool\\tool.exe\" /min", kNormalPriorityClass,
       "CMDORIGNAL", 0},
      {"blanks around a path with a blank", "  C:\\Program Files\\Tool\\tool.exe /min  ",
       program("C:\\Program Files\\Tool\\tool.exe"), "", 32, true,
       "\"C:\\Program Files\\Tool\\tool.exe\" /min", kNormalPriorityClass, "CMDALTERED", 0},
      {"blanks before a quoted path", "  \"C:\\Program Files\\Tool\\tool.exe\" /min",
       program("C:\\Program Files\\Tool\\tool.exe"), "", 32, true,
       "\"C:\\Program Files\\Tool\\tool.exe\" /min", kNormalPriorityClass, "CMDALTERED", 0},
      {"blanks around a bare name", "  tool2.exe /x  ", program("C:\\WINDOWS\\system32\\tool2.exe"),
       "", 64, true, "tool2.exe /x", kNormalPriorityClass, "CMDORIGNAL", 0},
      {"quoted batch file given a program", "\"C:\\Scripts\\run.bat\" C:\\Apps\\a.exe",
       [] {
         Sim().AddFile("C:\\Scripts\\run.bat", "@echo off");
         Sim().AddFile("C:\\Apps\\a.exe", "MZ");
       },
       "", 16384, true, "\"C:\\Scripts\\run.bat\" C:\\Apps\\a.exe", kBelowNormalPriorityClass,
       "CMDORIGNAL", 0},
      {"drive letter without .exe: as it is, with its priority", "C:\\Scripts\\go.bat now",
       program("C:\\Scripts\\go.bat"), "", 16384, true, "C:\\Scripts\\go.bat now",
       kBelowNormalPriorityClass, "CMDORIGNAL", 0},
      {"a priority that is no class starts at normal", "C:\\Tools\\a.exe",
       program("C:\\Tools\\a.exe"), "", 12345, true, "\"C:\\Tools\\a.exe\" ", kNormalPriorityClass,
       "CMDALTERED", 0},
      {"remembered method that fails: the chain runs again", "C:\\Tools\\a.exe -r",
       program("C:\\Tools\\a.exe"), "APPPATH", 32, true, "\"C:\\Tools\\a.exe\" -r",
       kNormalPriorityClass, "CMDALTERED", 0},
      {"nothing works", "nothere.exe /x", [] {}, "", 32, false, "", 0, "<missing>", 2},
      // A program given with its drive is not looked for below the system folder.
      {"missing program with its drive", "C:\\Gone\\gone.exe /x", [] {}, "", 32, false, "", 0,
       "<missing>", 1},
      {"missing quoted program with its drive", "\"C:\\Gone Dir\\gone.exe\" /x", [] {}, "", 32,
       false, "", 0, "<missing>", 1},
      {"missing batch file with its drive", "C:\\Gone\\gone.bat now", [] {}, "", 32, false, "", 0,
       "<missing>", 1},
  };
  for (const StartCase& each : cases) {
    SCOPED_TRACE(each.label);
    FreeOptions();
    FinalizeProcessUnits();
    test::ResetPlatform();
    InitializeProcessUnits();
    CreateOptions();
    Sim().AddFile(kDecoy, "MZ");
    each.stage();
    SetRawDword(kHKeyLocalMachine, kPriorityKey, "Item",
                static_cast<std::uint32_t>(each.storedPriority));
    if (*each.remembered) SetRawString(kHKeyCurrentUser, kExecMethodKey, "Item", each.remembered);
    auto runner = MakeRunner(RunnerUse::kSingleItems);

    EXPECT_EQ(runner->StartRunkeyItem("Item", each.command), each.starts);
    const auto starts = Sim().ProcessStarts();
    // A row that started nothing says so and lets the next rows run.
    if (each.starts && starts.empty()) ADD_FAILURE() << "nothing started";
    if (each.starts && !starts.empty()) {
      EXPECT_EQ(starts.back().commandLine, each.startedLine);
      EXPECT_EQ(starts.back().priorityClass, each.priority);
      EXPECT_EQ(starts.back().creationFlags & kCreateNewProcessGroup, kCreateNewProcessGroup);
      EXPECT_FALSE(starts.back().suspended) << "left suspended";
    }
    for (const SimPlatform::ProcessStart& start : starts) EXPECT_NE(start.image, kDecoy);
    EXPECT_EQ(RawString(kHKeyCurrentUser, kExecMethodKey, "Item"), each.method);
    EXPECT_EQ(LogLines(), each.failures);
    EXPECT_EQ(test::ReadWholeFile(ErrorLogPath()).find("System32\\C:"), std::string::npos);
    EXPECT_EQ(Sim().OpenProcessHandleCount(), 0);
  }
}

// The program has started; a method that cannot be remembered only costs the chain next time.
TEST_F(LogonRunnerStartSimTest, MethodThatCannotBeRememberedStillStarts) {
  Sim().AddFile("C:\\Tools\\a.exe", "MZ");
  Sim().DenyKeyWrites(kHKeyCurrentUser, std::string(kExecMethodKey).substr(1));
  auto runner = MakeRunner(RunnerUse::kSingleItems);
  EXPECT_TRUE(runner->StartRunkeyItem("Item", "C:\\Tools\\a.exe"));
  EXPECT_EQ(Sim().ProcessStarts().size(), 1u);
  EXPECT_NE(test::ReadWholeFile(ErrorLogPath()).find("Unable to open : "), std::string::npos);
}

// Everything one logon writes, and what the next logon learns from it.
TEST_F(LogonRunnerStartSimTest, RunWritesPausesFiguresAndMethods) {
  Sim().SetProcessorLoad(50);
  Sim().AddFile("C:\\Tools\\a.exe", "MZ");
  StageRunItems({{"A", "C:\\Tools\\a.exe", ""}});
  const auto shortcuts = StageShortcuts({{"s.lnk", "C:\\Tools\\a.exe", "s", commonStartup}});
  auto runner = MakeRunner();
  RunPhase2(*runner);

  for (const auto& [name, value] : {std::pair{kInitialPauseValue, 5000},
                                    {kRunkeyDelayValue, 1000},
                                    {kStartupDelayValue, 2000}}) {
    EXPECT_EQ(RawDword(kHKeyLocalMachine, kProgramKey, name, -1), value) << name;
  }
  EXPECT_EQ(RawDword(kHKeyLocalMachine, kPriorityKey, "A", -1), 32);
  EXPECT_EQ(RawString(kHKeyCurrentUser, kExecMethodKey, "A"), "CMDALTERED");
  // A steady 50 % load blends into 30 on a first run (0.6 x 50 + 0.4 x 0).
  for (const std::string& key :
       {std::string(kInitialPauseItemKey), std::string("A"), shortcuts[0]}) {
    SCOPED_TRACE(key);
    EXPECT_EQ(RawDword(kHKeyCurrentUser, kAutoTuneKey, key + "_PRE", -1), 30);
    EXPECT_EQ(RawDword(kHKeyCurrentUser, kAutoTuneKey, key + "_PRE_PREVIOUS", -1), 0);
    EXPECT_EQ(RawDword(kHKeyCurrentUser, kAutoTuneKey, key + "_POST", -1), 30);
    EXPECT_EQ(RawDword(kHKeyCurrentUser, kAutoTuneKey, key + "_POST_PREVIOUS", -1), 30);
  }
  // Without figures the pauses stay as they were; each is stored 100 ms shorter.
  EXPECT_EQ(RawDword(kHKeyCurrentUser, kCustomDelaysKey, "LW_InitialPause_tunned", -1), 4900);
  EXPECT_EQ(RawDword(kHKeyCurrentUser, kCustomDelaysKey, "A_tunned", -1), 1000);
  EXPECT_EQ(RawDword(kHKeyCurrentUser, kCustomDelaysKey, shortcuts[0] + "_tunned", -1), 1900);
  EXPECT_TRUE(RawValueNames(kHKeyLocalMachine, kAutoTuneKey).empty());

  // The next logon: the figures are steady (30 twice), so the pause shrinks by 8 %.
  auto next = MakeRunner();
  EXPECT_EQ(next->InitialPauseMs(), 4508);
  EXPECT_EQ(RawDword(kHKeyCurrentUser, kCustomDelaysKey, "LW_InitialPause_tunned", -1), 4408);
  // A runner of a management window does not tune the logon's initial pause.
  auto single = MakeRunner(RunnerUse::kSingleItems);
  EXPECT_EQ(single->InitialPauseMs(), 4408);
  EXPECT_EQ(RawDword(kHKeyCurrentUser, kCustomDelaysKey, "LW_InitialPause_tunned", -1), 4408);
}

TEST_F(LogonRunnerStartSimTest, PauseSetByTheUserIsUsedAsItIs) {
  Sim().SetProcessorLoad(50);
  Sim().AddFile("C:\\Tools\\a.exe", "MZ");
  StageRunItems({{"A", "C:\\Tools\\a.exe", ""}, {"B", "C:\\Tools\\a.exe b", ""}});
  SetRawDword(kHKeyLocalMachine, kCustomDelaysKey, "A", 7000);
  for (bool autoTune : {true, false}) {
    SCOPED_TRACE(autoTune);
    SetAutoTune(autoTune);
    status.clear();
    auto runner = MakeRunner();
    runner->RunRunkeyItems();
    ASSERT_GE(status.size(), 2u);
    EXPECT_EQ(status[1], "Run key (1/2)\r\nA: C:\\Tools\\a.exe\r\n(sleeping 7000 milliseconds)");
    EXPECT_EQ(RawDword(kHKeyCurrentUser, kCustomDelaysKey, "A_tunned", -1), -1);
  }
}

// Settings another program spoilt: the run goes on with what can be read.
TEST_F(LogonRunnerStartSimTest, BadStoreDataIsLeftOutNotFatal) {
  SetAutoTune(false);
  Sim().AddFile("C:\\Tools\\a.exe", "MZ");
  StageRunItems({{"Bad", "x", ""}, {"Good", "C:\\Tools\\a.exe good", ""}});
  SetRawDword(kHKeyLocalMachine, kRunItemsKey, "Bad", 7);
  SetRawString(kHKeyLocalMachine, kProgramKey, kRunkeyDelayValue, "fast");
  SetRawString(kHKeyLocalMachine, kPriorityKey, "Good", "high");
  SetRawString(kHKeyLocalMachine, kCustomDelaysKey, "Good", "long");
  auto runner = MakeRunner();
  ASSERT_EQ(runner->RunkeyItems().size(), 1u);
  EXPECT_EQ(runner->RunkeyPauseMs(), 1000);
  EXPECT_EQ(RawDword(kHKeyLocalMachine, kProgramKey, kRunkeyDelayValue, -1), 1000);
  runner->RunRunkeyItems();
  // A priority that cannot be read starts the program as a normal one (in the background during
  // the logon, normal once it is handed back); a pause that cannot be read ends the item's turn
  // after its start.
  ASSERT_EQ(Sim().ProcessStarts().size(), 1u);
  EXPECT_EQ(Sim().ProcessStarts()[0].priorityClass, kBackgroundPriorityClass);
  runner->SettleAndHandBack();
  EXPECT_EQ(Sim().ProcessStarts()[0].priorityClass, kNormalPriorityClass);
  EXPECT_NE(test::ReadWholeFile(ErrorLogPath()).find("Run order entry 0 left out"),
            std::string::npos);
  EXPECT_NE(test::ReadWholeFile(ErrorLogPath()).find("Run key item Good: "), std::string::npos);
}

}  // namespace
}  // namespace lw
