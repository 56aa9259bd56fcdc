// What the store does for a user without administrator rights, with the hive privileges held
// or not, and with a hive file that another logon holds: situations only the simulation can
// stage.

#include <string>

#include "store/HivePrivileges.h"
#include "store/SettingsStore.h"
#include "support/RawRegistry.h"
#include "support/TestEnv.h"
#include "util/Error.h"

namespace lw::test {
namespace {

class StoreRightsTest : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    InitializeSettingsStore();
  }
  void TearDown() override {
    FinalizeSettingsStore();
    FinalizeHivePrivileges();
  }
};

TEST_F(StoreRightsTest, WithoutAdministratorRightsStringWritesRaiseAndNothingChanges) {
  // The store as an administrator left it.
  SetRawDword(kHKeyLocalMachine, kPriorityKey, "Chosen", 128);
  SetRawString(kHKeyLocalMachine, kRunItemsKey, "A", "a.exe");
  SetRawString(kHKeyLocalMachine, kRunSortKey, "0", "A");
  SetRawDword(kHKeyLocalMachine, kRunSortKey, "SortIndex", 1);
  SetRawString(kHKeyLocalMachine, kProgramKey, "IsInstalled", "Si");
  SetRawDword(kHKeyLocalMachine, kCustomDelaysKey, "A", 3000);
  Sim().DenyKeyWrites(kHKeyLocalMachine, "");
  const std::string before = DumpTree(kHKeyLocalMachine, "SOFTWARE");

  const struct {
    const char* title;
    std::function<void()> action;
    std::string error;  // empty: nothing raised
  } cases[] = {
      {"MarkInstalled", [] { MarkInstalled(); }, std::string("Unable to open : ") + kProgramKey},
      {"SetRunLocation", [] { SetRunLocation("A", "bob"); },
       std::string("Unable to open : ") + kRunLocationKey},
      {"SetStartupLocation", [] { SetStartupLocation("C:\\s\\a.lnk", "C:\\x\\"); },
       std::string("Unable to open : ") + kStartupLocationKey},
      {"AppendSortEntry", [] { AppendSortEntry(kRunSortName, "B"); },
       std::string("Unable to open : ") + kRunSortKey},
      {"SaveSortOrder", [] { SaveSortOrder(kStartupSortName, {"C:\\s\\a.lnk"}); },
       std::string("Unable to open : ") + kStartupSortKey},
      {"PutString to the Run key",
       [] { SharedRegistry().PutStringAt(kHKeyLocalMachine, kRunKey, true, "X", "x.exe"); },
       std::string("Unable to open : ") + kRunKey},
      {"SetPriority", [] { SetPriority("A", 256); }, ""},
      {"SetCustomDelay", [] { SetCustomDelay("A", 1); }, ""},
      {"DeleteCustomDelay", [] { DeleteCustomDelay("A"); }, ""},
      {"SetRunLocationHKey", [] { SetRunLocationHKey("A", kHKeyLocalMachine); }, ""},
      {"ClearInstalled", [] { ClearInstalled(); }, ""},
      {"RecreateSubKey", [] { SharedRegistry().RecreateSubKey(kProgramKey, kRunSortName); }, ""},
      {"PutInteger", [] { SharedRegistry().PutInteger(kProgramKey, true, "FORM_WIDTH", 1); }, ""},
      {"GetPriority of a new item",
       [] { EXPECT_EQ(GetPriority("New", kDefaultPriority), kDefaultPriority); }, ""},
      {"GetPriority of an item with a stored class",
       [] { EXPECT_EQ(GetPriority("Chosen", kDefaultPriority), 128); }, ""},
      {"readers",
       [] {
         EXPECT_TRUE(IsInstalledMarked());
         EXPECT_EQ(GetRunSortCommand(0), "a.exe");
         EXPECT_EQ(GetCustomDelay("A"), 3000);
       },
       ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    EXPECT_EQ(ErrorOf(c.action), c.error);
    EXPECT_EQ(Sim().OpenKeyCount(), 0);
  }
  EXPECT_EQ(DumpTree(kHKeyLocalMachine, "SOFTWARE"), before);

  // What the runner learns per user is still kept.
  Registry userReg;
  userReg.SetDefaultRoot(kHKeyCurrentUser);
  UpdateAutoTune(userReg, "A_PRE", 50);
  SetTunedDelay(userReg, "A", 2000);
  SaveCPUStats();
  EXPECT_EQ(GetAutoTune("A_PRE"), 30);
  EXPECT_EQ(GetTunedDelay("A"), 1900);
  EXPECT_EQ(GetHighCPUStat(), 30);
}

TEST_F(StoreRightsTest, PrivilegesAreEnabledAtStartAndDroppedAtTheEnd) {
  ASSERT_FALSE(Sim().PrivilegeEnabled("SeBackupPrivilege"));
  InitializeHivePrivileges();
  EXPECT_TRUE(HivePrivilegesEnabled());
  EXPECT_TRUE(Sim().PrivilegeEnabled("SeBackupPrivilege"));
  EXPECT_TRUE(Sim().PrivilegeEnabled("SeRestorePrivilege"));
  FinalizeHivePrivileges();
  EXPECT_FALSE(HivePrivilegesEnabled());
  EXPECT_FALSE(Sim().PrivilegeEnabled("SeBackupPrivilege"));
  EXPECT_FALSE(Sim().PrivilegeEnabled("SeRestorePrivilege"));
}

// A hive that cannot be mounted: the load says nothing, and the write under the mount raises
// the registry layer's error with the mount path.
TEST_F(StoreRightsTest, AHiveThatCannotBeLoadedFailsSilently) {
  const struct {
    const char* title;
    std::function<void(const std::string& file)> stage;
  } cases[] = {
      {"restore privilege not held",
       [](const std::string&) { Sim().SetPrivilegeHeld("SeRestorePrivilege", false); }},
      {"backup privilege not held",
       [](const std::string&) { Sim().SetPrivilegeHeld("SeBackupPrivilege", false); }},
      {"hive file in use by a logged-on user",
       [](const std::string& file) { Sim().LockFile(file); }},
  };
  const std::string run = "Launchward_bob\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    ResetPlatform();
    InitializeHivePrivileges();  // saving a hive needs the backup privilege on Windows
    const std::string file = ScratchFolder() + "bob\\NTuser.dat";
    SetRawString(kHKeyCurrentUser,
                 "SOFTWARE\\Tallowmere\\Src\\SOFTWARE\\Microsoft\\Windows\\"
                 "CurrentVersion\\Run",
                 "Tool", "t.exe");
    ASSERT_TRUE(Files().CreateDirectory(ScratchFolder() + "bob"));
    HKey key = 0;
    ASSERT_EQ(Reg().OpenKeyEx(kHKeyCurrentUser, "SOFTWARE\\Tallowmere\\Src", kKeyRead, &key), 0);
    ASSERT_EQ(Reg().SaveKey(key, file), 0);
    Reg().CloseKey(key);
    FinalizeHivePrivileges();
    c.stage(file);

    InitializeHivePrivileges();
    Registry reg;
    reg.LoadUserHive("bob", ScratchFolder());
    EXPECT_EQ(reg.GetStringAt(kHKeyUsers, run, "Tool"), "");
    EXPECT_EQ(ErrorOf([&] { reg.PutStringAt(kHKeyUsers, run, true, "Tool", "x"); }),
              "Unable to open : " + run);
    reg.UnloadUserHive();
    EXPECT_FALSE(RawKeyExists(kHKeyUsers, "Launchward_bob"));
    EXPECT_EQ(Sim().OpenKeyCount(), 0);
    FinalizeHivePrivileges();
  }
}

}  // namespace
}  // namespace lw::test
