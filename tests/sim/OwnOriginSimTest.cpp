// Whose Run key an edit of one item touches. The same program often stands in several Run keys
// under one name and one command (a per-machine installer writes it into both views and into
// every account's Run key); each of those values is an item of its own. Disabling, enabling,
// excluding or including one item changes its own Run key (its root, its view, its user's hive)
// and no other, whatever the others hold.

#include <gtest/gtest.h>

#include <functional>

#include "support/AliceAccount.h"
#include "support/ItemCensus.h"
#include "support/ItemManagerFixture.h"
#include "util/Error.h"
#include "util/WindowsBitness.h"

namespace lw::test {
namespace {

constexpr char kMount[] = "OriginCheck";
constexpr char kCommand[] = "\"C:\\Program Files\\Tool\\tool.exe\" /tray";

// The Run keys a namesake can stand in; kNowhere for an item whose Run key nobody knows.
enum class Place { kMachine32, kMachine64, kMine, kAlice, kNowhere };

struct Row {
  const char* name;
  const char* what;
  std::string stored;  // the stored item name
  HKey root;           // recorded root
  std::string user;    // recorded user
  bool view64;
  Place own;
};

void PrintTo(const Row& row, std::ostream* os) { *os << row.what; }

const Row kRows[] = {
    {"Machine32", "machine, 32-bit view", "Tool", kHKeyLocalMachine, "", false, Place::kMachine32},
    {"Machine64", "machine, 64-bit view", "Tool (64-bit)", kHKeyLocalMachine, "", true,
     Place::kMachine64},
    {"Own", "the editor's own", "bob_Tool", kHKeyCurrentUser, "bob", false, Place::kMine},
    {"AnotherUsers", "another user's", "alice_Tool", kHKeyCurrentUser, "alice", false,
     Place::kAlice},
    {"UnknownUsers", "an unknown user's", "Tool", kHKeyCurrentUser, kUnknownUser, false,
     Place::kNowhere},
};

class OwnOriginSimTest : public ItemManagerTest, public ::testing::WithParamInterface<Row> {
 protected:
  void SetUp() override {
    ItemManagerTest::SetUp();
    // The units start anew on a 64-bit machine, as the program does when it starts there.
    FreeOptions();
    FinalizeProcessUnits();
    Sim().SetWindows64();
    InitializeProcessUnits();
    CreateOptions();
    StageAlice();
    const Row& row = GetParam();
    StageCommand(row.stored, kCommand);
    StageSort(kRunSortKey, {row.stored});
    SetRunLocation(row.stored, row.user);
    SetRunLocationHKey(row.stored, row.root);
    if (row.view64) {
      SetRawDword(kHKeyLocalMachine, kRunLocationKey, row.stored + kViewSuffix, kStoredView64);
    }
  }

  // Runs what with alice's hive mounted where the census reads it.
  static void InAlicesHive(const std::function<void(const std::string& runKey)>& what) {
    InHive(kAliceHive, kMount, what);
  }

  // A value of the program's name and command in the Run key of every place but skip.
  static void PlantNamesakes(Place skip) {
    if (skip != Place::kMachine32) StageRunValue(kHKeyLocalMachine, "Tool", kCommand);
    if (skip != Place::kMachine64) {
      InRawView in(kKeyWow64_64Key);
      StageRunValue(kHKeyLocalMachine, "Tool", kCommand);
    }
    if (skip != Place::kMine) StageRunValue(kHKeyCurrentUser, "Tool", kCommand);
    if (skip != Place::kAlice) {
      InAlicesHive(
          [](const std::string& runKey) { SetRawString(kHKeyUsers, runKey, "Tool", kCommand); });
    }
  }

  // The Run keys counted besides the usual ones, with alice's hive mounted.
  static std::vector<CensusRunKey> ExtraRunKeys(const std::string& aliceRunKey) {
    return {{kHKeyLocalMachine, SeamPath(kRunKey), kKeyWow64_64Key},
            {kHKeyUsers, SeamPath(aliceRunKey)}};
  }
  static ItemCensus Census() {
    ItemCensus census;
    InAlicesHive([&](const std::string& runKey) { census = TakeItemCensus(ExtraRunKeys(runKey)); });
    return census;
  }
  static ::testing::AssertionResult NothingLostSince(const ItemCensus& before) {
    ::testing::AssertionResult result = ::testing::AssertionSuccess();
    InAlicesHive(
        [&](const std::string& runKey) { result = NothingLost(before, ExtraRunKeys(runKey)); });
    return result;
  }

  // The line RunValueChanges gives for the namesake in the place.
  static std::string Line(char sign, Place place) {
    std::string key = "\\" + SeamPath(kRunKey) + "\\Tool = \"" + kCommand + "\"";
    switch (place) {
      case Place::kMachine32:
        return std::string(1, sign) + " HKEY_LOCAL_MACHINE" + key;
      case Place::kMachine64:
        return std::string(1, sign) + " HKEY_LOCAL_MACHINE" + key + " (64-bit view)";
      case Place::kMine:
        return std::string(1, sign) + " HKEY_CURRENT_USER" + key;
      case Place::kAlice:
        return std::string(1, sign) + " HKEY_USERS\\" + kMount + key;
      case Place::kNowhere:
        break;
    }
    return std::string();
  }
  std::vector<std::string> OwnChange(char sign) const {
    if (GetParam().own == Place::kNowhere) return {};
    return {Line(sign, GetParam().own)};
  }
};

using Strings = std::vector<std::string>;

// Disabling: the store changes; of the Run keys only the item's own loses the value its program
// wrote back meanwhile, and the namesakes everywhere else stay.
TEST_P(OwnOriginSimTest, DisableAndEnableTouchOnlyTheItemsOwnRunKey) {
  ASSERT_TRUE(IsWindows64());
  const Row& row = GetParam();
  for (bool writtenBack : {false, true}) {
    SCOPED_TRACE(writtenBack ? "its value written back" : "its value gone");
    PlantNamesakes(writtenBack ? Place::kNowhere : row.own);
    const ItemCensus before = Census();
    Manager().DisableRunItem(row.stored, "");
    EXPECT_EQ(RunValueChanges(before, Census()), writtenBack ? OwnChange('-') : Strings{});
    EXPECT_EQ(RawString(kHKeyLocalMachine, kRunDisabledKey, row.stored), kCommand);
    EXPECT_FALSE(RunOrderHolds(row.stored));

    Manager().EnableRunItem(row.stored);
    EXPECT_EQ(RunValueChanges(before, Census()), writtenBack ? OwnChange('-') : Strings{});
    EXPECT_TRUE(RunOrderHolds(row.stored));
    EXPECT_TRUE(NothingLostSince(before));
  }
}

// Excluding gives the item back to its own Run key alone; including takes it from there alone.
// An item of an unknown account has no Run key to go back to: it stays stored, and says so.
TEST_P(OwnOriginSimTest, ExcludeAndIncludeTouchOnlyTheItemsOwnRunKey) {
  ASSERT_TRUE(IsWindows64());
  const Row& row = GetParam();
  PlantNamesakes(row.own);
  const ItemCensus before = Census();
  const std::string valueName = ExcludeName(RunItemOrigin(row.stored));
  if (row.own == Place::kNowhere) {
    EXPECT_NE(ErrorOf([&] { Manager().ExcludeRunItem(row.stored); }).find("is unknown"),
              std::string::npos);
    EXPECT_EQ(RawString(kHKeyLocalMachine, kRunItemsKey, row.stored), kCommand);
    EXPECT_TRUE(RunOrderHolds(row.stored));
    EXPECT_EQ(RunValueChanges(before, Census()), Strings{});
    return;
  }
  Manager().ExcludeRunItem(row.stored);
  EXPECT_EQ(RunValueChanges(before, Census()), OwnChange('+'));
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunItemsKey, row.stored));
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunExcludeKey, valueName),
            ExcludeOwner(RunItemOrigin(row.stored)));

  EXPECT_EQ(Manager().IncludeExcludedRunItem(ExcludedRunItemOrigin(valueName)), row.stored);
  EXPECT_EQ(RunValueChanges(before, Census()), Strings{});
  EXPECT_TRUE(RunOrderHolds(row.stored));
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunExcludeKey, valueName));
}

INSTANTIATE_TEST_SUITE_P(Rows, OwnOriginSimTest, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace lw::test
