// Whole logon runs on the virtual clock: when each program starts, what the runner shows, how
// pauses end, which items it skips, how it starts each command line, and what a run writes.

#include <gtest/gtest.h>

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

// One load sample waits two 100 ms steps.
constexpr std::uint64_t kSample = 200;
// Every program start takes this long on the test machine.
constexpr std::uint64_t kStartCost = 40;

class LogonRunnerSimTest : public test::RunnerTest {
 protected:
  void SetUp() override {
    RunnerTest::SetUp();
    Sim().SetProcessStartCost(static_cast<std::uint32_t>(kStartCost));
    Sim().SetProcessorLoad(50);
    for (const char* program :
         {"C:\\Tools\\a.exe", "C:\\Tools\\b.exe", "C:\\Tools\\s1.exe", "C:\\Tools\\s2.exe"}) {
      Sim().AddFile(program, "MZ");
    }
  }

  // The clock's moments at which the programs started, relative to `from`, with their lines.
  static std::vector<std::pair<std::uint64_t, std::string>> StartsSince(std::uint64_t from) {
    std::vector<std::pair<std::uint64_t, std::string>> starts;
    for (const SimPlatform::ProcessStart& start : Sim().ProcessStarts()) {
      starts.emplace_back(start.time - from, start.commandLine);
    }
    return starts;
  }

  void StageFourItems() {
    StageRunItems({{"A", "C:\\Tools\\a.exe /one", ""}, {"B", "C:\\Tools\\b.exe", ""}});
    StageShortcuts({{"s1.lnk", "C:\\Tools\\s1.exe", "", commonStartup},
                    {"s2.lnk", "C:\\Tools\\s2.exe", "-x", commonStartup}});
  }
};

// Pauses of 2000 / 1000 / 1500 ms, auto-tune off. A pause of m ms lasts m ms by the clock: steps
// of a tenth (at least 300 ms), each followed by a load sample while time is left; an item's
// pause is shortened by the 40 ms its start took; the last item is followed by no pause.
TEST_F(LogonRunnerSimTest, WholeRunKeepsItsTimetable) {
  SetDefaultPauses(2000, 1000, 1500);
  SetAutoTune(false);
  StageFourItems();
  auto runner = MakeRunner();
  const std::uint64_t begin = Sim().Now();
  RunPhase2(*runner);

  const std::uint64_t initial = 2000;       // 4 x (300 + 200)
  const std::uint64_t afterRun = 1000;      // 960: 2 x (300 + 200), the last sample overruns
  const std::uint64_t afterStartup = 1500;  // 1460: 3 x (300 + 200)
  const std::uint64_t a = initial;
  const std::uint64_t b = a + kStartCost + afterRun;
  const std::uint64_t s1 =
      b + kStartCost + afterRun;  // the last run-key item pauses: shortcuts follow
  const std::uint64_t s2 = s1 + kStartCost + afterStartup;
  EXPECT_EQ(StartsSince(begin),
            (std::vector<std::pair<std::uint64_t, std::string>>{{a, "\"C:\\Tools\\a.exe\" /one"},
                                                                {b, "\"C:\\Tools\\b.exe\" "},
                                                                {s1, "\"C:\\Tools\\s1.exe\""},
                                                                {s2, "\"C:\\Tools\\s2.exe\" -x"}}));
  EXPECT_EQ(Sim().Now() - begin, s2 + kStartCost) << "no pause after the last shortcut";
  EXPECT_EQ(status, (std::vector<std::string>{
                        "Run key (1/2)\r\nA: C:\\Tools\\a.exe /one",
                        "Run key (1/2)\r\nA: C:\\Tools\\a.exe /one\r\n(sleeping 1000 milliseconds)",
                        "Run key (2/2)\r\nB: C:\\Tools\\b.exe",
                        "Run key (2/2)\r\nB: C:\\Tools\\b.exe\r\n(sleeping 1000 milliseconds)",
                        "Startup Folder (1/2): \r\ns1.lnk",
                        "Startup Folder (1/2): \r\ns1.lnk\r\n(sleeping 1500 milliseconds)",
                        "Startup Folder (2/2): \r\ns2.lnk",
                        "Startup Folder (2/2): \r\ns2.lnk\r\n(sleeping 1500 milliseconds)"}));
  // The programs started in the background are let go when they are handed back.
  runner->SettleAndHandBack();
  EXPECT_EQ(Sim().OpenProcessHandleCount(), 0);
}

TEST_F(LogonRunnerSimTest, LastRunItemPausesOnlyWhenShortcutsFollow) {
  SetDefaultPauses(0, 1000, 1500);
  SetAutoTune(false);
  StageRunItems({{"A", "C:\\Tools\\a.exe", ""}});
  auto runner = MakeRunner();
  runner->InitialPause();
  const std::uint64_t begin = Sim().Now();
  runner->RunRunkeyItems();
  runner->RunStartupItems();
  EXPECT_EQ(Sim().Now() - begin, kStartCost);
}

// With auto-tune on and a nearly idle processor, every pause ends after its first step.
TEST_F(LogonRunnerSimTest, IdleProcessorEndsEveryPauseAfterOneStep) {
  Sim().SetProcessorLoad(5);
  SetDefaultPauses(5000, 3000, 3000);
  StageFourItems();
  auto runner = MakeRunner();
  const std::uint64_t begin = Sim().Now();
  RunPhase2(*runner);
  // The initial pause: a sample before it, its first step (a tenth of 5000 ms) and that step's
  // sample, a sample after it; then the first item's sample before it starts.
  const std::uint64_t first = kSample + 500 + kSample + kSample + kSample;
  // From one start to the next: the start, one 300 ms step and its sample, the sample after the
  // item, the next item's sample before it.
  const std::uint64_t item = kStartCost + 300 + kSample + kSample + kSample;
  std::vector<std::uint64_t> times;
  for (const auto& [time, line] : StartsSince(begin)) times.push_back(time);
  EXPECT_EQ(times,
            (std::vector<std::uint64_t>{first, first + item, first + 2 * item, first + 3 * item}));
}

// Only a nearly idle machine ends a pause early: an idle first processor beside a busy one
// leaves the machine half busy, and the pause runs its whole length.
TEST_F(LogonRunnerSimTest, AnIdleFirstProcessorBesideABusyOneDoesNotEndAPause) {
  SetAutoTune(true);
  Sim().SetProcessorLoad(0, 0);
  Sim().SetProcessorLoad(1, 100);
  auto runner = MakeRunner(RunnerUse::kSingleItems);
  const std::uint64_t begin = Sim().Now();
  runner->SleepWithCpuCheck(3000);
  EXPECT_EQ(Sim().Now() - begin, 3000u);
}

// A pause ends as soon as the machine has settled: two samples in a row under the idle line,
// without waiting for the smoothed load to fall that far (three samples more here). One idle
// sample between busy ones is a program between two pieces of work, not a settled machine.
TEST_F(LogonRunnerSimTest, APauseEndsOnceTwoSamplesInARowAreIdle) {
  SetAutoTune(true);
  struct Case {
    const char* what;
    std::uint64_t idleFrom;
    std::uint64_t idleUntil;
    std::uint64_t took;
  };
  // Steps of 500 ms, each followed by a 200 ms sample: samples at 500-700, 1200-1400, 1900-2100...
  for (const Case& c : {Case{"settles at 1000 ms", 1000, 100000, 2100},
                        Case{"one idle sample", 1100, 1500, 5000}}) {
    SCOPED_TRACE(c.what);
    auto runner = MakeRunner(RunnerUse::kSingleItems);
    Sim().SetProcessorLoad(100);
    const std::uint64_t begin = Sim().Now();
    Sim().At(begin + c.idleFrom, [] { Sim().SetProcessorLoad(2); });
    Sim().At(begin + c.idleUntil, [] { Sim().SetProcessorLoad(100); });
    runner->SleepWithCpuCheck(5000);
    EXPECT_EQ(Sim().Now() - begin, c.took);
  }
}

// A pause lasts its length by the clock whatever its steps and samples: the samples after its
// steps count towards it, none is taken once the time is up, and a pause that has nothing left
// takes no sample at all.
TEST_F(LogonRunnerSimTest, APauseLastsItsLengthSamplesIncluded) {
  struct Case {
    std::int32_t pause;
    bool autoTune;
    std::uint64_t took;
  };
  for (const Case& c : {Case{5000, true, 5000},  // 7 x (500 + 200), then 100
                        Case{5000, false, 5000}, Case{1000, true, 1000},
                        Case{960, false, 1000},  // 2 x (300 + 200): the last sample overruns
                        Case{200, true, 200}, Case{0, true, 0}, Case{-300, false, 0}}) {
    SCOPED_TRACE(c.pause);
    SetAutoTune(c.autoTune);
    auto runner = MakeRunner(RunnerUse::kSingleItems);
    const std::uint64_t begin = Sim().Now();
    runner->SleepWithCpuCheck(c.pause);
    EXPECT_EQ(Sim().Now() - begin, c.took);
  }
}

// Without items only the initial pause passes. A negative pause (the options take any whole
// number) sleeps nothing and takes no sample.
TEST_F(LogonRunnerSimTest, NoItemsOnlyWaitsTheInitialPause) {
  SetAutoTune(false);
  for (const auto& [initial, took] :
       {std::pair<std::int32_t, std::uint64_t>{1000, 1000}, {-5000, 0}}) {
    SCOPED_TRACE(initial);
    SetDefaultPauses(static_cast<std::uint32_t>(initial), 1000, 1000);
    auto runner = MakeRunner();
    const std::uint64_t begin = Sim().Now();
    RunPhase2(*runner);
    EXPECT_EQ(Sim().Now() - begin, took);
  }
  EXPECT_TRUE(Sim().ProcessStarts().empty());
  EXPECT_TRUE(status.empty());
}

TEST_F(LogonRunnerSimTest, StopDuringTheInitialPauseSkipsEveryItem) {
  SetDefaultPauses(10000, 1000, 1000);
  SetAutoTune(false);
  StageFourItems();
  auto runner = MakeRunner();
  const std::uint64_t begin = Sim().Now();
  // Steps of 1000 ms: the first ends at 1000, its sample at 1200; the stop comes in the second.
  Sim().At(begin + 1450, [&] { runner->Stop(); });
  RunPhase2(*runner);
  EXPECT_TRUE(Sim().ProcessStarts().empty());
  EXPECT_TRUE(status.empty());
  // The step in progress ends with its 100 ms slice, and the pause with it.
  EXPECT_EQ(Sim().Now() - begin, 1500u);
}

TEST_F(LogonRunnerSimTest, PauseHoldsBetweenItemsAndStopWhilePausedEndsAfterUnpause) {
  SetDefaultPauses(0, 1000, 1000);
  SetAutoTune(false);
  StageFourItems();
  auto runner = MakeRunner();
  const std::uint64_t begin = Sim().Now();
  Sim().At(begin + 500, [&] { runner->SetPaused(true); });
  Sim().At(begin + 60000, [&] { runner->SetPaused(false); });
  runner->InitialPause();
  runner->RunRunkeyItems();
  ASSERT_EQ(Sim().ProcessStarts().size(), 2u);
  EXPECT_GE(Sim().ProcessStarts()[1].time, begin + 60000) << "B waited for Unpause";

  Sim().At(Sim().Now() + 100, [&] { runner->SetPaused(true); });
  Sim().At(Sim().Now() + 200, [&] { runner->Stop(); });
  const std::uint64_t unpause = Sim().Now() + 30000;
  Sim().At(unpause, [&] { runner->SetPaused(false); });
  runner->RunStartupItems();
  // The first shortcut was already opened when the pause came; the pass then stays held until
  // Unpause although stopped, and ends without opening the second.
  ASSERT_EQ(Sim().ProcessStarts().size(), 3u);
  EXPECT_GE(Sim().Now(), unpause);
}

// bob runs the logon. Items of another user's Run key or Startup folder are that user's; the
// machine's, the All Users and the alternate folder are everyone's, whatever their path.
TEST_F(LogonRunnerSimTest, OtherUsersItemsAreSkippedSilently) {
  SetDefaultPauses(0, 0, 0);
  SetAutoTune(false);
  const std::string shared = "D:\\Shared Stuff\\Start Menu\\Programs\\Startup\\";
  const std::string common =
      "C:\\Documents and Settings\\Public Things\\Start Menu\\Programs\\Startup\\";
  Sim().SetSpecialFolder(kCsidlAltStartup, shared);
  Sim().SetSpecialFolder(kCsidlCommonStartup, common);
  StageRunItems({{"bob_Mine", "C:\\Tools\\a.exe mine", "bob"},
                 {"alice_Hers", "C:\\Tools\\a.exe hers", "alice"},
                 {"Machine", "C:\\Tools\\a.exe machine", ""}});
  StageShortcuts({{"bob.lnk", "C:\\Tools\\s1.exe", "bob",
                   "C:\\Documents and Settings\\bob\\Start Menu\\Programs\\Startup\\"},
                  {"alice.lnk", "C:\\Tools\\s1.exe", "alice",
                   "C:\\Documents and Settings\\alice\\Start Menu\\Programs\\Startup\\"},
                  {"allusers.lnk", "C:\\Tools\\s1.exe", "all users",
                   "C:\\Documents and Settings\\All Users\\Start Menu\\Programs\\Startup\\"},
                  {"windows.lnk", "C:\\Tools\\s1.exe", "windows",
                   "C:\\WINDOWS\\Start Menu\\Programs\\Startup\\"},
                  {"common.lnk", "C:\\Tools\\s1.exe", "common", common},
                  {"alternate.lnk", "C:\\Tools\\s1.exe", "alternate", shared},
                  {"nowhere.lnk", "C:\\Tools\\s1.exe", "no folder", ""}});
  auto runner = MakeRunner();
  RunPhase2(*runner);
  std::vector<std::string> lines;
  for (const auto& start : Sim().ProcessStarts()) lines.push_back(start.commandLine);
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "\"C:\\Tools\\a.exe\" mine", "\"C:\\Tools\\a.exe\" machine",
                       "\"C:\\Tools\\s1.exe\" bob", "\"C:\\Tools\\s1.exe\" all users",
                       "\"C:\\Tools\\s1.exe\" common", "\"C:\\Tools\\s1.exe\" alternate",
                       "\"C:\\Tools\\s1.exe\" no folder"}));
  for (const std::string& text : status) {
    EXPECT_EQ(text.find("alice"), std::string::npos) << text;
    EXPECT_EQ(text.find("windows.lnk"), std::string::npos) << text;
  }
}

// A program that wrote itself back into the machine's Run key is handed back to Windows: its
// new command line stays there, the store lets go of it, and it is not started twice.
TEST_F(LogonRunnerSimTest, ProgramBackInTheRunKeyIsExcludedNotStarted) {
  SetDefaultPauses(0, 0, 0);
  SetAutoTune(false);
  StageRunItems({{"A", "C:\\Tools\\a.exe", ""},
                 {"bob_B", "C:\\Tools\\b.exe", "bob"},
                 {"C", "C:\\Tools\\a.exe c", ""}});
  test::StageRunValue(kHKeyLocalMachine, "A", "C:\\Tools\\New\\a.exe /updated");
  test::StageRunValue(kHKeyLocalMachine, "B", "C:\\Tools\\b.exe");  // not bob_B: no match
  auto runner = MakeRunner();
  runner->InitialPause();
  const std::uint64_t begin = Sim().Now();
  runner->RunRunkeyItems();

  std::vector<std::string> lines;
  for (const auto& start : Sim().ProcessStarts()) lines.push_back(start.commandLine);
  EXPECT_EQ(lines, (std::vector<std::string>{"\"C:\\Tools\\b.exe\" ", "\"C:\\Tools\\a.exe\" c"}));
  ASSERT_FALSE(status.empty());
  EXPECT_EQ(status.front(), "Problem program detected.\r\nRun key: A\r\nStatus - Auto-Excluding");
  EXPECT_EQ(test::RunValue(kHKeyLocalMachine, "A"), "C:\\Tools\\New\\a.exe /updated");
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunExcludeKey, "A"), kMachineExcludeOwner);
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunItemsKey, "A"), "<missing>");
  EXPECT_EQ(test::SortOf(kRunSortKey), (std::vector<std::string>{"bob_B", "C"}));
  // 1500 ms of the exclusion's message, then two starts; a pause of 0 takes no time.
  EXPECT_EQ(Sim().Now() - begin, 1500 + 2 * kStartCost);
}

// The same for the user's own item, which writes itself back into the user's Run key under its
// plain name: it goes back there, and is not started a second time.
TEST_F(LogonRunnerSimTest, UsersProgramBackInItsRunKeyIsExcludedNotStarted) {
  SetDefaultPauses(0, 0, 0);
  SetAutoTune(false);
  StageRunItems({{"bob_B", "C:\\Tools\\b.exe", "bob"}, {"C", "C:\\Tools\\a.exe c", ""}});
  test::StageRunValue(kHKeyCurrentUser, "B", "C:\\Tools\\New\\b.exe");
  auto runner = MakeRunner();
  runner->RunRunkeyItems();

  std::vector<std::string> lines;
  for (const auto& start : Sim().ProcessStarts()) lines.push_back(start.commandLine);
  EXPECT_EQ(lines, std::vector<std::string>{"\"C:\\Tools\\a.exe\" c"});
  ASSERT_FALSE(status.empty());
  EXPECT_EQ(status.front(),
            "Problem program detected.\r\nRun key: bob_B\r\nStatus - Auto-Excluding");
  EXPECT_EQ(test::RunValue(kHKeyCurrentUser, "B"), "C:\\Tools\\New\\b.exe");
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunItemsKey, "bob_B"), "<missing>");
  EXPECT_EQ(test::SortOf(kRunSortKey), std::vector<std::string>{"C"});
}

}  // namespace
}  // namespace lw
