// The whole round trip on the real program, as a user and Windows drive it: Install from the
// main window, a logon (-pre takes the items over, -go starts them), the program started again,
// Restore in the main window and in the restore window. Afterwards every item is where it was
// before Install: the same names, data, types and shortcut bytes; and Launchward is gone.

#include <string>

#include "install/InstallCommand.h"
#include "install/RestoreWindow.h"
#include "install/win32/RestoreWindowView.h"
#include "support/ScriptNames.h"
#include "support/WindowsItems.h"
#include "support/win32/LogonFixture.h"
#include "ui/MainWindow.h"
#include "ui/win32/MainWindowView.h"

namespace lw::test {
namespace {

using driver::ChildProcess;

const driver::WindowQuery kMainWindowQuery{kMainWindowClass, kProductTitle, true};

class RestoreEndToEndTest : public LogonTest {
 protected:
  WindowsItems Picture() const { return TakeWindowsItems(userStartup, commonStartup); }
  static bool Enabled(HWND window, int id) { return ::IsWindowEnabled(::GetDlgItem(window, id)); }
  // Runs a logon phase to its end.
  void Phase(const std::string& theSwitch) {
    ChildProcess process = Start(theSwitch);
    ASSERT_EQ(ExitCode(process), 0) << theSwitch;
  }
};

TEST_F(RestoreEndToEndTest, InstallLogonRestoreLeavesEveryItemAsItWasBeforeInstall) {
  // Phase 2 ends at once instead of staying with its new-items icon.
  WriteOptions({{kDisableSysTrayNotificationOption, true}});
  StageRunValue(kHKeyLocalMachine, "Probe \"Machine\"", ProbeCommand("machine"));
  SetRawExpandString(kHKeyLocalMachine, kRunKey, "Probe Expanding",
                     "\"%SystemRoot%\\..\\nowhere\\x.exe\" expanding");
  StageRunValue(kHKeyCurrentUser, "Probe User", ProbeCommand("user"));
  ASSERT_EQ(Shell().SaveShellLink(userStartup + "Probe Mine.lnk", probe, "mine"), kSOk);
  ASSERT_EQ(Shell().SaveShellLink(commonStartup + "Probe 100% & Shared.lnk", probe, "shared"),
            kSOk);
  // Names in four scripts, of values and of shortcuts.
  StageRunValue(kHKeyLocalMachine, kCafe, ProbeCommand(kCafe));
  StageRunValue(kHKeyCurrentUser, kPrivet, ProbeCommand(kPrivet));
  ASSERT_EQ(Shell().SaveShellLink(userStartup + kChinese + ".lnk", probe, kChinese), kSOk);
  ASSERT_EQ(Shell().SaveShellLink(commonStartup + kRocket + ".lnk", probe, "rocket"), kSOk);
  const WindowsItems before = Picture();
  ASSERT_EQ(before.machineRun.size(), 3u);

  // Install, as a user does it the first time.
  {
    ChildProcess process = Start("");
    const HWND main = driver::WaitForProcessWindow(process.Id(), kMainWindowQuery);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(driver::PressButton(main, kMainInstallId));
    ASSERT_TRUE(Answer(process, kMsgFirstInstallQuestion, IDOK));
    ASSERT_TRUE(Answer(process, kMsgInstallComplete, IDOK));
    ASSERT_TRUE(driver::PostWindowMessage(main, WM_CLOSE, 0, 0));
    ASSERT_EQ(ExitCode(process), 0);
  }
  ExpectRegisteredForBothPhases();
  EXPECT_EQ(Picture(), before);  // Install moves nothing.

  // The logon: Windows runs the RunOnce value, then the Run value.
  Phase("-pre");
  Phase("-go");
  EXPECT_TRUE(Picture().machineRun.empty());
  EXPECT_TRUE(Picture().userFolder.empty());
  EXPECT_EQ(RawValueNames(kHKeyLocalMachine, kRunItemsKey).size(), 5u);

  // Restore, from the program started again.
  ChildProcess process = Start("");
  const HWND main = driver::WaitForProcessWindow(process.Id(), kMainWindowQuery);
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(driver::WaitUntil([&] { return Enabled(main, kMainRestoreId); }));
  EXPECT_FALSE(Enabled(main, kMainInstallId));
  ASSERT_TRUE(driver::PressButton(main, kMainRestoreId));
  const HWND restore = driver::WaitForProcessWindow(
      process.Id(), {kRestoreWindowClass, kRestoreWindowCaption, true});
  ASSERT_NE(restore, nullptr);
  const HWND list = ::GetDlgItem(restore, kRestoreListId);
  ASSERT_EQ(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 9);
  // Every row shows its box ticked: what the user sees is what will be given back.
  for (int row = 0; row < 9; ++row) {
    EXPECT_EQ(::SendMessageA(list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK),
              INDEXTOSTATEIMAGEMASK(2))
        << row;
  }
  // The rows name each item as it is named, in any script.
  std::string captions;
  for (int row = 0; row < 9; ++row) captions += driver::ListCellText(list, row, 0) + "|";
  for (const std::string& name : {kCafe, kPrivet, kChinese, kRocket})
    EXPECT_NE(captions.find(name), std::string::npos) << name << " in " << captions;
  EXPECT_FALSE(::IsWindowEnabled(main));
  ASSERT_TRUE(driver::PressButton(restore, kRestoreButtonId));
  ASSERT_TRUE(Answer(process, kMsgRestoreComplete, IDOK));
  EXPECT_TRUE(driver::WaitUntil([&] { return Enabled(restore, kRestoreCloseId); }));
  EXPECT_FALSE(Enabled(restore, kRestoreButtonId));
  ASSERT_TRUE(driver::PressButton(restore, kRestoreCloseId));
  EXPECT_TRUE(driver::WaitUntil(
      [&] { return Enabled(main, kMainInstallId) && !Enabled(main, kMainRestoreId); }));
  ASSERT_TRUE(driver::PostWindowMessage(main, WM_CLOSE, 0, 0));
  ASSERT_EQ(ExitCode(process), 0);

  EXPECT_EQ(Picture(), before);
  EXPECT_TRUE(RawValueNames(kHKeyLocalMachine, kRunItemsKey).empty());
  EXPECT_TRUE(FolderFiles(store).empty());
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunKey, kSelfRunValue));
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunOnceKey, kSelfRunValue));
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kProgramKey, kIsInstalledValue));
}

// A row the user unchecks (with the keyboard, as a user may) is not given back: the program warns
// once that it stays stored, the restore gives back nothing, and the item stays where the program
// will find it again.
TEST_F(RestoreEndToEndTest, AnUncheckedRowIsWarnedAboutAndStaysStored) {
  StageRunValue(kHKeyLocalMachine, "Probe Keep", ProbeCommand("keep"));
  SetRawString(kHKeyLocalMachine, kRunKey, kSelfRunValue, Registration("-go"));
  SetRawString(kHKeyLocalMachine, kRunOnceKey, kSelfRunValue, Registration("-pre"));
  Phase("-pre");
  ASSERT_EQ(RawString(kHKeyLocalMachine, kRunItemsKey, "Probe Keep"), ProbeCommand("keep"));

  ChildProcess process = Start("");
  const HWND main = driver::WaitForProcessWindow(process.Id(), kMainWindowQuery);
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(driver::WaitUntil([&] { return Enabled(main, kMainRestoreId); }));
  ASSERT_TRUE(driver::PressButton(main, kMainRestoreId));
  const HWND restore = driver::WaitForProcessWindow(
      process.Id(), {kRestoreWindowClass, kRestoreWindowCaption, true});
  ASSERT_NE(restore, nullptr);
  const HWND list = ::GetDlgItem(restore, kRestoreListId);
  ASSERT_EQ(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 1);
  auto checkState = [&] { return ::SendMessageA(list, LVM_GETITEMSTATE, 0, LVIS_STATEIMAGEMASK); };
  EXPECT_EQ(checkState(), INDEXTOSTATEIMAGEMASK(2));
  // Down to the first row, then the space bar: the row's box is unticked.
  ASSERT_TRUE(driver::PostWindowMessage(list, WM_KEYDOWN, VK_DOWN, 0));
  ASSERT_TRUE(driver::PostWindowMessage(list, WM_KEYDOWN, VK_SPACE, 0));
  ASSERT_TRUE(driver::PostWindowMessage(list, WM_KEYUP, VK_SPACE, 0));
  EXPECT_TRUE(driver::WaitUntil([&] { return checkState() == INDEXTOSTATEIMAGEMASK(1); }));
  ASSERT_TRUE(Answer(process, kMsgUncheckedWarning, IDOK));

  ASSERT_TRUE(driver::PressButton(restore, kRestoreButtonId));
  ASSERT_TRUE(Answer(process,
                     std::string(kMsgRestoreComplete) +
                         "\r\n\r\n1 item was not given back and stays stored:\r\n1 in "
                         "HKEY_LOCAL_MACHINE\\SOFTWARE\\Tallowmere\\Launchward\\Run" +
                         kMsgKeptItemsDoNotStart,
                     IDOK));
  EXPECT_TRUE(driver::WaitUntil([&] { return Enabled(restore, kRestoreCloseId); }));
  ASSERT_TRUE(driver::PressButton(restore, kRestoreCloseId));
  ASSERT_TRUE(driver::PostWindowMessage(main, WM_CLOSE, 0, 0));
  ASSERT_EQ(ExitCode(process), 0);

  EXPECT_EQ(RunValue(kHKeyLocalMachine, "Probe Keep"), "<missing>");
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunItemsKey, "Probe Keep"), ProbeCommand("keep"));
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunSortKey, "0"), "Probe Keep");
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunKey, kSelfRunValue));
}

}  // namespace
}  // namespace lw::test
