// Restore: every item taken over goes back where Windows had it, byte for byte; what is not
// given back stays stored; and the program stops starting at logon.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "install/RestoreFiles.h"
#include "support/RestoreFixture.h"
#include "support/ScriptNames.h"
#include "util/WindowsBitness.h"

namespace lw::test {
namespace {

class RestoreTest : public RestoreFixture {
 protected:
  // A machine with an item of every kind Windows starts.
  void StageItems() {
    Run(kHKeyLocalMachine, "Tray", "\"C:\\Program Files\\Tray\\tray.exe\" /background");
    SetRawExpandString(kHKeyLocalMachine, kRunKey, "Expanding", "%ProgramFiles%\\E\\e.exe -q");
    Run(kHKeyLocalMachine, "Same name", "C:\\machine.exe");
    Run(kHKeyCurrentUser, "Same name", "C:\\mine.exe");
    SetRawExpandString(kHKeyCurrentUser, kRunKey, "Mine expanding", "%USERPROFILE%\\m.exe");
    Link(userFolder, "Notes.lnk", "C:\\Apps\\notes.exe");
    Link(commonFolder, "Shared & (odd) 100%.lnk", "C:\\Apps\\shared.exe");
  }
};

TEST_F(RestoreTest, EverythingTakenOverGoesBackAsItWas) {
  StageItems();
  // Names in four scripts, of values and of shortcuts, in both Run keys and both folders.
  Run(kHKeyLocalMachine, kCafe, "C:\\" + kCafe + "\\c.exe /" + kCafe);
  Run(kHKeyCurrentUser, kPrivet, "\"C:\\" + kPrivet + " 1\\p.exe\" " + kPrivet);
  SetRawExpandString(kHKeyLocalMachine, kRunKey, kChinese, "%ProgramFiles%\\" + kChinese + ".exe");
  Run(kHKeyCurrentUser, kRocket, "C:\\r.exe " + kRocket);
  Link(userFolder, kChinese + ".lnk", "C:\\" + kChinese + "\\z.exe");
  Link(userFolder, kRocket + ".lnk", "C:\\r.exe");
  Link(commonFolder, kCafe + ".lnk", "C:\\" + kCafe + "\\c.exe");
  Link(commonFolder, kPrivet + ".lnk", "C:\\" + kPrivet + "\\p.exe");
  StartupMover().RegisterSelf(true, kHKeyLocalMachine);
  const WindowsItems before = Picture();
  Pass();
  ASSERT_EQ(Picture().machineRun.size(), 0u);
  ASSERT_TRUE(FolderNames(userFolder).empty());

  EXPECT_EQ(Restore(), kMsgRestoreComplete);
  EXPECT_EQ(Picture(), before);
  EXPECT_TRUE(Store(kRunItemsKey).empty());
  EXPECT_TRUE(SortEntries(kRunSortKey).empty());
  EXPECT_TRUE(SortEntries(kStartupSortKey).empty());
  EXPECT_TRUE(FolderNames(store).empty());
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunKey, kSelfRunValue));
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunOnceKey, kSelfRunValue));
  // The next logon's take-over finds nothing it would treat as its own.
  EXPECT_EQ(dialogs.Messages(), (std::vector<std::string>{kMsgRestoreComplete}));
}

TEST_F(RestoreTest, RowsListActiveItemsFirstAndOnlyThoseChecked) {
  Run(kHKeyLocalMachine, "First", "C:\\first.exe");
  Run(kHKeyLocalMachine, "Second", "C:\\second.exe");
  Run(kHKeyLocalMachine, "Off", "C:\\off.exe");
  Link(commonFolder, "A.lnk", "C:\\a.exe");
  Link(commonFolder, "B.lnk", "C:\\b.exe");
  Pass();
  SharedItemManager().DisableRunItem("Off", "");
  SharedItemManager().DisableStartupItem(store + "B.lnk");
  // A stored command nobody lists any more.
  SetRawString(kHKeyLocalMachine, kRunItemsKey, "Lost", "C:\\lost.exe");

  StartupMover mover;
  RestoreWindow window(mover, nullptr);
  window.Load();
  std::vector<std::string> rows;
  for (const RestoreRow& row : window.Rows()) {
    rows.push_back(row.caption + "|" + row.Type() + "|" + row.status + "|" +
                   (row.checked ? "x" : "-"));
  }
  // Wine lists values by name, Windows by creation; the groups are what matters.
  ASSERT_EQ(rows.size(), 6u);
  EXPECT_EQ(rows[0], "A.lnk|Startup Folder||x");
  std::sort(rows.begin() + 1, rows.begin() + 3);
  std::sort(rows.begin() + 3, rows.begin() + 5);
  EXPECT_EQ(rows[1], "First|Run Key||x");
  EXPECT_EQ(rows[2], "Second|Run Key||x");
  EXPECT_EQ(rows[3], "Lost|Run Key|Orphaned|-");
  EXPECT_EQ(rows[4], "Off|Run Key|Disabled|-");
  EXPECT_EQ(rows[5], "B.lnk|Startup Folder|Disabled|-");
  EXPECT_EQ(window.InfoTip(0),
            "type: Startup Folder\r\nprofile: " + UserFromStartupFolder(commonFolder) +
                "\r\nerror: \r\n" + commonFolder);
}

TEST_F(RestoreTest, WhatIsNotGivenBackStaysStoredAndListed) {
  Run(kHKeyLocalMachine, "Keep", "C:\\keep.exe");
  Run(kHKeyLocalMachine, "Back", "C:\\back.exe");
  Run(kHKeyLocalMachine, "Off", "C:\\off.exe");
  Link(commonFolder, "Stay.lnk", "C:\\stay.exe");
  Pass();
  SharedItemManager().DisableRunItem("Off", "");

  const std::string message = Restore(false, [](RestoreWindow& window) {
    window.SetChecked(RowOf(window, "Keep"), false);
    window.SetChecked(RowOf(window, "Stay.lnk"), false);
  });
  EXPECT_TRUE(Contains(message, kMsgRestoreComplete));
  EXPECT_TRUE(Contains(message, "3 items were not given back and stay stored"));
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunKey, "Back"), "C:\\back.exe");
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunKey, "Keep"));
  EXPECT_EQ(Store(kRunItemsKey), (ValueMap{{"Keep", "C:\\keep.exe"}, {"Off", "C:\\off.exe"}}));
  EXPECT_EQ(SortEntries(kRunSortKey), (std::vector<std::string>{"Keep"}));
  EXPECT_EQ(SortEntries(kStartupSortKey), (std::vector<std::string>{store + "Stay.lnk"}));
  EXPECT_EQ(FolderNames(store), (std::vector<std::string>{"Stay.lnk"}));

  // A second restore (the program started again) gives the rest back.
  dialogs.Clear();
  EXPECT_EQ(Restore(), std::string(kMsgRestoreComplete) +
                           "\r\n\r\n1 item was not given back and stays stored:\r\n1 in "
                           "HKEY_LOCAL_MACHINE\\SOFTWARE\\Tallowmere\\Launchward\\Run" +
                           kMsgKeptItemsDoNotStart);
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunKey, "Keep"), "C:\\keep.exe");
  EXPECT_TRUE(FileThere(commonFolder + "Stay.lnk"));
}

TEST_F(RestoreTest, ACommandAlreadyBackUnderThatNameIsNeverReplaced) {
  Run(kHKeyLocalMachine, "Updater", "C:\\old\\updater.exe");
  Run(kHKeyLocalMachine, "Twice", "C:\\twice.exe");
  Pass();
  Run(kHKeyLocalMachine, "Updater", "C:\\new\\updater.exe");
  Run(kHKeyLocalMachine, "Twice", "C:\\twice.exe");

  const std::string message = Restore();
  EXPECT_TRUE(Contains(message, kMsgSomeNotRestored));
  EXPECT_TRUE(Contains(message, ExeFolder() + kMachineRegFileName));
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunKey, "Updater"), "C:\\new\\updater.exe");
  EXPECT_EQ(Store(kRunItemsKey), (ValueMap{{"Updater", "C:\\old\\updater.exe"}}));
  // On 64-bit Windows the program's own view of the machine's Run key is the 32-bit one, which
  // a 64-bit regedit reaches by its WOW6432Node path.
  EXPECT_EQ(ReadWholeFile(ExeFolder() + kMachineRegFileName),
            "REGEDIT4\r\n\r\n" +
                std::string(IsWindows64() ? kMachineRunKey32Header : kMachineRunKeyHeader) +
                "\r\n\"Updater\"=\"C:\\\\old\\\\updater.exe\"\r\n\r\n");
}

// A user's own shortcut goes back to that user's Startup folder or nowhere: in the All Users
// folder it would start for every account.
TEST_F(RestoreTest, AUsersShortcutWhoseFolderIsTakenStaysStoredAndNeverReplacesAFile) {
  Link(userFolder, "Mine.lnk", "C:\\mine.exe");
  Link(userFolder, "Clash.lnk", "C:\\clash.exe");
  Pass();
  const std::string stored = ReadWholeFile(store + "Clash.lnk");
  const std::string other = Link(userFolder, "Mine.lnk", "C:\\another.exe");
  Link(commonFolder, "Clash.lnk", "C:\\third.exe");
  Link(userFolder, "Clash.lnk", "C:\\fourth.exe");

  const std::string message = Restore();
  // Each: its folder holds another file of that name. It stays stored (never in All Users),
  // and the batch file moves it when the user has made room.
  EXPECT_EQ(ReadWholeFile(userFolder + "Mine.lnk"), other);
  EXPECT_FALSE(FileThere(commonFolder + "Mine.lnk"));
  EXPECT_EQ(ReadWholeFile(store + "Clash.lnk"), stored);
  EXPECT_TRUE(FileThere(store + "Mine.lnk"));
  for (const char* name : {"Mine.lnk", "Clash.lnk"}) {
    EXPECT_TRUE(Contains(message, store + name + "\r\n")) << name;
  }
  EXPECT_TRUE(Contains(message, ExeFolder() + kShortcutBatchFileName + "\r\n"));
  EXPECT_EQ(ReadWholeFile(ExeFolder() + kShortcutBatchFileName),
            BatchMoveLine(store + "Mine.lnk", userFolder) + "\r\n" +
                BatchMoveLine(store + "Clash.lnk", userFolder) + "\r\n");
  const std::vector<std::string> order = SortEntries(kStartupSortKey);
  EXPECT_EQ(std::set<std::string>(order.begin(), order.end()),
            (std::set<std::string>{store + "Clash.lnk", store + "Mine.lnk"}));
}

TEST_F(RestoreTest, FullUninstallKeepsOnlyWhatStaysStored) {
  Run(kHKeyLocalMachine, "Back", "C:\\back.exe");
  Run(kHKeyLocalMachine, "Keep", "C:\\keep.exe");
  Pass();
  SetCustomDelay("Back", 3000);
  SetRawDword(kHKeyLocalMachine, kProgramKey, kInitialPauseValue, 7000);
  SetRawDword(kHKeyCurrentUser, kAutoTuneKey, "Back", 40);

  Restore(true, [](RestoreWindow& window) { window.SetChecked(RowOf(window, "Keep"), false); });
  EXPECT_EQ(Store(kRunItemsKey), (ValueMap{{"Keep", "C:\\keep.exe"}}));
  EXPECT_EQ(SortEntries(kRunSortKey), (std::vector<std::string>{"Keep"}));
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kProgramKey, kInitialPauseValue));
  EXPECT_FALSE(RawKeyExists(kHKeyLocalMachine, kCustomDelaysKey));
  EXPECT_TRUE(RawValueExists(kHKeyLocalMachine, kRunLocationKey, "Keep"));
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunLocationKey, "Back"));
  EXPECT_FALSE(RawKeyExists(kHKeyCurrentUser, kProgramKey));  // what the runner learnt

  // With everything given back, the program key is left empty but for its three lists.
  dialogs.Clear();
  Restore(true);
  for (const char* name : {kRunName, kRunSortName, kStartupSortName})
    EXPECT_TRUE(RawKeyExists(kHKeyLocalMachine, std::string(kProgramKey) + "\\" + name)) << name;
  EXPECT_EQ(DumpTree(kHKeyLocalMachine, kProgramKey).find("Keep"), std::string::npos);
  EXPECT_EQ(RawValueNames(kHKeyLocalMachine, kProgramKey).size(), 0u);
}

TEST_F(RestoreTest, TheUncheckedWarningComesOnce) {
  Run(kHKeyLocalMachine, "One", "C:\\one.exe");
  Pass();
  StartupMover mover;
  RestoreWindow window(mover, nullptr);
  window.Load();
  EXPECT_TRUE(dialogs.Messages().empty());  // nothing changed yet
  window.SetChecked(0, false);
  window.OnUserChangedChecks();
  // Shown again (the window lists the store afresh), the same window does not warn again.
  window.Load();
  window.SetChecked(0, false);
  window.OnUserChangedChecks();
  EXPECT_EQ(dialogs.Messages(), (std::vector<std::string>{kMsgUncheckedWarning}));
}

// A disabled item the user chose to give back is Windows' again: its disabled mark goes with
// it, so that a later Install takes it over as a new item instead of removing it from Windows
// once more as a disabled one.
TEST_F(RestoreTest, ARestoredDisabledItemLosesItsDisabledMark) {
  Run(kHKeyLocalMachine, "Off", "C:\\off.exe");
  Link(commonFolder, "Quiet.lnk", "C:\\quiet.exe");
  Pass();
  SharedItemManager().DisableRunItem("Off", "");
  SharedItemManager().DisableStartupItem(store + "Quiet.lnk");
  Restore(false, [](RestoreWindow& window) {
    window.SetChecked(RowOf(window, "Off"), true);
    window.SetChecked(RowOf(window, "Quiet.lnk"), true);
  });
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunKey, "Off"), "C:\\off.exe");
  EXPECT_TRUE(FileThere(commonFolder + "Quiet.lnk"));
  EXPECT_TRUE(Store(kRunDisabledKey).empty());
  EXPECT_TRUE(Store(kStartupDisableKey).empty());

  // Installed again: both are new items, taken over and started.
  Pass();
  EXPECT_EQ(SortEntries(kRunSortKey), std::vector<std::string>{"Off"});
  EXPECT_EQ(SortEntries(kStartupSortKey), std::vector<std::string>{store + "Quiet.lnk"});
  EXPECT_EQ(Store(kRunNewItemsKey), (ValueMap{{"Off", "C:\\off.exe"}}));
}

}  // namespace
}  // namespace lw::test
