// Items started in the background at logon, on the virtual clock: the class each process runs
// at while the logon goes on and after it has settled (programs an item started itself
// included), the hand-back's failures, when the hand-back comes, and how the next item starts
// once the processors have room.

#include <gtest/gtest.h>

#include "runner/LogonRunner.h"
#include "support/LogonRunnerFixture.h"
#include "util/ErrorLog.h"

namespace lw {
namespace {

using test::SetRawDword;
using test::Sim;

constexpr char kToolA[] = "C:\\Tools\\a.exe";
constexpr char kToolB[] = "C:\\Tools\\b.exe";
constexpr char kChild[] = "C:\\Tools\\tray.exe";
constexpr char kTarget[] = "C:\\Tools\\s1.exe";

class BackgroundStartSimTest : public test::RunnerTest {
 protected:
  void SetUp() override {
    RunnerTest::SetUp();
    for (const char* program : {kToolA, kToolB, kChild, kTarget}) Sim().AddFile(program, "MZ");
    SetDefaultPauses(0, 1000, 1000);
  }

  static void SetBackground(bool on) {
    SharedOptions().SetChecked(kDisableBackgroundStartOption, !on);
  }

  static const SimPlatform::ProcessStart& ProcessOf(std::uint32_t processId) {
    static SimPlatform::ProcessStart copy;
    for (const SimPlatform::ProcessStart& start : Sim().ProcessStarts()) {
      if (start.processId == processId) copy = start;
    }
    return copy;
  }
  static const SimPlatform::ProcessStart& StartOf(const std::string& image) {
    static SimPlatform::ProcessStart copy;
    for (const SimPlatform::ProcessStart& start : Sim().ProcessStarts()) {
      if (start.image == image) copy = start;
    }
    return copy;
  }

  static std::vector<std::string> LogLines() {
    std::vector<std::string> lines;
    const std::string text = test::ReadWholeFile(ErrorLogPath());
    for (std::size_t at = 0; at < text.size();) {
      const std::size_t end = text.find("\r\n", at);
      lines.push_back(text.substr(at, end - at));
      at = end == std::string::npos ? text.size() : end + 2;
    }
    return lines;
  }
};

// The class an item's program runs at while the logon goes on, and once it has settled, for each
// class the user can choose; with background starts on and off.
TEST_F(BackgroundStartSimTest, EachChosenClassDuringAndAfterTheLogon) {
  struct Case {
    std::uint32_t chosen;
    bool background;
    std::uint32_t during;
    std::uint32_t ioDuring;
  };
  const Case cases[] = {
      {kNormalPriorityClass, true, kBelowNormalPriorityClass, kIoPriorityLow},
      {kBelowNormalPriorityClass, true, kBelowNormalPriorityClass, kIoPriorityLow},
      {kIdlePriorityClass, true, kIdlePriorityClass, kIoPriorityLow},
      // Above normal is the user's wish to have it first: at once, never in the background.
      {kAboveNormalPriorityClass, true, kAboveNormalPriorityClass, kIoPriorityNormal},
      {kHighPriorityClass, true, kHighPriorityClass, kIoPriorityNormal},
      {kNormalPriorityClass, false, kNormalPriorityClass, kIoPriorityNormal},
      {kIdlePriorityClass, false, kIdlePriorityClass, kIoPriorityNormal},
  };
  for (const Case& each : cases) {
    SCOPED_TRACE(std::to_string(each.chosen) + (each.background ? " background" : ""));
    Sim().SetProcessorLoad(5);
    SetBackground(each.background);
    StageRunItems({{"A", std::string(kToolA) + " /a", ""}});
    SetRawDword(kHKeyLocalMachine, kPriorityKey, "A", each.chosen);
    auto runner = MakeRunner();
    RunPhase2(*runner);
    const SimPlatform::ProcessStart during = StartOf(kToolA);
    EXPECT_EQ(during.priorityClass, each.during);
    EXPECT_EQ(during.ioPriority, each.ioDuring);
    EXPECT_EQ(during.memoryPriority,
              each.ioDuring == kIoPriorityLow ? kMemoryPriorityLow : kMemoryPriorityNormal);
    EXPECT_FALSE(during.suspended);
    runner->SettleAndHandBack();
    const SimPlatform::ProcessStart after = StartOf(kToolA);
    EXPECT_EQ(after.priorityClass, each.chosen);
    EXPECT_EQ(after.ioPriority, kIoPriorityNormal);
    EXPECT_EQ(after.memoryPriority, kMemoryPriorityNormal);
    EXPECT_FALSE(after.ended) << "the job ended the program";
    EXPECT_EQ(Sim().OpenProcessHandleCount(), 0);
    EXPECT_EQ(Sim().OpenJobHandleCount(), 0);
    runner.reset();
    TearDown();
    SetUp();
  }
}

// A launcher's own programs are the item's too: the ones that inherited its background class end
// at the class the user chose, one that chose its own class keeps it, one that has ended is
// passed over; a shortcut's program is held the same way.
TEST_F(BackgroundStartSimTest, ProgramsAnItemStartedItselfEndAtTheChosenClass) {
  Sim().SetProcessorLoad(5);
  StageRunItems({{"A", kToolA, ""}, {"B", kToolB, ""}});
  SetRawDword(kHKeyLocalMachine, kPriorityKey, "B", kIdlePriorityClass);
  StageShortcuts({{"s1.lnk", kTarget, "", commonStartup}});
  auto runner = MakeRunner();
  Sim().OnProcessMessages([] {});
  RunPhase2(*runner);
  const std::uint32_t a = StartOf(kToolA).processId;
  const std::uint32_t b = StartOf(kToolB).processId;
  const std::uint32_t tray = Sim().StartChildProcess(a, kChild);
  const std::uint32_t grandchild = Sim().StartChildProcess(tray, kChild);
  const std::uint32_t ownClass = Sim().StartChildProcess(a, kChild, kHighPriorityClass);
  const std::uint32_t gone = Sim().StartChildProcess(a, kChild);
  Sim().EndProcess(gone);
  const std::uint32_t idleChild = Sim().StartChildProcess(b, kChild);
  const std::uint32_t shortcutChild = Sim().StartChildProcess(StartOf(kTarget).processId, kChild);
  EXPECT_EQ(ProcessOf(tray).priorityClass, kBelowNormalPriorityClass);
  EXPECT_EQ(ProcessOf(shortcutChild).priorityClass, kBelowNormalPriorityClass);
  EXPECT_EQ(StartOf(kTarget).ioPriority, kIoPriorityLow);

  runner->SettleAndHandBack();
  for (std::uint32_t id : {a, tray, grandchild, StartOf(kTarget).processId, shortcutChild}) {
    EXPECT_EQ(ProcessOf(id).priorityClass, kNormalPriorityClass) << id;
  }
  EXPECT_EQ(ProcessOf(ownClass).priorityClass, kHighPriorityClass);
  EXPECT_EQ(ProcessOf(gone).priorityClass, kBelowNormalPriorityClass);
  EXPECT_EQ(ProcessOf(b).priorityClass, kIdlePriorityClass);
  EXPECT_EQ(ProcessOf(idleChild).priorityClass, kIdlePriorityClass);
  EXPECT_EQ(StartOf(kTarget).ioPriority, kIoPriorityNormal);
  EXPECT_EQ(test::ReadWholeFile(ErrorLogPath()), "");
  EXPECT_EQ(Sim().OpenProcessHandleCount(), 0);
  EXPECT_EQ(Sim().OpenJobHandleCount(), 0);
}

// A process whose class cannot be changed is one line in the error log; every other process
// of that item and of the others is handed back all the same, and nothing ends.
TEST_F(BackgroundStartSimTest, ClassThatCannotBeChangedIsLoggedAndChangesNothingElse) {
  Sim().SetProcessorLoad(5);
  StageRunItems({{"A", kToolA, ""}, {"B", kToolB, ""}});
  auto runner = MakeRunner();
  RunPhase2(*runner);
  const std::uint32_t a = StartOf(kToolA).processId;
  const std::uint32_t refusing = Sim().StartChildProcess(a, kChild);
  const std::uint32_t sibling = Sim().StartChildProcess(a, kChild);
  Sim().FailPriorityClassChange(refusing, kErrorAccessDenied);

  runner->SettleAndHandBack();
  EXPECT_EQ(ProcessOf(refusing).priorityClass, kBelowNormalPriorityClass);
  EXPECT_EQ(ProcessOf(refusing).ioPriority, kIoPriorityNormal);
  for (std::uint32_t id : {a, sibling, StartOf(kToolB).processId}) {
    EXPECT_EQ(ProcessOf(id).priorityClass, kNormalPriorityClass) << id;
    EXPECT_FALSE(ProcessOf(id).ended) << id;
  }
  const std::vector<std::string> lines = LogLines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find(" 5 : " + SystemErrorText(kErrorAccessDenied) + " (\"" +
                          std::string(kToolA) + "\" : priority class 32 not given to process " +
                          std::to_string(refusing) + ")"),
            std::string::npos)
      << lines[0];
  EXPECT_EQ(Sim().OpenProcessHandleCount(), 0);
}

// When the hand-back comes: after two quiet samples in a row once the load has fallen, at the
// latest at the bound while it stays high, at once on Stop or once every program has ended; and
// not at all without items held.
TEST_F(BackgroundStartSimTest, HandBackWaitsForTheLogonToSettle) {
  struct Case {
    const char* label;
    double load;
    std::int64_t fallsAfter;  // ms after the settling began; negative: never
    bool stop;
    std::uint64_t handedBackAfter;
    bool programEnded = false;
  };
  const std::uint64_t step = kSettleStepMs + 200;  // a step, then its load sample
  const Case cases[] = {
      {"quiet at once", 5, -1, false, 2 * step},
      {"falls after three seconds", 90, 3000, false, 0},
      {"stays busy", 90, -1, false, kSettleBoundMs},
      {"stopped", 90, -1, true, 0},
      {"every program ended: nothing to wait for", 90, -1, false, 0, true},
  };
  for (const Case& each : cases) {
    SCOPED_TRACE(each.label);
    Sim().SetProcessorLoad(5);
    StageRunItems({{"A", kToolA, ""}});
    auto runner = MakeRunner();
    RunPhase2(*runner);
    Sim().SetProcessorLoad(each.load);
    const std::uint64_t begin = Sim().Now();
    if (each.fallsAfter >= 0) {
      Sim().At(begin + static_cast<std::uint64_t>(each.fallsAfter),
               [] { Sim().SetProcessorLoad(5); });
    }
    if (each.stop) runner->Stop();
    if (each.programEnded) Sim().EndProcess(StartOf(kToolA).processId);
    runner->SettleAndHandBack();
    const std::uint64_t took = Sim().Now() - begin;
    if (each.fallsAfter >= 0) {
      // The first step that ends after the fall, and the one after it.
      EXPECT_GE(took, static_cast<std::uint64_t>(each.fallsAfter) + step);
      EXPECT_LE(took, static_cast<std::uint64_t>(each.fallsAfter) + 3 * step);
    } else if (each.load > kSettledLoad && !each.stop && !each.programEnded) {
      EXPECT_GE(took, each.handedBackAfter);
      EXPECT_LT(took, each.handedBackAfter + step);
    } else {
      EXPECT_EQ(took, each.handedBackAfter);
    }
    if (!each.programEnded) {
      EXPECT_EQ(StartOf(kToolA).priorityClass, kNormalPriorityClass);
    }
    const std::uint64_t again = Sim().Now();
    runner->SettleAndHandBack();
    EXPECT_EQ(Sim().Now(), again) << "nothing held: no wait";
    runner.reset();
    TearDown();
    SetUp();
  }
}

// With the items in the background the next one starts as soon as the processors have room (a
// load below the spare line after a pause step), not only on an idle machine; a busy machine,
// background starts off, or auto-tune off keep the whole pause.
TEST_F(BackgroundStartSimTest, NextItemStartsWhenTheProcessorsHaveRoom) {
  struct Case {
    const char* label;
    double load;
    bool background;
    bool autoTune;
    bool wholePause;
  };
  const Case cases[] = {
      {"room", 50, true, true, false},
      {"busy", 90, true, true, true},
      {"room, background off", 50, false, true, true},
      {"room, auto-tune off", 50, true, false, true},
  };
  for (const Case& each : cases) {
    SCOPED_TRACE(each.label);
    SetBackground(each.background);
    SetAutoTune(each.autoTune);
    Sim().SetProcessorLoad(each.load);
    StageRunItems({{"A", kToolA, ""}, {"B", kToolB, ""}});
    SetRawDword(kHKeyLocalMachine, kPriorityKey, "A", kNormalPriorityClass);
    auto runner = MakeRunner();
    runner->InitialPause();
    runner->RunRunkeyItems();
    const std::uint64_t gap = StartOf(kToolB).time - StartOf(kToolA).time;
    if (each.wholePause) {
      EXPECT_GE(gap, 1000u);
    } else {
      EXPECT_LT(gap, 1000u);
      EXPECT_GE(gap, static_cast<std::uint64_t>(kMinPauseStepMs));
    }
    runner.reset();
    TearDown();
    SetUp();
  }
}

}  // namespace
}  // namespace lw
