// The item manager under failures: every change an operation makes is failed in turn, and
// afterwards no item may be lost, nor kept where nobody sees it. Also values that another
// program guards, and a user without the right to write the machine's keys.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/SimMachine.h"
#include "support/ItemCensus.h"
#include "support/ItemManagerFixture.h"
#include "util/Error.h"

namespace lw::test {
namespace {

const char kUser[] = "bob";  // the simulated machine's user

RunKeyItem Machine(const std::string& name, const std::string& command) {
  return {name, command, "", kHKeyLocalMachine, kRegSz, 0, ""};
}
RunKeyItem User(const std::string& name, const std::string& command) {
  return {name, command, kUser, kHKeyCurrentUser, kRegSz, 0, sim::kBobSid};
}

// Items in every state and place: new values in both Run keys, managed, disabled (one of them
// written back into the Run key) and excluded items, shortcuts new, excluded, managed and
// disabled, and a shortcut to a program. Nothing is in two places, so an item that leaves its
// only place too early shows.
struct World {
  std::string store;
  std::string userStartup;
  std::string commonStartup;

  void Stage() {
    StageRunValue(kHKeyLocalMachine, "New1", "\"C:\\Program Files\\New One\\new1.exe\" /s");
    StageRunValue(kHKeyCurrentUser, "New2", "new2.exe %1 \xc3\xa9");
    StageSort(kRunSortKey, {"A", "bob_B", "C"});
    StageCommand("A", "a.exe");
    StageCommand("bob_B", "b.exe -x");
    StageCommand("C", "c.exe");
    for (const char* name : {"D", "E"}) {
      std::string command = LowerCase(name) + ".exe";
      StageCommand(name, command);
      SetRawString(kHKeyLocalMachine, kRunDisabledKey, name, command);
    }
    StageRunValue(kHKeyLocalMachine, "E", "e.exe");  // a disabled item written back
    StageRunValue(kHKeyLocalMachine, "A", "a.exe");  // a managed item written back
    SetRawString(kHKeyLocalMachine, kRunExcludeKey, "Ex", kExcludeMark);
    StageRunValue(kHKeyLocalMachine, "Ex", "ex.exe");

    Sim().AddFile(userStartup + "u.lnk", "new shortcut");
    Sim().AddFile(commonStartup + "x.lnk", "excluded shortcut");
    SetRawString(kHKeyLocalMachine, kStartupExcludeKey, "x.lnk", commonStartup + "x.lnk");
    Sim().AddFile(store + "s.lnk", "managed shortcut");
    Sim().AddFile(store + "t.lnk", "another managed one");
    StageSort(kStartupSortKey, {store + "s.lnk", store + "t.lnk", store + "m.lnk"});
    Sim().AddFile(store + "d.lnk", "disabled shortcut");
    SetRawString(kHKeyLocalMachine, kStartupDisableKey, "d.lnk", store + "d.lnk");
    Sim().AddFile("C:\\Tools\\tool.exe", "MZ");
    ASSERT_EQ(Shell().SaveShellLink(store + "m.lnk", "C:\\Tools\\tool.exe", ""), kSOk);
  }
};

struct Operation {
  const char* what;
  std::function<void(ItemManager&, const World&)> run;
  // The item of a take-over, which the next logon's pass takes over again while its value is
  // still in the Run key; the edit window's commands are repeated by nobody.
  std::optional<RunKeyItem> takenOver = std::nullopt;
};

void TakeOverAgain(ItemManager& manager, const RunKeyItem& item) {
  std::string command = RunValue(item.root, item.name);
  if (command == "<missing>" || command.empty()) return;
  RunKeyItem again = item;
  again.command = command;
  manager.TakeOverRunItem(again);
}

Operation TakeOverOperation(const char* what, const RunKeyItem& item, bool autoDisable = false) {
  return {what,
          [item, autoDisable](ItemManager& m, const World&) {
            SharedOptions().SetChecked(kAutoDisableOption, autoDisable);
            m.TakeOverRunItem(item);
          },
          item};
}

const Operation kOperations[] = {
    TakeOverOperation("take over a new machine item",
                      Machine("New1", "\"C:\\Program Files\\New One\\new1.exe\" /s")),
    TakeOverOperation("take over a new user item, disabling it",
                      User("New2", "new2.exe %1 \xc3\xa9"), true),
    TakeOverOperation("take over a disabled item written back", Machine("E", "e.exe")),
    TakeOverOperation("take over a managed item written back", Machine("A", "a.exe")),
    {"exclude a managed item", [](ItemManager& m, const World&) { m.ExcludeRunItem("bob_B"); }},
    {"disable a managed item", [](ItemManager& m, const World&) { m.DisableRunItem("B", "bob_"); }},
    {"enable a disabled item", [](ItemManager& m, const World&) { m.EnableRunItem("D"); }},
    {"include an excluded item",
     [](ItemManager& m, const World&) { m.IncludeRunItem("Ex", "", false); }},
    {"include a user's value",
     [](ItemManager& m, const World&) { m.IncludeRunItem("New2", "bob_", true); }},
    {"include a shortcut",
     [](ItemManager& m, const World& w) { m.IncludeStartupItem(w.userStartup + "u.lnk"); }},
    {"exclude a shortcut",
     [](ItemManager& m, const World& w) { m.ExcludeStartupItem(w.store + "s.lnk"); }},
    {"disable a shortcut",
     [](ItemManager& m, const World& w) { m.DisableStartupItem(w.store + "t.lnk"); }},
    {"enable a shortcut",
     [](ItemManager& m, const World& w) { m.EnableStartupItem(w.store + "d.lnk"); }},
    {"move a shortcut to the Run key",
     [](ItemManager& m, const World& w) {
       std::string target;
       m.MoveShortcutToRunKey(w.store + "m.lnk", target, false);
     }},
};

class ItemManagerFaultTest : public ItemManagerTest {
 protected:
  // A fresh machine with the world staged; returns the change count after staging.
  std::uint64_t Fresh() {
    FreeOptions();
    FinalizeProcessUnits();
    ResetPlatform();
    InitializeProcessUnits();
    CreateOptions();
    EnsureFolder(store);
    world = World{store, userStartup, commonStartup};
    world.Stage();
    return Sim().ChangeCount();
  }
  World world;
};

TEST_F(ItemManagerFaultTest, AFailureAtAnyChangeLosesNoItem) {
  for (const Operation& operation : kOperations) {
    SCOPED_TRACE(operation.what);
    std::uint64_t start = Fresh();
    operation.run(Manager(), world);
    const std::uint64_t changes = Sim().ChangeCount() - start;
    EXPECT_GT(changes, 0u);
    for (std::uint64_t n = 1; n <= changes; ++n) {
      SCOPED_TRACE("failing change " + std::to_string(n) + " of " + std::to_string(changes));
      start = Fresh();
      const ItemCensus before = TakeItemCensus();
      Sim().FailChange(start + n);
      try {
        operation.run(Manager(), world);
      } catch (const Error&) {
      }
      Sim().FailChange(0);
      EXPECT_TRUE(NothingLost(before));
      if (operation.takenOver) {
        try {
          TakeOverAgain(Manager(), *operation.takenOver);
        } catch (const Error& error) {
          ADD_FAILURE() << "the next pass failed: " << error.what();
        }
        EXPECT_TRUE(NothingLost(before));
      }
      EXPECT_TRUE(EveryItemListed(before));
    }
  }
}

// A shortcut that another program holds open cannot be copied: it stays where it is, and the
// store's lists say nothing of a copy that does not exist.
TEST_F(ItemManagerFaultTest, AShortcutThatCannotMoveChangesNothing) {
  Fresh();
  const std::string stored = store + "s.lnk";
  Sim().LockFile(userStartup + "u.lnk");
  Sim().LockFile(stored);
  const std::string before = DumpTree(kHKeyLocalMachine, kProgramKey);

  EXPECT_EQ(Manager().IncludeStartupItem(userStartup + "u.lnk"), "");
  EXPECT_EQ(ErrorOf([&] { Manager().ExcludeStartupItem(stored); }),
            "Unable to move " + stored + " to " + SharedSpecialFolders().GetCommonStartupFolder());

  EXPECT_EQ(DumpTree(kHKeyLocalMachine, kProgramKey), before);
  EXPECT_TRUE(FileThere(userStartup + "u.lnk"));
  EXPECT_FALSE(FileThere(store + "u.lnk"));
  EXPECT_TRUE(FileThere(stored));
  EXPECT_FALSE(FileThere(commonStartup + "s.lnk"));
}

// A shortcut that names no program would make a Run value without a name: it is refused.
TEST_F(ItemManagerFaultTest, AShortcutToNothingIsNotMoved) {
  Fresh();
  const std::string link = store + "empty.lnk";
  ASSERT_EQ(Shell().SaveShellLink(link, "", ""), kSOk);
  const std::string before =
      DumpTree(kHKeyLocalMachine, kProgramKey) + DumpTree(kHKeyLocalMachine, kRunKey);
  std::string target = "unchanged";
  EXPECT_EQ(ErrorOf([&] { Manager().MoveShortcutToRunKey(link, target, false); }),
            "Unable to find the program that " + link + " starts");
  EXPECT_EQ(DumpTree(kHKeyLocalMachine, kProgramKey) + DumpTree(kHKeyLocalMachine, kRunKey),
            before);
}

// A value that another program keeps in the Run key is left to Windows, with its data.
TEST_F(ItemManagerFaultTest, GuardedValuesAreExcludedAndKeepTheirData) {
  struct Case {
    HKey root;
    SimPlatform::Guard guard;
  } cases[] = {
      {kHKeyLocalMachine, SimPlatform::Guard::kRewrite},
      {kHKeyLocalMachine, SimPlatform::Guard::kRefuseDelete},
      {kHKeyCurrentUser, SimPlatform::Guard::kRewrite},
      {kHKeyCurrentUser, SimPlatform::Guard::kRefuseDelete},
  };
  int number = 0;
  for (const Case& c : cases) {
    const std::string name = "Guarded" + std::to_string(number++);
    SCOPED_TRACE(name);
    RunKeyItem item =
        c.root == kHKeyCurrentUser ? User(name, "g.exe /keep") : Machine(name, "g.exe /keep");
    SetRawExpandString(c.root, kRunKey, name, item.command);
    Sim().GuardValue(c.root, SeamPath(kRunKey), name, c.guard);
    Manager().TakeOverRunItem(item);
    EXPECT_EQ(RunValue(c.root, name), "g.exe /keep");
    EXPECT_EQ(RawType(c.root, kRunKey, name), kRegExpandSz);
    EXPECT_EQ(RawString(kHKeyLocalMachine, kRunExcludeKey, name), RunItemExcludeOwner(item));
    EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunItemsKey, StoredItemName(item)));
    EXPECT_EQ(SortOf(kRunSortKey), std::vector<std::string>{});
  }
}

// A probe cut short puts the value's data back.
TEST_F(ItemManagerFaultTest, AProbeCutShortRestoresTheValue) {
  StageRunValue(kHKeyLocalMachine, "Tool", "tool.exe 100%");
  const std::uint64_t start = Sim().ChangeCount();
  EXPECT_FALSE(Manager().TestRunValue(kHKeyLocalMachine));
  const std::uint64_t changes = Sim().ChangeCount() - start;
  for (std::uint64_t n = 1; n <= changes; ++n) {
    SCOPED_TRACE(n);
    Sim().FailChange(Sim().ChangeCount() + n);
    EXPECT_TRUE(Manager().TestRunValue(kHKeyLocalMachine));
    Sim().FailChange(0);
    EXPECT_EQ(RunValue(kHKeyLocalMachine, "Tool"), "tool.exe 100%");
  }
}

// Another user's item goes back into that user's own Run key, through the user's hive, with
// its type. While the hive cannot be mounted (its user is logged on and holds it), the item
// stays stored and the error says where it could not go.
TEST_F(ItemManagerFaultTest, AnotherUsersExcludedItemGoesBackIntoThatUsersHive) {
  const std::string profile = "C:\\Documents and Settings\\alice";
  const std::string hive = profile + "\\NTuser.dat";
  const std::string source = "\\SOFTWARE\\Tallowmere\\Source";
  SetRawString(kHKeyCurrentUser, source + kRunKey, "Other", "other.exe");
  Sim().AddFolder(profile);
  {
    Key key;
    ASSERT_EQ(Reg().OpenKeyEx(kHKeyCurrentUser, SeamPath(source), kKeyRead, &key.handle), kOk);
    ASSERT_EQ(Reg().SaveKey(key.handle, hive), kOk);
  }
  DeleteKeyTree(kHKeyCurrentUser, SeamPath(source));
  const std::string command = "\"%ProgramFiles%\\Tool\\tool.exe\" /tray";
  StageSort(kRunSortKey, {"alice_Tool"});
  SetRawExpandString(kHKeyLocalMachine, kRunItemsKey, "alice_Tool", command);
  SetRawString(kHKeyLocalMachine, kRunLocationKey, "alice_Tool", "alice");
  SetRawDword(kHKeyLocalMachine, kRunLocationKey, "alice_Tool_HKEY",
              static_cast<std::uint32_t>(StoredRoot(kHKeyCurrentUser)));

  Sim().LockFile(hive);
  EXPECT_EQ(ErrorOf([] { SharedItemManager().ExcludeRunItem("alice_Tool"); }),
            std::string("Unable to open : Launchward_alice") + kRunKey);
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunItemsKey, "alice_Tool"), command);
  EXPECT_EQ(SortOf(kRunSortKey), std::vector<std::string>{"alice_Tool"});
  EXPECT_FALSE(RawKeyExists(kHKeyUsers, "Launchward_alice"));
  Sim().LockFile(hive, false);

  Manager().ExcludeRunItem("alice_Tool");
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunItemsKey, "alice_Tool"));
  EXPECT_EQ(SortOf(kRunSortKey), std::vector<std::string>{});
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunExcludeKey, "Tool"), kExcludeMark);
  for (HKey root : {kHKeyLocalMachine, kHKeyCurrentUser}) {
    EXPECT_TRUE(RawValueNames(root, kRunKey).empty()) << root;
  }
  EXPECT_FALSE(RawKeyExists(kHKeyUsers, "Launchward_alice"));
  EXPECT_EQ(Sim().OpenKeyCount(), 0);
  ASSERT_EQ(Reg().LoadKey(kHKeyUsers, "Check", hive), kOk);
  EXPECT_EQ(RawString(kHKeyUsers, std::string("Check") + kRunKey, "Tool"), command);
  EXPECT_EQ(RawType(kHKeyUsers, std::string("Check") + kRunKey, "Tool"), kRegExpandSz);
  EXPECT_EQ(RawString(kHKeyUsers, std::string("Check") + kRunKey, "Other"), "other.exe");
  EXPECT_EQ(Reg().UnLoadKey(kHKeyUsers, "Check"), kOk);
}

// Without the right to write the machine's keys nothing moves, files included.
TEST_F(ItemManagerFaultTest, AUserWithoutRightsChangesNothing) {
  for (const Operation& operation : kOperations) {
    SCOPED_TRACE(operation.what);
    Fresh();
    Sim().DenyKeyWrites(kHKeyLocalMachine, "");
    auto snapshot = [] {
      std::string text;
      for (HKey root : {kHKeyLocalMachine, kHKeyCurrentUser}) {
        text += DumpTree(root, kProgramKey) + DumpTree(root, kRunKey);
      }
      for (const CensusFile& file : TakeItemCensus().files) {
        text += file.folder + file.name + " = " + file.content + "\n";
      }
      return text;
    };
    const std::string before = snapshot();
    ErrorOf([&] { operation.run(Manager(), world); });
    EXPECT_EQ(snapshot(), before);
  }
}

}  // namespace
}  // namespace lw::test
