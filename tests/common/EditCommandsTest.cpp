// The edit window's item commands on the store: each one's main path, and nothing changed when
// its question is answered No.

#include <gtest/gtest.h>

#include "support/EditWindowFixture.h"
#include "support/RestoreFixture.h"
#include "support/ScriptNames.h"

namespace lw::test {
namespace {

using Strings = std::vector<std::string>;
using Id = EditListId;

// Everything of the store and the Run keys that a command may change.
std::string StoreDump() {
  return DumpTree(kHKeyLocalMachine, SeamPath(kProgramKey)) +
         DumpTree(kHKeyLocalMachine, SeamPath(kRunKey)) +
         DumpTree(kHKeyCurrentUser, SeamPath(kRunKey));
}

class EditCommandsTest : public EditWindowFixture {
 protected:
  void SetUp() override {
    EditWindowFixture::SetUp();
    Run(kHKeyLocalMachine, "Tray", "C:\\tray.exe /background");
    SetRawExpandString(kHKeyCurrentUser, kRunKey, "Mine", "%SystemRoot%\\mine.exe");
    Link(userFolder, "Notes.lnk", "C:\\Apps\\notes.exe");
    Link(commonFolder, "Shared.lnk", "C:\\Apps\\shared.exe");
    Pass();
    mine = Stored(kHKeyCurrentUser, "Mine");
    Open();
  }

  // An existing program of the test's own.
  static std::string Program(const std::string& name) {
    Files().CreateDirectory(ScratchFolder());
    Files().WriteFile(ScratchFolder() + name, "MZ");
    return ScratchFolder() + name;
  }

  std::string mine;
};

TEST_F(EditCommandsTest, QuestionsAnsweredNoChangeNothing) {
  SharedItemManager().DisableRunItem("Tray", "");
  SharedItemManager().DisableStartupItem(store + "Shared.lnk");
  window->RefreshLists();
  const Strings files = FolderNames(store);
  struct Step {
    Id list;
    std::string caption;
    void (EditWindow::*command)();
    const char* question;
  } steps[] = {
      {Id::kRunSort, mine, &EditWindow::OnDisableRunClicked, kMsgConfirmDisable},
      {Id::kRunSort, mine, &EditWindow::OnExcludeRunClicked, kMsgConfirmExclude},
      {Id::kStartup, store + "Notes.lnk", &EditWindow::OnDisableStartupClicked, kMsgConfirmDisable},
      {Id::kStartup, store + "Notes.lnk", &EditWindow::OnExcludeStartupClicked, kMsgConfirmExclude},
      {Id::kStartup, store + "Notes.lnk", &EditWindow::OnMoveShortcutClicked, kMsgConfirmMove},
      {Id::kRunDisabled, "Tray", &EditWindow::OnRunDeleteClicked, kMsgConfirmDelete},
      {Id::kStartupDisabled, store + "Shared.lnk", &EditWindow::OnStartupDeleteClicked,
       kMsgConfirmDelete},
  };
  for (const Step& step : steps) {
    dialogs.Clear();
    Select(step.list, {step.caption});
    const std::string before = StoreDump();
    dialogs.Answer(false);
    (window.get()->*step.command)();
    ASSERT_EQ(dialogs.Questions().size(), 1u) << step.question;
    EXPECT_EQ(dialogs.Questions()[0].text, step.question);
    EXPECT_TRUE(StoreDump() == before) << step.question;
    EXPECT_EQ(FolderNames(store), files) << step.question;
  }
}

TEST_F(EditCommandsTest, AUsersItemIsExcludedIntoItsOwnRunKeyAndIncludedBackAsTheirs) {
  Select(Id::kRunSort, {mine});
  dialogs.Answer(true);
  window->OnExcludeRunClicked();
  EXPECT_EQ(RawString(kHKeyCurrentUser, kRunKey, "Mine"), "%SystemRoot%\\mine.exe");
  EXPECT_EQ(RawType(kHKeyCurrentUser, kRunKey, "Mine"), kRegExpandSz);
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunKey, "Mine"));
  EXPECT_EQ(Captions(Id::kRunSort), (Strings{"Tray"}));
  EXPECT_EQ(Row(Id::kRunDisabled, "Mine").SubItem(0), "%SystemRoot%\\mine.exe");

  Select(Id::kRunDisabled, {"Mine"});
  window->OnRunEnableClicked();
  EXPECT_EQ(SortEntries(kRunSortKey), (Strings{"Tray", mine}));
  EXPECT_EQ(RawType(kHKeyLocalMachine, kRunItemsKey, mine), kRegExpandSz);
  EXPECT_FALSE(RawValueExists(kHKeyCurrentUser, kRunKey, "Mine"));
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunExcludeKey, "Mine"));
  const RunOrigin origin = RunItemOrigin(mine);
  EXPECT_EQ(origin.root, kHKeyCurrentUser);
  EXPECT_EQ(origin.valueName, "Mine");
  EXPECT_TRUE(window->List(Id::kRunDisabled).empty());
  EXPECT_TRUE(dialogs.Messages().empty());
}

TEST_F(EditCommandsTest, DisabledItemsAreEnabledAndDeletedWithTheirTypes) {
  Select(Id::kRunSort, {"Tray", mine});
  dialogs.Answer(true);
  window->OnDisableRunClicked();
  EXPECT_TRUE(SortEntries(kRunSortKey).empty());
  EXPECT_EQ(RawType(kHKeyLocalMachine, kRunDisabledKey, mine), kRegExpandSz);
  EXPECT_EQ(window->List(Id::kRunDisabled).size(), 2u);
  EXPECT_EQ(dialogs.Messages(), (Strings{kMsgFirstInstall}));  // the run order is empty now

  Select(Id::kRunDisabled, {mine});
  window->OnRunEnableClicked();
  EXPECT_EQ(SortEntries(kRunSortKey), (Strings{mine}));
  EXPECT_EQ(RawType(kHKeyLocalMachine, kRunItemsKey, mine), kRegExpandSz);

  Select(Id::kRunDisabled, {"Tray"});
  dialogs.Answer(true);
  window->OnDeleteChosen();  // the pop-up's Delete on page 0
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunDisabledKey, "Tray"));
  EXPECT_TRUE(window->List(Id::kRunDisabled).empty());
}

TEST_F(EditCommandsTest, SeveralShortcutsAreDisabledExcludedAndEnabledAtOnce) {
  const std::string notes = store + "Notes.lnk", shared = store + "Shared.lnk";
  Select(Id::kStartup, {notes, shared});
  dialogs.Answer(true);
  window->OnDisableStartupClicked();
  EXPECT_EQ(Sorted(Captions(Id::kStartupDisabled)), Sorted({notes, shared}));
  EXPECT_TRUE(window->List(Id::kStartup).empty());

  // Enable acts on every selected row, not only the first.
  Select(Id::kStartupDisabled, {notes, shared});
  window->OnStartupEnableClicked();
  EXPECT_EQ(Sorted(Captions(Id::kStartup)), Sorted({notes, shared}));
  EXPECT_TRUE(window->List(Id::kStartupDisabled).empty());

  Select(Id::kStartup, {notes, shared});
  dialogs.Answer(true);
  window->OnExcludeStartupClicked();
  // Each goes back to the folder it came from: the user's own shortcut stays the user's.
  EXPECT_EQ(FolderNames(commonFolder), (Strings{"Shared.lnk"}));
  EXPECT_EQ(FolderNames(userFolder), (Strings{"Notes.lnk"}));
  Select(Id::kStartupDisabled, {userFolder + "Notes.lnk", commonFolder + "Shared.lnk"});
  EXPECT_EQ(window->Controls().startupEnableCaption, "Include");
  window->OnStartupEnableClicked();
  EXPECT_EQ(Sorted(Captions(Id::kStartup)), Sorted({notes, shared}));
  EXPECT_TRUE(FolderNames(commonFolder).empty());
  EXPECT_TRUE(FolderNames(userFolder).empty());
  EXPECT_EQ(dialogs.Messages(), Strings{});
}

// Items named in four scripts are listed under their names, and each command moves them whole:
// disabled and enabled, excluded into the Run key or folder they came from and included back.
TEST_F(EditCommandsTest, NamesInAnyScriptAreListedAndMovedWhole) {
  Run(kHKeyLocalMachine, kCafe, "C:\\" + kCafe + ".exe");
  Run(kHKeyCurrentUser, kPrivet, "C:\\" + kPrivet + ".exe");
  Run(kHKeyLocalMachine, kChinese, "C:\\" + kChinese + ".exe");
  Link(userFolder, kRocket + ".lnk", "C:\\" + kRocket + ".exe");
  Link(commonFolder, kChinese + ".lnk", "C:\\" + kChinese + ".exe");
  Pass();
  Open();
  const std::string privet = Stored(kHKeyCurrentUser, kPrivet);
  const std::string rocket = store + kRocket + ".lnk", chinese = store + kChinese + ".lnk";
  EXPECT_EQ(Sorted(Captions(Id::kRunSort)), Sorted({"Tray", mine, kCafe, privet, kChinese}));
  EXPECT_EQ(Row(Id::kRunSort, privet).subItems[0], "C:\\" + kPrivet + ".exe");
  EXPECT_EQ(Sorted(Captions(Id::kStartup)),
            Sorted({store + "Notes.lnk", store + "Shared.lnk", rocket, chinese}));

  Select(Id::kRunSort, {kCafe, privet});
  dialogs.Answer(true);
  window->OnDisableRunClicked();
  EXPECT_EQ(Sorted(Captions(Id::kRunDisabled)), Sorted({kCafe, privet}));
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunDisabledKey, privet), "C:\\" + kPrivet + ".exe");
  Select(Id::kRunDisabled, {kCafe, privet});
  window->OnRunEnableClicked();
  // Enabled items join the order at its end.
  const Strings order = SortEntries(kRunSortKey);
  ASSERT_EQ(order.size(), 5u);
  EXPECT_EQ(Sorted({order[3], order[4]}), Sorted({kCafe, privet}));

  // Excluded, the user's item goes back to the user's Run key under its own name.
  Select(Id::kRunSort, {privet, kChinese});
  dialogs.Answer(true);
  window->OnExcludeRunClicked();
  EXPECT_EQ(RawString(kHKeyCurrentUser, kRunKey, kPrivet), "C:\\" + kPrivet + ".exe");
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunKey, kChinese), "C:\\" + kChinese + ".exe");
  Select(Id::kRunDisabled, {kPrivet, kChinese});
  window->OnRunEnableClicked();
  EXPECT_FALSE(RawValueExists(kHKeyCurrentUser, kRunKey, kPrivet));
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunKey, kChinese));
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunItemsKey, privet), "C:\\" + kPrivet + ".exe");

  Select(Id::kStartup, {rocket, chinese});
  dialogs.Answer(true);
  window->OnExcludeStartupClicked();
  EXPECT_EQ(FolderNames(userFolder), (Strings{kRocket + ".lnk"}));
  EXPECT_EQ(FolderNames(commonFolder), (Strings{kChinese + ".lnk"}));
  Select(Id::kStartupDisabled, {userFolder + kRocket + ".lnk", commonFolder + kChinese + ".lnk"});
  window->OnStartupEnableClicked();
  EXPECT_TRUE(FolderNames(userFolder).empty());
  EXPECT_TRUE(FolderNames(commonFolder).empty());
  EXPECT_TRUE(FileThere(rocket));
  EXPECT_TRUE(FileThere(chinese));
  EXPECT_EQ(dialogs.Messages(), Strings{});
}

TEST_F(EditCommandsTest, PausesAreWholeNumbersOrEmptyForTheDefault) {
  struct Case {
    std::string text;
    std::string shown;  // the row's pause column afterwards
    bool refused;
  } cases[] = {
      {"250", "250", false},
      {" 1200 ", "1200", false},
      {"", kDefaultPauseText, false},
      {"abc", kDefaultPauseText, true},
      {"1.5", kDefaultPauseText, true},
      {"-5", kDefaultPauseText, true},
      {"0", kDefaultPauseText, false},
  };
  for (const Case& c : cases) {
    DeleteCustomDelay("Tray");
    window->RefreshLists();
    dialogs.Clear();
    Select(Id::kRunSort, {"Tray"});
    window->OnSetRunPauseClicked(c.text);
    EXPECT_EQ(Row(Id::kRunSort, "Tray").SubItem(2), c.shown) << c.text;
    EXPECT_EQ(dialogs.Messages(), c.refused ? Strings{kMsgPauseNumbersOnly} : Strings{}) << c.text;
  }
  // The Options dialog's default, copied into the field, becomes the shortcut's own pause.
  Select(Id::kStartup, {store + "Notes.lnk"});
  window->OnSetStartupPauseClicked(window->Controls().startupPauseText);
  EXPECT_EQ(GetCustomDelay(store + "Notes.lnk"), 2000);
  EXPECT_EQ(window->Controls().startupPauseText, "2000");  // the row is still selected
}

TEST_F(EditCommandsTest, PriorityGoesToTheSelectedRunItem) {
  Select(Id::kRunSort, {"Tray"});
  window->OnPriorityChosen(kBelowNormalPriorityClass);
  EXPECT_EQ(GetPriority("Tray", 0), static_cast<std::int32_t>(kBelowNormalPriorityClass));
  window->OnMouseDown(Id::kRunSort, false);
  EXPECT_EQ(window->Menu().checkedPriority, static_cast<std::int32_t>(kBelowNormalPriorityClass));
}

TEST_F(EditCommandsTest, ANewItemIsTheUsersUnderAFreeName) {
  // Rows Tool and Tool1 are there (as the user's own), and a value Tool2 of the user's Run key
  // is somebody's item: the new one becomes Tool3.
  Run(kHKeyCurrentUser, "Tool", "C:\\a.exe");
  Run(kHKeyCurrentUser, "Tool1", "C:\\b.exe");
  Pass();
  Run(kHKeyCurrentUser, "Tool2", "C:\\c.exe");
  window->RefreshLists();
  const std::string program = Program("new.exe");
  view.newName = "Tool";
  view.newPath = program;
  window->OnNewItemChosen();
  EXPECT_NE(
      std::find(view.events.begin(), view.events.end(), std::string("new item ") + kNewItemFilter),
      view.events.end());
  const std::string stored = Stored(kHKeyCurrentUser, "Tool3");
  EXPECT_EQ(SortEntries(kRunSortKey).back(), stored);
  // A path with a blank (the simulation's scratch folder lies under "Program Files") is stored
  // quoted.
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunItemsKey, stored),
            program.find(' ') == std::string::npos ? program : "\"" + program + "\"");
  EXPECT_EQ(RawString(kHKeyCurrentUser, kRunKey, "Tool2"), "C:\\c.exe");
  const RunOrigin origin = RunItemOrigin(stored);
  EXPECT_EQ(origin.root, kHKeyCurrentUser);
  EXPECT_EQ(origin.valueName, "Tool3");
  // Cancelled, nothing happens.
  const std::string before = StoreDump();
  view.newItemOk = false;
  window->OnNewItemChosen();
  EXPECT_TRUE(StoreDump() == before);
}

// A shortcut becomes a run-key item named after its program: one of everyone's Startup folder
// the machine's, one of the user's own folder the user's alone (stored under the user's name,
// recorded as the user's, no Run key written). A program path with blanks is stored quoted.
TEST_F(EditCommandsTest, AShortcutMovesToTheRunKeyOfWhoseItWasUnderItsProgramsName) {
  const std::string program = Program("tool.exe");
  struct Case {
    const char* what;
    std::string folder;
    std::string stored;
    HKey root;
  } cases[] = {
      {"the user's own", userFolder, Stored(kHKeyCurrentUser, "tool.exe"), kHKeyCurrentUser},
      {"everyone's", commonFolder, "tool.exe", kHKeyLocalMachine},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string shortcut = store + "Tool " + c.what + ".lnk";
    Link(c.folder, ExtractFileName(shortcut), program);
    Pass();
    window->RefreshLists();
    std::string target;
    ASSERT_TRUE(SharedItemManager().MoveShortcutToRunKey(shortcut, target, true));
    Select(Id::kStartup, {shortcut});
    dialogs.Answer(true);
    window->OnMoveShortcutClicked();
    EXPECT_EQ(RawString(kHKeyLocalMachine, kRunItemsKey, c.stored),
              target.find(' ') == std::string::npos ? target : "\"" + target + "\"");
    EXPECT_EQ(SortEntries(kRunSortKey).back(), c.stored);
    const RunOrigin origin = RunItemOrigin(c.stored);
    EXPECT_EQ(origin.root, c.root);
    EXPECT_EQ(origin.valueName, "tool.exe");
    EXPECT_EQ(GetRunLocation(c.stored), c.root == kHKeyCurrentUser ? CurrentUserName() : "");
    for (HKey root : {kHKeyLocalMachine, kHKeyCurrentUser}) {
      EXPECT_FALSE(RawValueExists(root, kRunKey, "tool.exe")) << root;
    }
    EXPECT_EQ(Row(Id::kStartupDisabled, shortcut).SubItem(0), kDisabledStatusText);
    EXPECT_TRUE(dialogs.Messages().empty());
    // Once more with the name taken: refused, and the shortcut stays where it is.
    const std::string again = store + "Tool again " + c.what + ".lnk";
    Link(c.folder, ExtractFileName(again), program);
    Pass();
    window->RefreshLists();
    Select(Id::kStartup, {again});
    dialogs.Answer(true);
    window->OnMoveShortcutClicked();
    EXPECT_EQ(dialogs.Messages(), (Strings{"A start-up item named tool.exe already exists"}));
    EXPECT_EQ(Row(Id::kStartup, again).caption, again);
    dialogs.Clear();
  }
}

TEST_F(EditCommandsTest, PropertiesSearchAndMessagesForWhatCannotBeFound) {
  Select(Id::kRunSort, {"Tray"});
  window->OnRunPropertiesClicked(false);  // C:\tray.exe does not exist
  window->OnPropertiesChosen();
  window->OnInternetSearchChosen();
  window->OnFindTargetChosen();
  EXPECT_EQ(dialogs.Messages(),
            (Strings{kMsgCannotLocate, kMsgFileNotFound, kMsgNoExecutableName, kMsgFileNotFound}));
  dialogs.Clear();
  Link(userFolder, "My Tool & Co.lnk", Program("My Tool & Co #1.exe"));
  Pass();
  window->RefreshLists();
  const std::string shortcut = store + "My Tool & Co.lnk";
  Select(Id::kStartup, {shortcut});
  window->OnPropertiesChosen();
  window->OnStartupPropertiesClicked(false);
  window->OnInternetSearchChosen();
  EXPECT_EQ(view.properties, (Strings{shortcut, shortcut}));
  // The program's own name, whole, as one query component.
  EXPECT_EQ(view.urls, (Strings{std::string(kSearchUrl) + "My%20Tool%20%26%20Co%20%231.exe"}));
  Select(Id::kStartupDisabled, {});
  window->OnStartupOtherPropertiesClicked();  // nothing selected: nothing shown
  EXPECT_EQ(view.properties.size(), 2u);
  EXPECT_TRUE(dialogs.Messages().empty());
}

TEST(EncodeQueryComponentTest, OnlyUnreservedCharactersStayAsTheyAre) {
  EXPECT_EQ(EncodeQueryComponent("tool-1_v2.0~x.exe"), "tool-1_v2.0~x.exe");
  EXPECT_EQ(EncodeQueryComponent("A&B #1+2=3?.exe"), "A%26B%20%231%2B2%3D3%3F.exe");
  EXPECT_EQ(EncodeQueryComponent("caf\xc3\xa9/%.exe"), "caf%C3%A9%2F%25.exe");
  EXPECT_EQ(EncodeQueryComponent(""), "");
}

}  // namespace
}  // namespace lw::test
