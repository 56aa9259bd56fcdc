// The real seam's own work beyond passing calls through: buffers that grow until the text
// fits, version resources, and the message pump.

#include "platform/win32/Win32Api.h"

#include <string>

#include "support/TestEnv.h"

namespace lw::test {
namespace {

using SeamWin32Test = PlatformTest;

TEST_F(SeamWin32Test, LongExpansionsComeBackWhole) {
  const std::string value(5000, 'x');
  ASSERT_TRUE(SetEnvironmentVariableA("LW_LONG_VALUE", value.c_str()));
  std::string expanded = Sys().ExpandEnvironmentStrings("<%LW_LONG_VALUE%|%LW_LONG_VALUE%>");
  SetEnvironmentVariableA("LW_LONG_VALUE", nullptr);
  EXPECT_TRUE(expanded == "<" + value + "|" + value + ">") << expanded.size() << " characters";
}

TEST_F(SeamWin32Test, VersionResourcesAreRead) {
  FixedFileVersion version;
  ASSERT_TRUE(Sys().GetFileVersionInfo(Sys().GetSystemDirectory() + "\\kernel32.dll", &version));
  EXPECT_NE(version.fileVersionMS, 0u);

  const std::string text = ScratchFolder() + "plain.txt";
  ASSERT_TRUE(Files().WriteFile(text, "no resources here"));
  FixedFileVersion untouched{1, 2, 3, 4};
  EXPECT_FALSE(Sys().GetFileVersionInfo(text, &untouched));
  EXPECT_FALSE(Sys().GetFileVersionInfo(ScratchFolder() + "missing.exe", &untouched));
  EXPECT_EQ(untouched.fileVersionMS, 1u);
  EXPECT_EQ(untouched.productVersionLS, 4u);
}

int delivered = 0;

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_APP) ++delivered;
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(SeamWin32Test, ProcessMessagesDeliversWaitingMessagesAndKeepsAQuit) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = CountingProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "LwSeamCounting";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowA("LwSeamCounting", "", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr,
                              windowClass.hInstance, nullptr);
  ASSERT_NE(window, nullptr);

  delivered = 0;
  PostMessageA(window, WM_APP, 0, 0);
  PostMessageA(window, WM_APP, 0, 0);
  Sys().ProcessMessages();
  EXPECT_EQ(delivered, 2);

  // A quit met while pumping is posted again, so that the program's own loop still ends.
  PostQuitMessage(7);
  Sys().ProcessMessages();
  MSG message{};
  ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 7u);

  DestroyWindow(window);
  UnregisterClassA("LwSeamCounting", windowClass.hInstance);
}

TEST_F(SeamWin32Test, TicksAdvanceAcrossASleep) {
  const std::uint32_t before = Sys().GetTickCount();
  Sys().Sleep(100);
  // Wine's tick count moves in steps of about 16 ms, and on a busy machine the thread that moves
  // it may run late: what the program relies on is that it catches up with the time slept.
  bool caughtUp = Sys().GetTickCount() - before >= 80u;
  for (int wait = 0; !caughtUp && wait < 100; ++wait) {
    Sys().Sleep(50);
    caughtUp = Sys().GetTickCount() - before >= 80u;
  }
  EXPECT_TRUE(caughtUp);
}

}  // namespace
}  // namespace lw::test
