// The last logon's record as a logon pass writes it, on the virtual clock: each start at its
// exact moment with the loads sampled around it, a new logon's record replacing the last one,
// and the management windows' runner leaving it alone.

#include <gtest/gtest.h>

#include <algorithm>

#include "runner/LastLogonRecord.h"
#include "support/LogonRunnerFixture.h"

namespace lw {
namespace {

using test::RawValueNames;
using test::Sim;

class LastLogonSimTest : public test::RunnerTest {
 protected:
  void SetUp() override {
    RunnerTest::SetUp();
    Sim().SetProcessStartCost(40);
    for (const char* program : {"C:\\Tools\\a.exe", "C:\\Tools\\b.exe", "C:\\Tools\\s.exe"}) {
      Sim().AddFile(program, "MZ");
    }
  }

  // From now on the machine's load rises with every program started: 10 % before the first,
  // then 30, 50, 70, 90 %.
  static void LoadRisesWithEveryStart() {
    const std::size_t earlier = Sim().ProcessStarts().size();
    const auto load = [earlier] {
      return 10.0 + 20.0 * static_cast<double>(Sim().ProcessStarts().size() - earlier);
    };
    Sim().SetProcessorLoad(load());
    Sim().OnProcessMessages([load] { Sim().SetProcessorLoad(load()); });
  }

  static std::vector<std::string> RecordedItems() {
    std::vector<std::string> names = RawValueNames(kHKeyCurrentUser, kLastLogonKey);
    std::sort(names.begin(), names.end());
    return names;
  }
};

// Pauses of 2000 / 1000 / 1500 ms and four items, the timetable of a whole logon. Auto-tune
// off, the loads come from the pauses' samples: before an item the last one taken, after it the
// first of its pause; the last item has no pause and so no load after. Auto-tune on adds a
// 200 ms sample before and after every pause, which also gives the last item its load after.
TEST_F(LastLogonSimTest, EachStartIsRecordedOnThePassClockWithTheLoadsAroundIt) {
  struct Started {
    std::uint64_t ms;  // after the pass began
    const char* shown;
  };
  struct Case {
    bool autoTune;
    std::vector<Started> items;  // A, B, s1, s2
  };
  // Auto-tune on comes last: the pauses it tunes would change a later pass's timetable.
  const Case cases[] = {
      {false,
       {{2000, "2.0 s, 10% -> 30%"},
        {3040, "3.0 s, 30% -> 50%"},
        {4080, "4.0 s, 50% -> 70%"},
        {5620, "5.6 s, 70% -> ?"}}},
      {true,
       {{2600, "2.6 s, 10% -> 30%"},
        {4040, "4.0 s, 30% -> 50%"},
        {5480, "5.4 s, 50% -> 70%"},
        {7420, "7.4 s, 70% -> 90%"}}},
  };
  SetDefaultPauses(2000, 1000, 1500);
  StageRunItems({{"A", "C:\\Tools\\a.exe", ""}, {"B", "C:\\Tools\\b.exe", ""}});
  const std::vector<std::string> shortcuts =
      StageShortcuts({{"s1.lnk", "C:\\Tools\\s.exe", "1", commonStartup},
                      {"s2.lnk", "C:\\Tools\\s.exe", "2", commonStartup}});
  const std::vector<std::string> keys = {"A", "B", shortcuts[0], shortcuts[1]};
  // The timetable is the pauses' own: no item ends a pause early for room on the processors.
  SharedOptions().SetChecked(kDisableBackgroundStartOption, true);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.autoTune);
    SetAutoTune(c.autoTune);
    LoadRisesWithEveryStart();
    const std::size_t earlier = Sim().ProcessStarts().size();
    auto runner = MakeRunner();
    const std::uint64_t begin = Sim().Now();
    RunPhase2(*runner);
    ASSERT_EQ(Sim().ProcessStarts().size(), earlier + 4);
    for (std::size_t i = 0; i < keys.size(); ++i) {
      SCOPED_TRACE(keys[i]);
      LastLogonFigures figures;
      ASSERT_TRUE(GetLastLogonFigures(keys[i], figures));
      EXPECT_EQ(figures.startedAfterMs, c.items[i].ms);
      EXPECT_EQ(Sim().ProcessStarts()[earlier + i].time - begin, c.items[i].ms);
      EXPECT_EQ(LastLogonText(keys[i]), c.items[i].shown);
    }
  }
}

// Each logon pass starts the record afresh: an item that left the run order since the last
// logon has no figures any more, and neither has one that was in the record for any other
// reason. A runner of the management windows, which starts single items, changes nothing.
TEST_F(LastLogonSimTest, ANewLogonReplacesTheLastLogonsRecord) {
  SetDefaultPauses(0, 0, 0);
  SetAutoTune(false);
  test::SetRawString(kHKeyCurrentUser, kLastLogonKey, "Stale", "1,2,3");
  StageRunItems({{"A", "C:\\Tools\\a.exe", ""}, {"B", "C:\\Tools\\b.exe", ""}});
  RunPhase2(*MakeRunner());
  EXPECT_EQ(RecordedItems(), (std::vector<std::string>{"A", "B"}));

  StageRunItems({{"A", "C:\\Tools\\a.exe", ""}});
  RunPhase2(*MakeRunner());
  EXPECT_EQ(RecordedItems(), std::vector<std::string>{"A"});

  auto management = MakeRunner(RunnerUse::kSingleItems);
  EXPECT_TRUE(management->StartRunkeyItem("B", "C:\\Tools\\b.exe"));
  EXPECT_EQ(RecordedItems(), std::vector<std::string>{"A"});
  EXPECT_FALSE(test::RawKeyExists(kHKeyLocalMachine, kLastLogonKey));
}

// A start that failed is recorded all the same: the column says when it was tried (and, with
// no pause and no sample yet, that no load was measured); the error log says what went wrong.
TEST_F(LastLogonSimTest, AStartThatFailedIsRecordedAsTried) {
  SetDefaultPauses(0, 0, 0);
  SetAutoTune(false);
  StageRunItems({{"Gone", "C:\\Tools\\gone.exe", ""}});
  const std::string missing = store + "missing.lnk";
  test::StageSort(kStartupSortKey, {missing});
  RunPhase2(*MakeRunner());
  EXPECT_TRUE(Sim().ProcessStarts().empty());
  EXPECT_EQ(dialogs->Messages().size(), 1u);
  EXPECT_EQ(LastLogonText("Gone"), "0.0 s, ? -> ?");
  EXPECT_EQ(LastLogonText(missing), "0.0 s, ? -> ?");
}

}  // namespace
}  // namespace lw
