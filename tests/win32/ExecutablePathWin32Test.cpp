// ResolveExecutable against the real %PATH% of the process.

#include "platform/win32/Win32Api.h"

#include "support/TestEnv.h"
#include "util/ExecutablePath.h"

namespace lw {
namespace {

// Sets the process's PATH for one test and puts the old one back.
class ExecutablePathWin32Test : public test::PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    char buffer[32768];
    DWORD size = GetEnvironmentVariableA("PATH", buffer, sizeof buffer);
    saved_.assign(buffer, size < sizeof buffer ? size : 0);
  }
  void TearDown() override { SetEnvironmentVariableA("PATH", saved_.c_str()); }

  void SetPath(const std::string& path) {
    ASSERT_TRUE(SetEnvironmentVariableA("PATH", path.c_str()));
  }

  static std::string Scratch(const std::string& name) {
    std::string path = test::ScratchFolder() + name;
    EXPECT_TRUE(Files().WriteFile(path, "MZ"));
    return path;
  }

  std::string saved_;
};

TEST_F(ExecutablePathWin32Test, SystemCopyWinsOverACopyOnThePath) {
  Scratch("notepad.exe");
  SetPath(test::ScratchFolder() + ";" + saved_);
  EXPECT_EQ(ResolveExecutable("notepad.exe"), Sys().GetSystemDirectory() + "\\notepad.exe");
}

TEST_F(ExecutablePathWin32Test, PathEntriesAreSearchedInOrderToTheEnd) {
  std::string farCopy = Scratch("lw-far.exe");
  std::string path;
  while (path.size() < 2 * kMaxPath)
    path += "C:\\lw no such folder " + std::to_string(path.size()) + ";";
  SetPath(path + ";" + test::ScratchFolder());
  EXPECT_EQ(ResolveExecutable("lw-far.exe /x"), farCopy);
  SetPath(path);
  EXPECT_EQ(ResolveExecutable("lw-far.exe /x"), "");
}

}  // namespace
}  // namespace lw
