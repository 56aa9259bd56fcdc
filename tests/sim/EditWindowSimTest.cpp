// The edit window where only the simulation can stage the machine or see the result: programs
// started and folders opened, and another user's excluded item, which lives in that user's hive.

#include <gtest/gtest.h>

#include "store/StoreLock.h"
#include "support/AliceAccount.h"
#include "support/EditWindowFixture.h"
#include "util/UserStarts.h"

namespace lw::test {
namespace {

using Strings = std::vector<std::string>;
using Id = EditListId;

constexpr char kMount[] = "EditCheck";

class EditWindowSimTest : public EditWindowFixture {
 protected:
  static Strings Images() {
    Strings images;
    for (const auto& start : Sim().ProcessStarts()) images.push_back(start.image);
    return images;
  }

  static ValueMap AliceRun() {
    ValueMap values;
    InHive(kAliceHive, kMount,
           [&](const std::string& runKey) { values = Values(kHKeyUsers, runKey); });
    return values;
  }
};

TEST_F(EditWindowSimTest, ItemsStartAndFoldersOpenThroughTheRunner) {
  Sim().AddFolder("C:\\Tools");
  Files().WriteFile("C:\\Tools\\tool.exe", "MZ");
  Files().WriteFile("C:\\Tools\\notes.exe", "MZ");
  Run(kHKeyLocalMachine, "Tool", "C:\\Tools\\tool.exe /min");
  Link(userFolder, "Notes.lnk", "C:\\Tools\\notes.exe");
  Pass();
  SetPriority("Tool", kHighPriorityClass);
  Open();

  Select(Id::kRunSort, {"Tool"});
  window->OnRunChosen();
  window->OnRunPropertiesClicked(true);  // Shift held: started, not shown
  window->OnFindTargetChosen();
  window->OnRunPropertiesClicked(false);
  Select(Id::kStartup, {store + "Notes.lnk"});
  window->OnRunChosen();
  window->OnStartupPropertiesClicked(true);
  window->OnFindTargetChosen();
  EXPECT_EQ(Images(), (Strings{"C:\\Tools\\tool.exe", "C:\\Tools\\tool.exe", "C:\\Tools",
                               "C:\\Tools\\notes.exe", "C:\\Tools\\notes.exe",
                               store.substr(0, store.size() - 1)}));
  EXPECT_EQ(Sim().ProcessStarts()[0].priorityClass, kHighPriorityClass);
  EXPECT_EQ(view.properties, (Strings{"C:\\Tools\\tool.exe"}));
  EXPECT_TRUE(dialogs.Messages().empty());
}

// Another session's rewrite of the order, half-done when the lists are read (its count not yet
// written): the window waits for the store's lock and shows the finished order, without an error.
TEST_F(EditWindowSimTest, TheListsAreReadOnceAnotherSessionsChangeOfTheOrderIsDone) {
  Files().WriteFile("C:\\alpha.exe", "MZ");
  Files().WriteFile("C:\\bravo.exe", "MZ");
  Run(kHKeyLocalMachine, "Alpha", "C:\\alpha.exe");
  Run(kHKeyLocalMachine, "Bravo", "C:\\bravo.exe");
  Pass();
  Open();
  ASSERT_EQ(Captions(Id::kRunSort), (Strings{"Alpha", "Bravo"}));
  const std::uint32_t count = RawDword(kHKeyLocalMachine, kRunSortKey, kSortIndexValue, 0);
  Sim().HoldMutex(kStoreLockName);
  RemoveRawValue(kHKeyLocalMachine, kRunSortKey, kSortIndexValue);
  Sim().At(Sim().Now() + 1000, [count] {
    SetRawDword(kHKeyLocalMachine, kRunSortKey, kSortIndexValue, count);
    Sim().HoldMutex(kStoreLockName, false);
  });
  window->RefreshLists();
  EXPECT_EQ(Captions(Id::kRunSort), (Strings{"Alpha", "Bravo"}));
  EXPECT_EQ(dialogs.Messages(), Strings{});
}

// The edit window of a copy with administrator rights (started through the elevation prompt)
// starts nothing with them: the desktop's Explorer, with the user's standard rights, does; and
// where no desktop can take a start, nothing starts at all.
TEST_F(EditWindowSimTest, InACopyWithAdministratorRightsEveryStartHasTheUsersStandardRights) {
  Sim().AddFolder("C:\\Tools");
  Files().WriteFile("C:\\Tools\\tool.exe", "MZ");
  Files().WriteFile("C:\\Tools\\notes.exe", "MZ");
  Run(kHKeyLocalMachine, "Tool", "C:\\Tools\\tool.exe /min");
  Link(userFolder, "Notes.lnk", "C:\\Tools\\notes.exe");
  Pass();
  Open();
  ASSERT_FALSE(Sim().StandardRights());
  const auto startEverything = [this] {
    Select(Id::kRunSort, {"Tool"});
    window->OnRunChosen();
    window->OnRunPropertiesClicked(true);
    window->OnFindTargetChosen();
    Select(Id::kStartup, {store + "Notes.lnk"});
    window->OnRunChosen();
    window->OnStartupPropertiesClicked(true);
    window->OnFindTargetChosen();
  };
  {
    StartsThroughDesktop elevatedCopy;
    startEverything();
  }
  ASSERT_EQ(Images(), (Strings{"C:\\Tools\\tool.exe", "C:\\Tools\\tool.exe", "C:\\Tools",
                               "C:\\Tools\\notes.exe", "C:\\Tools\\notes.exe",
                               store.substr(0, store.size() - 1)}));
  for (const SimPlatform::ProcessStart& start : Sim().ProcessStarts()) {
    EXPECT_TRUE(start.standardRights) << start.image;
  }
  EXPECT_FALSE(Sim().StandardRights());

  Sim().SetDesktopShell(false);
  {
    StartsThroughDesktop elevatedCopy;
    startEverything();
  }
  EXPECT_EQ(Sim().ProcessStarts().size(), 6u);
}

TEST_F(EditWindowSimTest, AnotherUsersExcludedItemIsReadFromAndIncludedFromTheirHive) {
  StageAlice();
  Run(kHKeyLocalMachine, "Keep", "C:\\keep.exe");
  Pass();
  // Alice's item, taken over at her logon and excluded since: back in her own Run key.
  SetRawExpandString(kHKeyLocalMachine, kRunItemsKey, "alice_Chat", "%ProgramFiles%\\chat.exe");
  SharedItemManager().AppendSortEntry(kRunSortName, "alice_Chat");
  SetRunLocation("alice_Chat", "alice");
  SetRunLocationHKey("alice_Chat", kHKeyCurrentUser);
  SharedItemManager().ExcludeRunItem("alice_Chat");
  ASSERT_EQ(AliceRun()["Chat"], "%ProgramFiles%\\chat.exe");

  Open();
  EXPECT_EQ(Row(Id::kRunDisabled, "Chat").SubItem(0), "%ProgramFiles%\\chat.exe");
  Select(Id::kRunDisabled, {"Chat"});
  window->OnRunEnableClicked();
  EXPECT_EQ(SortEntries(kRunSortKey), (Strings{"Keep", "alice_Chat"}));
  EXPECT_EQ(RawType(kHKeyLocalMachine, kRunItemsKey, "alice_Chat"), kRegExpandSz);
  EXPECT_EQ(AliceRun(), (ValueMap{{"Theirs", "C:\\theirs.exe"}}));
  EXPECT_EQ(GetRunLocation("alice_Chat"), "alice");
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunKey, "Chat"));
  EXPECT_FALSE(RawValueExists(kHKeyCurrentUser, kRunKey, "Chat"));
  EXPECT_TRUE(dialogs.Messages().empty());
}

TEST_F(EditWindowSimTest, ClosingSavesTheOrderAndEndsTheProgramOnlyWhenOpenedFromTheTray) {
  Run(kHKeyLocalMachine, "A", "C:\\a.exe");
  Run(kHKeyLocalMachine, "B", "C:\\b.exe");
  Pass();
  Open();
  EXPECT_FALSE(window->OnClose());
  window->SetOpenedFromTray(true);
  Select(Id::kRunSort, {"B"});
  window->OnMoveUp(Id::kRunSort);
  EXPECT_TRUE(window->OnClose());
  EXPECT_EQ(SortEntries(kRunSortKey), (Strings{"B", "A"}));
  // A key that refuses the order: the move and the close say so, the stored order stays whole,
  // and the window still closes.
  Sim().DenyKeyWrites(kHKeyLocalMachine, std::string(kRunSortKey).substr(1));
  Select(Id::kRunSort, {"A"});
  window->OnMoveTop(Id::kRunSort);
  EXPECT_TRUE(window->OnClose());
  EXPECT_EQ(SortEntries(kRunSortKey), (Strings{"B", "A"}));
  EXPECT_EQ(dialogs.Messages().size(), 2u);
}

}  // namespace
}  // namespace lw::test
