// How Windows leads from a user's name to the user's hive: the account's SID, the profile list's
// entry for it, and, while the user is logged on, the hive loaded under the SID.

#include <string>

#include "store/UserProfiles.h"
#include "support/RawRegistry.h"
#include "support/TestEnv.h"
#include "util/CurrentUser.h"
#include "util/Text.h"

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

// What the program asks Windows about accounts of processes: its own token's user, the process
// that started it (the test runner, the same account here), and the name of a SID.
TEST(UserProfilesWin32Test, TheProcessItsParentAndTheirAccountsAreKnownBySid) {
  ResetPlatform();
  std::string own;
  ASSERT_TRUE(Token().GetProcessUserSid(&own));
  EXPECT_EQ(own, AccountSid(CurrentUserName()));
  EXPECT_EQ(CurrentUserSid(), own);
  std::string name;
  ASSERT_TRUE(Token().LookupSidUserName(own, &name));
  EXPECT_TRUE(SameText(name, CurrentUserName())) << name;
  EXPECT_EQ(name.find('\\'), std::string::npos) << name;

  std::uint32_t parent = 0;
  ASSERT_TRUE(Token().GetParentProcessId(&parent));
  std::string parentSid;
  // Started from outside Windows (Wine from a Linux shell), the parent id is 0; a parent may
  // also have ended already. Either way nothing is known of it, and a copy would be refused.
  if (parent != 0 && Token().GetOtherProcessUserSid(parent, &parentSid)) {
    EXPECT_EQ(parentSid, own);
  }

  // Failures leave the out values alone.
  std::string untouched = "kept";
  EXPECT_FALSE(Token().LookupSidUserName("not a SID", &untouched));
  EXPECT_FALSE(Token().GetOtherProcessUserSid(0xFFFFFFF0u, &untouched));
  EXPECT_EQ(untouched, "kept");
}

}  // namespace
}  // namespace lw::test
