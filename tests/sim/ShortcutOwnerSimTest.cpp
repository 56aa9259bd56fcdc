// A user's own shortcut stays that user's, whatever the edit window or a restore does with it:
// it goes back to that user's Startup folder (another user's through that user's profile
// folder), never to the All Users one, where it would start for every account; where it cannot
// go back it stays stored and says why; moved to the Run key it becomes that user's item.

#include <gtest/gtest.h>

#include "items/ItemManager.h"
#include "store/SettingsStore.h"
#include "support/RestoreFixture.h"
#include "util/Error.h"

namespace lw::test {
namespace {

constexpr char kAliceStartup[] =
    "C:\\Documents and Settings\\alice\\Start Menu\\Programs\\Startup\\";

class ShortcutOwnerSimTest : public RestoreFixture {
 protected:
  // Alice's "Map drives" shortcut, taken over at her logon.
  std::string StoreAlicesShortcut(bool folderThere) {
    if (folderThere) MakeFolders(kAliceStartup);
    MakeFolders(store);
    const std::string bytes = Link(store, "Map drives.lnk", "C:\\Apps\\drives.exe");
    SetStartupLocation(store + "Map drives.lnk", kAliceStartup);
    SharedItemManager().AppendSortEntry(kStartupSortName, store + "Map drives.lnk");
    return bytes;
  }
};

TEST_F(ShortcutOwnerSimTest, ExcludedItGoesToItsOwnersStartupFolderOrStaysStored) {
  const std::string bytes = StoreAlicesShortcut(false);
  // Her Startup folder is not there: the shortcut stays stored and managed, and the error says
  // where it could not go.
  const std::string error =
      ErrorOf([&] { SharedItemManager().ExcludeStartupItem(store + "Map drives.lnk"); });
  EXPECT_TRUE(Contains(error, kAliceStartup)) << error;
  EXPECT_EQ(ReadWholeFile(store + "Map drives.lnk"), bytes);
  EXPECT_EQ(SortEntries(kStartupSortKey), std::vector<std::string>{store + "Map drives.lnk"});
  EXPECT_FALSE(FileThere(commonFolder + "Map drives.lnk"));

  MakeFolders(kAliceStartup);
  SharedItemManager().ExcludeStartupItem(store + "Map drives.lnk");
  EXPECT_EQ(ReadWholeFile(std::string(kAliceStartup) + "Map drives.lnk"), bytes);
  EXPECT_FALSE(FileThere(commonFolder + "Map drives.lnk"));
  EXPECT_EQ(Store(kStartupExcludeKey),
            (ValueMap{{"Map drives.lnk", std::string(kAliceStartup) + "Map drives.lnk"}}));
  EXPECT_TRUE(SortEntries(kStartupSortKey).empty());
}

TEST_F(ShortcutOwnerSimTest, RestoredWithoutItsOwnersFolderItStaysStoredAndTheRowSaysWhy) {
  const std::string bytes = StoreAlicesShortcut(false);
  StartupMover mover;
  RestoreWindow window(mover, nullptr);
  window.Load();
  const std::string message = window.RunRestore(false);
  const RestoreRow& row = window.Rows()[RowOf(window, "Map drives.lnk")];
  EXPECT_EQ(row.restoreStatus, kNotRestoredStatus);
  EXPECT_TRUE(Contains(row.error, std::string(kAliceStartup) + " is not there")) << row.error;
  EXPECT_TRUE(Contains(message, store + "Map drives.lnk\r\n"));
  EXPECT_EQ(ReadWholeFile(store + "Map drives.lnk"), bytes);
  EXPECT_FALSE(FileThere(commonFolder + "Map drives.lnk"));

  // With her folder there, the next restore puts it there.
  MakeFolders(kAliceStartup);
  StartupMover again;
  EXPECT_TRUE(again.RestoreStartupItem("Map drives.lnk"));
  EXPECT_EQ(ReadWholeFile(std::string(kAliceStartup) + "Map drives.lnk"), bytes);
}

TEST_F(ShortcutOwnerSimTest, MovedToTheRunKeyItBecomesItsOwnersItem) {
  StoreAlicesShortcut(true);
  std::string target;
  ASSERT_TRUE(SharedItemManager().MoveShortcutToRunKey(store + "Map drives.lnk", target, false));
  EXPECT_EQ(Store(kRunItemsKey), (ValueMap{{"alice_drives.exe", "C:\\Apps\\drives.exe"}}));
  EXPECT_EQ(SortEntries(kRunSortKey), std::vector<std::string>{"alice_drives.exe"});
  EXPECT_EQ(GetRunLocation("alice_drives.exe"), "alice");
  EXPECT_EQ(GetRunLocationHKey("alice_drives.exe"), StoredRoot(kHKeyCurrentUser));
  for (HKey root : {kHKeyLocalMachine, kHKeyCurrentUser}) {
    EXPECT_TRUE(Values(root, kRunKey).empty()) << root;
  }
  EXPECT_EQ(GetStartupItemState("Map drives.lnk"), ItemState::kDisabled);
}

}  // namespace
}  // namespace lw::test
