// Saving the options where the simulation can refuse writes: a user without administrator
// rights, an executable folder that cannot be written.

#include "support/RecordingDialogs.h"
#include "support/TestEnv.h"
#include "ui/Options.h"

namespace lw {
namespace {

using test::RecordingDialogs;
using test::Sim;

class OptionsSimTest : public test::PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    options_.SetChecked(kAutoDisableOption, true);
    options_.SetText(kInitPauseOption, "5000");
    options_.SetText(kRunkeyPauseOption, "1000");
    options_.SetText(kStartupPauseOption, "2000");
  }

  static std::string IniValue(const std::string& name) {
    return Files().GetPrivateProfileString(name, name, "<absent>", Options::OptionsFilePath());
  }

  RecordingDialogs dialogs_;
  Options options_;
};

TEST_F(OptionsSimTest, RefusedRegistryWritesAreReportedAndSavingGoesOn) {
  Sim().DenyKeyWrites(kHKeyLocalMachine, "");
  EXPECT_TRUE(options_.Save());
  const std::string refused =
      "Registry write failed\r\nUnable to open : \\SOFTWARE\\Tallowmere\\Launchward";
  EXPECT_EQ(dialogs_.Messages(), (std::vector<std::string>{refused, refused, refused}));
  EXPECT_EQ(IniValue("cbAutoDisable"), "1");
  EXPECT_EQ(IniValue("txtIntStartupPause"), "2000");
  EXPECT_EQ(Sim().OpenKeyCount(), 0);
}

TEST_F(OptionsSimTest, FailingValueWriteIsReportedWithItsMessage) {
  // In creation order: four check boxes into the file, then the program key is created and
  // the first pause written.
  Sim().FailChange(Sim().ChangeCount() + 6);
  EXPECT_TRUE(options_.Save());
  EXPECT_EQ(dialogs_.Messages(),
            std::vector<std::string>{
                "Registry write failed\r\nFailed to set data for 'InitialPauseMilli'"});
  EXPECT_EQ(IniValue("txtIntInitPause"), "5000");
}

TEST_F(OptionsSimTest, OptionsFileThatCannotBeWrittenIsReportedOnce) {
  std::string folder = test::ExeFolder();
  Sim().DenyFolderWrites(folder.substr(0, folder.size() - 1));
  EXPECT_TRUE(options_.Save());
  EXPECT_EQ(dialogs_.Messages(), std::vector<std::string>{"Unable to write options file : " +
                                                          Options::OptionsFilePath()});
  Options loaded;
  loaded.Load();
  EXPECT_EQ(loaded.RunkeyPauseText(), "1000");  // the registry took the pauses
  EXPECT_FALSE(loaded.AutoDisable());
}

}  // namespace
}  // namespace lw
