// Restore where only the simulation can stage the machine: other users' hives found through the
// profile list, keys that refuse writing, and every change of a restore failing in turn.

#include <gtest/gtest.h>

#include "install/RestoreFiles.h"
#include "store/UserProfiles.h"
#include "support/AliceAccount.h"
#include "support/ItemCensus.h"
#include "support/RestoreFixture.h"
#include "support/ScriptNames.h"
#include "util/Error.h"

namespace lw::test {
namespace {

constexpr char kMount[] = "RestoreCheck";

class RestoreSimTest : public RestoreFixture {
 protected:
  // Alice's profile folder is not named after her (a renamed account): only the profile list
  // leads there.
  static std::string StageRenamedAlice() {
    Sim().SetEnvironmentVariable("SystemDrive", "C:");
    return StageAlice("C:\\Documents and Settings\\alice.CONTOSO",
                      "%SystemDrive%\\Documents and Settings\\alice.CONTOSO");
  }

  // Alice's item as a take-over in her session left it in the store.
  static void StoreAliceItem(const std::string& name, const std::string& command) {
    const std::string stored = "alice_" + name;
    SetRawString(kHKeyLocalMachine, kRunItemsKey, stored, command);
    SharedItemManager().AppendSortEntry(kRunSortName, stored);
    SetRunLocation(stored, "alice");
    SetRunLocationHKey(stored, kHKeyCurrentUser);
  }

  static ValueMap HiveRun(const std::string& file) {
    EXPECT_EQ(Reg().LoadKey(kHKeyUsers, kMount, file), kOk);
    ValueMap values = Values(kHKeyUsers, std::string(kMount) + kRunKey);
    EXPECT_EQ(Reg().UnLoadKey(kHKeyUsers, kMount), kOk);
    return values;
  }
};

TEST_F(RestoreSimTest, AnotherUsersItemGoesIntoTheHiveTheProfileListNames) {
  const std::string file = StageRenamedAlice();
  StoreAliceItem("Chat", "C:\\chat.exe /min");
  // The registration that her own logon would have kept.
  EXPECT_EQ(Reg().LoadKey(kHKeyUsers, kMount, file), kOk);
  SetRawString(kHKeyUsers, std::string(kMount) + kRunOnceKey, kSelfRunValue, "x -pre ");
  EXPECT_EQ(Reg().UnLoadKey(kHKeyUsers, kMount), kOk);

  EXPECT_EQ(Restore(), kMsgRestoreComplete);
  EXPECT_EQ(HiveRun(file), (ValueMap{{"Chat", "C:\\chat.exe /min"}, {"Theirs", "C:\\theirs.exe"}}));
  EXPECT_EQ(Reg().LoadKey(kHKeyUsers, kMount, file), kOk);
  EXPECT_FALSE(RawValueExists(kHKeyUsers, std::string(kMount) + kRunOnceKey, kSelfRunValue));
  EXPECT_EQ(Reg().UnLoadKey(kHKeyUsers, kMount), kOk);
  EXPECT_TRUE(Store(kRunItemsKey).empty());
  EXPECT_EQ(Sim().OpenKeyCount(), 0);
}

TEST_F(RestoreSimTest, AnotherUserWhoIsLoggedOnGetsTheItemInTheLoadedHive) {
  const std::string file = StageRenamedAlice();
  StoreAliceItem("Chat", "C:\\chat.exe");
  // Her session holds the file; Windows has the hive loaded under her SID.
  ASSERT_EQ(Reg().LoadKey(kHKeyUsers, kAliceSid, file), kOk);
  EXPECT_EQ(Restore(), kMsgRestoreComplete);
  EXPECT_EQ(RawString(kHKeyUsers, std::string(kAliceSid) + kRunKey, "Chat"), "C:\\chat.exe");
  EXPECT_TRUE(RawKeyExists(kHKeyUsers, kAliceSid));  // still hers, still loaded
  EXPECT_EQ(Reg().UnLoadKey(kHKeyUsers, kAliceSid), kOk);
}

// Restore removes every start at logon it registered, wherever it can reach one: the
// machine's keys in both views, the user's own, every loaded hive and every profile's hive,
// owner of an item or not; and the closing message names a place that keeps one.
TEST_F(RestoreSimTest, EveryRegistrationGoesOrIsNamed) {
  FreeOptions();
  FinalizeProcessUnits();
  Sim().SetWindows64();
  InitializeProcessUnits();
  CreateOptions();
  const std::string file = StageRenamedAlice();  // no item of hers is stored
  constexpr char kLoggedOnSid[] = "S-1-5-21-7-7-7-1002";
  MakeHiveFile("C:\\carol.dat");
  ASSERT_EQ(Reg().LoadKey(kHKeyUsers, kLoggedOnSid, "C:\\carol.dat"), kOk);
  auto registerAll = [&] {
    for (const char* key : {kRunKey, kRunOnceKey}) {
      SetRawString(kHKeyLocalMachine, key, kSelfRunValue, "x -go ");
      SetRawString(kHKeyCurrentUser, key, kSelfRunValue, "x -go ");
      SetRawString(kHKeyUsers, std::string(kLoggedOnSid) + key, kSelfRunValue, "x -go ");
      RawViewOverride() = kKeyWow64_64Key;
      SetRawString(kHKeyLocalMachine, key, kSelfRunValue, "x -go ");
      RawViewOverride() = 0;
    }
    ASSERT_EQ(Reg().LoadKey(kHKeyUsers, kMount, file), kOk);
    SetRawString(kHKeyUsers, std::string(kMount) + kRunKey, kSelfRunValue, "x -go ");
    ASSERT_EQ(Reg().UnLoadKey(kHKeyUsers, kMount), kOk);
  };
  auto registered = [&] {
    std::vector<std::string> places;
    for (const char* key : {kRunKey, kRunOnceKey}) {
      if (RawValueExists(kHKeyLocalMachine, key, kSelfRunValue)) places.push_back("machine");
      if (RawValueExists(kHKeyCurrentUser, key, kSelfRunValue)) places.push_back("user");
      if (RawValueExists(kHKeyUsers, std::string(kLoggedOnSid) + key, kSelfRunValue))
        places.push_back("loaded");
      RawViewOverride() = kKeyWow64_64Key;
      if (RawValueExists(kHKeyLocalMachine, key, kSelfRunValue)) places.push_back("machine 64");
      RawViewOverride() = 0;
    }
    EXPECT_EQ(Reg().LoadKey(kHKeyUsers, kMount, file), kOk);
    if (RawValueExists(kHKeyUsers, std::string(kMount) + kRunKey, kSelfRunValue))
      places.push_back("profile");
    EXPECT_EQ(Reg().UnLoadKey(kHKeyUsers, kMount), kOk);
    return places;
  };

  registerAll();
  EXPECT_EQ(Restore(), kMsgRestoreComplete);
  EXPECT_EQ(registered(), std::vector<std::string>{});

  // A value another program keeps from being deleted stays, and the message says where. (The
  // simulation names the machine's own keys: this is the 64-bit view's Run key.)
  registerAll();
  Sim().GuardValue(kHKeyLocalMachine, SeamPath(kRunKey), kSelfRunValue,
                   SimPlatform::Guard::kRefuseDelete);
  const std::string message = Restore();
  EXPECT_EQ(registered(), std::vector<std::string>{"machine 64"});
  EXPECT_EQ(message.find(kMsgRestoreComplete), std::string::npos);
  EXPECT_NE(message.find(kMsgStillRegistered), std::string::npos);
  EXPECT_NE(message.find(std::string("HKEY_LOCAL_MACHINE (64-bit view)") + kRunKey + "\r\n"),
            std::string::npos)
      << message;
  EXPECT_EQ(Reg().UnLoadKey(kHKeyUsers, kLoggedOnSid), kOk);
}

TEST_F(RestoreSimTest, WithoutAProfileEntryTheFolderNamedAfterTheUserIsTried) {
  Sim().AddFolder("C:\\Documents and Settings\\dave");
  MakeHiveFile("C:\\Documents and Settings\\dave\\NTuser.dat");
  SetRawString(kHKeyLocalMachine, kRunItemsKey, "dave_Sync", "C:\\sync.exe");
  SharedItemManager().AppendSortEntry(kRunSortName, "dave_Sync");
  SetRunLocation("dave_Sync", "dave");
  SetRunLocationHKey("dave_Sync", kHKeyCurrentUser);
  EXPECT_EQ(Restore(), kMsgRestoreComplete);
  EXPECT_EQ(HiveRun("C:\\Documents and Settings\\dave\\NTuser.dat")["Sync"], "C:\\sync.exe");
}

TEST_F(RestoreSimTest, ItemsThatCannotGoBackStayStoredAndAreSavedForTheUser) {
  const std::string file = StageRenamedAlice();
  Run(kHKeyLocalMachine, "Machine \"quoted\"", "\"C:\\Program Files\\M\\m.exe\" -a");
  SetRawExpandString(kHKeyLocalMachine, kRunKey, "Expanding", "%ProgramFiles%\\e.exe");
  Run(kHKeyCurrentUser, "Mine", "C:\\mine.exe");
  Pass();
  StoreAliceItem("Chat", "C:\\chat.exe");
  Sim().DenyKeyWrites(kHKeyLocalMachine, std::string(kRunKey).substr(1));
  Sim().LockFile(file);
  // Older files are replaced by what this restore could not give back.
  Files().WriteFile(ExeFolder() + "alice.reg", "REGEDIT4\r\n\r\nold\r\n");
  Files().WriteFile(ExeFolder() + kMachineRegFileName, "stale");

  const std::string message = Restore();
  EXPECT_TRUE(Contains(message, kMsgSomeNotRestored + ExeFolder() + kMachineRegFileName + "\r\n"));
  EXPECT_FALSE(Contains(message, ExeFolder() + user + ".reg"));
  EXPECT_TRUE(Contains(message, "3 items were not given back and stay stored"));
  EXPECT_EQ(RawString(kHKeyCurrentUser, kRunKey, "Mine"), "C:\\mine.exe");
  EXPECT_EQ(Store(kRunItemsKey),
            (ValueMap{{"Machine \"quoted\"", "\"C:\\Program Files\\M\\m.exe\" -a"},
                      {"Expanding", "%ProgramFiles%\\e.exe"},
                      {"alice_Chat", "C:\\chat.exe"}}));
  EXPECT_EQ(RawType(kHKeyLocalMachine, kRunItemsKey, "Expanding"), kRegExpandSz);
  const std::string machine = ReadWholeFile(ExeFolder() + kMachineRegFileName);
  EXPECT_EQ(machine.substr(0, 12), "REGEDIT4\r\n\r\n");
  EXPECT_TRUE(Contains(machine, std::string(kMachineRunKeyHeader) +
                                    "\r\n\"Machine \\\"quoted\\\"\"=\"\\\"C:\\\\Program "
                                    "Files\\\\M\\\\m.exe\\\" -a\"\r\n\r\n"));
  EXPECT_TRUE(Contains(machine, "\"Expanding\"=hex(2):25,50"));
  // A user's file lists that user's items that did not go back, under their own names; the
  // current user's item went back, so no file of theirs is written.
  EXPECT_EQ(ReadWholeFile(ExeFolder() + "alice.reg"),
            "REGEDIT4\r\n\r\n" + std::string(kUserRunKeyHeader) +
                "\r\n\"Chat\"=\"C:\\\\chat.exe\"\r\n\r\n");
  EXPECT_FALSE(FileThere(ExeFolder() + user + ".reg"));
}

// On 64-bit Windows the files for what cannot go back name each machine item's own view (the
// program's 32-bit one by its WOW6432Node path, which is how a 64-bit regedit reaches it), and
// names outside ASCII put a registry file in regedit's Unicode form and the batch lines that
// the console's code page lacks after "chcp 65001".
TEST_F(RestoreSimTest, FilesForWhatCannotGoBackKeepEachViewAndNamesInAnyScript) {
  FreeOptions();
  FinalizeProcessUnits();
  Sim().SetWindows64();
  InitializeProcessUnits();
  CreateOptions();
  Run(kHKeyLocalMachine, kPrivet, "C:\\32.exe");
  RawViewOverride() = kKeyWow64_64Key;
  Run(kHKeyLocalMachine, kPrivet, "C:\\64.exe");
  RawViewOverride() = 0;
  Link(userFolder, kCafe + ".lnk", "C:\\c.exe");
  Link(userFolder, kChinese + ".lnk", "C:\\z.exe");
  Pass();
  ASSERT_EQ(Store(kRunItemsKey).size(), 2u);
  const std::string run = std::string(kRunKey).substr(1);
  Sim().DenyKeyWrites(kHKeyLocalMachine, run);
  Sim().DenyKeyWrites(kHKeyLocalMachine, "SOFTWARE\\Wow6432Node" + run.substr(8));
  // Something else took both shortcut names in the folder meanwhile.
  Sim().AddFile(userFolder + kCafe + ".lnk", "other");
  Sim().AddFile(userFolder + kChinese + ".lnk", "other");

  Restore();
  const std::string text = Utf16FileText(ReadWholeFile(ExeFolder() + kMachineRegFileName));
  EXPECT_EQ(text.substr(0, 40), "Windows Registry Editor Version 5.00\r\n\r\n");
  EXPECT_TRUE(Contains(
      text, std::string(kMachineRunKey32Header) + "\r\n\"" + kPrivet + "\"=\"C:\\\\32.exe\"\r\n"))
      << text;
  EXPECT_TRUE(Contains(
      text, std::string(kMachineRunKeyHeader) + "\r\n\"" + kPrivet + "\"=\"C:\\\\64.exe\"\r\n"))
      << text;

  // "é" is in the console's code page (437: 0x82); Chinese is not.
  const std::string batch = ReadWholeFile(ExeFolder() + kShortcutBatchFileName);
  EXPECT_TRUE(Contains(batch, "Caf\x82.lnk")) << batch;
  const std::size_t chcp = batch.find("@chcp 65001 >nul\r\n");
  ASSERT_NE(chcp, std::string::npos) << batch;
  EXPECT_LT(batch.find("Caf\x82.lnk"), chcp);
  EXPECT_GT(batch.find(kChinese + ".lnk"), chcp);
}

// Every change a restore makes fails in turn; after each, every item is in its Windows place
// or still stored, whole, and a second restore gives back what the first could not.
TEST_F(RestoreSimTest, NothingIsLostWhicheverChangeOfARestoreFails) {
  const std::string hive = StageRenamedAlice();
  auto stage = [&] {
    Run(kHKeyLocalMachine, "Tray", "\"C:\\Program Files\\Tray\\tray.exe\" /background");
    SetRawExpandString(kHKeyLocalMachine, kRunKey, "Expanding", "%ProgramFiles%\\E\\e.exe");
    Run(kHKeyLocalMachine, "Same", "C:\\machine.exe");
    Run(kHKeyCurrentUser, "Same", "C:\\mine.exe");
    Run(kHKeyLocalMachine, "Off", "C:\\off.exe");
    Link(userFolder, "Notes.lnk", "C:\\Apps\\notes.exe");
    Link(commonFolder, "Shared.lnk", "C:\\Apps\\shared.exe");
    Link(commonFolder, "Quiet.lnk", "C:\\Apps\\quiet.exe");
    StartupMover().RegisterSelf(true, kHKeyLocalMachine);
  };
  auto takeOver = [&] {
    Pass();
    StoreAliceItem("Chat", "C:\\chat.exe");
    SharedItemManager().DisableRunItem("Off", "");
    SharedItemManager().DisableStartupItem(store + "Quiet.lnk");
    SetRawString(kHKeyLocalMachine, kRunItemsKey, "Orphan", "C:\\orphan.exe");
  };
  const std::vector<CensusRunKey> aliceRun{{kHKeyUsers, std::string(kMount) + kRunKey}};
  auto nothingLost = [&](const ItemCensus& census) {
    EXPECT_EQ(Reg().LoadKey(kHKeyUsers, kMount, hive), kOk);
    auto result = NothingLost(census, aliceRun);
    EXPECT_EQ(Reg().UnLoadKey(kHKeyUsers, kMount), kOk);
    return result;
  };

  stage();
  WindowsItems expected = Picture();
  expected.machineRun.erase("Off");
  expected.commonFolder.erase("Quiet.lnk");
  takeOver();
  const std::uint64_t start = Sim().ChangeCount();
  Restore();
  const std::uint64_t changes = Sim().ChangeCount() - start;
  ASSERT_GT(changes, 20u);
  ASSERT_EQ(Picture(), expected);
  ASSERT_EQ(HiveRun(hive)["Chat"], "C:\\chat.exe");

  for (std::uint64_t n = 1; n <= changes; ++n) {
    SCOPED_TRACE("change " + std::to_string(n) + " of " + std::to_string(changes));
    Restart();
    StageRenamedAlice();
    stage();
    takeOver();
    const ItemCensus census = TakeItemCensus();
    Sim().FailChange(Sim().ChangeCount() + n);
    try {
      Restore();
    } catch (const Error&) {
      // Shown by the window as any error of a command; the restore ends there.
    }
    Sim().FailChange(0);
    EXPECT_TRUE(nothingLost(census));
    // Started again, the program gives back the rest.
    Restore();
    EXPECT_TRUE(nothingLost(census));
    // A shortcut whose own folder refused it went to the All Users folder, as one whose folder
    // is gone does: given back all the same.
    WindowsItems now = Picture();
    now.commonFolder.merge(now.userFolder);
    WindowsItems wanted = expected;
    wanted.commonFolder.merge(wanted.userFolder);
    EXPECT_EQ(now, wanted);
    EXPECT_EQ(HiveRun(hive)["Chat"], "C:\\chat.exe");
    EXPECT_EQ(Store(kRunItemsKey),
              (ValueMap{{"Off", "C:\\off.exe"}, {"Orphan", "C:\\orphan.exe"}}));
    EXPECT_EQ(FolderNames(store), (std::vector<std::string>{"Quiet.lnk"}));
  }
}

}  // namespace
}  // namespace lw::test
