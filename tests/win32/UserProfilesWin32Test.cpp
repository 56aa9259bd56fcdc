// How Windows leads from a user's name to the user's hive: the account's SID, the profile list's
// entry for it, and, while the user is logged on, the hive loaded under the SID.

#include <string>

#include "store/UserProfiles.h"
#include "support/RawRegistry.h"
#include "support/TestEnv.h"
#include "util/CurrentUser.h"

namespace lw::test {
namespace {

TEST(UserProfilesWin32Test, TheLoggedOnUsersNameLeadsToTheHiveFileAndTheLoadedHive) {
  ResetPlatform();
  const std::string user = CurrentUserName();
  ASSERT_NE(user, kUnknownUser);
  const std::string sid = AccountSid(user);
  ASSERT_EQ(sid.rfind("S-1-5-", 0), 0u) << sid;
  EXPECT_TRUE(RawKeyExists(kHKeyUsers, sid));
  const std::string hive = UserHiveFile(user, "C:\\nowhere\\");
  EXPECT_EQ(hive.find("nowhere"), std::string::npos) << hive;
  // The profile folder the list names is there (Wine keeps the hive itself outside Windows'
  // folders, so the file is not).
  const std::string folder = hive.substr(0, hive.rfind('\\'));
  EXPECT_EQ(hive.substr(folder.size()), "\\NTUSER.DAT");
  EXPECT_NE(Files().GetFileAttributes(folder) & kFileAttributeDirectory, 0u) << folder;
  EXPECT_NE(Files().GetFileAttributes(folder), kInvalidFileAttributes) << folder;
  EXPECT_EQ(AccountSid("no such account here"), "");
  EXPECT_EQ(UserHiveFile("no such account here", "C:\\Users\\"),
            "C:\\Users\\no such account here\\NTuser.dat");
}

}  // namespace
}  // namespace lw::test
