// The shell-link object as the program uses it: a shortcut saved by the shell loads back with
// its target, wherever the file is copied; anything else fails with the shell's own HRESULT and
// leaves the caller's strings alone. These run on the simulation and on Windows (under Wine).

#include <string>

#include "support/TestEnv.h"

namespace lw::test {
namespace {

class ShellLinkTest : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    dir = ScratchFolder();
    ASSERT_TRUE(Files().CreateDirectory(dir + "Caf\xc3\xa9 Tools"));
    ASSERT_TRUE(Files().WriteFile(dir + "Caf\xc3\xa9 Tools\\R\xc3\xa9sum\xc3\xa9 Maker.exe", "MZ"));
    ASSERT_TRUE(Files().WriteFile(dir + "tool.exe", "MZ"));
  }

  std::string dir;
};

TEST_F(ShellLinkTest, SavedShortcutLoadsBackItsTargetAndFoundName) {
  struct Case {
    std::string link;
    std::string target;
    std::string name;
  };
  // Blanks and code-page letters in both paths; a target that does not exist (in a folder
  // that does not exist either) is kept as it was given.
  const Case cases[] = {
      {dir + "tool.lnk", dir + "tool.exe", "tool.exe"},
      {dir + "Caf\xc3\xa9 Tools\\My R\xc3\xa9sum\xc3\xa9.lnk",
       dir + "Caf\xc3\xa9 Tools\\R\xc3\xa9sum\xc3\xa9 Maker.exe", "R\xc3\xa9sum\xc3\xa9 Maker.exe"},
      {dir + "ghost.lnk", dir + "Gone Away\\ghost app.exe", "ghost app.exe"},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(Shell().SaveShellLink(c.link, c.target, "-min /x"), kSOk) << c.link;
    // The program asks for the short path; the shell gives the target in its long form all
    // the same (Wine keeps no 8.3 names), with blanks and all.
    std::string target;
    std::string name;
    EXPECT_EQ(Shell().LoadShellLink(c.link, kSlgpShortPath, &target, &name), kSOk) << c.link;
    EXPECT_EQ(target, c.target);
    EXPECT_EQ(name, c.name);
  }
  EXPECT_EQ(Shell().LoadShellLink(dir + "tool.lnk", kSlgpShortPath, nullptr, nullptr), kSOk);
}

TEST_F(ShellLinkTest, CopiedShortcutStillLoadsAndSavingReplacesIt) {
  const std::string link = dir + "tool.lnk";
  ASSERT_EQ(Shell().SaveShellLink(link, dir + "tool.exe", ""), kSOk);
  // What the take-over does with a Startup folder's shortcut: copy the file elsewhere. The
  // file's name has no say in what it is.
  ASSERT_TRUE(Files().CopyFile(link, dir + "Caf\xc3\xa9 Tools\\moved.dat", true));
  std::string target;
  EXPECT_EQ(Shell().LoadShellLink(dir + "Caf\xc3\xa9 Tools\\moved.dat", 0, &target, nullptr), kSOk);
  EXPECT_EQ(target, dir + "tool.exe");

  const std::string other = dir + "Caf\xc3\xa9 Tools\\R\xc3\xa9sum\xc3\xa9 Maker.exe";
  ASSERT_EQ(Shell().SaveShellLink(link, other, ""), kSOk);
  EXPECT_EQ(Shell().LoadShellLink(link, kSlgpShortPath, &target, nullptr), kSOk);
  EXPECT_EQ(target, other);
}

TEST_F(ShellLinkTest, WhatIsNoShortcutFailsAndLeavesTheOutStringsAlone) {
  ASSERT_TRUE(Files().WriteFile(dir + "notes.lnk", "[InternetShortcut]\r\nURL=x\r\n"));
  ASSERT_TRUE(Files().WriteFile(dir + "empty.lnk", ""));
  struct Case {
    std::string path;
    long result;
  };
  const Case cases[] = {
      {dir + "notes.lnk", kEFail},
      {dir + "empty.lnk", kEFail},
      {dir + "tool.exe", kEFail},
      {dir + "missing.lnk", HResultFromWin32(kErrorFileNotFound)},
      {dir + "No Folder\\x.lnk", HResultFromWin32(kErrorPathNotFound)},
      {dir + "Caf\xc3\xa9 Tools", HResultFromWin32(kErrorAccessDenied)},
      {"", HResultFromWin32(kErrorPathNotFound)},
  };
  for (const Case& c : cases) {
    std::string target = "before";
    std::string name = "before";
    EXPECT_EQ(Shell().LoadShellLink(c.path, kSlgpShortPath, &target, &name), c.result) << c.path;
    EXPECT_EQ(target, "before") << c.path;
    EXPECT_EQ(name, "before") << c.path;
  }
}

TEST_F(ShellLinkTest, SaveWhereNoFileCanBeWrittenFailsAndWritesNothing) {
  EXPECT_EQ(Shell().SaveShellLink(dir + "No Folder\\x.lnk", dir + "tool.exe", ""),
            HResultFromWin32(kErrorPathNotFound));
  EXPECT_EQ(Files().GetFileAttributes(dir + "No Folder"), kInvalidFileAttributes);
  // A folder stands where the file would go.
  EXPECT_EQ(Shell().SaveShellLink(dir + "Caf\xc3\xa9 Tools", dir + "tool.exe", ""),
            HResultFromWin32(kErrorAccessDenied));
  EXPECT_EQ(Files().GetFileAttributes(dir + "Caf\xc3\xa9 Tools") & kFileAttributeDirectory,
            kFileAttributeDirectory);
}

}  // namespace
}  // namespace lw::test
