// The take-over where things go wrong, staged on the simulation: values other programs guard,
// shortcuts that cannot be copied, keys and folders that refuse writing, and the pauses of
// the listing on the virtual clock.

#include <functional>
#include <string>
#include <vector>

#include "install/NewItemListing.h"
#include "items/ItemManager.h"
#include "support/ItemCensus.h"
#include "support/TakeOverFixture.h"

namespace lw::test {
namespace {

using TakeOverSimTest = TakeOverFixture;

TEST_F(TakeOverSimTest, GuardedValueIsExcludedKeepsItsDataAndIsStillNew) {
  for (SimPlatform::Guard guard :
       {SimPlatform::Guard::kRewrite, SimPlatform::Guard::kRefuseDelete}) {
    SCOPED_TRACE(static_cast<int>(guard));
    Run(kHKeyLocalMachine, "Guarded", "guarded.exe -keep");
    Sim().GuardValue(kHKeyLocalMachine, SeamPath(kRunKey), "Guarded", guard);
    Pass();
    EXPECT_EQ(Store(kRunExcludeKey)["Guarded"], kMachineExcludeOwner);
    EXPECT_EQ(Values(kHKeyLocalMachine, kRunKey), (ValueMap{{"Guarded", "guarded.exe -keep"}}));
    EXPECT_TRUE(Store(kRunItemsKey).empty());
    EXPECT_TRUE(SortEntries(kRunSortKey).empty());
    EXPECT_EQ(Store(kRunNewItemsKey), (ValueMap{{"Guarded", "guarded.exe -keep"}}));
    EXPECT_EQ(ProgramValue(kNewRunItemsValue), "NewRunItems");
    Restart();
  }
}

// With the user's name unknown, the user's values keep their plain names, which a value of the
// machine's Run key may share: the first one is stored, the other (another program) stays in
// its Run key, through later logons and when the stored one is disabled.
TEST_F(TakeOverSimTest, WithTheUserUnknownSameNamedValuesOfBothRootsAreBothKept) {
  Sim().SetUserName("", kErrorNoNetwork);
  Run(kHKeyCurrentUser, "Tray", "user-tray.exe");
  Run(kHKeyLocalMachine, "Tray", "machine-tray.exe");
  ItemCensus census = TakeItemCensus();
  Pass();
  Pass();
  EXPECT_EQ(Store(kRunItemsKey), (ValueMap{{"Tray", "user-tray.exe"}}));
  EXPECT_EQ(Values(kHKeyLocalMachine, kRunKey), (ValueMap{{"Tray", "machine-tray.exe"}}));
  SharedItemManager().DisableRunItem("Tray", "");
  Pass();
  EXPECT_EQ(Store(kRunDisabledKey), (ValueMap{{"Tray", "user-tray.exe"}}));
  EXPECT_EQ(Values(kHKeyLocalMachine, kRunKey), (ValueMap{{"Tray", "machine-tray.exe"}}));
  EXPECT_TRUE(NothingLost(census));
  // The stored program writing itself back is still removed again.
  Run(kHKeyCurrentUser, "Tray", "user-tray.exe");
  Pass();
  EXPECT_TRUE(Values(kHKeyCurrentUser, kRunKey).empty());
}

// A shortcut that another program holds open cannot be copied into the store: it stays in its
// folder, untouched and unrecorded, whether it was new or had been disabled; the next logon
// tries again.
TEST_F(TakeOverSimTest, ShortcutThatCannotBeCopiedStaysWhereItIs) {
  SharedOptions().SetChecked(kAutoDisableOption, true);
  Link(userFolder, "Locked.lnk", "C:\\Apps\\locked.exe");
  Link(commonFolder, "Held.lnk", "C:\\Apps\\held.exe");
  SetRawString(kHKeyLocalMachine, kStartupDisableKey, "Held.lnk", store + "Held.lnk");
  Sim().LockFile(userFolder + "Locked.lnk");
  Sim().LockFile(commonFolder + "Held.lnk");
  Pass();

  EXPECT_EQ(FolderNames(userFolder), std::vector<std::string>{"Locked.lnk"});
  EXPECT_EQ(FolderNames(commonFolder), std::vector<std::string>{"Held.lnk"});
  EXPECT_TRUE(FolderNames(store).empty());
  EXPECT_EQ(GetStartupItemState("Locked.lnk"), ItemState::kNew);
  EXPECT_EQ(Store(kStartupDisableKey), (ValueMap{{"Held.lnk", store + "Held.lnk"}}));
  EXPECT_TRUE(SortEntries(kStartupSortKey).empty());
  EXPECT_TRUE(Store(kStartupNewKey).empty());
  EXPECT_EQ(ProgramValue(kNewStartupItemsValue), "<missing>");
}

// The records are written as the pass goes: when an item fails half-way through, the items
// taken before it are recorded as new, and so is the failing one when it already reached the
// store. The records of an earlier pass whose flag was consumed are gone all the same.
TEST_F(TakeOverSimTest, ItemsTakenBeforeAFailureAreRecordedAsNew) {
  struct Case {
    const char* title;
    std::function<void()> stage;
    bool startupPass;
    ValueMap recorded;
  };
  const Case cases[] = {
      {"a later run item cannot be disabled again",
       [this] {
         Run(kHKeyCurrentUser, "First", "first.exe");
         Run(kHKeyLocalMachine, "Later", "later.exe");
         SetRawString(kHKeyLocalMachine, kRunItemsKey, "Later", "later.exe");
         SetRawString(kHKeyLocalMachine, kRunDisabledKey, "Later", "later.exe");
         Sim().DenyKeyWrites(kHKeyLocalMachine, SeamPath(kRunDisabledKey));
       },
       false,
       {{user + "_First", "first.exe"}}},
      {"the run item's origin cannot be written",
       [this] {
         Run(kHKeyLocalMachine, "First", "first.exe");
         Sim().DenyKeyWrites(kHKeyLocalMachine, SeamPath(kRunLocationKey));
       },
       false,
       {{"First", "first.exe"}}},
      {"a later shortcut cannot be disabled again",
       [this] {
         Link(userFolder, "First.lnk", "C:\\first.exe");
         Link(commonFolder, "Later.lnk", "C:\\later.exe");
         SetRawString(kHKeyLocalMachine, kStartupDisableKey, "Later.lnk", store + "Later.lnk");
         Sim().DenyKeyWrites(kHKeyLocalMachine, SeamPath(kStartupDisableKey));
       },
       true,
       {{"First.lnk", store + "First.lnk"}}},
      // It goes back to its folder, still new, for the next logon: in the store it would be
      // in no list (and joining the start order would have it started).
      {"the new shortcut cannot be disabled",
       [this] {
         SharedOptions().SetChecked(kAutoDisableOption, true);
         Link(userFolder, "First.lnk", "C:\\first.exe");
         Sim().DenyKeyWrites(kHKeyLocalMachine, SeamPath(kStartupDisableKey));
       },
       true,
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    const char* recordsKey = c.startupPass ? kStartupNewKey : kRunNewItemsKey;
    SetRawString(kHKeyLocalMachine, recordsKey, "Old", "old.exe");
    c.stage();
    StartupMover mover;
    EXPECT_THROW(c.startupPass ? mover.DetectNewStartupItems() : mover.DetectNewRunItems(), Error);
    EXPECT_EQ(Store(recordsKey), c.recorded);
    EXPECT_EQ(ProgramValue(c.startupPass ? kNewStartupItemsValue : kNewRunItemsValue),
              c.recorded.empty() ? "<missing>"
              : c.startupPass    ? "NewStartupItems"
                                 : "NewRunItems");
    if (c.recorded.empty()) {
      EXPECT_TRUE(FileThere(userFolder + "First.lnk"));
    }
    Restart();
  }
}

// The listing on the virtual clock: 2200 ms shown before the passes, and on an error its text
// for 4000 ms more, the answer telling the caller to end the program.
TEST_F(TakeOverSimTest, ListingPausesAndReportsErrors) {
  struct Case {
    const char* title;
    std::function<void()> stage;
    std::string error;  // the start of the last text shown; empty: no error
    std::size_t sleeps;
  };
  const Case cases[] = {
      {"the take-over works", [] {}, "", 22},
      {"the program key cannot be written",
       [] { Sim().DenyKeyWrites(kHKeyLocalMachine, SeamPath(kProgramKey)); },
       "ERROR: Unable to open : \\SOFTWARE\\Tallowmere\\Launchward\\", 62},
      {"the shortcut store cannot be created",
       [] { Sim().DenyFolderWrites("C:\\Program Files\\Launchward"); },
       "ERROR: Unable to create the folder C:\\Program Files\\Launchward\\Startup : ", 62},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    Run(kHKeyLocalMachine, "Agent", "agent.exe");
    Link(userFolder, "Notes.lnk", "C:\\notes.exe");
    c.stage();
    StartupMover mover;
    std::vector<std::string> shown;
    std::size_t before = Sim().Sleeps().size();
    bool done = RunNewItemListing(mover, [&](const std::string& text) { shown.push_back(text); });
    std::vector<std::uint32_t> sleeps = Sim().Sleeps();
    sleeps.erase(sleeps.begin(), sleeps.begin() + static_cast<std::ptrdiff_t>(before));

    EXPECT_EQ(done, c.error.empty());
    EXPECT_EQ(sleeps, std::vector<std::uint32_t>(c.sleeps, 100));
    ASSERT_EQ(shown.size(), c.error.empty() ? 2u : 3u);
    EXPECT_EQ(shown[1], "Items Found.\r\nRunkey: Agent\r\nStartup: Notes.lnk\r\n");
    if (!c.error.empty()) {
      EXPECT_EQ(shown[2].substr(0, c.error.size()), c.error) << shown[2];
      // Nothing was lost on the way.
      EXPECT_EQ(Values(kHKeyLocalMachine, kRunKey)["Agent"] + Store(kRunItemsKey)["Agent"],
                "agent.exe");
      EXPECT_TRUE(FileThere(userFolder + "Notes.lnk") != FileThere(store + "Notes.lnk"));
    }
    Restart();
  }
}

}  // namespace
}  // namespace lw::test
