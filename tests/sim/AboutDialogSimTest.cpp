// The About box's content: the running executable's version, and a project page that the
// shell cannot open (a machine without a browser) told with its address.

#include "ui/AboutDialog.h"

#include <string>
#include <vector>

#include "support/RecordingDialogs.h"
#include "support/TestEnv.h"

namespace lw::test {
namespace {

TEST(AboutDialogSimTest, TheVersionIsTheRunningExecutablesWithoutTheBuild) {
  ResetPlatform();
  const std::string self = Sys().GetModuleFileName();
  Sim().SetFileVersion(self, {0x00020001, 0x00030007, 0, 0});
  EXPECT_EQ(AboutVersionText(), "2.1.3");
  EXPECT_EQ(std::string(kAboutCaption), std::string("About - ") + kProductTitle);
}

TEST(AboutDialogSimTest, APageTheShellCannotOpenIsToldWithItsAddress) {
  ResetPlatform();
  RecordingDialogs dialogs;
  EXPECT_FALSE(OpenProjectPage());
  EXPECT_EQ(dialogs.Messages(),
            std::vector<std::string>{std::string(kMsgProjectPageFailed) + kProjectUrl});
}

}  // namespace
}  // namespace lw::test
