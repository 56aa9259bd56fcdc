// launchward.exe started without an argument, as a user double-clicks it: the main window, the
// Install command with its questions, the Options dialog, the About box and the end of the
// program, each read and pressed from outside with the window driver.

#include <string>
#include <vector>

#include "edit/EditWindow.h"
#include "edit/win32/EditWindowView.h"
#include "install/InstallCommand.h"
#include "support/win32/LogonFixture.h"
#include "ui/AboutDialog.h"
#include "ui/MainWindow.h"
#include "ui/Options.h"
#include "ui/win32/AboutDialogView.h"
#include "ui/win32/MainWindowView.h"
#include "ui/win32/OptionsDialog.h"

namespace lw::test {
namespace {

using driver::ChildProcess;

const driver::WindowQuery kMainWindowQuery{kMainWindowClass, kProductTitle, true};

class MainWindowEndToEndTest : public LogonTest {
 protected:
  static bool Enabled(HWND window, int id) { return ::IsWindowEnabled(::GetDlgItem(window, id)); }
  void ExpectNotInstalled() const {
    EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunKey, kSelfRunValue));
    EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunOnceKey, kSelfRunValue));
    EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kProgramKey, kIsInstalledValue));
  }
};

TEST_F(MainWindowEndToEndTest, InstallOptionsAboutFromTheMainWindowAndClosingEndsTheProgram) {
  ChildProcess process = Start("");
  const HWND main = driver::WaitForProcessWindow(process.Id(), kMainWindowQuery);
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(Enabled(main, kMainInstallId));
  EXPECT_FALSE(Enabled(main, kMainRestoreId));
  EXPECT_EQ(driver::ControlText(main, kMainEditId), kEditCaption);
  EXPECT_FALSE(driver::IsVisible(driver::WaitForProcessWindow(process.Id(), kRunnerWindowQuery)));

  // The first install asks; Cancel writes nothing.
  ASSERT_TRUE(driver::PressButton(main, kMainInstallId));
  ASSERT_TRUE(Answer(process, kMsgFirstInstallQuestion, IDCANCEL));
  ExpectNotInstalled();
  EXPECT_TRUE(Enabled(main, kMainInstallId));

  ASSERT_TRUE(driver::PressButton(main, kMainInstallId));
  ASSERT_TRUE(Answer(process, kMsgFirstInstallQuestion, IDOK));
  ASSERT_TRUE(Answer(process, kMsgInstallComplete, IDOK));
  ExpectRegisteredForBothPhases();
  EXPECT_EQ(RawString(kHKeyLocalMachine, kProgramKey, kIsInstalledValue), kIsInstalledData);
  EXPECT_TRUE(driver::WaitUntil(
      [&] { return !Enabled(main, kMainInstallId) && Enabled(main, kMainRestoreId); }));

  // Options is modal: the main window waits until it closes.
  ASSERT_TRUE(driver::PressButton(main, kMainOptionsId));
  const HWND options =
      driver::WaitForProcessWindow(process.Id(), {kOptionsDialogClass, kOptionsCaption, true});
  ASSERT_NE(options, nullptr);
  EXPECT_FALSE(::IsWindowEnabled(main));
  ASSERT_TRUE(driver::PressButton(options, kOptionsCancelId));
  EXPECT_TRUE(
      driver::WaitUntil([&] { return !driver::IsVisible(options) && ::IsWindowEnabled(main); }));

  // About is not: it shows the executable's version and leaves the main window usable.
  ASSERT_TRUE(driver::PressButton(main, kMainAboutId));
  const HWND about =
      driver::WaitForProcessWindow(process.Id(), {kAboutDialogClass, kAboutCaption, true});
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(driver::ControlText(about, kAboutVersionId), LW_PROJECT_VERSION);
  EXPECT_EQ(driver::ControlText(about, kAboutLinkId), kProjectUrl);
  EXPECT_TRUE(::IsWindowEnabled(main));
  ASSERT_TRUE(driver::PressButton(about, kAboutCloseId));
  EXPECT_TRUE(driver::WaitUntil([&] { return !driver::IsVisible(about); }));

  // Edit opens the edit window modally; with nothing taken over yet it says why its lists are
  // empty.
  ASSERT_TRUE(driver::PressButton(main, kMainEditId));
  ASSERT_TRUE(Answer(process, kMsgFirstInstall, IDOK));
  const HWND edit =
      driver::WaitForProcessWindow(process.Id(), {kEditWindowClass, kEditWindowCaption, true});
  ASSERT_NE(edit, nullptr);
  EXPECT_FALSE(::IsWindowEnabled(main));
  ASSERT_TRUE(driver::PostWindowMessage(edit, WM_CLOSE, 0, 0));
  EXPECT_TRUE(
      driver::WaitUntil([&] { return !driver::IsVisible(edit) && ::IsWindowEnabled(main); }));

  ASSERT_TRUE(driver::PostWindowMessage(main, WM_CLOSE, 0, 0));
  EXPECT_EQ(ExitCode(process), 0);
  ExpectRegisteredForBothPhases();
}

}  // namespace
}  // namespace lw::test
