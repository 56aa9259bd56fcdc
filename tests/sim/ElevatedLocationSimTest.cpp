// The copies that run with administrator rights (the installing, restore and edit copies, and
// the first logon phase the Task Scheduler starts with the highest rights) refuse to run from a
// folder that people without administrator rights can change, and change nothing there.

#include <string>
#include <vector>

#include "entry/Program.h"
#include "install/ElevatedCopy.h"
#include "install/ProgramLocation.h"
#include "runner/StartupControl.h"
#include "store/SettingsStore.h"
#include "support/NoProgramWindows.h"
#include "support/RawRegistry.h"
#include "support/RecordingDialogs.h"
#include "support/TestEnv.h"

namespace lw::test {
namespace {

const std::string kUnsafe = "C:\\Apps\\launchward.exe";

class ElevatedLocationSimTest : public PlatformTest {};

TEST_F(ElevatedLocationSimTest, CopiesWithAdministratorRightsRefuseAFolderOthersCanChange) {
  struct Case {
    const char* argument;
    int exitCode;
    bool messageBox;  // else a line in the error log: nobody is there at logon
  };
  const Case cases[] = {
      {kInstallSwitch, kExitActionFailed, true},
      {kRestoreSwitch, kExitActionFailed, true},
      {kEditSwitch, kExitActionFailed, true},
      {kPreSwitch, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.argument);
    ResetPlatform();
    Sim().AddFile(kUnsafe, "MZ");
    Sim().SetModuleFileName(kUnsafe);
    SetRawString(kHKeyLocalMachine, kRunKey, "Tool", "C:\\Tools\\tool.exe");
    RecordingDialogs dialogs;
    NoWindows windows;
    EXPECT_EQ(RunProgram({c.argument}, windows), c.exitCode);
    EXPECT_EQ(windows.calls, 0);
    const std::string refusal = RefusedUnsafeText("C:\\Apps\\launchward.exe");
    EXPECT_EQ(dialogs.Messages(),
              c.messageBox ? std::vector<std::string>{refusal} : std::vector<std::string>{});
    std::string log;
    Files().ReadFile("C:\\Apps\\error.txt", &log);
    EXPECT_EQ(log.find(refusal) != std::string::npos, !c.messageBox) << log;
    // Nothing was taken over or registered.
    EXPECT_EQ(RawString(kHKeyLocalMachine, kRunKey, "Tool"), "C:\\Tools\\tool.exe");
    EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunKey, kSelfRunValue));
    EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunOnceKey, kSelfRunValue));
  }
}

}  // namespace
}  // namespace lw::test
