// What Wine reports as the system the program runs on: the Windows version, the user, the
// folders, the locale's formats and the message texts.

#include <string>

#include "support/TestEnv.h"

namespace lw::test {
namespace {

using WineSystemWin32Test = PlatformTest;

// Wine poses as Windows 7 SP1 unless told otherwise (the test program carries no manifest).
TEST_F(WineSystemWin32Test, VersionIsWindows7) {
  OsVersionInfo info;
  ASSERT_TRUE(Sys().GetVersionEx(&info));
  EXPECT_EQ(info.platformId, kVerPlatformWin32Nt);
  EXPECT_EQ(info.majorVersion, 6u);
  EXPECT_EQ(info.minorVersion, 1u);
  EXPECT_EQ(info.buildNumber, 7601u);
  EXPECT_EQ(info.csdVersion, "Service Pack 1");
}

// The Vista layout of the Startup folders (note "StartUp"); there is no alternate Startup
// folder, and the All Users one holds no "All Users".
TEST_F(WineSystemWin32Test, StartupFoldersFollowTheVistaLayout) {
  std::string user;
  ASSERT_EQ(Sys().WNetGetUser(&user), kErrorSuccess);
  ASSERT_FALSE(user.empty());
  struct Case {
    int csidl;
    bool found;
    std::string path;
  };
  const Case cases[] = {
      {kCsidlStartup, true,
       "C:\\users\\" + user +
           "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\StartUp"},
      {kCsidlCommonStartup, true,
       "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\StartUp"},
      {kCsidlAltStartup, false, "untouched"},
      {kCsidlCommonAltStartup, false, "untouched"},
      {kCsidlAppData, true, "C:\\users\\" + user + "\\AppData\\Roaming"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.csidl);
    std::string path = "untouched";
    EXPECT_EQ(Shell().GetSpecialFolderPath(c.csidl, &path), c.found);
    EXPECT_EQ(path, c.path);
    if (c.found) {
      EXPECT_NE(Files().GetFileAttributes(path), kInvalidFileAttributes);
    }
  }
}

TEST_F(WineSystemWin32Test, FoldersUserAndEnvironment) {
  EXPECT_EQ(Sys().GetWindowsDirectory(), "C:\\windows");
  EXPECT_EQ(Sys().GetSystemDirectory(), "C:\\windows\\system32");
  std::string module = Sys().GetModuleFileName();
  EXPECT_EQ(module.substr(module.size() - 13), "\\lw_tests.exe");
  EXPECT_NE(Files().GetFileAttributes(module), kInvalidFileAttributes);

  std::string user;
  ASSERT_EQ(Sys().WNetGetUser(&user), kErrorSuccess);
  EXPECT_EQ(Sys().ExpandEnvironmentStrings("%USERNAME%|%USERPROFILE%|%ALLUSERSPROFILE%|%WINDIR%"),
            user + "|C:\\users\\" + user + "|C:\\ProgramData|C:\\windows");
}

// The user's locale is English (United States).
TEST_F(WineSystemWin32Test, DatesAndTimesInTheUsersFormat) {
  SystemTime evening{2026, 5, 2, 12, 18, 7, 8, 0};
  EXPECT_EQ(Sys().FormatShortDate(evening), "5/12/2026");
  EXPECT_EQ(Sys().FormatLongTime(evening), "6:07:08 PM");
  SystemTime midnight{2026, 5, 2, 12, 0, 0, 0, 0};
  EXPECT_EQ(Sys().FormatLongTime(midnight), "12:00:00 AM");

  SystemTime now = Sys().GetLocalTime();
  EXPECT_GE(now.year, 2024);
  EXPECT_GE(now.month, 1);
  EXPECT_LE(now.month, 12);
}

// Wine's message texts are shorter than Windows' ("The system cannot find the file
// specified.").
TEST_F(WineSystemWin32Test, MessageTexts) {
  EXPECT_EQ(Sys().FormatMessage(kErrorFileNotFound), "File not found.\r\n");
  EXPECT_EQ(Sys().FormatMessage(kErrorAccessDenied), "Access denied.\r\n");
  EXPECT_EQ(Sys().FormatMessage(kErrorPrivilegeNotHeld), "Privilege not held.\r\n");
}

TEST_F(WineSystemWin32Test, PrivilegesAreKnownByName) {
  Luid backup, restore, untouched{7, 7};
  ASSERT_TRUE(Token().LookupPrivilegeValue("SeBackupPrivilege", &backup));
  ASSERT_TRUE(Token().LookupPrivilegeValue("SeRestorePrivilege", &restore));
  EXPECT_EQ(backup.low, 17u);
  EXPECT_EQ(restore.low, 18u);
  EXPECT_FALSE(Token().LookupPrivilegeValue("SeNoSuchPrivilege", &untouched));
  EXPECT_EQ(Sys().GetLastError(), kErrorNoSuchPrivilege);
  EXPECT_EQ(untouched.low, 7u);
}

}  // namespace
}  // namespace lw::test
