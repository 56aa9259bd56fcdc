// The edit window's logic on the store: what its four lists show, how their order is written
// back, what its buttons and pop-up offer, and what each command does to the items (and, when
// its question is answered No, that it does nothing).

#include <gtest/gtest.h>

#include "runner/LastLogonRecord.h"
#include "support/EditWindowFixture.h"
#include "support/RestoreFixture.h"

namespace lw::test {
namespace {

using Strings = std::vector<std::string>;
using Id = EditListId;

class EditWindowTest : public EditWindowFixture {
 protected:
  // Every kind of row: managed, a user's, disabled, excluded (the machine's and a user's),
  // excluded but gone, and shortcuts managed, disabled and excluded.
  void StageEveryKind() {
    Files().CreateDirectory(ScratchFolder());
    tool = ScratchFolder() + "tool.exe";
    Files().WriteFile(tool, "MZ");
    Run(kHKeyLocalMachine, "Tray", "\"" + tool + "\" /background");
    Run(kHKeyLocalMachine, "Off", "C:\\off.exe");
    Run(kHKeyLocalMachine, "Guard", "C:\\guard.exe");
    Run(kHKeyCurrentUser, "Chat", "C:\\chat.exe");
    SetRawExpandString(kHKeyCurrentUser, kRunKey, "Mine", "%SystemRoot%\\mine.exe");
    Link(userFolder, "Notes.lnk", "C:\\Apps\\notes.exe");
    Link(commonFolder, "Shared.lnk", "C:\\Apps\\shared.exe");
    Link(commonFolder, "Quiet.lnk", "C:\\Apps\\quiet.exe");
    Link(commonFolder, "Away.lnk", "C:\\Apps\\away.exe");
    Pass();
    ItemManager& items = SharedItemManager();
    items.DisableRunItem("Off", "");
    items.ExcludeRunItem("Guard");
    items.ExcludeRunItem(Stored(kHKeyCurrentUser, "Mine"));
    SetRawString(kHKeyLocalMachine, kRunExcludeKey, "Gone", kExcludeMark);
    SetRawString(kHKeyLocalMachine, kRunExcludeKey, "launchward", kExcludeMark);
    items.DisableStartupItem(store + "Quiet.lnk");
    items.ExcludeStartupItem(store + "Away.lnk");
    SetCustomDelay("Tray", 250);
    SetCustomDelay(store + "Notes.lnk", 0);
    // Of everything the pass found new, only Tray and Notes still are.
    DeleteKeyTree(kHKeyLocalMachine, SeamPath(kRunNewItemsKey));
    DeleteKeyTree(kHKeyLocalMachine, SeamPath(kStartupNewKey));
    SetRawString(kHKeyLocalMachine, kRunNewItemsKey, "Tray", "");
    SetRawString(kHKeyLocalMachine, kStartupNewKey, "Notes.lnk", "");
    Registry reg;
    SaveLastLogonFigures(reg, "Tray", {1500, 10, 80});
  }

  std::string tool;
};

TEST_F(EditWindowTest, TheListsShowEveryKindOfItemFromWhereItIs) {
  StageEveryKind();
  // An excluded shortcut the user moved to another Startup folder is found there.
  ASSERT_TRUE(Files().CopyFile(commonFolder + "Away.lnk", userFolder + "Away.lnk", true));
  ASSERT_TRUE(Files().DeleteFile(commonFolder + "Away.lnk"));
  Open();
  EXPECT_EQ(view.events, (Strings{"columns", "page 0", "rows 0", "rows 1", "rows 2", "rows 3"}));
  EXPECT_TRUE(dialogs.Messages().empty());

  const std::string chat = Stored(kHKeyCurrentUser, "Chat");
  EXPECT_EQ(Sorted(Captions(Id::kRunSort)), Sorted({"Tray", chat}));
  const EditRow& tray = Row(Id::kRunSort, "Tray");
  EXPECT_EQ(tray.subItems,
            (Strings{"\"" + tool + "\" /background", kYes, "250", "", "1.5 s, 10% -> 80%"}));
  EXPECT_EQ(tray.icon, RowIcon::kFile);
  EXPECT_TRUE(SameText(tray.iconFile, tool)) << tray.iconFile;
  EXPECT_EQ(Row(Id::kRunSort, chat).subItems,
            (Strings{"C:\\chat.exe", "", kDefaultPauseText, user, ""}));
  EXPECT_EQ(Row(Id::kRunSort, chat).icon, RowIcon::kProgram);

  // The user's excluded item is read from the user's Run key, with its own text.
  EXPECT_EQ(Captions(Id::kRunDisabled).back(), "Off");
  EXPECT_EQ(Sorted(Captions(Id::kRunDisabled)), Sorted({"Gone", "Guard", "Mine", "Off"}));
  EXPECT_EQ(Row(Id::kRunDisabled, "Guard").subItems,
            (Strings{"C:\\guard.exe", kExcludedStatusText, ""}));
  EXPECT_EQ(Row(Id::kRunDisabled, "Mine").subItems,
            (Strings{"%SystemRoot%\\mine.exe", kExcludedStatusText, ""}));
  EXPECT_EQ(Row(Id::kRunDisabled, "Gone").subItems, (Strings{kGoneMarker, kExcludedStatusText}));
  EXPECT_EQ(Row(Id::kRunDisabled, "Off").subItems,
            (Strings{"C:\\off.exe", kDisabledStatusText, ""}));
  EXPECT_TRUE(Row(Id::kRunDisabled, "Off").grey);
  EXPECT_FALSE(Row(Id::kRunDisabled, "Guard").grey);

  EXPECT_EQ(Sorted(Captions(Id::kStartup)), Sorted({store + "Notes.lnk", store + "Shared.lnk"}));
  EXPECT_EQ(Row(Id::kStartup, store + "Notes.lnk").subItems,
            (Strings{kYes, kDefaultPauseText, ""}));
  EXPECT_EQ(Row(Id::kStartup, store + "Notes.lnk").icon, RowIcon::kShortcut);
  EXPECT_EQ(Captions(Id::kStartupDisabled),
            (Strings{userFolder + "Away.lnk", store + "Quiet.lnk"}));
  EXPECT_EQ(Row(Id::kStartupDisabled, userFolder + "Away.lnk").subItems,
            (Strings{kExcludedStatusText, ""}));
  EXPECT_FALSE(Row(Id::kStartupDisabled, userFolder + "Away.lnk").grey);
  EXPECT_TRUE(Row(Id::kStartupDisabled, store + "Quiet.lnk").grey);
}

TEST_F(EditWindowTest, AnEmptyRunOrderBringsTheFirstInstallMessageAtEveryFill) {
  window->PrepareLists();
  window->RefreshLists();
  EXPECT_EQ(dialogs.Messages(), (Strings{kMsgFirstInstall, kMsgFirstInstall}));
  // The columns: the ordered lists end with the last logon's.
  EXPECT_STREQ(EditColumns(Id::kRunSort).back().caption, kLastLogonColumn);
  EXPECT_STREQ(EditColumns(Id::kStartup).back().caption, kLastLogonColumn);
}

TEST_F(EditWindowTest, TheGeometryIsKeptAndMissingValuesLeaveTheDesign) {
  EditGeometry geometry{559, 482, 232, 232};
  SetRawDword(kHKeyLocalMachine, kProgramKey, kFormSplit2Value, 0xFFFFFFFF);  // -1: not stored
  window->LoadGeometry(geometry);
  EXPECT_EQ(geometry.width, 559);
  EXPECT_EQ(geometry.split2, 232);
  window->SaveGeometry({800, 600, 300, 150});
  EditWindow again(view, *runner);
  again.LoadGeometry(geometry);
  EXPECT_EQ(geometry.width, 800);
  EXPECT_EQ(geometry.height, 600);
  EXPECT_EQ(geometry.split1, 300);
  EXPECT_EQ(geometry.split2, 150);
}

TEST_F(EditWindowTest, MovesAreSavedAgainstTheStoreAsItIsNow) {
  for (const char* name : {"A", "B", "C"})
    Run(kHKeyLocalMachine, name, std::string("C:\\") + name + ".exe");
  SetRawExpandString(kHKeyLocalMachine, kRunKey, "Expanding", "%SystemRoot%\\e.exe");
  Link(commonFolder, "X.lnk", "C:\\x.exe");
  Link(commonFolder, "Y.lnk", "C:\\y.exe");
  Pass();
  SharedItemManager().DisableRunItem("Expanding", "");
  // An entry whose item has no command: no row, and gone from the order once it is saved.
  SharedItemManager().AppendSortEntry(kRunSortName, "Ghost");
  Open();
  EXPECT_EQ(Captions(Id::kRunSort), (Strings{"A", "B", "C"}));
  Select(Id::kRunSort, {"C"});
  window->OnMoveTop(Id::kRunSort);
  EXPECT_EQ(SortEntries(kRunSortKey), (Strings{"C", "A", "B"}));
  Select(Id::kStartup, {store + "Y.lnk"});
  window->OnMoveUp(Id::kStartup);
  EXPECT_EQ(SortEntries(kStartupSortKey), (Strings{store + "Y.lnk", store + "X.lnk"}));

  // Behind the window's back, A is disabled and D comes in: a move neither starts A again nor
  // drops D.
  SharedItemManager().DisableRunItem("A", "");
  Run(kHKeyLocalMachine, "D", "C:\\D.exe");
  Pass();
  Select(Id::kRunSort, {"B"});
  window->OnMoveUp(Id::kRunSort);
  EXPECT_EQ(SortEntries(kRunSortKey), (Strings{"C", "B", "D"}));
  EXPECT_EQ(Captions(Id::kRunSort), (Strings{"C", "B", "A"}));  // until the next fill
  EXPECT_FALSE(window->OnClose());
  // The disabled items are left as stored, types and all.
  EXPECT_EQ(RawType(kHKeyLocalMachine, kRunDisabledKey, "Expanding"), kRegExpandSz);
  EXPECT_TRUE(dialogs.Messages().empty());
}

TEST_F(EditWindowTest, ButtonsAndPopUpFollowTheSelection) {
  StageEveryKind();
  Open();
  const EditControls& c = window->Controls();
  const EditMenu& m = window->Menu();
  // Nothing selected: right-click on the run order offers New Item only; elsewhere no pop-up.
  window->OnMouseDown(Id::kRunSort, true);
  EXPECT_EQ(view.events.back(), "popup");
  EXPECT_TRUE(m.newItem);
  EXPECT_FALSE(m.run || m.priority || m.disable || m.exclude || m.enable || m.remove ||
               m.findTarget || m.properties || m.search);
  view.events.clear();
  window->OnMouseDown(Id::kStartup, true);
  window->OnMouseDown(Id::kStartupDisabled, true);
  EXPECT_TRUE(view.events.empty());

  // One row: its pause (the Options dialog's default for "Default"), priority check mark.
  SetPriority("Tray", kIdlePriorityClass);
  Select(Id::kRunSort, {"Tray"});
  EXPECT_TRUE(c.runProperties && c.runSetPause && c.runDisable && c.runExclude);
  EXPECT_EQ(c.pauseText, "250");
  EXPECT_TRUE(m.run && m.priority && m.disable && m.exclude && m.newItem && m.search);
  EXPECT_FALSE(m.enable || m.remove);
  EXPECT_EQ(m.checkedPriority, static_cast<std::int32_t>(kIdlePriorityClass));
  EXPECT_TRUE(m.midPriorities);
  EXPECT_EQ(window->ActiveList(), static_cast<int>(Id::kRunSort));
  Select(Id::kRunSort, {"Tray", Stored(kHKeyCurrentUser, "Chat")});
  EXPECT_FALSE(c.runProperties || c.runSetPause || m.run || m.search);
  EXPECT_TRUE(c.runDisable && c.runExclude);
  EXPECT_EQ(c.pauseText, "250");  // kept while not one row is selected
  Select(Id::kRunSort, {Stored(kHKeyCurrentUser, "Chat")});
  EXPECT_EQ(c.pauseText, view.defaultRunkeyPause);

  Select(Id::kStartup, {store + "Notes.lnk"});
  EXPECT_TRUE(c.startupProperties && c.startupMove && c.startupSetPause);
  EXPECT_EQ(c.startupPauseText, view.defaultStartupPause);
  EXPECT_FALSE(m.priority || m.newItem);

  // Lower lists: Include for excluded rows, Enable and Delete for disabled ones.
  Select(Id::kRunDisabled, {"Guard"});
  EXPECT_TRUE(c.runEnable && c.runOtherProperties);
  EXPECT_FALSE(c.runDelete);
  EXPECT_EQ(c.runEnableCaption, "Include");
  EXPECT_TRUE(m.enable && m.findTarget && !m.remove && !m.disable && !m.run);
  Select(Id::kRunDisabled, {"Off"});
  EXPECT_TRUE(c.runEnable && c.runDelete && m.remove);
  EXPECT_EQ(c.runEnableCaption, "Enable");
  Select(Id::kStartupDisabled, {commonFolder + "Away.lnk", store + "Quiet.lnk"});
  EXPECT_TRUE(c.startupEnable && c.startupDelete);
  EXPECT_FALSE(c.startupOtherProperties);
  // The buttons of a list follow the selection the fill after a command leaves.
  window->RefreshLists();
  EXPECT_TRUE(c.startupEnable);
  Select(Id::kStartupDisabled, {});
  EXPECT_FALSE(c.startupEnable || c.startupDelete || c.startupOtherProperties);
}

}  // namespace
}  // namespace lw::test
