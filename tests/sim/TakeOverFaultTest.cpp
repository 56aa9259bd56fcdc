// A logon's take-over of a few dozen items with one change failing, for every change of the
// pass: whichever fails, every item is still in its Run key or Startup folder or in the store,
// whole, and where the program will find it again; and the next logon finishes the job.

#include <cstdint>
#include <functional>
#include <string>

#include "items/ItemManager.h"
#include "store/SettingsStore.h"
#include "support/ItemCensus.h"
#include "support/TakeOverFixture.h"
#include "util/Error.h"
#include "util/Text.h"

namespace lw::test {
namespace {

class TakeOverFaultTest : public TakeOverFixture {
 protected:
  // Twelve values in each Run key (two names in both), six shortcuts in each Startup folder.
  void StageFirstLogon() {
    for (int i = 0; i < 12; ++i) {
      std::string n = std::to_string(i);
      Run(kHKeyCurrentUser, "User item " + n, "\"C:\\Program Files\\U" + n + "\\u.exe\" /min");
      Run(kHKeyLocalMachine, i < 2 ? "User item " + n : "Machine item " + n,
          "C:\\Tools\\m" + n + ".exe %TEMP%");
    }
    for (int i = 0; i < 6; ++i) {
      std::string n = std::to_string(i);
      Link(userFolder, "Mine " + n + ".lnk", "C:\\Apps\\mine" + n + ".exe");
      Link(commonFolder, "Shared " + n + ".lnk", "C:\\Apps\\shared" + n + ".exe");
    }
  }

  // A machine taken over at an earlier logon, to which some items came back (as their programs
  // write themselves back) and new ones came.
  void StageLaterLogon() {
    StageFirstLogon();
    Pass();
    ASSERT_TRUE(NothingLost(TakeItemCensus()));
    SharedItemManager().DisableRunItem("Machine item 5", "");
    SharedItemManager().DisableStartupItem(store + "Shared 2.lnk");
    Run(kHKeyLocalMachine, "Machine item 5", "C:\\Tools\\m5.exe %TEMP%");
    Run(kHKeyLocalMachine, "Machine item 6", "C:\\Tools\\m6.exe %TEMP%");
    Run(kHKeyCurrentUser, "Newcomer", "C:\\New\\n.exe");
    Link(commonFolder, "Shared 2.lnk", "C:\\Apps\\shared2.exe");
    Link(userFolder, "Mine 0.lnk", "C:\\Apps\\mine0.exe");
    Link(userFolder, "Fresh.lnk", "C:\\Apps\\fresh.exe");
  }

  // Stages, fails change n of the pass (none when n is 0), and returns the changes the pass made.
  std::uint64_t PassFailing(const std::function<void()>& stage, std::uint64_t n) {
    Restart();
    SharedOptions().SetChecked(kAutoDisableOption, autoDisable);
    stage();
    census = TakeItemCensus();
    std::uint64_t start = Sim().ChangeCount();
    if (n != 0) Sim().FailChange(start + n);
    try {
      Pass();
    } catch (const Error&) {
      // The pass ends at the error, as it does at logon.
    }
    Sim().FailChange(0);
    return Sim().ChangeCount() - start;
  }

  // Every item of the census is managed, disabled or excluded after a complete pass.
  static ::testing::AssertionResult AllTakenOver() {
    for (HKey root : {kHKeyCurrentUser, kHKeyLocalMachine}) {
      for (const std::string& name : RawValueNames(root, kRunKey)) {
        if (name != kSelfRunValue && !RunItemExcluded(name)) {
          return ::testing::AssertionFailure() << "still in a Run key: " << name;
        }
      }
    }
    return ::testing::AssertionSuccess();
  }

  // No item the user disabled is in an order the runner starts; with auto-disable on a first
  // logon, no item at all.
  ::testing::AssertionResult NothingStartsThatShouldNot() const {
    for (const std::string& entry : SortEntries(kRunSortKey)) {
      if (entry.empty() || entry == "<missing>") continue;
      if (RawValueExists(kHKeyLocalMachine, kRunDisabledKey, entry) || everyItemDisabled) {
        return ::testing::AssertionFailure() << "disabled yet in the run order: " << entry;
      }
    }
    for (const std::string& entry : SortEntries(kStartupSortKey)) {
      if (entry.empty() || entry == "<missing>") continue;
      if (RawValueExists(kHKeyLocalMachine, kStartupDisableKey, ExtractFileName(entry)) ||
          everyItemDisabled) {
        return ::testing::AssertionFailure() << "disabled yet in the start order: " << entry;
      }
    }
    return ::testing::AssertionSuccess();
  }

  void CheckEveryFailure(const std::function<void()>& stage, bool disable) {
    autoDisable = disable;
    std::uint64_t changes = PassFailing(stage, 0);
    ASSERT_GT(changes, 40u);
    for (std::uint64_t n = 1; n <= changes; ++n) {
      PassFailing(stage, n);
      EXPECT_TRUE(NothingLost(census)) << "change " << n << " of " << changes;
      EXPECT_TRUE(EveryItemListed(census)) << "change " << n << " of " << changes;
      EXPECT_TRUE(NothingStartsThatShouldNot()) << "change " << n << " of " << changes;
      // The next logon completes what this one could not.
      Pass();
      EXPECT_TRUE(NothingLost(census)) << "next logon after change " << n;
      EXPECT_TRUE(EveryItemListed(census)) << "next logon after change " << n;
      EXPECT_TRUE(AllTakenOver()) << "next logon after change " << n;
      EXPECT_TRUE(NothingStartsThatShouldNot()) << "next logon after change " << n;
      EXPECT_TRUE(FolderNames(userFolder).empty()) << "next logon after change " << n;
      EXPECT_TRUE(FolderNames(commonFolder).empty()) << "next logon after change " << n;
    }
  }

  ItemCensus census;
  bool autoDisable = false;
  bool everyItemDisabled = false;
};

TEST_F(TakeOverFaultTest, FirstLogonLosesNothingWhateverFails) {
  CheckEveryFailure([this] { StageFirstLogon(); }, false);
}

TEST_F(TakeOverFaultTest, FirstLogonWithAutoDisableLosesNothingWhateverFails) {
  everyItemDisabled = true;
  CheckEveryFailure([this] { StageFirstLogon(); }, true);
}

TEST_F(TakeOverFaultTest, LaterLogonLosesNothingWhateverFails) {
  CheckEveryFailure([this] { StageLaterLogon(); }, false);
}

// A logon that stops dead (a crash, a power cut) between any two registry calls of its
// take-over: as the machine is at that moment, every item is in its Run key or Startup folder
// or in the store, whole. Nothing ever holds a probe's data in place of an item's command.
TEST_F(TakeOverFaultTest, ALogonThatStopsBetweenAnyTwoCallsLosesNothing) {
  for (bool later : {false, true}) {
    SCOPED_TRACE(later ? "later logon" : "first logon");
    Restart();
    if (later) {
      StageLaterLogon();
    } else {
      StageFirstLogon();
    }
    census = TakeItemCensus();
    std::uint64_t calls = 0;
    Sim().BeforeEachRegistryCall([&] {
      ++calls;
      ASSERT_TRUE(NothingLost(census)) << "stopped before call " << calls;
    });
    Pass();
    Sim().BeforeEachRegistryCall(nullptr);
    EXPECT_GT(calls, 0u);
  }
}

// The rights check and the take-over's probe try a key with a throw-away value. One left behind
// by a check that died between its write and its delete (or by an older version's check) is
// never taken over as an item, and the next take-over removes it; a real value that happens to
// share the old name is an item like any other.
TEST_F(TakeOverFaultTest, AProbeLeftBehindIsNeverTakenOverAndGoes) {
  // What a check stopped between its write and its delete leaves, in every Run key it tries.
  Run(kHKeyLocalMachine, kProbeValue, kProbeValue);
  Run(kHKeyCurrentUser, kProbeValue, kProbeValue);
  Run(kHKeyCurrentUser, kOldProbeValue, kOldProbeValue);  // an older version's check
  Run(kHKeyLocalMachine, "Tool", "C:\\tool.exe");
  Pass();
  for (HKey root : {kHKeyLocalMachine, kHKeyCurrentUser}) {
    EXPECT_FALSE(RawValueExists(root, kRunKey, kProbeValue));
    EXPECT_FALSE(RawValueExists(root, kRunKey, kOldProbeValue));
  }
  EXPECT_EQ(Store(kRunItemsKey), (ValueMap{{"Tool", "C:\\tool.exe"}}));
  EXPECT_EQ(Store(kRunNewItemsKey), (ValueMap{{"Tool", "C:\\tool.exe"}}));

  // The rights check and the probe, whichever of their changes fails, leave nothing either.
  StartupMover mover;
  std::string failed;
  const std::uint64_t start = Sim().ChangeCount();
  ASSERT_TRUE(mover.CheckPermissions(failed));
  ASSERT_FALSE(SharedItemManager().TestRunValue(kHKeyLocalMachine));
  const std::uint64_t changes = Sim().ChangeCount() - start;
  for (std::uint64_t n = 1; n <= changes; ++n) {
    Sim().FailChange(Sim().ChangeCount() + n);
    mover.CheckPermissions(failed);
    SharedItemManager().TestRunValue(kHKeyLocalMachine);
    Sim().FailChange(0);
    EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunKey, kProbeValue)) << n;
  }

  // A real program's value that happens to have the old name is an item like any other.
  Run(kHKeyLocalMachine, kOldProbeValue, "C:\\test\\launchwardtest.exe");
  Pass();
  EXPECT_EQ(Store(kRunItemsKey)[kOldProbeValue], "C:\\test\\launchwardtest.exe");
}

}  // namespace
}  // namespace lw::test
