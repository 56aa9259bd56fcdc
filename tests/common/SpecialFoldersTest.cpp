// The special folders and the owner of a Startup folder, on the simulation and on real Windows.

#include "util/SpecialFolders.h"

#include <stdexcept>

#include "support/TestEnv.h"

namespace lw {
namespace {

using test::PlatformTest;

struct OwnerCase {
  const char* folder;
  const char* user;
};

TEST(UserFromStartupFolderTest, NamesTheFolderBeforeTheStartupTail) {
  const OwnerCase cases[] = {
      {"", ""},
      {"C:\\Documents and Settings\\bob\\Start Menu\\Programs\\Startup", "bob"},
      {"C:\\Documents and Settings\\bob\\Start Menu\\Programs\\Startup\\", "bob"},
      {"C:\\Users\\bob\\START MENU\\Programs\\Startup", "bob"},
      {"C:\\Documents and Settings\\All Users\\Start Menu\\Programs\\Startup", "All Users"},
      // The per-user layout of Windows Vista and later.
      {"C:\\Users\\ann\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Startup",
       "ann"},
      {"C:\\Users\\ann\\appdata\\roaming\\microsoft\\windows\\start menu\\programs\\startup",
       "ann"},
      // No Startup tail: what remains ends with a backslash.
      {"C:\\Tools", ""},
      {"C:\\Users\\ann\\AppData\\Roaming\\Microsoft\\Windows", ""},
      {"C:\\x\\Start Menu\\Programs\\Startup\\sub", ""},
      {"Start Menu\\Programs\\Startup", ""},
  };
  for (const OwnerCase& c : cases) {
    EXPECT_EQ(UserFromStartupFolder(c.folder), c.user) << c.folder;
  }
}

class SpecialFoldersTest : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    InitializeSpecialFolders();
  }
  void TearDown() override { FinalizeSpecialFolders(); }
};

TEST_F(SpecialFoldersTest, ExecutableFolderAndShortcutStoreLieBesideTheExecutable) {
  EXPECT_EQ(GetExeFolder(), test::ExeFolder());
  EXPECT_EQ(GetShortcutStoreFolder(), test::ExeFolder() + "Startup\\");
}

TEST_F(SpecialFoldersTest, StartupFoldersBelongToTheirOwners) {
  std::string user = SharedSpecialFolders().GetUserStartupFolder();
  std::string common = SharedSpecialFolders().GetCommonStartupFolder();
  ASSERT_FALSE(user.empty());
  ASSERT_FALSE(common.empty());
  EXPECT_NE(user, common);
  std::string name;
  ASSERT_EQ(Sys().WNetGetUser(&name), kErrorSuccess);
  EXPECT_EQ(UserFromStartupFolder(user), name) << user;
}

TEST_F(SpecialFoldersTest, ProfilesFolderHoldsTheUsersProfile) {
  // Whatever layout the system has, the user's own Startup folder lies in its profile, which
  // lies in the profiles folder: that is where the hive files are looked for.
  std::string profiles = SharedSpecialFolders().GetProfilesFolder();
  ASSERT_FALSE(profiles.empty());
  EXPECT_EQ(profiles.back(), '\\');
  EXPECT_EQ(profiles.find('%'), std::string::npos) << profiles;
  std::string user = SharedSpecialFolders().GetUserStartupFolder();
  std::string name = UserFromStartupFolder(user);
  EXPECT_EQ(user.compare(0, profiles.size() + name.size() + 1, profiles + name + "\\"), 0)
      << profiles << " / " << user;
}

TEST_F(SpecialFoldersTest, FolderIdsUseTheirLowWordOnly) {
  EXPECT_EQ(SharedSpecialFolders().GetSpecialFolder(kCsidlStartup | 0x10000),
            SharedSpecialFolders().GetUserStartupFolder());
}

TEST(SpecialPathsLifecycleTest, TheInstanceExistsBetweenInitialiseAndFinalise) {
  test::ResetPlatform();
  EXPECT_THROW(SharedSpecialFolders(), std::logic_error);
  InitializeSpecialFolders();
  EXPECT_NO_THROW(SharedSpecialFolders());
  FinalizeSpecialFolders();
  EXPECT_THROW(SharedSpecialFolders(), std::logic_error);
}

}  // namespace
}  // namespace lw
