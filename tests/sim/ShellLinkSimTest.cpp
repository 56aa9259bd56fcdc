// What only the simulation can stage about shortcuts: files that cannot be written or read.

#include <string>

#include "support/TestEnv.h"

namespace lw::test {
namespace {

class ShellLinkSimTest : public PlatformTest {
 protected:
  std::string Target() const { return ScratchFolder() + "tool.exe"; }
  std::string LoadedTarget(const std::string& link) {
    std::string target;
    EXPECT_EQ(Shell().LoadShellLink(link, kSlgpShortPath, &target, nullptr), kSOk) << link;
    return target;
  }
};

TEST_F(ShellLinkSimTest, SaveIsOneChangeAndAFailedOneKeepsTheOldShortcut) {
  const std::string link = ScratchFolder() + "tool.lnk";
  const std::uint64_t before = Sim().ChangeCount();
  ASSERT_EQ(Shell().SaveShellLink(link, Target(), ""), kSOk);
  EXPECT_EQ(Sim().ChangeCount(), before + 1);

  Sim().FailChange(Sim().ChangeCount() + 1, kErrorSharingViolation);
  EXPECT_EQ(Shell().SaveShellLink(link, "C:\\other.exe", ""),
            HResultFromWin32(kErrorSharingViolation));
  EXPECT_EQ(LoadedTarget(link), Target());
}

TEST_F(ShellLinkSimTest, RefusedFilesGiveTheirErrorsAsHResults) {
  const std::string link = ScratchFolder() + "tool.lnk";
  ASSERT_EQ(Shell().SaveShellLink(link, Target(), ""), kSOk);

  Sim().LockFile(link);
  std::string target = "before";
  EXPECT_EQ(Shell().LoadShellLink(link, 0, &target, nullptr),
            HResultFromWin32(kErrorSharingViolation));
  EXPECT_EQ(target, "before");
  EXPECT_EQ(Shell().SaveShellLink(link, "C:\\other.exe", ""),
            HResultFromWin32(kErrorSharingViolation));
  Sim().LockFile(link, false);

  Sim().DenyFolderWrites(ScratchFolder());
  EXPECT_EQ(Shell().SaveShellLink(ScratchFolder() + "new.lnk", Target(), ""),
            HResultFromWin32(kErrorAccessDenied));
  EXPECT_EQ(Shell().SaveShellLink(link, "C:\\other.exe", ""), HResultFromWin32(kErrorAccessDenied));
  EXPECT_EQ(LoadedTarget(link), Target());
}

}  // namespace
}  // namespace lw::test
