// The machine's Run key on 64-bit Windows: both views are taken over, same-named values of the
// two views stay two items, and everything that goes back goes to the view it came from. On
// the simulation the program runs as the shipped 32-bit process on 64-bit Windows; under Wine
// the test process is a 64-bit one. The program's view is the 32-bit one either way.

#include <string>

#include "install/StartupMover.h"
#include "items/ItemManager.h"
#include "runner/LogonRunner.h"
#include "support/TakeOverFixture.h"
#include "util/ExecutablePath.h"
#include "util/WindowsBitness.h"

namespace lw::test {
namespace {

constexpr char kTray64[] = "Tray (64-bit)";

class MachineViewsTest : public TakeOverFixture {
 protected:
  void SetUp() override {
    TakeOverFixture::SetUp();
    if (!StartOn64BitWindows()) GTEST_SKIP() << "needs 64-bit Windows";
  }

  static void Pass() {
    StartupMover mover;
    mover.DetectNewRunItems();
  }
  // Both namesakes and a user's one, taken over.
  void PlantTrays() {
    PlantMachineRun(kKeyWow64_32Key, "Tray", "tray32.exe");
    PlantMachineRun(kKeyWow64_64Key, "Tray", "tray64.exe");
    SetRawString(kHKeyCurrentUser, kRunKey, "Tray", "user-tray.exe");
    Pass();
  }
};

TEST_F(MachineViewsTest, BothViewsAreTakenOverAndSameNamesStayTwoItems) {
  PlantTrays();
  const std::string user = CurrentUserName() + "_Tray";
  const ValueMap stored{{"Tray", "tray32.exe"}, {kTray64, "tray64.exe"}, {user, "user-tray.exe"}};
  EXPECT_EQ(Store(kRunItemsKey), stored);
  EXPECT_EQ(Store(kRunNewItemsKey), stored);
  EXPECT_EQ(SortEntries(kRunSortKey).size(), 3u);
  EXPECT_TRUE(MachineRunValues(kKeyWow64_32Key).empty());
  EXPECT_TRUE(MachineRunValues(kKeyWow64_64Key).empty());
  EXPECT_TRUE(Values(kHKeyCurrentUser, kRunKey).empty());
  // The view is recorded only for the 64-bit one: a store without the record reads as before.
  EXPECT_EQ(RawDword(kHKeyLocalMachine, kRunLocationKey, std::string(kTray64) + kViewSuffix), 64);
  EXPECT_FALSE(
      RawValueExists(kHKeyLocalMachine, kRunLocationKey, std::string("Tray") + kViewSuffix));

  // The 64-bit program writes itself back with new arguments: removed again from its view, its
  // stored command kept, the new one kept beside it (disabled, of the same view), and its
  // namesake of the 32-bit view never confused with it.
  PlantMachineRun(kKeyWow64_64Key, "Tray", "tray64.exe /again");
  Pass();
  EXPECT_TRUE(MachineRunValues(kKeyWow64_64Key).empty());
  ValueMap withCopy = stored;
  withCopy["Tray (2) (64-bit)"] = "tray64.exe /again";
  EXPECT_EQ(Store(kRunItemsKey), withCopy);
  EXPECT_EQ(Store(kRunDisabledKey), (ValueMap{{"Tray (2) (64-bit)", "tray64.exe /again"}}));
  EXPECT_EQ(
      RawDword(kHKeyLocalMachine, kRunLocationKey, "Tray (2) (64-bit)" + std::string(kViewSuffix)),
      64);
}

TEST_F(MachineViewsTest, EveryWayBackGoesToTheViewTheItemCameFrom) {
  PlantTrays();
  ItemManager& items = SharedItemManager();

  items.ExcludeRunItem(kTray64);
  EXPECT_EQ(MachineRunValues(kKeyWow64_64Key), (ValueMap{{"Tray", "tray64.exe"}}));
  EXPECT_TRUE(MachineRunValues(kKeyWow64_32Key).empty());
  EXPECT_EQ(Store(kRunExcludeKey), (ValueMap{{kTray64, kMachineExcludeOwner}}));
  Pass();  // excluded: it stays with Windows
  EXPECT_EQ(MachineRunValues(kKeyWow64_64Key), (ValueMap{{"Tray", "tray64.exe"}}));

  items.IncludeRunItem(kTray64, "", false);
  EXPECT_TRUE(MachineRunValues(kKeyWow64_64Key).empty());
  EXPECT_EQ(Store(kRunItemsKey)[kTray64], "tray64.exe");
  EXPECT_TRUE(Store(kRunExcludeKey).empty());

  items.DisableRunItem(kTray64, "");
  EXPECT_EQ(Store(kRunDisabledKey), (ValueMap{{kTray64, "tray64.exe"}}));
  PlantMachineRun(kKeyWow64_64Key, "Tray",
                  "tray64.exe");  // it puts itself back: disabled means gone
  Pass();
  EXPECT_TRUE(MachineRunValues(kKeyWow64_64Key).empty());
  EXPECT_EQ(GetRunItemState("Tray", ""), ItemState::kSorted);  // the namesake is untouched
  items.EnableRunItem(kTray64);
  EXPECT_EQ(GetRunItemState(kTray64, ""), ItemState::kSorted);

  StartupMover mover;
  for (const ManagedRunValue& item : mover.ManagedRunItems()) {
    EXPECT_TRUE(mover.RestoreRunItem(item.name, item.command)) << item.name << mover.LastError();
  }
  EXPECT_EQ(MachineRunValues(kKeyWow64_64Key), (ValueMap{{"Tray", "tray64.exe"}}));
  EXPECT_EQ(MachineRunValues(kKeyWow64_32Key), (ValueMap{{"Tray", "tray32.exe"}}));
  EXPECT_EQ(Values(kHKeyCurrentUser, kRunKey), (ValueMap{{"Tray", "user-tray.exe"}}));
}

// A per-machine installer writes one command under one name into both views and the user's Run
// key: three items. Disabling one, with all three written back meanwhile, removes the value of
// its own view or root alone.
TEST_F(MachineViewsTest, DisablingRemovesOnlyTheValueOfTheItemsOwnViewOrRoot) {
  struct Case {
    const char* what;
    std::string stored;
    std::uint32_t goneFrom;  // the view, or 0 for the user's Run key
  } cases[] = {
      {"the 32-bit view's", "Tray", kKeyWow64_32Key},
      {"the 64-bit view's", kTray64, kKeyWow64_64Key},
      {"the user's", CurrentUserName() + "_Tray", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PlantMachineRun(kKeyWow64_32Key, "Tray", "tray.exe");
    PlantMachineRun(kKeyWow64_64Key, "Tray", "tray.exe");
    SetRawString(kHKeyCurrentUser, kRunKey, "Tray", "tray.exe");
    if (Store(kRunItemsKey).empty()) {
      Pass();
      for (std::uint32_t view : {kKeyWow64_32Key, kKeyWow64_64Key})
        PlantMachineRun(view, "Tray", "tray.exe");
      SetRawString(kHKeyCurrentUser, kRunKey, "Tray", "tray.exe");
    }
    SharedItemManager().DisableRunItem(c.stored, "");
    for (std::uint32_t view : {kKeyWow64_32Key, kKeyWow64_64Key}) {
      EXPECT_EQ(MachineRunValues(view).empty(), view == c.goneFrom) << view;
    }
    EXPECT_EQ(Values(kHKeyCurrentUser, kRunKey).empty(), c.goneFrom == 0);
    EXPECT_EQ(Store(kRunDisabledKey)[c.stored], "tray.exe");
    SharedItemManager().EnableRunItem(c.stored);
  }
}

TEST_F(MachineViewsTest, RunnerHandsBackAProgramThatWroteItselfBackIntoItsView) {
  PlantMachineRun(kKeyWow64_64Key, "Tray", "tray64.exe");
  Pass();
  PlantMachineRun(kKeyWow64_64Key, "Tray", "tray64.exe");
  std::vector<std::string> status;
  LogonRunner runner([&](const std::string& text) { status.push_back(text); }, RunnerUse::kLogon);
  runner.RunRunkeyItems();
  EXPECT_EQ(Store(kRunExcludeKey), (ValueMap{{kTray64, kMachineExcludeOwner}}));
  EXPECT_EQ(MachineRunValues(kKeyWow64_64Key), (ValueMap{{"Tray", "tray64.exe"}}));
  ASSERT_FALSE(status.empty());
  EXPECT_NE(status.back().find(kTray64), std::string::npos) << status.back();
}

TEST_F(MachineViewsTest, AppPathsOfBothViewsAreFound) {
  for (std::uint32_t view : {kKeyWow64_64Key, kKeyWow64_32Key}) {
    InRawView in(view);
    const std::string name = view == kKeyWow64_64Key ? "tool64.exe" : "tool32.exe";
    SetRawString(kHKeyLocalMachine, std::string(kAppPathsKey) + "\\" + name, "",
                 "C:\\Tools\\" + name);
    EXPECT_EQ(AppPathsEntry(kHKeyLocalMachine, name), "C:\\Tools\\" + name);
  }
}

}  // namespace
}  // namespace lw::test
