// Special folders on machines the simulation can stage: missing shell folders, the Windows
// Vista layout, profile lists that are missing or odd.

#include "util/SpecialFolders.h"

#include "support/TestEnv.h"

namespace lw {
namespace {

using test::Sim;

const char kProfileList[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
const char kVistaCommonStartup[] =
    "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Startup";

class SpecialFoldersSimTest : public test::PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    InitializeSpecialFolders();
  }
  void TearDown() override { FinalizeSpecialFolders(); }

  static void SetProfilesDirectory(std::uint32_t type, const std::string& data) {
    HKey key = 0;
    ASSERT_EQ(Reg().CreateKeyEx(kHKeyLocalMachine, kProfileList, kKeyAllAccess, &key, nullptr),
              kErrorSuccess);
    Reg().SetValueEx(key, "ProfilesDirectory", type, data.c_str(),
                     static_cast<std::uint32_t>(data.size() + 1));
    Reg().CloseKey(key);
  }
  static void RemoveProfilesDirectory() { test::DeleteKeyTree(kHKeyLocalMachine, kProfileList); }
};

TEST_F(SpecialFoldersSimTest, ShellFolders) {
  EXPECT_EQ(SharedSpecialFolders().GetUserStartupFolder(),
            "C:\\Documents and Settings\\bob\\Start Menu\\Programs\\Startup");
  EXPECT_EQ(SharedSpecialFolders().GetCommonStartupFolder(),
            "C:\\Documents and Settings\\All Users\\Start Menu\\Programs\\Startup");
  EXPECT_EQ(SharedSpecialFolders().GetAltStartupFolder(), "");
  Sim().SetSpecialFolder(kCsidlAltStartup, "C:\\Alt");
  EXPECT_EQ(SharedSpecialFolders().GetAltStartupFolder(), "C:\\Alt");
}

TEST_F(SpecialFoldersSimTest, CommonStartupFallsBackToTheUsersOwn) {
  Sim().SetSpecialFolder(kCsidlCommonStartup, "");
  EXPECT_EQ(SharedSpecialFolders().GetCommonStartupFolder(),
            SharedSpecialFolders().GetUserStartupFolder());
}

TEST_F(SpecialFoldersSimTest, ProfilesFolderIsWhatPrecedesAllUsers) {
  EXPECT_EQ(SharedSpecialFolders().GetProfilesFolder(), "C:\\Documents and Settings\\");
  Sim().SetSpecialFolder(kCsidlCommonStartup,
                         "D:\\Profiles\\All Users\\Start Menu\\Programs\\Startup");
  EXPECT_EQ(SharedSpecialFolders().GetProfilesFolder(), "D:\\Profiles\\");
}

TEST_F(SpecialFoldersSimTest, WithoutAllUsersTheProfileListNamesTheProfilesFolder) {
  struct Case {
    const char* commonStartup;
    std::uint32_t type;
    const char* profilesDirectory;  // null: no profile list at all
    const char* expected;
  };
  const Case cases[] = {
      {kVistaCommonStartup, kRegExpandSz, "%SystemDrive%\\Users", "C:\\Users\\"},
      {kVistaCommonStartup, kRegSz, "C:\\Users\\", "C:\\Users\\"},
      {kVistaCommonStartup, kRegSz, "", ""},
      {kVistaCommonStartup, kRegDword, "\x01\x02\x03", ""},
      {kVistaCommonStartup, 0, nullptr, ""},
      // The name is matched in its own letter case only.
      {"C:\\Documents and Settings\\all users\\Start Menu\\Programs\\Startup", kRegExpandSz,
       "%SystemDrive%\\Documents and Settings", "C:\\Documents and Settings\\"},
      {"C:\\Documents and Settings\\all users\\Start Menu\\Programs\\Startup", 0, nullptr, ""},
      // No common Startup folder at all: the user's own has no "All Users" either.
      {"", kRegExpandSz, "%SystemDrive%\\Documents and Settings", "C:\\Documents and Settings\\"},
  };
  for (const Case& c : cases) {
    Sim().SetSpecialFolder(kCsidlCommonStartup, c.commonStartup);
    if (c.profilesDirectory == nullptr) {
      RemoveProfilesDirectory();
    } else {
      SetProfilesDirectory(c.type, c.profilesDirectory);
    }
    EXPECT_EQ(SharedSpecialFolders().GetProfilesFolder(), c.expected) << c.commonStartup;
    EXPECT_EQ(Sim().OpenKeyCount(), 0);
  }
}

TEST_F(SpecialFoldersSimTest, ExecutableFolderFollowsTheModulePath) {
  EXPECT_EQ(GetExeFolder(), "C:\\Program Files\\Launchward\\");
  Sim().SetModuleFileName("D:\\lw.exe");
  EXPECT_EQ(GetExeFolder(), "D:\\");
  EXPECT_EQ(GetShortcutStoreFolder(), "D:\\Startup\\");
}

}  // namespace
}  // namespace lw
