// The organisation's never-take-over list: the Run values and shortcuts it names stay with
// Windows at every take-over.

#include <string>
#include <vector>

#include "install/StartupMover.h"
#include "store/SettingsStore.h"
#include "support/RawRegistry.h"
#include "support/TakeOverFixture.h"
#include "ui/Policies.h"

namespace lw::test {
namespace {

class NeverTakeOverSimTest : public TakeOverFixture {};

TEST_F(NeverTakeOverSimTest, ListedRunValuesAndShortcutsStayWithWindows) {
  Run(kHKeyLocalMachine, "SecurityAgent", "C:\\Agent\\agent.exe");
  Run(kHKeyLocalMachine, "Tool", "C:\\Tools\\tool.exe");
  Run(kHKeyCurrentUser, "Reader", "C:\\Reader\\reader.exe");
  Link(userFolder, "Magnifier.lnk", "C:\\Windows\\magnify.exe");
  Link(userFolder, "App.lnk", "C:\\App\\app.exe");
  const std::string list = std::string(kOrganisationPolicyKey) + "\\" + kPolicyNeverTakeOver;
  SetRawString(kHKeyLocalMachine, list, "1", "securityagent");
  SetRawString(kHKeyLocalMachine, list, "2", "Reader");
  SetRawString(kHKeyLocalMachine, list, "3", "Magnifier");
  ReloadPolicies();
  Pass();
  // Left where Windows starts them, and unknown to the store.
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunKey, "SecurityAgent"), "C:\\Agent\\agent.exe");
  EXPECT_EQ(RawString(kHKeyCurrentUser, kRunKey, "Reader"), "C:\\Reader\\reader.exe");
  EXPECT_TRUE(FileThere(userFolder + "Magnifier.lnk"));
  EXPECT_EQ(Store(kRunItemsKey), (ValueMap{{"Tool", "C:\\Tools\\tool.exe"}}));
  EXPECT_EQ(SortEntries(kStartupSortKey), std::vector<std::string>{store + "App.lnk"});
  EXPECT_FALSE(FileThere(userFolder + "App.lnk"));
  // A second logon leaves them too.
  Pass();
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunKey, "SecurityAgent"), "C:\\Agent\\agent.exe");
  EXPECT_TRUE(FileThere(userFolder + "Magnifier.lnk"));
}

}  // namespace
}  // namespace lw::test
