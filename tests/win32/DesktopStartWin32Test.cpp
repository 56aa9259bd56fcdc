// Starts handed to the desktop's Explorer, on Wine's Explorer: it names the desktop in the shell's
// window list, and what its Shell object starts runs in Explorer's process tree, with Explorer's
// environment (not the asking process's, whose LW_PROBE_LOG would send the probe's line
// elsewhere). The copy with administrator rights hands its edit window's Run there.
//
// One fault of Wine's lies outside the program: an Explorer of the session that was killed
// (rather than ended) leaves its window list registered, and every later request for the list
// fails with RPC_S_SERVER_UNAVAILABLE (0x800706BA) until the session ends. The program then
// starts nothing and says so in error.txt, as where no desktop shell runs.

#include <exdisp.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "edit/EditWindow.h"
#include "edit/win32/EditWindowLayout.h"
#include "install/ElevatedCopy.h"
#include "platform/win32/Win32Com.h"
#include "store/SettingsStore.h"
#include "support/win32/LogonFixture.h"

namespace lw::test {
namespace {

using driver::ChildProcess;

class DesktopStartWin32Test : public LogonTest {
 protected:
  void SetUp() override {
    LogonTest::SetUp();
    // A probe started by this process, or by a program it started, writes here instead.
    ::SetEnvironmentVariableA("LW_PROBE_LOG", Inherited().c_str());
  }
  void TearDown() override {
    ::SetEnvironmentVariableA("LW_PROBE_LOG", ProbeLogPath().c_str());
    LogonTest::TearDown();
  }
  std::string Inherited() const { return folder + "inherited-log.txt"; }
};

TEST_F(DesktopStartWin32Test, WinesExplorerListsTheDesktopAndStartsWhatItsShellIsHanded) {
  ScopedCom com;
  ASSERT_TRUE(com.Usable());
  ComPtr<IShellWindows> windows;
  ASSERT_EQ(::CoCreateInstance(__uuidof(ShellWindows), nullptr, CLSCTX_LOCAL_SERVER,
                               __uuidof(IShellWindows), windows.Receive()),
            S_OK);
  VARIANT location;
  ::VariantInit(&location);
  location.vt = VT_I4;
  location.lVal = CSIDL_DESKTOP;
  VARIANT root;
  ::VariantInit(&root);
  long window = 0;
  ComPtr<IDispatch> desktop;
  ASSERT_EQ(windows->FindWindowSW(&location, &root, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                                  desktop.ReceiveTyped()),
            S_OK);
  EXPECT_NE(desktop.Get(), nullptr);
  EXPECT_EQ(reinterpret_cast<HWND>(static_cast<INT_PTR>(window)), ::GetDesktopWindow());

  EXPECT_EQ(Shell().ShellExecuteThroughDesktop("open", probe, "desktop", folder, kSwShowNormal),
            kSOk);
  const std::vector<ProbeStart> starts = WaitForProbeStarts(1);
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_NE(starts[0].commandLine.find("desktop"), std::string::npos) << starts[0].commandLine;
  EXPECT_FALSE(FileThere(Inherited()));
}

// Run in the edit window of the copy with administrator rights: the desktop starts the item, at
// normal priority whatever the item's own (a management window's Run is a try, no logon pass).
TEST_F(DesktopStartWin32Test, TheElevatedEditWindowsRunIsStartedByTheDesktop) {
  StageRunItems({{"ProbeA", ProbeCommand("a"), ""}});
  constexpr std::uint32_t kHighPriorityClass = 0x80;
  SetRawDword(kHKeyLocalMachine, kPriorityKey, "ProbeA", kHighPriorityClass);
  ChildProcess process = Start(kEditSwitch);
  const HWND edit = driver::WaitForProcessWindow(
      process.Id(), driver::WindowQuery{kEditWindowClass, kEditWindowCaption, true});
  ASSERT_NE(edit, nullptr);
  const HWND list = ::GetDlgItem(edit, kEditRunIds.list);
  ASSERT_TRUE(driver::WaitUntil([&] { return driver::ListRowCount(list) == 1; }));
  ASSERT_TRUE(driver::SelectListRows(list, {0}));
  ASSERT_TRUE(driver::WaitUntil(
      [&] { return ::IsWindowEnabled(::GetDlgItem(edit, kEditRunIds.disable)); }));
  ASSERT_TRUE(driver::PostWindowMessage(edit, WM_COMMAND, MAKEWPARAM(kEditMenuRunId, 0), 0));

  const std::vector<ProbeStart> starts = WaitForProbeStarts(1);
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0].priorityClass, static_cast<std::uint32_t>(kDefaultPriority));
  EXPECT_FALSE(FileThere(Inherited()));
  ASSERT_TRUE(driver::PostWindowMessage(edit, WM_CLOSE, 0, 0));
  EXPECT_EQ(ExitCode(process), kExitActionDone);
}

}  // namespace
}  // namespace lw::test
