// The item manager's run-key operations on the store and the system Run keys: taking items
// over by their state, excluding, disabling, enabling and including them, and the run order.

#include <cctype>
#include <string>
#include <vector>

#include "support/ItemManagerFixture.h"
#include "util/Error.h"
#include "util/ErrorLog.h"

namespace lw::test {
namespace {

using Strings = std::vector<std::string>;

TEST(RunItemNamesTest, OnlyAKnownUsersOwnValuesCarryAPrefix) {
  struct Case {
    std::string user;
    HKey root;
    std::string prefix;
  } cases[] = {
      {"bob", kHKeyCurrentUser, "bob_"},
      {"bob", kHKeyLocalMachine, ""},
      {"", kHKeyCurrentUser, ""},
      {kUnknownUser, kHKeyCurrentUser, ""},
  };
  for (const Case& c : cases) {
    RunKeyItem item;
    item.name = "Tool";
    item.command = "tool.exe";
    item.user = c.user;
    item.root = c.root;
    EXPECT_EQ(RunItemUserPrefix(item), c.prefix) << c.user << " " << c.root;
    EXPECT_EQ(StoredItemName(item), c.prefix + "Tool") << c.user << " " << c.root;
  }
}

TEST(ItemManagerLifeTest, TheManagerExistsOnlyWhileItsUnitIsUp) {
  EXPECT_THROW(SharedItemManager(), std::logic_error);
  InitializeItemManager();
  EXPECT_NO_THROW(SharedItemManager());
  FinalizeItemManager();
  EXPECT_THROW(SharedItemManager(), std::logic_error);
}

// Commands as programs write them, names as they choose them: nothing is quoted, expanded,
// trimmed or cut on the way into the store.
TEST_F(ItemManagerTest, NewItemsMoveIntoTheStoreInOrderExactlyAsWritten) {
  const std::string longCommand = "C:\\tools\\long.exe " + std::string(16000, 'x');
  const std::vector<RunKeyItem> items = {
      MachineItem("Plain", "C:\\tools\\plain.exe"),
      UserItem("With Blanks", "\"C:\\Program Files\\With Blanks\\app.exe\" /min"),
      MachineItem("Quote\"d", "\"C:\\a b\\q.exe\" \"say \\\"hi\\\"\""),
      UserItem("Percent %1", "%SystemRoot%\\system32\\p.exe %1 100%"),
      MachineItem("Caf\xc3\xa9", "C:\\Caf\xc3\xa9\\caf\xc3\xa9.exe"),
      UserItem("Long", longCommand),
  };
  Strings order;
  for (const RunKeyItem& item : items) {
    TakeOver(item);
    order.push_back(StoredItemName(item));
  }
  EXPECT_EQ(SortOf(kRunSortKey), order);
  for (const RunKeyItem& item : items) {
    SCOPED_TRACE(item.name);
    std::string stored = StoredItemName(item);
    EXPECT_FALSE(RawValueExists(item.root, kRunKey, item.name));
    EXPECT_EQ(RawString(kHKeyLocalMachine, kRunItemsKey, stored), item.command);
    EXPECT_EQ(RawString(kHKeyLocalMachine, kRunLocationKey, stored), item.user);
    EXPECT_EQ(RawDword(kHKeyLocalMachine, kRunLocationKey, stored + "_HKEY"),
              StoredRoot(item.root));
    EXPECT_EQ(GetRunItemState(item.name, RunItemUserPrefix(item)), ItemState::kSorted);
  }
}

TEST_F(ItemManagerTest, TheSameNameInBothRunKeysGivesTwoItems) {
  if (CurrentUserPrefix().empty()) GTEST_SKIP() << "needs a known user";
  RunKeyItem user = UserItem("Tool", "user.exe");
  RunKeyItem machine = MachineItem("Tool", "machine.exe");
  TakeOver(user);
  TakeOver(machine);
  EXPECT_EQ(SortOf(kRunSortKey), (Strings{StoredItemName(user), "Tool"}));
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunItemsKey, "Tool"), "machine.exe");
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunItemsKey, StoredItemName(user)), "user.exe");
}

// Values that come back, or that the store already knows, by the state the store gives them.
TEST_F(ItemManagerTest, KnownValuesAreHandledByTheirState) {
  StageSort(kRunSortKey, {"Managed", "Lost"});
  StageCommand("Managed", "old.exe");
  StageCommand("Dis", "dis.exe");
  SetRawString(kHKeyLocalMachine, kRunDisabledKey, "Dis", "dis.exe");
  SetRawString(kHKeyLocalMachine, kRunDisabledKey, "Blank", "");
  SetRawString(kHKeyLocalMachine, kRunExcludeKey, "Ex", kExcludeMark);

  TakeOver(MachineItem("Managed", "new.exe"));
  TakeOver(MachineItem("Lost", "lost.exe"));
  TakeOver(MachineItem("Dis", "dis.exe"));
  TakeOver(MachineItem("Blank", "blank.exe"));
  TakeOver(MachineItem("Ex", "ex.exe"));
  TakeOver(MachineItem(kSelfRunValue, "\"C:\\lw\\launchward.exe\" -go "));

  // A managed item written back by its program leaves the Run key; its stored command stays,
  // unless the store had lost it.
  EXPECT_EQ(RunValue(kHKeyLocalMachine, "Managed"), "<missing>");
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunItemsKey, "Managed"), "old.exe");
  EXPECT_EQ(RunValue(kHKeyLocalMachine, "Lost"), "<missing>");
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunItemsKey, "Lost"), "lost.exe");
  // A disabled one leaves the Run key again; an empty disabled record is filled first.
  EXPECT_EQ(RunValue(kHKeyLocalMachine, "Dis"), "<missing>");
  EXPECT_EQ(RunValue(kHKeyLocalMachine, "Blank"), "<missing>");
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunDisabledKey, "Blank"), "blank.exe");
  // Excluded ones, and the program's own value, stay where Windows runs them.
  EXPECT_EQ(RunValue(kHKeyLocalMachine, "Ex"), "ex.exe");
  EXPECT_EQ(RunValue(kHKeyLocalMachine, kSelfRunValue), "\"C:\\lw\\launchward.exe\" -go ");
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunExcludeKey, kSelfRunValue), kMachineExcludeOwner);
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunItemsKey, kSelfRunValue));

  EXPECT_EQ(SortOf(kRunSortKey), (Strings{"Managed", "Lost"}));
}

TEST_F(ItemManagerTest, AutoDisableLeavesANewItemDisabled) {
  SharedOptions().SetChecked(kAutoDisableOption, true);
  RunKeyItem item = UserItem("Tool", "tool.exe -q");
  TakeOver(item);
  std::string stored = StoredItemName(item);
  EXPECT_EQ(RunValue(kHKeyCurrentUser, "Tool"), "<missing>");
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunDisabledKey, stored), "tool.exe -q");
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunItemsKey, stored), "tool.exe -q");
  EXPECT_EQ(SortOf(kRunSortKey), Strings{});
  EXPECT_EQ(GetRunItemState("Tool", RunItemUserPrefix(item)), ItemState::kDisabled);
}

TEST_F(ItemManagerTest, AProbeLeavesAnOrdinaryValueAsItWas) {
  StageRunValue(kHKeyCurrentUser, "Tool", "\"C:\\a b\\tool.exe\" 50%");
  EXPECT_FALSE(Manager().TestRunValue(kHKeyCurrentUser));
  EXPECT_FALSE(RawValueExists(kHKeyCurrentUser, kRunKey, kProbeValue));
  EXPECT_EQ(RunValue(kHKeyCurrentUser, "Tool"), "\"C:\\a b\\tool.exe\" 50%");
  EXPECT_EQ(RawType(kHKeyCurrentUser, kRunKey, "Tool"), kRegSz);
  SetRawExpandString(kHKeyCurrentUser, kRunKey, "Expand", "%ProgramFiles%\\x.exe");
  EXPECT_FALSE(Manager().TestRunValue(kHKeyCurrentUser));
  EXPECT_EQ(RunValue(kHKeyCurrentUser, "Expand"), "%ProgramFiles%\\x.exe");
  EXPECT_EQ(RawType(kHKeyCurrentUser, kRunKey, "Expand"), kRegExpandSz);
}

// A managed program that writes itself back with another command: the stored command stays,
// unless its program is gone while the new command's is there (an update moved the program);
// then the new command takes its place. Either way the error log names both, and a new
// command that does not take the stored one's place is kept beside it, disabled.
TEST_F(ItemManagerTest, AWrittenBackCommandReplacesTheStoredOneOnlyWhenItsProgramMoved) {
  const std::string folder = ScratchFolder();
  EnsureFolder(folder + "new");
  EnsureFolder(folder + "old");
  const std::string there = folder + "new\\tool.exe";
  const std::string alsoThere = folder + "old\\tool.exe";
  const std::string gone = folder + "gone\\tool.exe";
  ASSERT_TRUE(Files().WriteFile(there, "MZ"));
  ASSERT_TRUE(Files().WriteFile(alsoThere, "MZ"));
  struct Case {
    const char* what;
    std::string stored;
    std::string written;
    bool replaced;
  };
  std::vector<Case> cases = {
      {"old one gone, new one there", "\"" + gone + "\" /tray", "\"" + there + "\" /tray", true},
      {"both there", "\"" + alsoThere + "\" /tray", "\"" + there + "\" /tray", false},
      {"both gone", gone, folder + "gone\\other.exe", false},
      {"old one names no program", "rundll32 shell32,Options_RunDLL", there, false},
  };
#ifndef _WIN32
  // The program part is found as the runner finds it, with its environment references expanded.
  Sim().SetEnvironmentVariable("LWAPPS", folder);
  cases.push_back({"new one expandable", gone, "%LWAPPS%new\\tool.exe", true});
  cases.push_back({"old one expandable", "%LWAPPS%old\\tool.exe", there, false});
#endif
  int number = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string name = "Tool" + std::to_string(number++);
    StageSort(kRunSortKey, {name});
    StageCommand(name, c.stored);
    TakeOver(MachineItem(name, c.written));
    EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunKey, name));
    EXPECT_EQ(RawString(kHKeyLocalMachine, kRunItemsKey, name), c.replaced ? c.written : c.stored);
    EXPECT_EQ(SortOf(kRunSortKey), Strings{name});
    const std::string log = ReadWholeFile(ErrorLogPath());
    EXPECT_NE(log.find("Run key item " + name + ":"), std::string::npos) << log;
    EXPECT_NE(log.find(c.written), std::string::npos) << log;
    EXPECT_EQ(RawString(kHKeyLocalMachine, kRunDisabledKey, name + " (2)"),
              c.replaced ? "<missing>" : c.written);
    EXPECT_EQ(GetRunLocationHKey(name + " (2)"), c.replaced ? -1 : StoredRoot(kHKeyLocalMachine));
  }
}

// An excluded item goes back to the Run key it came from, under its own name, so that Windows
// starts it for the same accounts as before it was taken over.
TEST_F(ItemManagerTest, ExcludingGivesTheCommandBackToTheRunKeyItCameFrom) {
  const std::string user = CurrentUserName();
  if (CurrentUserPrefix().empty()) GTEST_SKIP() << "needs a known user";
  std::string upperUser = user;
  for (char& c : upperUser) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  struct Case {
    const char* what;
    std::string stored;
    HKey recordedRoot;  // 0: nothing recorded
    std::string recordedUser;
    HKey root;
    std::string valueName;
  } cases[] = {
      {"a machine item", "Machine", kHKeyLocalMachine, "", kHKeyLocalMachine, "Machine"},
      {"the user's item", user + "_Mine", kHKeyCurrentUser, user, kHKeyCurrentUser, "Mine"},
      {"the user's item, spelt otherwise", LowerCase(user) + "_Low", kHKeyCurrentUser, upperUser,
       kHKeyCurrentUser, "Low"},
      {"the user's item, name unknown then", "Plain", kHKeyCurrentUser, "", kHKeyCurrentUser,
       "Plain"},
      {"no record, the user's prefix", user + "_Old", 0, "", kHKeyCurrentUser, "Old"},
      {"no record, a plain name", "OldMachine", 0, "", kHKeyLocalMachine, "OldMachine"},
  };
  std::vector<std::string> order{"A"};
  StageCommand("A", "a.exe");
  for (const Case& c : cases) {
    order.push_back(c.stored);
    StageCommand(c.stored, c.stored + ".exe");
    if (c.recordedRoot != 0) {
      SetRawString(kHKeyLocalMachine, kRunLocationKey, c.stored, c.recordedUser);
      SetRawDword(kHKeyLocalMachine, kRunLocationKey, c.stored + kHKeySuffix,
                  static_cast<std::uint32_t>(StoredRoot(c.recordedRoot)));
    }
  }
  StageSort(kRunSortKey, order);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Manager().ExcludeRunItem(c.stored);
    const HKey other = c.root == kHKeyLocalMachine ? kHKeyCurrentUser : kHKeyLocalMachine;
    EXPECT_EQ(RunValue(c.root, c.valueName), c.stored + ".exe");
    EXPECT_FALSE(RawValueExists(other, kRunKey, c.valueName));
    if (c.valueName != c.stored) {
      EXPECT_FALSE(RawValueExists(c.root, kRunKey, c.stored));
    }
    EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunItemsKey, c.stored));
    EXPECT_EQ(RawString(kHKeyLocalMachine, kRunExcludeKey, c.valueName),
              c.root == kHKeyCurrentUser ? CurrentUserSid() : kMachineExcludeOwner);
    EXPECT_EQ(GetRunItemState(c.valueName, c.root == kHKeyCurrentUser ? CurrentUserPrefix() : ""),
              ItemState::kExcluded);
  }
  EXPECT_EQ(SortOf(kRunSortKey), Strings{"A"});
}

TEST_F(ItemManagerTest, ExcludingDropsTheDisabledRecordAndKeepsAValueAlreadyThere) {
  StageSort(kRunSortKey, {"A", "Tool", "C"});
  for (const char* name : {"A", "Tool", "C"}) StageCommand(name, std::string(name) + ".exe");
  SetRawString(kHKeyLocalMachine, kRunDisabledKey, "Tool", "Tool.exe");
  StageRunValue(kHKeyLocalMachine, "Tool", "C:\\Updated\\tool.exe");

  Manager().ExcludeRunItem("Tool");
  EXPECT_EQ(RunValue(kHKeyLocalMachine, "Tool"), "C:\\Updated\\tool.exe");
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunItemsKey, "Tool"));
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunDisabledKey, "Tool"));
  EXPECT_EQ(SortOf(kRunSortKey), (Strings{"A", "C"}));
  // The stored command is another version: kept beside it, disabled, and logged with it.
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunDisabledKey, "Tool (2)"), "Tool.exe");
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunItemsKey, "Tool (2)"), "Tool.exe");
  EXPECT_EQ(GetRunLocationHKey("Tool (2)"), StoredRoot(kHKeyLocalMachine));
  const std::string log = ReadWholeFile(ErrorLogPath());
  EXPECT_NE(log.find("Tool.exe"), std::string::npos) << log;
  EXPECT_NE(log.find("C:\\Updated\\tool.exe"), std::string::npos) << log;

  // Without a stored command only the mark is written.
  Manager().ExcludeRunItem("Ghost");
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunExcludeKey, "Ghost"), kMachineExcludeOwner);
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunKey, "Ghost"));
  EXPECT_EQ(SortOf(kRunSortKey), (Strings{"A", "C"}));
}

// The user's item and a machine item of the same plain name are two items: excluding the one,
// and taking its value over again at the next logon, leaves the other managed.
TEST_F(ItemManagerTest, AUsersExcludedValueNeverEvictsTheMachinesNamesake) {
  if (CurrentUserPrefix().empty()) GTEST_SKIP() << "needs a known user";
  const RunKeyItem machine = MachineItem("Tool", "machine.exe");
  const RunKeyItem mine = UserItem("Tool", "mine.exe");
  TakeOver(machine);
  TakeOver(mine);

  Manager().ExcludeRunItem(StoredItemName(mine));
  EXPECT_EQ(RunValue(kHKeyCurrentUser, "Tool"), "mine.exe");
  Manager().TakeOverRunItem(mine);  // the next logon finds it in the user's Run key

  EXPECT_EQ(RunValue(kHKeyCurrentUser, "Tool"), "mine.exe");
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunKey, "Tool"));
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunItemsKey, "Tool"), "machine.exe");
  EXPECT_EQ(SortOf(kRunSortKey), Strings{"Tool"});
  EXPECT_EQ(GetRunItemState("Tool", ""), ItemState::kSorted);
}

TEST_F(ItemManagerTest, DisablingClosesTheGapAndKeepsTheCommand) {
  StageSort(kRunSortKey, {"A", "B", "C"});
  for (const char* name : {"A", "B", "C"}) StageCommand(name, std::string(name) + ".exe");
  Manager().DisableRunItem("B", "");
  EXPECT_EQ(SortOf(kRunSortKey), (Strings{"A", "C"}));
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunItemsKey, "B"), "B.exe");
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunDisabledKey, "B"), "B.exe");
  EXPECT_EQ(GetRunItemState("B", ""), ItemState::kDisabled);
}

// The item's value goes from the Run key of its own root; a value of that name in the other
// root is another item, even when it holds the same command (a per-machine program writes the
// same command into every account's Run key).
TEST_F(ItemManagerTest, DisablingDeletesOnlyTheItemsOwnValues) {
  const std::string prefix = CurrentUserPrefix();
  if (prefix.empty()) GTEST_SKIP() << "needs a known user";
  struct Case {
    const char* what;
    std::string prefix;
    std::string machineData;
    std::string userData;
    bool machineKept;
    bool userKept;
  } cases[] = {
      {"machine item, same data in the user's key", "", "t.exe", "t.exe", false, true},
      {"machine item, other data in the user's key", "", "other.exe", "other.exe 2", false, true},
      {"user item, other data in the machine's key", prefix, "other.exe", "t.exe", true, false},
      {"user item, same data in the machine's key", prefix, "t.exe", "changed.exe", true, false},
  };
  int number = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string name = "Tool" + std::to_string(number++);
    StageSort(kRunSortKey, {c.prefix + name});
    StageCommand(c.prefix + name, "t.exe");
    StageRunValue(kHKeyLocalMachine, name, c.machineData);
    StageRunValue(kHKeyCurrentUser, name, c.userData);
    Manager().DisableRunItem(name, c.prefix);
    EXPECT_EQ(RawValueExists(kHKeyLocalMachine, kRunKey, name), c.machineKept);
    EXPECT_EQ(RawValueExists(kHKeyCurrentUser, kRunKey, name), c.userKept);
    EXPECT_EQ(RawString(kHKeyLocalMachine, kRunDisabledKey, c.prefix + name), "t.exe");
  }
}

TEST_F(ItemManagerTest, DisablingAnItemTheStoreDoesNotHoldKeepsItsValue) {
  StageRunValue(kHKeyLocalMachine, "Stray", "stray.exe");
  Manager().DisableRunItem("Stray", "");
  EXPECT_EQ(RunValue(kHKeyLocalMachine, "Stray"), "stray.exe");
}

TEST_F(ItemManagerTest, EnablingAppendsToTheRunOrder) {
  StageSort(kRunSortKey, {"A"});
  StageCommand("A", "a.exe");
  StageCommand("B", "stale.exe");
  SetRawString(kHKeyLocalMachine, kRunDisabledKey, "B", "b.exe /x");
  SetRawString(kHKeyLocalMachine, kRunDisabledKey, "Empty", "");

  Manager().EnableRunItem("B");
  EXPECT_EQ(SortOf(kRunSortKey), (Strings{"A", "B"}));
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunItemsKey, "B"), "b.exe /x");
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunDisabledKey, "B"));

  Manager().EnableRunItem("Empty");
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunDisabledKey, "Empty"));
  EXPECT_EQ(SortOf(kRunSortKey), (Strings{"A", "B"}));
}

TEST_F(ItemManagerTest, IncludingTakesTheSystemValueAndDropsTheExclusion) {
  StageRunValue(kHKeyCurrentUser, "Tool", "\"C:\\x y\\tool.exe\" %1");
  SetRawString(kHKeyLocalMachine, kRunExcludeKey, "Tool", kExcludeMark);
  SetRawString(kHKeyLocalMachine, kRunExcludeKey, "Gone", kExcludeMark);

  Manager().IncludeRunItem("Tool", "bob_", true);
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunItemsKey, "bob_Tool"), "\"C:\\x y\\tool.exe\" %1");
  EXPECT_EQ(SortOf(kRunSortKey), Strings{"bob_Tool"});
  EXPECT_FALSE(RawValueExists(kHKeyCurrentUser, kRunKey, "Tool"));
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunExcludeKey, "Tool"));

  // Nothing to take: the exclusion goes all the same.
  Manager().IncludeRunItem("Gone", "", false);
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunExcludeKey, "Gone"));
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunItemsKey, "Gone"));
  EXPECT_EQ(SortOf(kRunSortKey), Strings{"bob_Tool"});
}

// A stray value where the run order's next entry goes refuses no item.
TEST_F(ItemManagerTest, AStrayValueInTheRunOrderStopsNoItem) {
  StageSort(kRunSortKey, {"A"});
  StageCommand("A", "a.exe");
  SetRawString(kHKeyLocalMachine, kRunSortKey, "1", "Squatter");

  TakeOver(MachineItem("New", "new.exe"));
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunKey, "New"));
  SetRawString(kHKeyLocalMachine, kRunSortKey, "3", "Squatter");
  StageRunValue(kHKeyCurrentUser, "Inc", "inc.exe");
  Manager().IncludeRunItem("Inc", "", true);
  EXPECT_FALSE(RawValueExists(kHKeyCurrentUser, kRunKey, "Inc"));
  EXPECT_EQ(SortOf(kRunSortKey), (Strings{"A", "New", "Inc"}));
}

TEST_F(ItemManagerTest, RebuildingDropsEntriesWithoutCommandsAndKeepsTheOrder) {
  SetRawString(kHKeyLocalMachine, kRunSortKey, "0", "C");
  SetRawString(kHKeyLocalMachine, kRunSortKey, "1", "Ghost");
  SetRawString(kHKeyLocalMachine, kRunSortKey, "3", "A");
  SetRawString(kHKeyLocalMachine, kRunSortKey, "4", "");
  SetRawDword(kHKeyLocalMachine, kRunSortKey, kSortIndexValue, 5);
  StageCommand("A", "a.exe");
  StageCommand("C", "c.exe");
  Manager().RebuildRunSort();
  EXPECT_EQ(SortOf(kRunSortKey), (Strings{"C", "A"}));
}

}  // namespace
}  // namespace lw::test
