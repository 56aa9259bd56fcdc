// The settings accessors: their defaults on an empty store, the hive each value lives in,
// the auto-tune and tuned-pause rules, the sort lists and the unit's life.

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "store/SettingsStore.h"
#include "support/RawRegistry.h"
#include "support/TestEnv.h"
#include "util/Error.h"

namespace lw::test {
namespace {

class SettingsStoreTest : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    InitializeSettingsStore();
  }
  void TearDown() override { FinalizeSettingsStore(); }
};

TEST_F(SettingsStoreTest, AnEmptyStoreReadsAsDefaultsAndOnlyPriorityCreates) {
  EXPECT_FALSE(IsInstalledMarked());
  EXPECT_EQ(GetRunSortCount(), 0);
  EXPECT_EQ(GetStartupSortCount(), 0);
  EXPECT_EQ(GetRunSortName(0), "");
  EXPECT_EQ(GetRunSortCommand(0), "");
  EXPECT_EQ(GetRunCommand("Tool"), "");
  EXPECT_EQ(GetCustomDelay("Tool"), 0);
  EXPECT_EQ(GetTunedDelay("Tool"), 0);
  EXPECT_EQ(GetAutoTune("Tool_PRE"), 0);
  EXPECT_EQ(GetAutoTunePrevious("Tool_PRE"), 0);
  EXPECT_EQ(GetHighCPUStat(), 0);
  EXPECT_EQ(GetRunLocationHKey("Tool"), -1);
  EXPECT_EQ(GetRunLocation("Tool"), "");
  EXPECT_EQ(GetStartupLocation("C:\\store\\a.lnk"), "");
  EXPECT_EQ(ReadRunKeyValue(kHKeyLocalMachine, "Tool"), "");
  EXPECT_FALSE(IsNewRunItem("Tool"));
  EXPECT_FALSE(IsNewStartupItem("a.lnk"));
  EXPECT_EQ(GetRunItemState("Tool", ""), ItemState::kNew);
  EXPECT_EQ(GetStartupItemState("a.lnk"), ItemState::kNew);
  for (HKey root : {kHKeyLocalMachine, kHKeyCurrentUser}) {
    EXPECT_FALSE(RawKeyExists(root, kProgramKey)) << root;
  }

  EXPECT_EQ(GetPriority("Tool", kDefaultPriority), 32);
  EXPECT_EQ(RawDword(kHKeyLocalMachine, kPriorityKey, "Tool"), 32);
  SetPriority("Tool", 128);
  EXPECT_EQ(GetPriority("Tool", kDefaultPriority), 128);
}

TEST_F(SettingsStoreTest, InstallFlag) {
  MarkInstalled();
  EXPECT_EQ(RawString(kHKeyLocalMachine, kProgramKey, "IsInstalled"), "Si");
  EXPECT_TRUE(IsInstalledMarked());
  ClearInstalled();
  EXPECT_FALSE(IsInstalledMarked());
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kProgramKey, "IsInstalled"));
}

TEST_F(SettingsStoreTest, OriginsAndRunKeyValues) {
  SetRunLocation("bob_Tool", "bob");
  SetRunLocationHKey("bob_Tool", kHKeyCurrentUser);
  SetStartupLocation("C:\\store\\a.lnk", "C:\\Startup\\");
  EXPECT_EQ(GetRunLocation("bob_Tool"), "bob");
  EXPECT_EQ(GetRunLocationHKey("bob_Tool"), StoredRoot(kHKeyCurrentUser));
  EXPECT_EQ(RawDword(kHKeyLocalMachine, kRunLocationKey, "bob_Tool_HKEY"),
            static_cast<std::int32_t>(0x80000001u));
  EXPECT_EQ(GetStartupLocation("C:\\store\\a.lnk"), "C:\\Startup\\");

  SetRawString(kHKeyCurrentUser, kRunKey, "Tool", "user.exe");
  SetRawString(kHKeyLocalMachine, kRunKey, "Tool", "machine.exe");
  EXPECT_EQ(ReadRunKeyValue(kHKeyCurrentUser, "Tool"), "user.exe");
  EXPECT_EQ(ReadRunKeyValue(kHKeyLocalMachine, "Tool"), "machine.exe");
}

TEST_F(SettingsStoreTest, SortListsWithGapsAndCommands) {
  SetRawDword(kHKeyLocalMachine, kRunSortKey, "SortIndex", 3);
  SetRawString(kHKeyLocalMachine, kRunSortKey, "0", "A");
  SetRawString(kHKeyLocalMachine, kRunSortKey, "2", "NoCommand");
  SetRawString(kHKeyLocalMachine, kRunItemsKey, "A", "a.exe");
  EXPECT_EQ(GetRunSortCount(), 3);
  EXPECT_EQ(GetRunSortName(0), "A");
  EXPECT_EQ(GetRunSortCommand(0), "a.exe");
  EXPECT_EQ(GetRunSortName(1), "");
  EXPECT_EQ(GetRunSortCommand(1), "");
  EXPECT_EQ(GetRunSortName(2), "NoCommand");
  EXPECT_EQ(GetRunSortCommand(2), "");
  SetRawDword(kHKeyLocalMachine, kStartupSortKey, "SortIndex", static_cast<std::uint32_t>(-4));
  EXPECT_EQ(GetStartupSortCount(), 0);
}

TEST_F(SettingsStoreTest, AppendWritesOnlyIntoAFreeSlot) {
  EXPECT_TRUE(AppendSortEntry(kRunSortName, "A"));
  EXPECT_TRUE(AppendSortEntry(kRunSortName, "B"));
  EXPECT_EQ(RawValueNames(kHKeyLocalMachine, kRunSortKey).size(), 3u);
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunSortKey, "0"), "A");
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunSortKey, "1"), "B");
  EXPECT_EQ(GetRunSortCount(), 2);
}

// A value where the next entry goes (left by a crash or another program) lies past the count,
// where no reader sees it: the list is rewritten without it, and the entry goes in after the
// entries it holds, gaps included. Refusing would refuse every later append, and with it
// every take-over.
TEST_F(SettingsStoreTest, AStrayValueAtTheCountGivesWayToTheAppend) {
  for (const char* name : {kRunSortName, kStartupSortName}) {
    SCOPED_TRACE(name);
    const std::string key = std::string(kProgramKey) + "\\" + name;
    SetRawString(kHKeyLocalMachine, key, "0", "A");
    SetRawString(kHKeyLocalMachine, key, "2", "B");
    SetRawDword(kHKeyLocalMachine, key, "SortIndex", 3);
    SetRawString(kHKeyLocalMachine, key, "3", "Squatter");
    SetRawDword(kHKeyLocalMachine, key, "4", 7);
    EXPECT_TRUE(AppendSortEntry(name, "C"));
    EXPECT_TRUE(AppendSortEntry(name, "D"));
    const std::vector<std::string> entries = {"A", "", "B", "C", "D"};
    for (std::size_t index = 0; index < entries.size(); ++index) {
      EXPECT_EQ(RawString(kHKeyLocalMachine, key, std::to_string(index)), entries[index]);
    }
    EXPECT_EQ(RawDword(kHKeyLocalMachine, key, "SortIndex"), 5);
    EXPECT_EQ(RawValueNames(kHKeyLocalMachine, key).size(), 6u);
  }
  // An entry within the count that is no text cannot be carried over: nothing changes.
  SetRawDword(kHKeyLocalMachine, kRunSortKey, "1", 7);
  SetRawString(kHKeyLocalMachine, kRunSortKey, "5", "Squatter");
  const std::string before = DumpTree(kHKeyLocalMachine, kRunSortKey);
  EXPECT_FALSE(AppendSortEntry(kRunSortName, "E"));
  EXPECT_EQ(DumpTree(kHKeyLocalMachine, kRunSortKey), before);
}

TEST_F(SettingsStoreTest, SavingAnOrderReplacesTheWholeKey) {
  SetRawDword(kHKeyLocalMachine, kStartupSortKey, "SortIndex", 5);
  SetRawString(kHKeyLocalMachine, kStartupSortKey, "4", "stray");
  SetRawString(kHKeyLocalMachine, kStartupSortKey + std::string("\\Sub"), "x", "stray");
  SaveSortOrder(kStartupSortName, {"C:\\s\\b.lnk", "", "C:\\s\\a.lnk"});
  std::vector<std::string> names = RawValueNames(kHKeyLocalMachine, kStartupSortKey);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"0", "1", "2", "SortIndex"}));
  EXPECT_EQ(RawString(kHKeyLocalMachine, kStartupSortKey, "0"), "C:\\s\\b.lnk");
  EXPECT_EQ(RawString(kHKeyLocalMachine, kStartupSortKey, "1"), "");
  EXPECT_EQ(RawString(kHKeyLocalMachine, kStartupSortKey, "2"), "C:\\s\\a.lnk");
  EXPECT_EQ(GetStartupSortCount(), 3);
  EXPECT_FALSE(RawKeyExists(kHKeyLocalMachine, kStartupSortKey + std::string("\\Sub")));
  SaveSortOrder(kStartupSortName, {});
  EXPECT_EQ(GetStartupSortCount(), 0);
  EXPECT_EQ(RawValueNames(kHKeyLocalMachine, kStartupSortKey),
            std::vector<std::string>{"SortIndex"});
}

TEST_F(SettingsStoreTest, TunedDelayIsStoredShorterAboveOneSecond) {
  const struct {
    std::int32_t given;
    std::int32_t stored;
  } cases[] = {{1000, 1000}, {1001, 901}, {5000, 4900}, {0, 0}, {-5, -5}, {1100, 1000}};
  // The runner's object is rooted at HKEY_CURRENT_USER, the Options side at the machine:
  // either way the tuned pause lands where GetTunedDelay reads it.
  Registry userReg;
  userReg.SetDefaultRoot(kHKeyCurrentUser);
  for (Registry* reg : {&userReg, &SharedRegistry()}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(c.given);
      SetTunedDelay(*reg, "Tool", c.given);
      EXPECT_EQ(RawDword(kHKeyCurrentUser, kCustomDelaysKey, "Tool_tunned"), c.stored);
      EXPECT_EQ(GetTunedDelay("Tool"), c.stored);
    }
  }
  EXPECT_FALSE(RawKeyExists(kHKeyLocalMachine, kCustomDelaysKey));
}

TEST_F(SettingsStoreTest, CustomDelaysLiveUnderTheMachineApartFromTunedOnes) {
  SetCustomDelay("Tool", 3000);
  EXPECT_EQ(RawDword(kHKeyLocalMachine, kCustomDelaysKey, "Tool"), 3000);
  EXPECT_EQ(GetCustomDelay("Tool"), 3000);
  EXPECT_EQ(GetTunedDelay("Tool"), 0);
  DeleteCustomDelay("Tool");
  DeleteCustomDelay("Tool");
  EXPECT_EQ(GetCustomDelay("Tool"), 0);
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kCustomDelaysKey, "Tool"));
}

TEST_F(SettingsStoreTest, AutoTuneBlendsInWholeNumbersAndMovesTheExtremes) {
  Registry userReg;
  userReg.SetDefaultRoot(kHKeyCurrentUser);
  EXPECT_EQ(LowestCPUFigure(), 100);
  EXPECT_EQ(HighestCPUFigure(), 0);
  const struct {
    const char* name;
    std::int32_t sample;
    std::int32_t stored;
  } steps[] = {
      {"A", 50, 30},  // no previous figure
      {"A", 50, 42},  // 50 * 0.6 + 30 * 0.4
      {"B", 1, 0},    {"B", 6, 3},
      {"C", 10, 6},   {"C", 6, 6},  // 6 * 0.6 + 6 * 0.4 is 6, not 5.999...
      {"D", 2, 1},    {"D", 6, 4},  // 3.6 + 0.4 is 4
      {"E", 100, 60}, {"E", 95, 81},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(std::string(step.name) + " " + std::to_string(step.sample));
    UpdateAutoTune(userReg, step.name, step.sample);
    EXPECT_EQ(RawDword(kHKeyCurrentUser, kAutoTuneKey, step.name), step.stored);
    EXPECT_EQ(GetAutoTune(step.name), step.stored);
  }
  EXPECT_EQ(LowestCPUFigure(), 0);
  EXPECT_EQ(HighestCPUFigure(), 81);

  SetAutoTunePrevious(SharedRegistry(), "A_POST", 17);
  EXPECT_EQ(RawDword(kHKeyCurrentUser, kAutoTuneKey, "A_POST_PREVIOUS"), 17);
  EXPECT_EQ(GetAutoTunePrevious("A_POST"), 17);

  SaveCPUStats();
  EXPECT_EQ(RawDword(kHKeyCurrentUser, kAutoTuneKey, "LowCPUStat"), 0);
  EXPECT_EQ(RawDword(kHKeyCurrentUser, kAutoTuneKey, "HighCPUStat"), 81);
  EXPECT_EQ(GetHighCPUStat(), 81);
  EXPECT_FALSE(RawKeyExists(kHKeyLocalMachine, kAutoTuneKey));
}

TEST_F(SettingsStoreTest, FormValuesTreatMinusOneAsAbsent) {
  std::int32_t width = 640;
  EXPECT_FALSE(GetFormValue(SharedRegistry(), kFormWidthValue, width));
  SetRawDword(kHKeyLocalMachine, kProgramKey, kFormWidthValue, static_cast<std::uint32_t>(-1));
  EXPECT_FALSE(GetFormValue(SharedRegistry(), kFormWidthValue, width));
  EXPECT_EQ(width, 640);
  SetRawDword(kHKeyLocalMachine, kProgramKey, kFormWidthValue, 800);
  EXPECT_TRUE(GetFormValue(SharedRegistry(), kFormWidthValue, width));
  EXPECT_EQ(width, 800);
}

TEST_F(SettingsStoreTest, TheUnitComesUpFreshAfterItWentDown) {
  UpdateAutoTune(SharedRegistry(), "A", 50);
  SharedRegistry().SetDefaultRoot(kHKeyCurrentUser);
  FinalizeSettingsStore();
  EXPECT_THROW(SharedRegistry(), std::logic_error);
  InitializeSettingsStore();
  EXPECT_EQ(SharedRegistry().DefaultRoot(), kHKeyLocalMachine);
  EXPECT_EQ(LowestCPUFigure(), 100);
  EXPECT_EQ(HighestCPUFigure(), 0);
}

TEST_F(SettingsStoreTest, AValueOfTheWrongTypeRaises) {
  SetRawDword(kHKeyLocalMachine, kRunItemsKey, "Tool", 1);
  SetRawString(kHKeyLocalMachine, kCustomDelaysKey, "Tool", "1000");
  EXPECT_THROW(GetRunCommand("Tool"), Error);
  EXPECT_THROW(GetCustomDelay("Tool"), Error);
}

}  // namespace
}  // namespace lw::test
