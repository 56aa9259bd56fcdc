// The search order of ResolveExecutable over staged folders and %PATH% values.

#include "util/ExecutablePath.h"

#include "support/TestEnv.h"

namespace lw {
namespace {

using test::Sim;

const char kAppPaths[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

class ExecutablePathSimTest : public test::PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    Sim().SetSystemDirectory("C:\\WINDOWS\\system32");
    Sim().SetWindowsDirectory("C:\\WINDOWS");
  }

  static void RegisterAppPath(const std::string& name, std::uint32_t type,
                              const std::string& target) {
    HKey key = 0;
    ASSERT_EQ(Reg().CreateKeyEx(kHKeyLocalMachine, kAppPaths + name, kKeyAllAccess, &key, nullptr),
              kErrorSuccess);
    Reg().SetValueEx(key, "", type, target.c_str(), static_cast<std::uint32_t>(target.size() + 1));
    Reg().CloseKey(key);
  }
};

TEST_F(ExecutablePathSimTest, FirstFolderHoldingTheFileWins) {
  struct Case {
    std::vector<const char*> copies;
    const char* path;
    const char* expected;
  };
  const Case cases[] = {
      {{"C:\\WINDOWS\\system32\\t.exe", "C:\\WINDOWS\\t.exe", "C:\\A\\t.exe"},
       "C:\\A",
       "C:\\WINDOWS\\system32\\t.exe"},
      {{"C:\\WINDOWS\\t.exe", "C:\\A\\t.exe"}, "C:\\A", "C:\\WINDOWS\\t.exe"},
      {{"C:\\A\\t.exe", "C:\\B\\t.exe"}, "C:\\A;C:\\B", "C:\\A\\t.exe"},
      {{"C:\\A\\t.exe", "C:\\B\\t.exe"}, "C:\\B\\;C:\\A", "C:\\B\\t.exe"},
      {{"C:\\B\\t.exe"}, ";;C:\\A;;C:\\B;", "C:\\B\\t.exe"},
      {{"C:\\B\\t.exe"}, "C:\\A", ""},
      {{"C:\\B\\t.exe"}, "", ""},
  };
  for (const Case& c : cases) {
    SetUp();
    for (const char* copy : c.copies) Sim().AddFile(copy, "MZ");
    Sim().SetEnvironmentVariable("PATH", c.path);
    EXPECT_EQ(ResolveExecutable("t.exe -x"), c.expected) << c.path;
  }
}

TEST_F(ExecutablePathSimTest, WholePathIsSearchedHoweverLong) {
  std::string path;
  for (int i = 0; i < 40; ++i) path += "C:\\Some Long Folder Name " + std::to_string(i) + ";";
  path += "C:\\Last";
  ASSERT_GT(path.size(), kMaxPath);
  Sim().SetEnvironmentVariable("PATH", path);
  Sim().AddFile("C:\\Last\\far.exe", "MZ");
  EXPECT_EQ(ResolveExecutable("far.exe"), "C:\\Last\\far.exe");
}

TEST_F(ExecutablePathSimTest, RelativeExecutableIsTestedAgainstTheCurrentDirectory) {
  Sim().AddFile("C:\\Program Files\\Launchward\\here.exe", "MZ");
  EXPECT_EQ(ResolveExecutable("here.exe"), "here.exe");
}

TEST_F(ExecutablePathSimTest, AppPathsEntryIsExpandedAndUnquoted) {
  Sim().SetEnvironmentVariable("ProgramFiles", "C:\\Program Files");
  Sim().AddFile("C:\\Program Files\\Tool\\tool.exe", "MZ");
  Sim().AddFile("C:\\WINDOWS\\system32\\tool.exe", "MZ");
  struct Case {
    std::uint32_t type;
    const char* entry;
    const char* expected;
  };
  const Case cases[] = {
      {kRegExpandSz, "%ProgramFiles%\\Tool\\tool.exe", "C:\\Program Files\\Tool\\tool.exe"},
      {kRegSz, "\"C:\\Program Files\\Tool\\tool.exe\"", "C:\\Program Files\\Tool\\tool.exe"},
      {kRegExpandSz, "\"%ProgramFiles%\\Tool\\tool.exe\"", "C:\\Program Files\\Tool\\tool.exe"},
      {kRegSz, "C:\\Program Files\\Tool", "C:\\WINDOWS\\system32\\tool.exe"},
      {kRegSz, "\"", "C:\\WINDOWS\\system32\\tool.exe"},
      {kRegSz, "", "C:\\WINDOWS\\system32\\tool.exe"},
      {kRegBinary, "C:\\Program Files\\Tool\\tool.exe", "C:\\WINDOWS\\system32\\tool.exe"},
  };
  for (const Case& c : cases) {
    RegisterAppPath("tool.exe", c.type, c.entry);
    EXPECT_EQ(ResolveExecutable("tool.exe"), c.expected) << c.entry;
    EXPECT_EQ(Sim().OpenKeyCount(), 0);
  }
}

}  // namespace
}  // namespace lw
