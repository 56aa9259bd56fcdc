// The files a restore leaves for the user, applied the way the user would apply them: the
// registry file by regedit, the batch file by cmd. Whatever the names and commands hold, each
// item comes back byte for byte, and nothing else happens.

#include "platform/win32/Win32Api.h"

#include <string>
#include <vector>

#include "install/RestoreFiles.h"
#include "support/RawRegistry.h"
#include "support/TestEnv.h"
#include "util/Text.h"

namespace lw::test {
namespace {

constexpr char kScratchKey[] = "Software\\Tallowmere\\Facts\\Applied";

// Runs the command line and waits for it to end; its exit code.
DWORD RunAndWait(const std::string& commandLine) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION info{};
  std::string line = commandLine;
  if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &info)) {
    ADD_FAILURE() << "cannot start " << commandLine << ": " << ::GetLastError();
    return 1;
  }
  ::WaitForSingleObject(info.hProcess, 60000);
  DWORD code = 1;
  ::GetExitCodeProcess(info.hProcess, &code);
  ::CloseHandle(info.hProcess);
  ::CloseHandle(info.hThread);
  return code;
}

class RestoreFilesWin32Test : public PlatformTest {
 protected:
  void TearDown() override { DeleteKeyTree(kHKeyCurrentUser, kScratchKey); }
};

TEST_F(RestoreFilesWin32Test, RegeditAppliesEveryValueAsItWas) {
  struct Item {
    std::string name;
    StringValue data;
  };
  const std::vector<Item> items = {
      {"Plain", {"C:\\Tools\\tool.exe", kRegSz}},
      {"Say \"hi\"", {"\"C:\\Program Files\\Say\\say.exe\" /q \"a b\"", kRegSz}},
      {"Back\\slash", {"C:\\dir\\", kRegSz}},
      {"50%PATH% & (x) ^y !z", {"cmd /c echo 50%PATH% & exit", kRegSz}},
      {"Expanding", {"%ProgramFiles%\\E\\e.exe -x", kRegExpandSz}},
      {"Long", {std::string(300, 'x') + "%TEMP%", kRegExpandSz}},
      {"Two lines", {"first\r\nsecond", kRegSz}},
      {"Caf\xc3\xa9", {"C:\\Caf\xc3\xa9\\c.exe", kRegSz}},
  };
  const std::string header = "[HKEY_CURRENT_USER\\" + std::string(kScratchKey) + "]";
  std::vector<std::string> lines = {kRegFileHeader, ""};
  for (const Item& item : items) {
    for (const std::string& line : RegItemLines(header, item.name, item.data))
      lines.push_back(line);
  }
  const std::string file = ScratchFolder() + "applied.reg";
  ASSERT_TRUE(Files().WriteFile(file, JoinLines(lines)));

  ASSERT_EQ(RunAndWait("regedit.exe /s \"" + file + "\""), 0u);
  EXPECT_EQ(RawValueNames(kHKeyCurrentUser, kScratchKey).size(), items.size());
  for (const Item& item : items) {
    std::uint32_t type = 0;
    std::string bytes;
    ASSERT_TRUE(GetRaw(kHKeyCurrentUser, kScratchKey, item.name, &type, &bytes)) << item.name;
    EXPECT_EQ(type, item.data.type) << item.name;
    EXPECT_EQ(bytes, item.data.text + std::string(1, '\0')) << item.name;
  }
}

TEST_F(RestoreFilesWin32Test, TheBatchFileMovesEachShortcutAndReplacesNothing) {
  const std::string store = ScratchFolder() + "Startup\\";
  const std::string target = ScratchFolder() + "Start Menu (1) & more\\";
  ASSERT_TRUE(Files().CreateDirectory(store.substr(0, store.size() - 1)));
  ASSERT_TRUE(Files().CreateDirectory(target.substr(0, target.size() - 1)));
  const std::vector<std::string> names = {"plain.lnk", "50%PATH%.lnk", "a & b.lnk", "(x) ^y !z.lnk",
                                          "taken.lnk"};
  std::vector<std::string> lines;
  for (const std::string& name : names) {
    ASSERT_TRUE(Files().WriteFile(store + name, "bytes of " + name));
    lines.push_back(BatchMoveLine(store + name, target));
  }
  ASSERT_TRUE(Files().WriteFile(target + "taken.lnk", "another program's"));
  const std::string batch = ScratchFolder() + "restore & (1).bat";
  ASSERT_TRUE(Files().WriteFile(batch, JoinLines(lines)));

  RunAndWait("cmd.exe /c \"\"" + batch + "\"\"");
  for (const std::string& name : names) {
    if (name == "taken.lnk") continue;
    EXPECT_EQ(ReadWholeFile(target + name), "bytes of " + name) << name;
    EXPECT_EQ(Files().GetFileAttributes(store + name), kInvalidFileAttributes) << name;
  }
  EXPECT_EQ(ReadWholeFile(target + "taken.lnk"), "another program's");
  EXPECT_EQ(ReadWholeFile(store + "taken.lnk"), "bytes of taken.lnk");
}

}  // namespace
}  // namespace lw::test
