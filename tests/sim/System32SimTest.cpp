// The shipped 32-bit program on 64-bit Windows starts System32 programs as Windows' own logon
// does: its own System32 is SysWOW64, so resolution and start look with the redirection off,
// and it is on again right after.

#include <gtest/gtest.h>

#include "runner/LogonRunner.h"
#include "store/SettingsStore.h"
#include "support/LogonRunnerFixture.h"
#include "util/ErrorLog.h"
#include "util/ExecutablePath.h"
#include "util/Text.h"
#include "util/WindowsBitness.h"

namespace lw::test {
namespace {

constexpr char kProbe64[] = "C:\\WINDOWS\\system32\\probe64.exe";

class System32SimTest : public RunnerTest {
 protected:
  void SetUp() override {
    RunnerTest::SetUp();
    FreeOptions();
    FinalizeProcessUnits();
    Sim().SetWindows64();
    InitializeProcessUnits();
    CreateOptions();
    // Only the 64-bit System32 has it, as with a 64-bit program that installs itself there.
    Sim().AddFile(kProbe64, "MZ");
  }
};

TEST_F(System32SimTest, TheSimulatedProcessIsA32BitOneOn64BitWindows) {
  EXPECT_TRUE(IsWindows64());
  EXPECT_TRUE(IsWow64Process());
  EXPECT_EQ(ProgramRegistryView(), kKeyWow64_32Key);
  // Its System32 is SysWOW64; Sysnative is the 64-bit one.
  EXPECT_EQ(Files().GetFileAttributes(kProbe64), kInvalidFileAttributes);
  EXPECT_NE(Files().GetFileAttributes("C:\\WINDOWS\\Sysnative\\probe64.exe"),
            kInvalidFileAttributes);
  {
    FsRedirectionOff off;
    EXPECT_NE(Files().GetFileAttributes(kProbe64), kInvalidFileAttributes);
  }
  EXPECT_EQ(Files().GetFileAttributes(kProbe64), kInvalidFileAttributes);
}

TEST_F(System32SimTest, BareNamesAndSystem32PathsStartThe64BitProgram) {
  EXPECT_EQ(ResolveExecutable("probe64.exe bare64"), "C:\\WINDOWS\\system32\\probe64.exe");
  StageRunItems({{"Bare", "probe64.exe bare64", ""},
                 {"Full", "C:\\Windows\\System32\\probe64.exe full", ""},
                 {"Root", "probe64 root", ""}});
  auto runner = MakeRunner();
  runner->RunRunkeyItems();
  const auto starts = Sim().ProcessStarts();
  ASSERT_EQ(starts.size(), 3u);
  for (const SimPlatform::ProcessStart& start : starts) {
    EXPECT_TRUE(SameText(start.image, kProbe64)) << start.commandLine << " ran " << start.image;
  }
  // Redirection is on again for everything else the program does.
  EXPECT_EQ(Files().GetFileAttributes(kProbe64), kInvalidFileAttributes);
  EXPECT_EQ(test::ReadWholeFile(ErrorLogPath()), "");
}

// A bare name that only the 32-bit system folder holds: Windows' own logon looks in the 64-bit
// one and does not find it, and so does the runner first; then, for what a 32-bit program may
// have registered (the machine's 32-bit view, a user's Run key), the 32-bit folder, which is
// remembered so that later logons start it at once. A value of the 64-bit view never meant it.
TEST_F(System32SimTest, ABareNameOnlyTheWow64FolderHoldsStartsForThe32BitViewOnly) {
  constexpr char kProbe32[] = "C:\\WINDOWS\\SysWOW64\\probe32.exe";
  Sim().AddFile(kProbe32, "MZ");
  const struct {
    const char* storedName;
    const char* user;
    bool view64;
    bool starts;
  } cases[] = {
      {"Machine32", "", false, true},
      {"bob_Mine", "bob", false, true},
      {"Machine64 (64-bit)", "", true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.storedName);
    StageRunItems({{c.storedName, "probe32.exe /tray", c.user}});
    if (c.view64) {
      SetRawDword(kHKeyLocalMachine, kRunLocationKey, std::string(c.storedName) + kViewSuffix,
                  kStoredView64);
    }
    const std::size_t before = Sim().ProcessStarts().size();
    auto runner = MakeRunner();
    EXPECT_EQ(runner->StartRunkeyItem(c.storedName, "probe32.exe /tray"), c.starts);
    const auto starts = Sim().ProcessStarts();
    ASSERT_EQ(starts.size(), before + (c.starts ? 1 : 0));
    if (!c.starts) continue;
    EXPECT_TRUE(SameText(starts.back().image, kProbe32)) << starts.back().image;
    EXPECT_EQ(starts.back().commandLine, std::string(kProbe32) + " /tray");
    EXPECT_EQ(RawString(kHKeyCurrentUser, kExecMethodKey, c.storedName), kExecSysWow64);
    // The next logon goes there at once.
    EXPECT_TRUE(runner->StartRunkeyItem(c.storedName, "probe32.exe /tray"));
    EXPECT_EQ(Sim().ProcessStarts().size(), before + 2);
  }
}

}  // namespace
}  // namespace lw::test
