// Every command of the edit window that changes the store, with each registry and file change
// it makes failing in turn: no item is lost or left where the program would no longer see it,
// a failure that stops the command is shown, and the command given again does its job.

#include <gtest/gtest.h>

#include <functional>

#include "support/EditWindowFixture.h"
#include "support/ItemCensus.h"
#include "util/Error.h"

namespace lw::test {
namespace {

using Id = EditListId;

struct CommandCase {
  const char* name;
  Id list;
  // The rows to select; "~" stands for the current user's prefix, "@" for the shortcut store.
  std::vector<std::string> rows;
  bool asks;
  std::function<void(EditWindow&)> command;
  // Whether the command's work is in the store.
  std::function<bool()> done;
  // False for Delete: the deleted item stays only where Restore finds it (its stored copy).
  bool listed = true;
};

class EditCommandsFaultTest : public EditWindowFixture {
 protected:
  // Items of every state: managed (machine's and the user's), disabled, excluded (machine's
  // and the user's), and shortcuts managed, disabled and excluded.
  void Stage() {
    Run(kHKeyLocalMachine, "Keep", "C:\\keep.exe");
    Run(kHKeyLocalMachine, "Tray", "C:\\tray.exe /background");
    Run(kHKeyCurrentUser, "Chat", "C:\\chat.exe");
    Run(kHKeyLocalMachine, "Off", "C:\\off.exe");
    Run(kHKeyLocalMachine, "Guard", "C:\\guard.exe");
    SetRawExpandString(kHKeyCurrentUser, kRunKey, "Mine", "%SystemRoot%\\mine.exe");
    Link(userFolder, "Notes.lnk", "C:\\Apps\\notes.exe");
    Link(commonFolder, "Shared.lnk", "C:\\Apps\\shared.exe");
    Link(commonFolder, "Quiet.lnk", "C:\\Apps\\quiet.exe");
    Link(commonFolder, "Away.lnk", "C:\\Apps\\away.exe");
    Pass();
    ItemManager& items = SharedItemManager();
    items.DisableRunItem("Off", "");
    items.ExcludeRunItem("Guard");
    items.ExcludeRunItem(user + "_Mine");
    items.DisableStartupItem(store + "Quiet.lnk");
    items.ExcludeStartupItem(store + "Away.lnk");
    Files().CreateDirectory(ScratchFolder());
    Files().WriteFile(ScratchFolder() + "new.exe", "MZ");
    view.newName = "New tool";
    view.newPath = ScratchFolder() + "new.exe";
  }

  std::string Expand(const std::string& row) const {
    if (!row.empty() && row[0] == '~') return user + "_" + row.substr(1);
    if (!row.empty() && row[0] == '@') return store + row.substr(1);
    if (!row.empty() && row[0] == '^') return commonFolder + row.substr(1);
    return row;
  }

  // Opens the window, selects the rows and gives the command (answering Yes); returns the
  // changes it made.
  std::uint64_t Give(const CommandCase& c, std::uint64_t failing) {
    Open();
    std::vector<std::string> rows;
    for (const std::string& row : c.rows) rows.push_back(Expand(row));
    Select(c.list, rows);
    // A command with nothing left to act on asks nothing.
    if (c.asks && (rows.empty() || SelectionCount(window->List(c.list)) > 0)) dialogs.Answer(true);
    dialogs.Clear();
    const std::uint64_t start = Sim().ChangeCount();
    if (failing != 0) Sim().FailChange(start + failing);
    c.command(*window);
    Sim().FailChange(0);
    return Sim().ChangeCount() - start;
  }

  void CheckEveryFailure(const CommandCase& c) {
    SCOPED_TRACE(c.name);
    Restart();
    Stage();
    const std::uint64_t changes = Give(c, 0);
    ASSERT_TRUE(c.done()) << "the command does not do its job";
    ASSERT_TRUE(dialogs.Messages().empty()) << dialogs.Messages()[0];
    ASSERT_GT(changes, 0u);
    for (std::uint64_t n = 1; n <= changes; ++n) {
      SCOPED_TRACE("change " + std::to_string(n) + " of " + std::to_string(changes));
      Restart();
      Stage();
      const ItemCensus census = TakeItemCensus();
      Give(c, n);
      EXPECT_TRUE(NothingLost(census));
      if (c.listed) {
        EXPECT_TRUE(EveryItemListed(census));
      }
      // A command stopped half-way says so; given again, it does its job.
      if (!c.done()) {
        EXPECT_FALSE(dialogs.Messages().empty()) << "not done, and nothing said";
        Give(c, 0);
        EXPECT_TRUE(dialogs.Messages().empty()) << dialogs.Messages()[0];
      }
      EXPECT_TRUE(c.done());
      EXPECT_TRUE(NothingLost(census));
      if (c.listed) {
        EXPECT_TRUE(EveryItemListed(census));
      }
    }
  }
};

TEST_F(EditCommandsFaultTest, NoCommandLosesAnItemWhicheverChangeFails) {
  const std::string chat = user + "_Chat", mine = user + "_Mine";
  const CommandCase cases[] = {
      {"disable",
       Id::kRunSort,
       {"Tray", "~Chat"},
       true,
       [](EditWindow& w) { w.OnDisableRunClicked(); },
       [&] {
         return Has(kRunDisabledKey, "Tray") && Has(kRunDisabledKey, chat) && !InRunOrder("Tray") &&
                !InRunOrder(chat);
       }},
      {"exclude",
       Id::kRunSort,
       {"Tray", "~Chat"},
       true,
       [](EditWindow& w) { w.OnExcludeRunClicked(); },
       [&] {
         return RawString(kHKeyLocalMachine, kRunKey, "Tray") == "C:\\tray.exe /background" &&
                RawString(kHKeyCurrentUser, kRunKey, "Chat") == "C:\\chat.exe" &&
                !InRunOrder("Tray") && !InRunOrder(chat);
       }},
      {"enable",
       Id::kRunDisabled,
       {"Off"},
       false,
       [](EditWindow& w) { w.OnRunEnableClicked(); },
       [] { return InRunOrder("Off") && !Has(kRunDisabledKey, "Off"); }},
      {"include",
       Id::kRunDisabled,
       {"Guard", "Mine"},
       false,
       [](EditWindow& w) { w.OnRunEnableClicked(); },
       [&] {
         // A value the registry would not delete from the Run key is taken at the next logon.
         return InRunOrder("Guard") && InRunOrder(mine) && !Has(kRunExcludeKey, "Mine");
       }},
      {"delete",
       Id::kRunDisabled,
       {"Off"},
       true,
       [](EditWindow& w) { w.OnRunDeleteClicked(); },
       [] { return !Has(kRunDisabledKey, "Off"); },
       false},
      {"disable shortcuts",
       Id::kStartup,
       {"@Notes.lnk", "@Shared.lnk"},
       true,
       [](EditWindow& w) { w.OnDisableStartupClicked(); },
       [] {
         return Has(kStartupDisableKey, "Notes.lnk") && Has(kStartupDisableKey, "Shared.lnk");
       }},
      {"exclude shortcuts",
       Id::kStartup,
       {"@Notes.lnk", "@Shared.lnk"},
       true,
       [](EditWindow& w) { w.OnExcludeStartupClicked(); },
       [&] {
         return FileThere(userFolder + "Notes.lnk") && FileThere(commonFolder + "Shared.lnk") &&
                !InStartupOrder(store + "Notes.lnk");
       }},
      {"enable and include shortcuts",
       Id::kStartupDisabled,
       {"^Away.lnk", "@Quiet.lnk"},
       false,
       [](EditWindow& w) { w.OnStartupEnableClicked(); },
       [&] {
         return InStartupOrder(store + "Away.lnk") && InStartupOrder(store + "Quiet.lnk") &&
                !Has(kStartupDisableKey, "Quiet.lnk") && !Has(kStartupExcludeKey, "Away.lnk");
       }},
      {"delete shortcut",
       Id::kStartupDisabled,
       {"@Quiet.lnk"},
       true,
       [](EditWindow& w) { w.OnStartupDeleteClicked(); },
       [] { return !Has(kStartupDisableKey, "Quiet.lnk"); },
       false},
      {"move shortcut",
       Id::kStartup,
       {"@Notes.lnk"},
       true,
       [](EditWindow& w) { w.OnMoveShortcutClicked(); },
       [&] {
         return InRunOrder(user + "_notes.exe") && Has(kStartupDisableKey, "Notes.lnk") &&
                !InStartupOrder(store + "Notes.lnk");
       }},
      {"new item",
       Id::kRunSort,
       {},
       false,
       [](EditWindow& w) { w.OnNewItemChosen(); },
       [&] {
         return InRunOrder(user + "_New tool") && !Has(kRunItemsKey, user + "_New tool1") &&
                !RawValueExists(kHKeyCurrentUser, kRunKey, "New tool");
       }},
      {"pause",
       Id::kRunSort,
       {"Tray"},
       false,
       [](EditWindow& w) { w.OnSetRunPauseClicked("300"); },
       [] { return GetCustomDelay("Tray") == 300; }},
      {"reorder",
       Id::kRunSort,
       {"Keep"},
       false,
       [](EditWindow& w) { w.OnMoveBottom(Id::kRunSort); },
       [] {
         return !SortEntries(kRunSortKey).empty() && SortEntries(kRunSortKey).back() == "Keep";
       }},
  };
  for (const CommandCase& c : cases) CheckEveryFailure(c);
}

}  // namespace
}  // namespace lw::test
