// What the runner window shows while a logon's first start looks for new items: the list of
// what is still in the Windows places and not left to Windows, then the take-over itself.

#include "install/NewItemListing.h"

#include <string>
#include <vector>

#include "support/TakeOverFixture.h"

namespace lw::test {
namespace {

using NewItemListingTest = TakeOverFixture;

TEST_F(NewItemListingTest, ListsWhatIsLeftThenTakesItOverAndPauses) {
  Run(kHKeyCurrentUser, "Tray", "tray.exe");
  Run(kHKeyLocalMachine, kSelfRunValue, "\"C:\\lw.exe\" -go ");
  Run(kHKeyLocalMachine, "Left", "left.exe");
  SetRawString(kHKeyLocalMachine, kRunExcludeKey, "Left", kExcludeMark);
  Link(userFolder, "A.lnk", "C:\\Apps\\a.exe");
  Link(commonFolder, "B.lnk", "C:\\Apps\\b.exe");
  Link(commonFolder, "Kept.lnk", "C:\\Apps\\kept.exe");
  SetRawString(kHKeyLocalMachine, kStartupExcludeKey, "Kept.lnk", commonFolder + "Kept.lnk");
  const std::string list = "Runkey: Tray\r\nStartup: A.lnk\r\nStartup: B.lnk\r\n";

  struct Round {
    const char* title;
    std::string list;
    std::string shown;
  };
  // The second logon finds only the program's own value and the excluded items.
  const Round rounds[] = {{"first", list, "Items Found.\r\n" + list},
                          {"second", "", "No new items."}};
  for (const Round& round : rounds) {
    SCOPED_TRACE(round.title);
    StartupMover mover;
    EXPECT_EQ(NewItemListText(mover), round.list);
    std::vector<std::string> shown;
    std::uint32_t start = Sys().GetTickCount();
    EXPECT_TRUE(RunNewItemListing(mover, [&](const std::string& text) { shown.push_back(text); }));
    std::uint32_t elapsed = Sys().GetTickCount() - start;
    EXPECT_EQ(shown, (std::vector<std::string>{"Detecting New items.", round.shown}));
    EXPECT_GE(elapsed, 2150u);
    EXPECT_LT(elapsed, 4000u);
  }
  EXPECT_EQ(SortEntries(kRunSortKey), std::vector<std::string>{user + "_Tray"});
  EXPECT_EQ(SortEntries(kStartupSortKey).size(), 2u);
  EXPECT_EQ(Values(kHKeyLocalMachine, kRunKey)["Left"], "left.exe");
  EXPECT_EQ(FolderNames(commonFolder), std::vector<std::string>{"Kept.lnk"});
}

}  // namespace
}  // namespace lw::test
