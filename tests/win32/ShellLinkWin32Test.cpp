// The real shell-link calls borrow COM for the length of one call: they leave the thread's COM
// as they found it, whether the caller had it or not.

#include "platform/win32/Win32Api.h"

#include <string>

#include "support/TestEnv.h"

namespace lw::test {
namespace {

using ShellLinkWin32Test = PlatformTest;

TEST_F(ShellLinkWin32Test, CallsLeaveTheThreadsComAsTheyFoundIt) {
  const std::string link = ScratchFolder() + "tool.lnk";
  const std::string target = ScratchFolder() + "tool.exe";
  const auto both = [&] {
    EXPECT_EQ(Shell().SaveShellLink(link, target, ""), kSOk);
    EXPECT_EQ(Shell().LoadShellLink(link, kSlgpShortPath, nullptr, nullptr), kSOk);
  };

  // Without COM before: none after (a first CoInitialize answers S_OK, not S_FALSE).
  both();
  HRESULT first = CoInitialize(nullptr);
  EXPECT_EQ(first, S_OK);
  // With COM before: the calls do not take the caller's away.
  both();
  EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
  CoUninitialize();
  if (SUCCEEDED(first)) CoUninitialize();
}

}  // namespace
}  // namespace lw::test
