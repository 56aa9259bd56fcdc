// The simulated machine as a whole: what a fresh one holds, its virtual clock and local time,
// the staged system answers, the token, and scripted failures of the N-th change.

#include <string>
#include <vector>

#include "support/TestEnv.h"

namespace lw::test {
namespace {

using SimPlatformTest = PlatformTest;

std::string ReadString(HKey root, const std::string& path, const std::string& name,
                       std::uint32_t* type) {
  HKey key = 0;
  if (Reg().OpenKeyEx(root, path, kKeyRead, &key) != kErrorSuccess) return "<no key>";
  char buffer[256] = {};
  std::uint32_t size = sizeof buffer;
  const long result = Reg().QueryValueEx(key, name, type, buffer, &size);
  Reg().CloseKey(key);
  return result == kErrorSuccess ? std::string(buffer, size) : "<missing>";
}

TEST_F(SimPlatformTest, AFreshMachineIsBobsWindowsXp) {
  OsVersionInfo version;
  ASSERT_TRUE(Sys().GetVersionEx(&version));
  EXPECT_EQ(version.majorVersion * 100 + version.minorVersion, 501u);
  EXPECT_EQ(version.buildNumber, 2600u);
  EXPECT_EQ(version.platformId, kVerPlatformWin32Nt);
  EXPECT_EQ(version.csdVersion, "Service Pack 3");
  std::string user;
  EXPECT_EQ(Sys().WNetGetUser(&user), 0u);
  EXPECT_EQ(user, "bob");
  EXPECT_EQ(Sys().GetModuleFileName(), "C:\\Program Files\\Launchward\\launchward.exe");
  EXPECT_EQ(Sys().ExpandEnvironmentStrings("%path%"),
            "C:\\WINDOWS\\system32;C:\\WINDOWS;C:\\WINDOWS\\System32\\Wbem");
  EXPECT_EQ(Sys().ExpandEnvironmentStrings("%USERPROFILE%|%SystemRoot%|%windir%|%SystemDrive%"),
            "C:\\Documents and Settings\\bob|C:\\WINDOWS|C:\\WINDOWS|C:");

  const std::string startup = "C:\\Documents and Settings\\bob\\Start Menu\\Programs\\Startup";
  const std::string common = "C:\\Documents and Settings\\All Users\\Start Menu\\Programs\\Startup";
  std::string path;
  ASSERT_TRUE(Shell().GetSpecialFolderPath(kCsidlStartup, &path));
  EXPECT_EQ(path, startup);
  ASSERT_TRUE(Shell().GetSpecialFolderPath(kCsidlCommonStartup, &path));
  EXPECT_EQ(path, common);
  EXPECT_FALSE(Shell().GetSpecialFolderPath(kCsidlAltStartup, &path));
  for (const std::string& folder : {startup, common, Sys().GetSystemDirectory(),
                                    std::string("C:\\Program Files\\Launchward")}) {
    EXPECT_EQ(Files().GetFileAttributes(folder), kFileAttributeDirectory) << folder;
  }

  for (HKey root : {kHKeyLocalMachine, kHKeyCurrentUser}) {
    for (const char* key : {"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
                            "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce"}) {
      HKey opened = 0;
      ASSERT_EQ(Reg().OpenKeyEx(root, key, kKeyRead, &opened), 0) << key;
      RegKeyInfo info;
      info.values = 99;
      EXPECT_EQ(Reg().QueryInfoKey(opened, &info), 0);
      EXPECT_EQ(info.values, 0u);
      Reg().CloseKey(opened);
    }
  }
  std::uint32_t type = 0;
  EXPECT_EQ(
      ReadString(kHKeyLocalMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList",
                 "ProfilesDirectory", &type),
      std::string("%SystemDrive%\\Documents and Settings") + '\0');
  EXPECT_EQ(type, kRegExpandSz);
  EXPECT_TRUE(Sim().PrivilegeEnabled("SeChangeNotifyPrivilege"));
  EXPECT_FALSE(Sim().PrivilegeEnabled("SeBackupPrivilege"));  // held, not yet enabled
}

TEST_F(SimPlatformTest, SleepRunsTheDueActionsInOrderAtTheirMoment) {
  const std::uint64_t start = Sim().Now();
  std::vector<std::string> log;
  const auto note = [&](const std::string& what) {
    return [&, what] { log.push_back(what + "@" + std::to_string(Sim().Now() - start)); };
  };
  Sim().At(start + 300, note("c"));
  Sim().At(start + 100, note("a"));
  Sim().At(start + 100, [&] {
    log.push_back("b@" + std::to_string(Sim().Now() - start));
    Sim().At(start + 200, note("scheduled by b"));
  });
  Sim().At(start + 5000, note("later"));
  Sim().OnProcessMessages(note("messages"));

  Sys().Sleep(400);
  EXPECT_EQ(log, (std::vector<std::string>{"a@100", "b@100", "scheduled by b@200", "c@300"}));
  EXPECT_EQ(Sim().Now(), start + 400);
  EXPECT_EQ(Sys().GetTickCount(), static_cast<std::uint32_t>(start + 400));

  Sim().Advance(5000);  // the clock alone: actions wait for the next sleep or message check
  EXPECT_EQ(log.size(), 4u);
  Sys().ProcessMessages();
  EXPECT_EQ(log.back(), "messages@5400");
  EXPECT_EQ(log[4], "later@5400");
  Sys().Sleep(0);
  EXPECT_EQ(Sim().Sleeps(), (std::vector<std::uint32_t>{400, 0}));
}

TEST_F(SimPlatformTest, TheTickCountWrapsAfterFortyNineDays) {
  Sim().Advance(0x100000000ull - Sim().Now() - 10);
  EXPECT_EQ(Sys().GetTickCount(), 0xFFFFFFF6u);
  Sys().Sleep(25);
  EXPECT_EQ(Sys().GetTickCount(), 15u);
  EXPECT_EQ(Sim().Now(), 0x100000000ull + 15);
}

TEST_F(SimPlatformTest, LocalTimeRunsOnWithTheClock) {
  Sim().SetLocalTime(SystemTime{2024, 2, 0, 28, 23, 59, 59, 500});
  Sys().Sleep(1000);
  const SystemTime now = Sys().GetLocalTime();
  EXPECT_EQ(Sys().FormatShortDate(now), "29/02/2024");
  EXPECT_EQ(Sys().FormatLongTime(now), "00:00:00");
  EXPECT_EQ(now.milliseconds, 500);
  EXPECT_EQ(now.dayOfWeek, 4);  // a Thursday
  Sim().Advance(366ull * 24 * 3600 * 1000);
  EXPECT_EQ(Sys().FormatShortDate(Sys().GetLocalTime()), "01/03/2025");
  EXPECT_EQ(Sys().FormatLongTime(SystemTime{2025, 1, 0, 2, 7, 5, 3, 0}), "07:05:03");
  EXPECT_THROW(Sim().SetLocalTime(SystemTime{2023, 2, 0, 29, 0, 0, 0, 0}), std::invalid_argument);
}

TEST_F(SimPlatformTest, StagedSystemAnswers) {
  Sim().SetMessageText(2, "Staged text.\r\n");
  EXPECT_EQ(Sys().FormatMessage(2), "Staged text.\r\n");
  EXPECT_EQ(Sys().FormatMessage(5), "Access is denied.\r\n");
  EXPECT_EQ(Sys().FormatMessage(0x2F0F0F0), "");

  std::string user = "kept";
  Sim().SetUserName("", kErrorNotLoggedOn);
  EXPECT_EQ(Sys().WNetGetUser(&user), kErrorNotLoggedOn);
  EXPECT_EQ(user, "kept");

  Sim().SetEnvironmentVariable("LW_DIR", "C:\\Lw");
  Sim().SetEnvironmentVariable("TEMP", "");
  EXPECT_EQ(Sys().ExpandEnvironmentStrings("%lw_dir%\\%TEMP%\\%%\\100%"),
            "C:\\Lw\\%TEMP%\\%%\\100%");

  Sim().SetSpecialFolder(kCsidlAltStartup, "C:\\Alt");
  Sim().SetSpecialFolder(kCsidlStartup, "");
  std::string path;
  ASSERT_TRUE(Shell().GetSpecialFolderPath(kCsidlAltStartup, &path));
  EXPECT_EQ(path, "C:\\Alt");
  EXPECT_FALSE(Shell().GetSpecialFolderPath(kCsidlStartup, &path));
}

TEST_F(SimPlatformTest, AMutexHeldElsewhereOrStillOpenIsReportedAsExisting) {
  Sim().HoldMutex("Launchward.exe");
  Sys().SetLastError(99);
  const Handle held = Sys().CreateMutex(false, "Launchward.exe");
  EXPECT_NE(held, 0u);
  EXPECT_EQ(Sys().GetLastError(), 183u);

  const Handle first = Sys().CreateMutex(true, "Other");
  EXPECT_EQ(Sys().GetLastError(), 0u);
  const Handle second = Sys().CreateMutex(true, "Other");
  EXPECT_EQ(Sys().GetLastError(), 183u);
  Sys().CreateMutex(true, "other");  // names keep their case
  EXPECT_EQ(Sys().GetLastError(), 0u);
  EXPECT_TRUE(Sys().CloseHandle(first));
  EXPECT_TRUE(Sys().CloseHandle(second));
  EXPECT_FALSE(Sys().CloseHandle(second));
  EXPECT_EQ(Sys().GetLastError(), 6u);
  Sys().CreateMutex(true, "Other");  // every handle closed: the mutex is gone
  EXPECT_EQ(Sys().GetLastError(), 0u);
  Sim().HoldMutex("Local\\Session");  // the session's namespace is the unprefixed one
  Sys().CreateMutex(false, "Session");
  EXPECT_EQ(Sys().GetLastError(), 183u);
  EXPECT_EQ(Sys().CreateMutex(false, "No\\Folder"), 0u);
  EXPECT_EQ(Sys().GetLastError(), 3u);
}

TEST_F(SimPlatformTest, TheTokenEnablesOnlyWhatTheUserHolds) {
  Handle token = 0;
  ASSERT_TRUE(Token().OpenProcessToken(kTokenAdjustPrivileges | kTokenQuery, &token));
  Luid shutdown;
  ASSERT_TRUE(Token().LookupPrivilegeValue("seshutdownprivilege", &shutdown));
  Luid untouched{7, 7};
  EXPECT_FALSE(Token().LookupPrivilegeValue("SeNoSuchPrivilege", &untouched));
  EXPECT_EQ(Sys().GetLastError(), 1313u);
  EXPECT_EQ(untouched.low, 7u);

  EXPECT_TRUE(Token().AdjustTokenPrivileges(token, false, shutdown, kSePrivilegeEnabled));
  EXPECT_EQ(Sys().GetLastError(), 0u);
  EXPECT_TRUE(Sim().PrivilegeEnabled("SeShutdownPrivilege"));
  EXPECT_TRUE(Token().AdjustTokenPrivileges(token, true, shutdown, 0));
  EXPECT_FALSE(Sim().PrivilegeEnabled("SeShutdownPrivilege"));

  Sim().SetPrivilegeHeld("SeShutdownPrivilege", false);
  EXPECT_TRUE(Token().AdjustTokenPrivileges(token, false, shutdown, kSePrivilegeEnabled));
  EXPECT_EQ(Sys().GetLastError(), 1300u);
  EXPECT_FALSE(Sim().PrivilegeEnabled("SeShutdownPrivilege"));
  EXPECT_TRUE(Token().CloseHandle(token));

  ASSERT_TRUE(Token().OpenProcessToken(kTokenQuery, &token));
  EXPECT_FALSE(Token().AdjustTokenPrivileges(token, false, shutdown, kSePrivilegeEnabled));
  EXPECT_EQ(Sys().GetLastError(), 5u);
  EXPECT_THROW(Sim().SetPrivilegeHeld("SeTypoPrivilege", true), std::invalid_argument);
}

TEST_F(SimPlatformTest, AScriptedFailureHitsTheNthChangeAndChangesNothing) {
  const std::string folder = ScratchFolder();
  HKey key = 0;
  const std::uint64_t base = Sim().ChangeCount();
  // Calls that change nothing are not changes: opening an existing key, deleting what is
  // missing, reading.
  ASSERT_EQ(Reg().CreateKeyEx(kHKeyCurrentUser, "Software", kKeyAllAccess, &key, nullptr), 0);
  EXPECT_EQ(Reg().DeleteValue(key, "missing"), 2);
  EXPECT_FALSE(Files().DeleteFile(folder + "missing.txt"));
  EXPECT_EQ(Files().GetPrivateProfileString("s", "k", "", folder + "o.ini"), "");
  EXPECT_EQ(Sim().ChangeCount(), base);

  Sim().FailChange(base + 3, kErrorCantWrite);
  EXPECT_EQ(Reg().SetValueEx(key, "one", kRegSz, "1", 2), 0);
  EXPECT_TRUE(Files().WriteFile(folder + "two.txt", "2"));
  EXPECT_EQ(Reg().SetValueEx(key, "three", kRegSz, "3", 2), 1013);
  std::uint32_t size = 0;
  EXPECT_EQ(Reg().QueryValueEx(key, "three", nullptr, nullptr, &size), 2);
  EXPECT_TRUE(Files().CopyFile(folder + "two.txt", folder + "four.txt", false));
  Sim().FailChange(base + 5, kErrorAccessDenied);
  EXPECT_FALSE(Files().CreateDirectory(folder + "five"));
  EXPECT_EQ(Sys().GetLastError(), 5u);
  EXPECT_EQ(Files().GetFileAttributes(folder + "five"), kInvalidFileAttributes);
  Sim().FailChange(0);
  EXPECT_TRUE(Files().CreateDirectory(folder + "five"));
  EXPECT_EQ(Sim().ChangeCount(), base + 6);
  Reg().CloseKey(key);
}

}  // namespace
}  // namespace lw::test
