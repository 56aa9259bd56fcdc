// From a command line to its executable, on the simulation and on the real API.

#include "util/ExecutablePath.h"

#include "support/TestEnv.h"

namespace lw {
namespace {

using test::ScratchFolder;

const char kAppPathsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

TEST(ExtractExePathTest, TakesTheCommandLineUpToTheFirstExe) {
  struct Case {
    const char* commandLine;
    const char* exe;
  };
  const Case cases[] = {
      {"\"C:\\Program Files\\Tool\\tool.EXE\" /min", "C:\\Program Files\\Tool\\tool.EXE"},
      {"\"C:\\x\\y.exe\"", "C:\\x\\y.exe"},
      {"notepad.EXE /p file", "notepad.EXE"},
      {"C:\\a.exe.dir\\b.exe", "C:\\a.exe"},
      {"C:\\Tools\\run.ExE", "C:\\Tools\\run.ExE"},
      {"C:\\Tools\\x.com /q", ""},
      {"C:\\Tools\\x.bat", ""},
      {"rundll32", ""},
      {"", ""},
      {"\".exe", ".exe"},
      {"C:\\Tools\\x.exe\" -a \"b.exe\"", "C:\\Tools\\x.exe"},
  };
  for (const Case& c : cases) EXPECT_EQ(ExtractExePath(c.commandLine), c.exe) << c.commandLine;
}

class ExecutablePathTest : public test::PlatformTest {
 protected:
  void TearDown() override {
    for (const std::string& name : appPaths_) {
      test::DeleteKeyTree(kHKeyLocalMachine, kAppPathsKey + name);
    }
  }

  static std::string Scratch(const std::string& name) {
    std::string path = ScratchFolder() + name;
    EXPECT_TRUE(Files().WriteFile(path, "MZ")) << path;
    return path;
  }

  void RegisterAppPath(const std::string& name, const std::string& target) {
    appPaths_.push_back(name);
    HKey key = 0;
    ASSERT_EQ(
        Reg().CreateKeyEx(kHKeyLocalMachine, kAppPathsKey + name, kKeyAllAccess, &key, nullptr),
        kErrorSuccess);
    Reg().SetValueEx(key, "", kRegSz, target.c_str(),
                     static_cast<std::uint32_t>(target.size() + 1));
    Reg().CloseKey(key);
  }

  // A system program with copies in both the system and the Windows directory, as Windows
  // and Wine ship notepad.exe.
  static void EnsureNotepad() {
    if (test::IsRealWindows()) return;
#ifndef _WIN32
    test::Sim().AddFile(Sys().GetSystemDirectory() + "\\notepad.exe", "MZ");
    test::Sim().AddFile(Sys().GetWindowsDirectory() + "\\notepad.exe", "MZ");
#endif
  }

  std::vector<std::string> appPaths_;
};

TEST_F(ExecutablePathTest, ExistingFileIsItsOwnResult) {
  std::string tool = Scratch("tool.exe");
  EXPECT_EQ(ResolveExecutable(tool), tool);
  EXPECT_EQ(ResolveExecutable("\"" + tool + "\" /min \"a b\""), tool);
}

TEST_F(ExecutablePathTest, NothingToFindGivesEmpty) {
  EXPECT_EQ(ResolveExecutable(""), "");
  EXPECT_EQ(ResolveExecutable("C:\\Tools\\x.bat"), "");
  EXPECT_EQ(ResolveExecutable(ScratchFolder() + "missing.exe /x"), "");
  EXPECT_EQ(ResolveExecutable("lw-no-such-program.exe"), "");
  // A folder is not an executable.
  ASSERT_TRUE(Files().CreateDirectory(ScratchFolder() + "folder.exe"));
  EXPECT_EQ(ResolveExecutable(ScratchFolder() + "folder.exe"), "");
}

TEST_F(ExecutablePathTest, SystemDirectoryComesBeforeTheWindowsDirectory) {
  EnsureNotepad();
  EXPECT_EQ(ResolveExecutable("notepad.exe /p readme.txt"),
            Sys().GetSystemDirectory() + "\\notepad.exe");
}

TEST_F(ExecutablePathTest, AppPathsEntryWinsOverTheSystemDirectory) {
  EnsureNotepad();
  std::string copy = Scratch("my notepad.exe");
  RegisterAppPath("notepad.exe", copy);
  EXPECT_EQ(ResolveExecutable("notepad.exe"), copy);
  // An entry naming a missing file is passed over.
  RegisterAppPath("notepad.exe", ScratchFolder() + "gone.exe");
  EXPECT_EQ(ResolveExecutable("notepad.exe"), Sys().GetSystemDirectory() + "\\notepad.exe");
}

TEST_F(ExecutablePathTest, AppPathsEntryInQuotes) {
  std::string tool = Scratch("quoted.exe");
  RegisterAppPath("lw-quoted.exe", "\"" + tool + "\"");
  EXPECT_EQ(ResolveExecutable("lw-quoted.exe /x"), tool);
}

TEST_F(ExecutablePathTest, AppPathsEntryThatIsNoTextIsPassedOver) {
  EnsureNotepad();
  appPaths_.push_back("notepad.exe");
  HKey key = 0;
  ASSERT_EQ(Reg().CreateKeyEx(kHKeyLocalMachine, std::string(kAppPathsKey) + "notepad.exe",
                              kKeyAllAccess, &key, nullptr),
            kErrorSuccess);
  std::uint32_t number = 7;
  Reg().SetValueEx(key, "", kRegDword, &number, sizeof number);
  Reg().CloseKey(key);
  EXPECT_EQ(ResolveExecutable("notepad.exe"), Sys().GetSystemDirectory() + "\\notepad.exe");
}

}  // namespace
}  // namespace lw
