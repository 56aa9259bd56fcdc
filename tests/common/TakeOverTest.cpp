// The take-over passes of a logon's first start and the listing shown before them, on the
// simulation and on Windows (under Wine): real Run keys, real Startup folders with real
// shortcuts, and the shortcut store beside the executable.

#include <algorithm>
#include <cctype>
#include <ostream>
#include <string>
#include <vector>

#include "items/ItemManager.h"
#include "support/ScriptNames.h"
#include "support/TakeOverFixture.h"
#include "util/ErrorLog.h"

namespace lw::test {
namespace {

using TakeOverTest = TakeOverFixture;

const std::string kSelf = "\"C:\\Launchward\\launchward.exe\" -go ";

TEST_F(TakeOverTest, FirstTakeOverTakesEverythingInSnapshotOrderAndRecordsItAsNew) {
  const ValueMap userRun = {{"Tray", "C:\\Tools\\tray.exe /min"},
                            {"Sync", "\"C:\\Program Files\\Sync\\sync.exe\" -background"}};
  // "Tray" in both keys: the user's is stored under the user's name, the machine's under its own.
  const ValueMap machineRun = {{"Tray", "C:\\Vendor\\tray.exe"},
                               {"Agent", "\"C:\\Program Files\\Agent\\agent.exe\" -s"}};
  for (const auto& [name, command] : userRun) Run(kHKeyCurrentUser, name, command);
  for (const auto& [name, command] : machineRun) Run(kHKeyLocalMachine, name, command);
  for (HKey root : {kHKeyCurrentUser, kHKeyLocalMachine}) Run(root, kSelfRunValue, kSelf);
  Run(kHKeyLocalMachine, "Blank", "");  // empty data: not an item

  const ValueMap targets = {{"Notes.lnk", "C:\\Apps\\notes.exe"},
                            {"Mail.lnk", "C:\\Apps\\mail.exe"},
                            {"Backup.lnk", "C:\\Apps\\backup.exe"}};
  ValueMap bytes;
  for (const auto& [name, target] : targets) {
    bytes[name] = Link(name == "Backup.lnk" ? commonFolder : userFolder, name, target);
  }
  // What the listing of a Startup folder skips stays there.
  ASSERT_TRUE(Files().CreateDirectory(userFolder + "Sub"));
  ASSERT_TRUE(Files().WriteFile(commonFolder + "desktop.ini", "[.ShellClassInfo]\r\n"));
  ASSERT_TRUE(Files().SetFileAttributes(commonFolder + "desktop.ini",
                                        kFileAttributeSystem | kFileAttributeHidden));

  StartupMover mover;
  std::vector<std::string> runOrder;
  ValueMap expectedRun;
  for (const RunKeyItem& item : mover.RunItems()) {
    if (item.name == kSelfRunValue) continue;
    runOrder.push_back(Stored(item.root, item.name));
    expectedRun[Stored(item.root, item.name)] = item.command;
  }
  std::vector<std::string> startupOrder;
  ValueMap expectedNew;
  ValueMap expectedOrigins;
  for (const StartupFolderItem& item : mover.StartupItems()) {
    std::string name = ExtractFileName(item.path);
    startupOrder.push_back(store + name);
    expectedNew[name] = store + name;
    expectedOrigins[store + name] = item.folder;
  }
  ASSERT_EQ(runOrder.size(), 4u);
  ASSERT_EQ(startupOrder.size(), 3u);

  mover.DetectNewRunItems();
  mover.DetectNewStartupItems();

  EXPECT_EQ(SortEntries(kRunSortKey), runOrder);
  EXPECT_EQ(Store(kRunItemsKey), expectedRun);
  EXPECT_EQ(Store(kRunNewItemsKey), expectedRun);
  EXPECT_EQ(ProgramValue(kNewRunItemsValue), "NewRunItems");
  struct Origin {
    std::string stored;
    std::string user;
    HKey root;
  };
  const Origin origins[] = {{user + "_Tray", user, kHKeyCurrentUser},
                            {user + "_Sync", user, kHKeyCurrentUser},
                            {"Tray", "", kHKeyLocalMachine},
                            {"Agent", "", kHKeyLocalMachine}};
  for (const Origin& origin : origins) {
    SCOPED_TRACE(origin.stored);
    EXPECT_EQ(RawString(kHKeyLocalMachine, kRunLocationKey, origin.stored), origin.user);
    EXPECT_EQ(RawDword(kHKeyLocalMachine, kRunLocationKey, origin.stored + kHKeySuffix),
              StoredRoot(origin.root));
  }
  EXPECT_EQ(Values(kHKeyCurrentUser, kRunKey), (ValueMap{{kSelfRunValue, kSelf}}));
  EXPECT_EQ(Values(kHKeyLocalMachine, kRunKey), (ValueMap{{kSelfRunValue, kSelf}, {"Blank", ""}}));

  EXPECT_EQ(SortEntries(kStartupSortKey), startupOrder);
  EXPECT_EQ(Store(kStartupNewKey), expectedNew);
  EXPECT_EQ(ProgramValue(kNewStartupItemsValue), "NewStartupItems");
  EXPECT_EQ(Store(kStartupLocationKey), expectedOrigins);
  EXPECT_EQ(FolderNames(userFolder), std::vector<std::string>{"Sub"});
  EXPECT_EQ(FolderNames(commonFolder), std::vector<std::string>{"desktop.ini"});
  for (const auto& [name, target] : targets) {
    SCOPED_TRACE(name);
    EXPECT_EQ(ReadWholeFile(store + name), bytes[name]);
    std::string loaded;
    EXPECT_EQ(Shell().LoadShellLink(store + name, 0, &loaded, nullptr), kSOk);
    EXPECT_EQ(loaded, target);
  }

  // The snapshot is taken again: only what stays with Windows is left in it.
  EXPECT_EQ(mover.RunItemCount(), 2);
  EXPECT_EQ(mover.StartupItemCount(), 0);
}

// The second logon: items that come back are removed again without being new (another version
// of one is kept beside it, disabled); only what arrived since is new. The records of the first
// logon are dropped when its "-go" start consumed the flags, and kept when it did not run.
class TakeOverSecondPassTest : public TakeOverFixture,
                               public ::testing::WithParamInterface<bool> {};

TEST_P(TakeOverSecondPassTest, ReturningItemsAreRemovedAgainAndOnlyArrivalsAreNew) {
  const bool flagsConsumed = GetParam();
  Run(kHKeyLocalMachine, "Agent", "agent.exe");
  Run(kHKeyCurrentUser, "Tray", "tray.exe");
  const std::string notes = Link(userFolder, "Notes.lnk", "C:\\Apps\\notes.exe");
  Pass();
  SharedItemManager().DisableRunItem("Tray", user + "_");
  if (flagsConsumed) {
    StartupMover mover;
    EXPECT_TRUE(mover.HasNewItems());
    EXPECT_FALSE(mover.HasNewItems());
  }

  Run(kHKeyLocalMachine, "Agent", "agent.exe --written-back");
  // The user's disabled item comes back; the same command in the machine's Run key is the
  // machine's own item, new (a per-machine program writes it for everyone).
  Run(kHKeyCurrentUser, "Tray", "tray.exe");
  Run(kHKeyLocalMachine, "Tray", "tray.exe");
  const std::string reinstalled = Link(userFolder, "Notes.lnk", "C:\\Apps\\notes-reinstalled.exe");
  Run(kHKeyLocalMachine, "Fresh", "fresh.exe");
  Pass();

  EXPECT_TRUE(Values(kHKeyLocalMachine, kRunKey).empty());
  EXPECT_TRUE(Values(kHKeyCurrentUser, kRunKey).empty());
  EXPECT_EQ(Store(kRunItemsKey)["Agent"], "agent.exe");
  EXPECT_EQ(Store(kRunDisabledKey),
            (ValueMap{{user + "_Tray", "tray.exe"}, {"Agent (2)", "agent.exe --written-back"}}));
  // The two arrivals follow in the order the Run key lists them (Wine: by name).
  std::vector<std::string> order = SortEntries(kRunSortKey);
  ASSERT_EQ(order.size(), 3u);
  EXPECT_EQ(order[0], "Agent");
  std::sort(order.begin() + 1, order.end());
  EXPECT_EQ(order, (std::vector<std::string>{"Agent", "Fresh", "Tray"}));
  EXPECT_TRUE(FolderNames(userFolder).empty());
  EXPECT_EQ(ReadWholeFile(store + "Notes.lnk"), notes);
  EXPECT_EQ(ReadWholeFile(store + "Notes (2).lnk"), reinstalled);

  ValueMap newRun = {{"Fresh", "fresh.exe"}, {"Tray", "tray.exe"}};
  ValueMap newStartup;
  if (!flagsConsumed) {
    newRun.insert({{"Agent", "agent.exe"}, {user + "_Tray", "tray.exe"}});
    newStartup = {{"Notes.lnk", store + "Notes.lnk"}};
  }
  EXPECT_EQ(Store(kRunNewItemsKey), newRun);
  EXPECT_EQ(Store(kStartupNewKey), newStartup);
  EXPECT_EQ(ProgramValue(kNewRunItemsValue), "NewRunItems");
  EXPECT_EQ(ProgramValue(kNewStartupItemsValue), flagsConsumed ? "<missing>" : "NewStartupItems");
}

INSTANTIATE_TEST_SUITE_P(FlagsConsumedOrNot, TakeOverSecondPassTest, ::testing::Bool());

TEST_F(TakeOverTest, AutoDisableLeavesNewItemsDisabledYetRecordedAsNew) {
  SharedOptions().SetChecked(kAutoDisableOption, true);
  Run(kHKeyLocalMachine, "Agent", "agent.exe");
  Link(userFolder, "Notes.lnk", "C:\\Apps\\notes.exe");
  Pass();

  EXPECT_EQ(Store(kRunDisabledKey), (ValueMap{{"Agent", "agent.exe"}}));
  EXPECT_TRUE(SortEntries(kRunSortKey).empty());
  EXPECT_TRUE(Values(kHKeyLocalMachine, kRunKey).empty());
  EXPECT_EQ(Store(kRunNewItemsKey), (ValueMap{{"Agent", "agent.exe"}}));
  EXPECT_EQ(ProgramValue(kNewRunItemsValue), "NewRunItems");

  EXPECT_EQ(Store(kStartupDisableKey), (ValueMap{{"Notes.lnk", store + "Notes.lnk"}}));
  for (const std::string& entry : SortEntries(kStartupSortKey)) EXPECT_EQ(entry, "");
  EXPECT_NE(Files().GetFileAttributes(store + "Notes.lnk"), kInvalidFileAttributes);
  EXPECT_EQ(Store(kStartupNewKey), (ValueMap{{"Notes.lnk", store + "Notes.lnk"}}));
  EXPECT_EQ(ProgramValue(kNewStartupItemsValue), "NewStartupItems");
}

TEST_F(TakeOverTest, NamesAndCommandsPassUnchanged) {
  struct Case {
    HKey root;
    std::string name;
    std::string command;
  };
  const Case cases[] = {
      {kHKeyLocalMachine, "My Tool", "\"C:\\Program Files\\My Tool\\tool.exe\" /tray"},
      {kHKeyCurrentUser, "Say \"hi\"", "cmd.exe /c echo \"hi\" > \"C:\\out put.txt\""},
      {kHKeyLocalMachine, "100% Up", "C:\\up.exe --level=100% %TEMP%\\up.log"},
      {kHKeyCurrentUser, kCafe, "C:\\" + kCafe + "\\caf\xc3\xa9.exe -r\xc3\xa9sum\xc3\xa9"},
      // Cyrillic, Chinese and an emoji (two UTF-16 units).
      {kHKeyLocalMachine, kPrivet, "C:\\" + kPrivet + "\\p.exe " + kPrivet},
      {kHKeyCurrentUser, kChinese, "\"C:\\" + kChinese + " " + kChinese + "\\z.exe\" /" + kChinese},
      {kHKeyLocalMachine, kRocket, "C:\\" + kRocket + ".exe"},
      {kHKeyLocalMachine, "Long", "C:\\long.exe " + std::string(5000, 'x') + " end"},
  };
  for (const Case& c : cases) Run(c.root, c.name, c.command);
  const std::vector<std::string> links = {"My " + kCafe + " 100%.lnk", kPrivet + ".lnk",
                                          kChinese + ".lnk", kRocket + ".lnk"};
  std::vector<std::string> contents;
  for (const std::string& name : links)
    contents.push_back(
        Link(userFolder, name, "C:\\" + name.substr(0, name.size() - 4) + "\\x.exe"));
  Pass();

  ValueMap newRun = Store(kRunNewItemsKey);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Store(kRunItemsKey)[Stored(c.root, c.name)], c.command);
    EXPECT_EQ(newRun[Stored(c.root, c.name)], c.command);
    EXPECT_FALSE(RawValueExists(c.root, kRunKey, c.name));
  }
  EXPECT_EQ(newRun.size(), std::size(cases));
  ValueMap newStartup;
  for (const std::string& name : links) newStartup[name] = store + name;
  EXPECT_EQ(Store(kStartupNewKey), newStartup);
  for (std::size_t i = 0; i < links.size(); ++i) {
    EXPECT_EQ(ReadWholeFile(store + links[i]), contents[i]) << links[i];
    EXPECT_FALSE(FileThere(userFolder + links[i])) << links[i];
  }
}

// The user's values are stored under the user's name and "_": a value whose name is already as
// long as the registry allows cannot be stored so. It stays in its Run key, excluded, with its
// data, and the items after it are taken over.
TEST_F(TakeOverTest, AUserValueTooLongToStoreStaysWithWindows) {
  const std::string longest(kMaxValueNameLength, 'n');
  Run(kHKeyCurrentUser, longest, "user-long.exe");
  Run(kHKeyCurrentUser, "After", "after.exe");
  Run(kHKeyLocalMachine, longest, "machine-long.exe");
  Pass();
  EXPECT_EQ(Values(kHKeyCurrentUser, kRunKey), (ValueMap{{longest, "user-long.exe"}}));
  EXPECT_EQ(Store(kRunExcludeKey),
            (ValueMap{{longest, CurrentUserSid() + "," + kMachineExcludeOwner}}));
  EXPECT_EQ(Store(kRunItemsKey)[Stored(kHKeyCurrentUser, "After")], "after.exe");
  // The machine's value of that name is left to Windows too: its plain name leaves no room for the
  // records of where it came from.
  EXPECT_EQ(Values(kHKeyLocalMachine, kRunKey), (ValueMap{{longest, "machine-long.exe"}}));
}

// Windows expands an expandable command line ("%ProgramFiles%") only when its value says so:
// the type goes with the command into the store and every way back out of it, and a plain
// value stays plain.
TEST_F(TakeOverTest, RunValuesKeepTheirTypeThroughEveryMove) {
  const std::string command = "\"%ProgramFiles%\\Tool\\tool.exe\" /tray";
  for (std::uint32_t type : {kRegSz, kRegExpandSz}) {
    SCOPED_TRACE(type);
    Restart();
    const std::string stored = Stored(kHKeyCurrentUser, "Tool");
    SetRaw(kHKeyCurrentUser, kRunKey, "Tool", type, command + std::string(1, '\0'));
    Pass();
    EXPECT_EQ(RawType(kHKeyLocalMachine, kRunItemsKey, stored), type);
    EXPECT_EQ(RawType(kHKeyLocalMachine, kRunNewItemsKey, stored), type);

    ItemManager& manager = SharedItemManager();
    manager.DisableRunItem("Tool", user + "_");
    EXPECT_EQ(RawType(kHKeyLocalMachine, kRunDisabledKey, stored), type);
    SetRawString(kHKeyLocalMachine, kRunItemsKey, stored, "stale");
    manager.EnableRunItem(stored);
    EXPECT_EQ(RawString(kHKeyLocalMachine, kRunItemsKey, stored), command);
    EXPECT_EQ(RawType(kHKeyLocalMachine, kRunItemsKey, stored), type);

    manager.ExcludeRunItem(stored);
    EXPECT_EQ(Values(kHKeyCurrentUser, kRunKey), (ValueMap{{"Tool", command}}));
    EXPECT_EQ(RawType(kHKeyCurrentUser, kRunKey, "Tool"), type);
    manager.IncludeRunItem("Tool", user + "_", true);
    EXPECT_EQ(RawString(kHKeyLocalMachine, kRunItemsKey, stored), command);
    EXPECT_EQ(RawType(kHKeyLocalMachine, kRunItemsKey, stored), type);
  }
}

// A value left where the next entry of a sort list goes (by a crash, or another program) stops
// no take-over: both passes go on and take everything over.
TEST_F(TakeOverTest, AStrayValueInASortListStopsNoPass) {
  for (const char* key : {kRunSortKey, kStartupSortKey}) {
    SetRawString(kHKeyLocalMachine, key, "0", "Squatter");
    SetRawDword(kHKeyLocalMachine, key, kSortIndexValue, 0);
  }
  Run(kHKeyLocalMachine, "Agent", "agent.exe");
  Link(userFolder, "Notes.lnk", "C:\\Apps\\notes.exe");
  Pass();
  EXPECT_TRUE(Values(kHKeyLocalMachine, kRunKey).empty());
  EXPECT_TRUE(FolderNames(userFolder).empty());
  EXPECT_EQ(SortEntries(kRunSortKey), std::vector<std::string>{"Agent"});
  EXPECT_EQ(SortEntries(kStartupSortKey), std::vector<std::string>{store + "Notes.lnk"});
  for (const char* key : {kRunSortKey, kStartupSortKey}) {
    EXPECT_EQ(RawValueNames(kHKeyLocalMachine, key).size(), 2u) << key;  // "0" and the count
  }
}

// A shortcut that its program re-creates for another target, while the store holds the old
// one: the stored one stays unless its target is gone and the new one's is there (an update
// moved the program); then the new shortcut takes its place. Otherwise the new one is kept
// beside it, disabled. Either way the error log says so.
TEST_F(TakeOverTest, ARecreatedShortcutReplacesTheStoredOneOnlyWhenItsProgramMoved) {
  struct Case {
    const char* what;
    bool storedTargetThere;
    bool newTargetThere;
    bool replaced;
  } cases[] = {
      {"old target gone, new one there", false, true, true},
      {"both there", true, true, false},
      {"both gone", false, false, false},
      {"new one gone", true, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Restart();
    const std::string folder = ScratchFolder();
    MakeFolders(folder);
    const std::string oldTarget = folder + "old.exe";
    const std::string newTarget = folder + "new.exe";
    for (const auto& [there, target] :
         {std::pair{c.storedTargetThere, oldTarget}, std::pair{c.newTargetThere, newTarget}}) {
      if (there) {
        ASSERT_TRUE(Files().WriteFile(target, "MZ"));
      }
    }
    MakeFolders(store);
    const std::string stored = Link(store, "Tool.lnk", oldTarget);
    SetRawString(kHKeyLocalMachine, kStartupSortKey, "0", store + "Tool.lnk");
    SetRawDword(kHKeyLocalMachine, kStartupSortKey, kSortIndexValue, 1);
    const std::string incoming = Link(userFolder, "Tool.lnk", newTarget);

    Pass();
    EXPECT_TRUE(FolderNames(userFolder).empty());
    EXPECT_EQ(ReadWholeFile(store + "Tool.lnk"), c.replaced ? incoming : stored);
    EXPECT_EQ(SortEntries(kStartupSortKey), std::vector<std::string>{store + "Tool.lnk"});
    EXPECT_TRUE(Store(kStartupNewKey).empty());
    const std::string log = ReadWholeFile(ErrorLogPath());
    EXPECT_NE(log.find("Startup item " + store + "Tool.lnk"), std::string::npos) << log;
    EXPECT_EQ(FileThere(store + "Tool (2).lnk"), !c.replaced);
    if (!c.replaced) {
      EXPECT_EQ(ReadWholeFile(store + "Tool (2).lnk"), incoming);
      EXPECT_EQ(Store(kStartupDisableKey), (ValueMap{{"Tool (2).lnk", store + "Tool (2).lnk"}}));
    }
    Files().DeleteFile(oldTarget);
    Files().DeleteFile(newTarget);
  }
}

TEST_F(TakeOverTest, ItemsGoneSinceTheSnapshotAreLeftAlone) {
  Run(kHKeyLocalMachine, "Gone", "gone.exe");
  Link(userFolder, "Gone.lnk", "C:\\Apps\\gone.exe");
  StartupMover mover;
  ASSERT_EQ(mover.RunItemCount(), 1);
  ASSERT_EQ(mover.StartupItemCount(), 1);
  Key run;
  ASSERT_EQ(
      Reg().OpenKeyEx(kHKeyLocalMachine, SeamPath(kRunKey), RawAccess(kKeyAllAccess), &run.handle),
      kOk);
  ASSERT_EQ(Reg().DeleteValue(run.handle, "Gone"), kOk);
  ASSERT_TRUE(Files().DeleteFile(userFolder + "Gone.lnk"));

  mover.DetectNewRunItems();
  mover.DetectNewStartupItems();

  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunKey, "Gone"));
  EXPECT_TRUE(Store(kRunItemsKey).empty());
  EXPECT_TRUE(SortEntries(kStartupSortKey).empty());
  EXPECT_TRUE(Store(kStartupLocationKey).empty());
  EXPECT_EQ(ProgramValue(kNewRunItemsValue), "<missing>");
  EXPECT_EQ(ProgramValue(kNewStartupItemsValue), "<missing>");
}

// Same-named shortcuts in two Startup folders share one place in the store: the first one
// taken keeps it, and a namesake from another folder is left where it is, pass after pass.
TEST_F(TakeOverTest, NamesakeFromAnotherFolderStaysWhereItIs) {
  const std::string mine = Link(userFolder, "Same.lnk", "C:\\Apps\\mine.exe");
  const std::string theirs = Link(commonFolder, "Same.lnk", "C:\\Apps\\theirs.exe");
  for (int pass = 1; pass <= 2; ++pass) {
    SCOPED_TRACE(pass);
    Pass();
    EXPECT_TRUE(FolderNames(userFolder).empty());
    EXPECT_EQ(FolderNames(commonFolder), std::vector<std::string>{"Same.lnk"});
    EXPECT_EQ(ReadWholeFile(commonFolder + "Same.lnk"), theirs);
    EXPECT_EQ(ReadWholeFile(store + "Same.lnk"), mine);
    EXPECT_EQ(Store(kStartupLocationKey), (ValueMap{{store + "Same.lnk", userFolder}}));
    EXPECT_EQ(SortEntries(kStartupSortKey), std::vector<std::string>{store + "Same.lnk"});
    EXPECT_EQ(Store(kStartupNewKey), (ValueMap{{"Same.lnk", store + "Same.lnk"}}));
  }
}

// A shortcut that reappears while the store holds its namesake: taken from its folder when the
// stored one came from that folder (whatever the spelling) or from no known folder, and kept
// beside the stored one, disabled, when it differs from it; left alone when it came from
// another one. The stored one is never replaced.
enum class StoredAs { kManaged, kDisabled };
enum class RecordedOrigin { kAllUsersFolder, kThisFolderSpeltOtherwise, kNone };
struct NamesakeCase {
  const char* title;
  StoredAs storedAs;
  RecordedOrigin origin;
  bool leftAlone;
};
void PrintTo(const NamesakeCase& c, std::ostream* os) { *os << c.title; }

class TakeOverNamesakeTest : public TakeOverFixture,
                             public ::testing::WithParamInterface<NamesakeCase> {};

TEST_P(TakeOverNamesakeTest, ReappearingShortcutMeetsItsStoredNamesake) {
  const NamesakeCase& c = GetParam();
  const std::string stored = store + "Same.lnk";
  MakeFolders(store);
  const std::string storedBytes = Link(store, "Same.lnk", "C:\\Apps\\stored.exe");
  if (c.storedAs == StoredAs::kManaged) {
    SetRawString(kHKeyLocalMachine, kStartupSortKey, "0", stored);
    SetRawDword(kHKeyLocalMachine, kStartupSortKey, kSortIndexValue, 1);
  } else {
    SetRawString(kHKeyLocalMachine, kStartupDisableKey, "Same.lnk", stored);
  }
  std::string origin;
  if (c.origin == RecordedOrigin::kAllUsersFolder) origin = commonFolder;
  if (c.origin == RecordedOrigin::kThisFolderSpeltOtherwise) {
    origin = userFolder.substr(0, userFolder.size() - 1);
    for (char& ch : origin) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  }
  if (c.origin != RecordedOrigin::kNone) {
    SetRawString(kHKeyLocalMachine, kStartupLocationKey, stored, origin);
  }
  const std::string incoming = Link(userFolder, "Same.lnk", "C:\\Apps\\incoming.exe");

  Pass();

  EXPECT_EQ(ReadWholeFile(stored), storedBytes);
  EXPECT_TRUE(Store(kStartupNewKey).empty());
  if (c.leftAlone) {
    EXPECT_EQ(ReadWholeFile(userFolder + "Same.lnk"), incoming);
    EXPECT_EQ(Store(kStartupLocationKey), (ValueMap{{stored, origin}}));
  } else {
    EXPECT_FALSE(FileThere(userFolder + "Same.lnk"));
    EXPECT_EQ(ReadWholeFile(store + "Same (2).lnk"), incoming);
    EXPECT_EQ(Store(kStartupLocationKey),
              (ValueMap{{stored, userFolder}, {store + "Same (2).lnk", userFolder}}));
    EXPECT_EQ(GetStartupItemState("Same (2).lnk"), ItemState::kDisabled);
  }
}

const NamesakeCase kNamesakeCases[] = {
    {"ManagedFromAnotherFolder", StoredAs::kManaged, RecordedOrigin::kAllUsersFolder, true},
    {"DisabledFromAnotherFolder", StoredAs::kDisabled, RecordedOrigin::kAllUsersFolder, true},
    {"ManagedFromThisFolder", StoredAs::kManaged, RecordedOrigin::kThisFolderSpeltOtherwise, false},
    {"DisabledFromThisFolder", StoredAs::kDisabled, RecordedOrigin::kThisFolderSpeltOtherwise,
     false},
    {"ManagedFromNoKnownFolder", StoredAs::kManaged, RecordedOrigin::kNone, false},
};
INSTANTIATE_TEST_SUITE_P(Cases, TakeOverNamesakeTest, ::testing::ValuesIn(kNamesakeCases),
                         [](const auto& info) { return std::string(info.param.title); });

// A new shortcut whose name a stray file of the store already has (left there by a restore)
// stays in its folder, new, and the log says why; the stray file is not replaced.
TEST_F(TakeOverTest, NewShortcutBesideAStrayStoredNamesakeStaysNew) {
  MakeFolders(store);
  const std::string stray = Link(store, "Tray.lnk", "C:\\Old\\tray.exe");
  const std::string incoming = Link(userFolder, "Tray.lnk", "C:\\New\\tray.exe");
  for (bool autoDisable : {false, true}) {
    SCOPED_TRACE(autoDisable ? "auto-disable" : "plain");
    SharedOptions().SetChecked(kAutoDisableOption, autoDisable);
    Pass();
    EXPECT_EQ(ReadWholeFile(userFolder + "Tray.lnk"), incoming);
    EXPECT_EQ(ReadWholeFile(store + "Tray.lnk"), stray);
    EXPECT_EQ(GetStartupItemState("Tray.lnk"), ItemState::kNew);
    EXPECT_TRUE(Store(kStartupNewKey).empty());
    EXPECT_NE(ReadWholeFile(ErrorLogPath())
                  .find("Unable to move " + userFolder + "Tray.lnk to " + store +
                        " : another file named Tray.lnk is already there"),
              std::string::npos);
  }
}

}  // namespace
}  // namespace lw::test
