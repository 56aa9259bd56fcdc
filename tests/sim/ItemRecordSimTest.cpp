// The runner reads each item's record once when its pass begins and writes what it learnt when
// the item is done: every item must still see its own stored values and write its own figures,
// and an item listed twice sees, the second time, what its first turn wrote.

#include <gtest/gtest.h>

#include <algorithm>

#include "runner/LogonRunner.h"
#include "support/LogonRunnerFixture.h"

namespace lw {
namespace {

using test::RawDword;
using test::SetRawDword;
using test::SetRawString;
using test::Sim;

class ItemRecordSimTest : public test::RunnerTest {
 protected:
  void SetUp() override {
    RunnerTest::SetUp();
    Sim().SetProcessorLoad(50);
    for (const char* program : {"C:\\Tools\\a.exe", "C:\\Tools\\b.exe", "C:\\Tools\\c.exe"}) {
      Sim().AddFile(program, "MZ");
    }
    SetDefaultPauses(0, 1000, 1000);
    SetAutoTune(true);
  }

  static std::int64_t Figure(const std::string& name) {
    return RawDword(kHKeyCurrentUser, kAutoTuneKey, name, -1);
  }
  std::string SleepingShownFor(const std::string& item) const {
    for (const std::string& text : status) {
      if (text.find(item + ": ") != std::string::npos &&
          text.find("(sleeping ") != std::string::npos) {
        return text.substr(text.find("(sleeping "));
      }
    }
    return "(none shown)";
  }
};

TEST_F(ItemRecordSimTest, EachItemStartsAndPausesByItsOwnStoredValues) {
  StageRunItems({{"A", "C:\\Tools\\a.exe", ""},
                 {"B", "C:\\Tools\\b.exe", ""},
                 {"C", "C:\\Tools\\c.exe", ""}});
  struct Stored {
    const char* item;
    std::int32_t customPause;  // 0: none
    std::int32_t tunedPause;   // 0: none
    std::int32_t priority;     // 0: none
    std::int32_t pre, post;    // last logon's figures; post also as its previous one
    // Expected:
    std::uint32_t startedAt;  // priority class during the logon (normal starts below it)
    std::uint32_t stored;     // the class stored for the item
    const char* sleeping;
    std::int64_t storedTuned;  // -1: not written
  } cases[] = {
      // The user's pause is used as it is: nothing tuned.
      {"A", 1500, 0, 0x4000, 30, 40, 0x4000, 0x4000, "(sleeping 1500 milliseconds)", -1},
      // A steady load after the item: 8 % off the tuned pause, stored 100 ms shorter.
      {"B", 0, 2500, 0x40, 70, 40, 0x40, 0x40, "(sleeping 2300 milliseconds)", 2200},
      // Nothing stored: the default pause, unchanged without figures; the default class.
      {"C", 0, 0, 0, 0, 0, 0x4000, 0x20, "(sleeping 1000 milliseconds)", 1000},
  };
  for (const Stored& c : cases) {
    const std::string key = c.item;
    if (c.customPause != 0) SetRawDword(kHKeyLocalMachine, kCustomDelaysKey, key, c.customPause);
    if (c.tunedPause != 0) {
      SetRawDword(kHKeyCurrentUser, kCustomDelaysKey, key + kTunedSuffix, c.tunedPause);
    }
    if (c.priority != 0) SetRawDword(kHKeyLocalMachine, kPriorityKey, key, c.priority);
    if (c.pre != 0) SetRawDword(kHKeyCurrentUser, kAutoTuneKey, key + kPreSuffix, c.pre);
    if (c.post != 0) {
      SetRawDword(kHKeyCurrentUser, kAutoTuneKey, key + kPostSuffix, c.post);
      SetRawDword(kHKeyCurrentUser, kAutoTuneKey, key + kPostSuffix + kPreviousSuffix, c.post);
    }
  }
  auto runner = MakeRunner();
  runner->RunRunkeyItems();

  const std::vector<SimPlatform::ProcessStart> starts = Sim().ProcessStarts();
  ASSERT_EQ(starts.size(), std::size(cases));
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Stored& c = cases[i];
    const std::string key = c.item;
    SCOPED_TRACE(key);
    EXPECT_EQ(starts[i].priorityClass, c.startedAt);
    EXPECT_EQ(SleepingShownFor(key), c.sleeping);
    EXPECT_EQ(RawDword(kHKeyCurrentUser, kCustomDelaysKey, key + kTunedSuffix, -1), c.storedTuned);
    // The figure so far became the previous one; the new ones are the item's own.
    EXPECT_EQ(Figure(key + kPreSuffix + kPreviousSuffix), c.pre);
    EXPECT_GT(Figure(key + kPreSuffix), 0);
    EXPECT_EQ(Figure(key + kPostSuffix + kPreviousSuffix), Figure(key + kPostSuffix));
    EXPECT_GT(Figure(key + kPostSuffix), 0);
    // Every item ends with a stored class: its own, or the default one.
    EXPECT_EQ(RawDword(kHKeyLocalMachine, kPriorityKey, key, -1), c.stored);
  }
}

TEST_F(ItemRecordSimTest, AnItemListedTwiceSeesWhatItsFirstTurnWrote) {
  StageRunItems({{"A", "C:\\Tools\\a.exe", ""}, {"A", "C:\\Tools\\a.exe", ""}});
  SetRawDword(kHKeyCurrentUser, kAutoTuneKey, std::string("A") + kPreSuffix, 30);
  auto runner = MakeRunner();
  runner->RunRunkeyItems();

  ASSERT_EQ(Sim().ProcessStarts().size(), 2u);
  // The second turn kept the first turn's figure as its previous one, not the stored 30.
  const std::int64_t previous = Figure(std::string("A") + kPreSuffix + kPreviousSuffix);
  EXPECT_NE(previous, 30);
  EXPECT_GT(previous, 30);  // blended with a load of 50
  // The start method the first turn found is remembered, not searched for again.
  EXPECT_EQ(test::RawString(kHKeyCurrentUser, kExecMethodKey, "A"), kExecCmdAltered);
}

}  // namespace
}  // namespace lw
