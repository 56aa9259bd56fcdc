// Hive files under Wine: what RegSaveKey, RegLoadKey and RegUnLoadKey really do, with and
// without the backup and restore privileges. Wine differs from Windows in several of these;
// the comments say where, so that a test that relies on Windows' way stays on the simulation.

#include <string>

#include "support/RawRegistry.h"
#include "support/TestEnv.h"

namespace lw::test {
namespace {

const std::string kSource = "SOFTWARE\\Tallowmere\\HiveSource";
const std::string kMount = "Launchward_facts";

class HiveWin32Test : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    file = ScratchFolder() + "NTuser.dat";
    HKey key = 0;
    ASSERT_EQ(Reg().CreateKeyEx(kHKeyCurrentUser, kSource + "\\Sub", kKeyAllAccess, &key, nullptr),
              kOk);
    Reg().CloseKey(key);
    ASSERT_EQ(Reg().OpenKeyEx(kHKeyCurrentUser, kSource, kKeyAllAccess, &source), kOk);
    ASSERT_EQ(Reg().SetValueEx(source, "Greeting", kRegSz, "hello", 6), kOk);
  }

  void TearDown() override {
    Reg().CloseKey(source);
    for (HKey root : {kHKeyUsers, kHKeyLocalMachine}) {
      Reg().UnLoadKey(root, kMount);
      Reg().UnLoadKey(root, kMount + "2");
    }
    EnablePrivileges(false);
  }

  // Enables (or disables) both privileges, as the program does at start (and at exit).
  static void EnablePrivileges(bool enable) {
    Handle token = 0;
    ASSERT_TRUE(Token().OpenProcessToken(kTokenAdjustPrivileges | kTokenQuery, &token));
    for (const char* name : {"SeBackupPrivilege", "SeRestorePrivilege"}) {
      Luid luid;
      ASSERT_TRUE(Token().LookupPrivilegeValue(name, &luid));
      Sys().SetLastError(kErrorInvalidParameter);
      EXPECT_TRUE(
          Token().AdjustTokenPrivileges(token, false, luid, enable ? kSePrivilegeEnabled : 0));
      // Wine's token holds both privileges: nothing is left unassigned.
      EXPECT_EQ(Sys().GetLastError(), kErrorSuccess);
    }
    EXPECT_TRUE(Token().CloseHandle(token));
  }

  long Greeting(HKey root, const std::string& path, std::string* text) {
    HKey key = 0;
    long status = Reg().OpenKeyEx(root, path, kKeyRead, &key);
    if (status != kOk) return status;
    char buffer[16] = {};
    std::uint32_t size = sizeof(buffer) - 1;
    status = Reg().QueryValueEx(key, "Greeting", nullptr, buffer, &size);
    Reg().CloseKey(key);
    if (status == kOk) *text = buffer;
    return status;
  }

  std::string file;
  HKey source = 0;
};

TEST_F(HiveWin32Test, WithoutThePrivilegesNothingIsSavedOrLoaded) {
  EnablePrivileges(false);
  EXPECT_EQ(Reg().SaveKey(source, file), static_cast<long>(kErrorPrivilegeNotHeld));
  // Wine leaves an empty file behind.
  EXPECT_EQ(ReadWholeFile(file), "");

  EnablePrivileges(true);
  Files().DeleteFile(file);
  ASSERT_EQ(Reg().SaveKey(source, file), kOk);
  EnablePrivileges(false);
  EXPECT_EQ(Reg().LoadKey(kHKeyUsers, kMount, file), static_cast<long>(kErrorPrivilegeNotHeld));
  HKey key = 0;
  EXPECT_EQ(Reg().OpenKeyEx(kHKeyUsers, kMount, kKeyRead, &key),
            static_cast<long>(kErrorFileNotFound));
}

TEST_F(HiveWin32Test, ASavedKeyLoadsUnderUsersAndUnloads) {
  EnablePrivileges(true);
  ASSERT_EQ(Reg().SaveKey(source, file), kOk);
  // Wine writes its own text format, not a Windows hive, and overwrites an existing file
  // (Windows refuses with kErrorAlreadyExists).
  EXPECT_EQ(ReadWholeFile(file).substr(0, 4), "WINE");
  EXPECT_EQ(Reg().SaveKey(source, file), kOk);

  ASSERT_EQ(Reg().LoadKey(kHKeyUsers, kMount, file), kOk);
  std::string text;
  EXPECT_EQ(Greeting(kHKeyUsers, kMount, &text), kOk);
  EXPECT_EQ(text, "hello");
  HKey mount = 0;
  ASSERT_EQ(Reg().OpenKeyEx(kHKeyUsers, kMount, kKeyRead, &mount), kOk);
  EXPECT_EQ(Reg().LoadKey(kHKeyUsers, kMount, file), static_cast<long>(kErrorAlreadyExists));
  // An open handle to the mount keeps the hive from being unloaded. (Windows refuses as long
  // as any key of the hive is open; Wine looks at the mount's own key only.)
  EXPECT_EQ(Reg().UnLoadKey(kHKeyUsers, kMount), static_cast<long>(kErrorAccessDenied));
  Reg().CloseKey(mount);

  EXPECT_EQ(Reg().UnLoadKey(kHKeyUsers, kMount), kOk);
  EXPECT_EQ(Greeting(kHKeyUsers, kMount, &text), static_cast<long>(kErrorFileNotFound));
  EXPECT_EQ(Reg().UnLoadKey(kHKeyUsers, kMount), static_cast<long>(kErrorFileNotFound));
}

TEST_F(HiveWin32Test, WineKeepsNoChangeAndNoLockOnALoadedHive) {
  EnablePrivileges(true);
  ASSERT_EQ(Reg().SaveKey(source, file), kOk);
  ASSERT_EQ(Reg().LoadKey(kHKeyUsers, kMount, file), kOk);

  // Windows holds a loaded hive file open, so a second load of it (the hive of a user who is
  // logged on) fails; Wine reads the file and lets it go.
  EXPECT_EQ(Reg().LoadKey(kHKeyUsers, kMount + "2", file), kOk);

  // Windows writes changes under a mount back into the hive file; Wine drops them at unload.
  HKey mount = 0;
  ASSERT_EQ(Reg().OpenKeyEx(kHKeyUsers, kMount, kKeyAllAccess, &mount), kOk);
  ASSERT_EQ(Reg().SetValueEx(mount, "Added", kRegSz, "x", 2), kOk);
  EXPECT_EQ(Reg().FlushKey(mount), kOk);
  Reg().CloseKey(mount);
  ASSERT_EQ(Reg().UnLoadKey(kHKeyUsers, kMount), kOk);
  ASSERT_EQ(Reg().LoadKey(kHKeyUsers, kMount, file), kOk);
  ASSERT_EQ(Reg().OpenKeyEx(kHKeyUsers, kMount, kKeyRead, &mount), kOk);
  std::uint32_t size = 0;
  EXPECT_EQ(Reg().QueryValueEx(mount, "Added", nullptr, nullptr, &size),
            static_cast<long>(kErrorFileNotFound));
  Reg().CloseKey(mount);
}

TEST_F(HiveWin32Test, FilesThatAreNoHiveAreRefused) {
  EnablePrivileges(true);
  ASSERT_TRUE(Files().WriteFile(file, "not a hive"));
  struct Case {
    std::string file;
    long status;
    bool leavesKey;  // Wine leaves an empty mount key behind for a file it could not parse
  };
  const Case cases[] = {
      {file, static_cast<long>(kErrorNotRegistryFile), true},
      {ScratchFolder() + "missing.dat", static_cast<long>(kErrorFileNotFound), false},
      {ScratchFolder() + "no such folder\\NTuser.dat", static_cast<long>(kErrorPathNotFound),
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    EXPECT_EQ(Reg().LoadKey(kHKeyUsers, kMount, c.file), c.status);
    HKey key = 0;
    long open = Reg().OpenKeyEx(kHKeyUsers, kMount, kKeyRead, &key);
    EXPECT_EQ(open, c.leavesKey ? kOk : static_cast<long>(kErrorFileNotFound));
    if (open == kOk) {
      RegKeyInfo info;
      EXPECT_EQ(Reg().QueryInfoKey(key, &info), kOk);
      EXPECT_EQ(info.values + info.subKeys, 0u);
      Reg().CloseKey(key);
      EXPECT_EQ(Reg().UnLoadKey(kHKeyUsers, kMount), kOk);
    }
  }
}

// Wine keeps no NTuser.dat in its profiles: loading another user's hive, as a restore does,
// finds no file there.
TEST_F(HiveWin32Test, WineProfilesHaveNoHiveFile) {
  std::string profiles;
  HKey list = 0;
  ASSERT_EQ(Reg().OpenKeyEx(kHKeyLocalMachine,
                            "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList",
                            kKeyRead, &list),
            kOk);
  char buffer[kMaxPath] = {};
  std::uint32_t size = sizeof(buffer) - 1, type = 0;
  ASSERT_EQ(Reg().QueryValueEx(list, "ProfilesDirectory", &type, buffer, &size), kOk);
  Reg().CloseKey(list);
  // Windows keeps "%SystemDrive%\Users"; Wine a plain path, also as REG_EXPAND_SZ.
  EXPECT_EQ(std::string(buffer), "C:\\users");
  EXPECT_EQ(type, kRegExpandSz);

  std::string user;
  ASSERT_EQ(Sys().WNetGetUser(&user), kErrorSuccess);
  EXPECT_NE(Files().GetFileAttributes("C:\\users\\" + user), kInvalidFileAttributes);
  EXPECT_EQ(Files().GetFileAttributes("C:\\users\\" + user + "\\NTuser.dat"),
            kInvalidFileAttributes);
}

}  // namespace
}  // namespace lw::test
