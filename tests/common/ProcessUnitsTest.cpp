#include "entry/ProcessUnits.h"

#include "platform/Platform.h"
#include "store/HivePrivileges.h"
#include "store/SettingsStore.h"
#include "support/TestEnv.h"
#include "util/ErrorLog.h"
#include "util/SpecialFolders.h"

namespace lw {
namespace {

using test::PlatformTest;

// The program brings its process-wide units up in one order and down in the reverse one;
// a second round on the same process must start from a clean state.
TEST_F(PlatformTest, UnitsComeUpAndGoDownTwice) {
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    InitializeProcessUnits();
    EXPECT_TRUE(HivePrivilegesEnabled());
    EXPECT_EQ(ErrorLogPath(), test::ExeFolder() + "error.txt");
    EXPECT_EQ(LowestCPUFigure(), 100);
    EXPECT_EQ(HighestCPUFigure(), 0);
    EXPECT_FALSE(SharedSpecialFolders().GetUserStartupFolder().empty());
    MarkInstalled();
    EXPECT_TRUE(IsInstalledMarked());
    ClearInstalled();
    FinalizeProcessUnits();
    EXPECT_FALSE(HivePrivilegesEnabled());
    EXPECT_TRUE(ErrorLogPath().empty());
#ifndef _WIN32
    EXPECT_FALSE(test::Sim().PrivilegeEnabled("SeBackupPrivilege"));
    EXPECT_FALSE(test::Sim().PrivilegeEnabled("SeRestorePrivilege"));
    EXPECT_EQ(test::Sim().OpenKeyCount(), 0);
#endif
  }
}

}  // namespace
}  // namespace lw
