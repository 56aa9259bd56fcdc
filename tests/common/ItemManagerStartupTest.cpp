// The item manager's startup-folder operations: shortcuts between the Startup folders and the
// shortcut store, the startup order, and a shortcut turned into a run-key item.

#include <string>
#include <vector>

#include "support/ItemManagerFixture.h"
#include "util/Error.h"

namespace lw::test {
namespace {

using Strings = std::vector<std::string>;

void PutFile(const std::string& path, const std::string& content) {
  ASSERT_TRUE(Files().WriteFile(path, content)) << path;
}

TEST_F(ItemManagerTest, IncludingMovesTheShortcutIntoTheStore) {
  const std::string names[] = {"My App.lnk", "Caf\xc3\xa9 %1.lnk"};
  for (const std::string& name : names) PutFile(userStartup + name, "link " + name);
  SetRawString(kHKeyLocalMachine, kStartupExcludeKey, names[0], userStartup + names[0]);

  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    EXPECT_EQ(Manager().IncludeStartupItem(userStartup + name), store + name);
    EXPECT_FALSE(FileThere(userStartup + name));
    EXPECT_EQ(ReadWholeFile(store + name), "link " + name);
    EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kStartupExcludeKey, name));
  }
  EXPECT_EQ(SortOf(kStartupSortKey), (Strings{store + names[0], store + names[1]}));

  // A shortcut already in the store stays there and is listed once.
  EXPECT_EQ(Manager().IncludeStartupItem(store + names[0]), store + names[0]);
  EXPECT_EQ(ReadWholeFile(store + names[0]), "link " + names[0]);
  EXPECT_EQ(SortOf(kStartupSortKey), (Strings{store + names[0], store + names[1]}));
}

// A real shortcut (one the shell wrote) into the store and out to the All Users folder: the
// same bytes at every stop, and the shell still reads its target.
TEST_F(ItemManagerTest, ARealShortcutMovesIntoTheStoreAndBackWhole) {
  const std::string name = "Caf\xc3\xa9 Tray 100%.lnk";
  const std::string target = "C:\\Program Files\\Caf\xc3\xa9\\tray.exe";
  ASSERT_EQ(Shell().SaveShellLink(userStartup + name, target, "/min"), kSOk);
  const std::string bytes = ReadWholeFile(userStartup + name);
  auto loads = [&](const std::string& path) {
    std::string found;
    EXPECT_EQ(Shell().LoadShellLink(path, kSlgpShortPath, &found, nullptr), kSOk) << path;
    return found;
  };

  EXPECT_EQ(Manager().IncludeStartupItem(userStartup + name), store + name);
  EXPECT_EQ(ReadWholeFile(store + name), bytes);
  EXPECT_EQ(loads(store + name), target);

  Manager().ExcludeStartupItem(store + name);
  EXPECT_FALSE(FileThere(store + name));
  EXPECT_EQ(ReadWholeFile(commonStartup + name), bytes);
  EXPECT_EQ(loads(commonStartup + name), target);
}

TEST_F(ItemManagerTest, IncludingAShortcutThatIsGoneOnlyUpdatesTheLists) {
  SetRawString(kHKeyLocalMachine, kStartupExcludeKey, "gone.lnk", commonStartup + "gone.lnk");
  EXPECT_EQ(Manager().IncludeStartupItem(commonStartup + "gone.lnk"), "");
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kStartupExcludeKey, "gone.lnk"));
  EXPECT_EQ(SortOf(kStartupSortKey), Strings{store + "gone.lnk"});
}

TEST_F(ItemManagerTest, ExcludingMovesTheShortcutToAllUsers) {
  PutFile(store + "a b.lnk", "link a");
  StageSort(kStartupSortKey, {store + "a b.lnk", store + "c.lnk"});
  SetRawString(kHKeyLocalMachine, kStartupDisableKey, "a b.lnk", store + "a b.lnk");

  Manager().ExcludeStartupItem(store + "a b.lnk");
  EXPECT_FALSE(FileThere(store + "a b.lnk"));
  EXPECT_EQ(ReadWholeFile(commonStartup + "a b.lnk"), "link a");
  EXPECT_EQ(RawString(kHKeyLocalMachine, kStartupExcludeKey, "a b.lnk"), commonStartup + "a b.lnk");
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kStartupDisableKey, "a b.lnk"));
  EXPECT_EQ(SortOf(kStartupSortKey), Strings{store + "c.lnk"});
}

TEST_F(ItemManagerTest, DisablingLeavesAnEmptyEntryInItsPlace) {
  StageSort(kStartupSortKey, {store + "x.lnk", store + "y.lnk", store + "z.lnk"});
  Manager().DisableStartupItem(store + "Y.LNK");
  EXPECT_EQ(SortOf(kStartupSortKey), (Strings{store + "x.lnk", "", store + "z.lnk"}));
  EXPECT_EQ(RawString(kHKeyLocalMachine, kStartupDisableKey, "Y.LNK"), store + "Y.LNK");
  EXPECT_EQ(GetStartupItemState("y.lnk"), ItemState::kDisabled);
}

TEST_F(ItemManagerTest, EnablingListsAFileNameOnlyOnce) {
  StageSort(kStartupSortKey, {"C:\\elsewhere\\A.LNK"});
  SetRawString(kHKeyLocalMachine, kStartupDisableKey, "a.lnk", store + "a.lnk");
  SetRawString(kHKeyLocalMachine, kStartupDisableKey, "b.lnk", store + "b.lnk");

  Manager().EnableStartupItem(store + "a.lnk");
  EXPECT_EQ(SortOf(kStartupSortKey), Strings{"C:\\elsewhere\\A.LNK"});
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kStartupDisableKey, "a.lnk"));

  Manager().EnableStartupItem(store + "b.lnk");
  EXPECT_EQ(SortOf(kStartupSortKey), (Strings{"C:\\elsewhere\\A.LNK", store + "b.lnk"}));
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kStartupDisableKey, "b.lnk"));
}

TEST_F(ItemManagerTest, RewritingKeepsEveryEntryAndDropsStrays) {
  StageSort(kStartupSortKey, {"X", "", "Y"});
  SetRawString(kHKeyLocalMachine, kStartupSortKey, "7", "Stray");
  Manager().RewriteStartupSort();
  EXPECT_EQ(SortOf(kStartupSortKey), (Strings{"X", "", "Y"}));

  Manager().RemoveFromStartupSort("Y");
  EXPECT_EQ(SortOf(kStartupSortKey), (Strings{"X", ""}));
}

TEST_F(ItemManagerTest, RelocatingFindsTheFirstStartupFolderHoldingTheFile) {
  if (SameText(userStartup, commonStartup)) GTEST_SKIP() << "needs two Startup folders";
  PutFile(commonStartup + "c.lnk", "c");
  PutFile(commonStartup + "u.lnk", "u");
  PutFile(userStartup + "u.lnk", "u");
  SetRawString(kHKeyLocalMachine, kStartupExcludeKey, "gone.lnk", "C:\\old\\gone.lnk");

  for (const char* name : {"c.lnk", "u.lnk", "gone.lnk"})
    Manager().RelocateExcludedStartupItem(name);
  EXPECT_EQ(RawString(kHKeyLocalMachine, kStartupExcludeKey, "c.lnk"), commonStartup + "c.lnk");
  EXPECT_EQ(RawString(kHKeyLocalMachine, kStartupExcludeKey, "u.lnk"), userStartup + "u.lnk");
  EXPECT_EQ(RawString(kHKeyLocalMachine, kStartupExcludeKey, "gone.lnk"), "C:\\old\\gone.lnk");
}

TEST_F(ItemManagerTest, MovingAFileReportsWhetherItArrived) {
  const std::string from = ScratchFolder();
  const std::string to = ScratchFolder() + "to\\";
  EnsureFolder(to);
  struct Case {
    const char* what;
    std::string source;
    std::string folder;
    std::string atTarget;  // a file already at the target, when not empty
    bool moved;
  } cases[] = {
      {"into another folder", from + "plain.lnk", to, "", true},
      {"onto itself", from + "Self.lnk", from, "", true},
      {"into a folder that is not there", from + "lost.lnk", from + "none\\", "", false},
      // A move cut short after its copy is finished.
      {"onto a whole copy of itself", from + "again.lnk", to, "onto a whole copy of itself", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string target = c.folder + ExtractFileName(c.source);
    PutFile(c.source, c.what);
    if (!c.atTarget.empty()) PutFile(target, c.atTarget);
    EXPECT_EQ(Manager().MoveFileToFolder(c.source, LowerCase(c.folder)), c.moved);
    EXPECT_EQ(ReadWholeFile(c.moved ? target : c.source), c.what);
    if (c.moved && c.folder != from) {
      EXPECT_FALSE(FileThere(c.source));
    }
  }
  EXPECT_FALSE(Manager().MoveFileToFolder(from + "missing.lnk", to));
}

// Another program's file of the same name at the target is never replaced, nor deleted: the
// move fails, saying why, and both files stay as they were.
TEST_F(ItemManagerTest, MovingNeverReplacesAnotherFileOfTheSameName) {
  const std::string to = ScratchFolder() + "to\\";
  EnsureFolder(to);
  for (const char* theirs : {"their shortcut", "", "a longer shortcut of theirs"}) {
    SCOPED_TRACE(theirs);
    PutFile(ScratchFolder() + "Same.lnk", "my shortcut");
    PutFile(to + "Same.lnk", theirs);
    std::string failure;
    EXPECT_FALSE(Manager().MoveFileToFolder(ScratchFolder() + "Same.lnk", to, &failure));
    EXPECT_EQ(failure, "Unable to move " + ScratchFolder() + "Same.lnk to " + to +
                           " : another file named Same.lnk is already there");
    EXPECT_EQ(ReadWholeFile(ScratchFolder() + "Same.lnk"), "my shortcut");
    EXPECT_EQ(ReadWholeFile(to + "Same.lnk"), theirs);
  }
  // A folder of that name is no place for the file either.
  EnsureFolder(to + "Folder.lnk");
  PutFile(ScratchFolder() + "Folder.lnk", "mine");
  EXPECT_FALSE(Manager().MoveFileToFolder(ScratchFolder() + "Folder.lnk", to));
  EXPECT_EQ(ReadWholeFile(ScratchFolder() + "Folder.lnk"), "mine");
}

// One file reached under two spellings (a short name, a mapped drive) is already where it is
// to go: the move leaves it alone instead of deleting it as the "source".
TEST_F(ItemManagerTest, AFileUnderTwoSpellingsIsLeftAlone) {
  const std::string folder = ScratchFolder() + "Long Folder Name\\";
  EnsureFolder(folder);
  const std::string other = OtherSpelling(folder);
  ASSERT_FALSE(SameText(other, folder)) << other;
  const std::string name = "Long Shortcut Name.lnk";
  PutFile(folder + name, "the only copy");
  const struct {
    std::string source;
    std::string folder;
  } spellings[] = {{other + name, folder}, {folder + name, other}};
  for (const auto& spelling : spellings) {
    SCOPED_TRACE(spelling.source + " into " + spelling.folder);
    std::string failure;
    EXPECT_TRUE(Manager().MoveFileToFolder(spelling.source, spelling.folder, &failure)) << failure;
    EXPECT_EQ(ReadWholeFile(folder + name), "the only copy");
  }
}

// The shortcut store already holds a stray file of the name (left there by a restore): the
// Startup folder's shortcut is not taken over, and neither file changes.
TEST_F(ItemManagerTest, IncludingBesideAStoredNamesakeChangesNothing) {
  PutFile(userStartup + "Tray.lnk", "the new one");
  PutFile(store + "Tray.lnk", "a stray one");
  const std::string before = DumpTree(kHKeyLocalMachine, kProgramKey);
  std::string failure;
  EXPECT_EQ(Manager().IncludeStartupItem(userStartup + "Tray.lnk", &failure), "");
  EXPECT_EQ(failure, "Unable to move " + userStartup + "Tray.lnk to " + store +
                         " : another file named Tray.lnk is already there");
  EXPECT_EQ(ReadWholeFile(userStartup + "Tray.lnk"), "the new one");
  EXPECT_EQ(ReadWholeFile(store + "Tray.lnk"), "a stray one");
  EXPECT_EQ(DumpTree(kHKeyLocalMachine, kProgramKey), before);
}

// Excluding sends a stored shortcut to the All Users folder; another program's shortcut of the
// same name there stays, and so does the stored one, still managed.
TEST_F(ItemManagerTest, ExcludingKeepsAnAllUsersShortcutOfTheSameName) {
  ASSERT_EQ(Shell().SaveShellLink(store + "Agent.lnk", "C:\\Mine\\agent.exe", ""), kSOk);
  ASSERT_EQ(Shell().SaveShellLink(commonStartup + "Agent.lnk", "C:\\Theirs\\agent.exe", ""), kSOk);
  const std::string mine = ReadWholeFile(store + "Agent.lnk");
  const std::string theirs = ReadWholeFile(commonStartup + "Agent.lnk");
  StageSort(kStartupSortKey, {store + "Agent.lnk"});
  const std::string before = DumpTree(kHKeyLocalMachine, kProgramKey);

  EXPECT_EQ(ErrorOf([&] { Manager().ExcludeStartupItem(store + "Agent.lnk"); }),
            "Unable to move " + store + "Agent.lnk to " +
                SharedSpecialFolders().GetCommonStartupFolder() +
                " : another file named Agent.lnk is already there");
  EXPECT_EQ(ReadWholeFile(commonStartup + "Agent.lnk"), theirs);
  EXPECT_EQ(ReadWholeFile(store + "Agent.lnk"), mine);
  EXPECT_EQ(DumpTree(kHKeyLocalMachine, kProgramKey), before);
}

// A real shortcut, made by the shell, becomes a run-key item named after its program.
class ShortcutMoveTest : public ItemManagerTest {
 protected:
  void SetUp() override {
    ItemManagerTest::SetUp();
    program = ScratchFolder() + "tool.exe";
    link = store + "Tool Link.lnk";
    PutFile(program, "MZ");
    ASSERT_EQ(Shell().SaveShellLink(link, program, "-arg"), kSOk);
    StageSort(kStartupSortKey, {link});
  }
  std::string Snapshot() {
    return DumpTree(kHKeyLocalMachine, kProgramKey) + DumpTree(kHKeyLocalMachine, kRunKey);
  }
  std::string program;
  std::string link;
};

TEST_F(ShortcutMoveTest, ResolvingOnlyReadsTheTarget) {
  const std::string before = Snapshot();
  std::string target;
  EXPECT_TRUE(Manager().MoveShortcutToRunKey(link, target, true));
  EXPECT_TRUE(SameText(ExtractFileName(target), "tool.exe")) << target;
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(ShortcutMoveTest, MovingDisablesTheShortcutAndManagesItsProgram) {
  std::string target;
  EXPECT_TRUE(Manager().MoveShortcutToRunKey(link, target, false));
  EXPECT_TRUE(SameText(ExtractFileName(target), "tool.exe")) << target;
  EXPECT_EQ(RawString(kHKeyLocalMachine, kStartupDisableKey, "Tool Link.lnk"), link);
  EXPECT_EQ(SortOf(kStartupSortKey), Strings{""});
  EXPECT_TRUE(FileThere(link));
  // A target with a blank (no short name to be had) is stored quoted.
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunItemsKey, "tool.exe"),
            target.find(' ') == std::string::npos ? target : "\"" + target + "\"");
  EXPECT_EQ(SortOf(kRunSortKey), Strings{"tool.exe"});
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunKey, "tool.exe"));
}

TEST_F(ShortcutMoveTest, AnotherItemOfTheSameNameStopsTheMove) {
  struct Case {
    HKey root;
    std::string key;
  } cases[] = {
      {kHKeyLocalMachine, kRunKey},
      {kHKeyLocalMachine, kRunItemsKey},
      {kHKeyLocalMachine, kRunDisabledKey},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    SetRawString(c.root, c.key, "TOOL.EXE", "other.exe");
    const std::string before = Snapshot();
    std::string target;
    EXPECT_EQ(ErrorOf([&] { Manager().MoveShortcutToRunKey(link, target, false); }),
              "A start-up item named tool.exe already exists");
    EXPECT_EQ(Snapshot(), before);
    RemoveRawValue(c.root, c.key, "TOOL.EXE");
  }
}

TEST_F(ItemManagerTest, AFileThatIsNoShortcutChangesNothing) {
  const std::string path = store + "not a link.lnk";
  PutFile(path, "just some text, not a shell link");
  const std::string before = DumpTree(kHKeyLocalMachine, kProgramKey);
  for (bool resolveOnly : {true, false}) {
    std::string target = "unchanged";
    EXPECT_FALSE(Manager().MoveShortcutToRunKey(path, target, resolveOnly));
    EXPECT_EQ(target, "unchanged");
  }
  EXPECT_EQ(DumpTree(kHKeyLocalMachine, kProgramKey), before);
  EXPECT_EQ(ReadWholeFile(path), "just some text, not a shell link");
}

}  // namespace
}  // namespace lw::test
