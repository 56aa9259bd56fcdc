// The files a restore leaves for the user, applied the way the user would apply them: the
// registry file by regedit, the batch file by cmd. Whatever the names and commands hold, each
// item comes back byte for byte, and nothing else happens.

#include "platform/win32/Win32Api.h"

#include <string>
#include <vector>

#include "install/RestoreFiles.h"
#include "support/RawRegistry.h"
#include "support/TakeOverFixture.h"
#include "support/TestEnv.h"
#include "support/WindowsConfiguration.h"
#include "util/Text.h"
#include "util/WindowsBitness.h"

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

void RemoveValue(HKey root, const std::string& path, const std::string& name) {
  HKey key = 0;
  if (Reg().OpenKeyEx(root, path, RawAccess(kKeySetValue), &key) != kErrorSuccess) return;
  Reg().DeleteValue(key, name);
  Reg().CloseKey(key);
}

class RestoreFilesWin32Test : public PlatformTest {
 protected:
  void TearDown() override { DeleteKeyTree(kHKeyCurrentUser, kScratchKey); }
};

struct Item {
  std::string name;
  StringValue data;
};

// Writes the items' registry file, applies it with regedit and expects every value back.
void ExpectRegeditAppliesAsTheyWere(const std::vector<Item>& items) {
  DeleteKeyTree(kHKeyCurrentUser, kScratchKey);
  const std::string header = "[HKEY_CURRENT_USER\\" + std::string(kScratchKey) + "]";
  std::vector<RegFileItem> fileItems;
  for (const Item& item : items) fileItems.push_back({header, item.name, item.data});
  const std::string file = ScratchFolder() + "applied.reg";
  ASSERT_TRUE(Files().WriteFile(file, RegFileBytes(fileItems)));

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

TEST_F(RestoreFilesWin32Test, RegeditAppliesEveryValueAsItWas) {
  ExpectRegeditAppliesAsTheyWere({
      {"Plain", {"C:\\Tools\\tool.exe", kRegSz}},
      {"Say \"hi\"", {"\"C:\\Program Files\\Say\\say.exe\" /q \"a b\"", kRegSz}},
      {"Back\\slash", {"C:\\dir\\", kRegSz}},
      {"50%PATH% & (x) ^y !z", {"cmd /c echo 50%PATH% & exit", kRegSz}},
      {"Expanding", {"%ProgramFiles%\\E\\e.exe -x", kRegExpandSz}},
      {"Long", {std::string(300, 'x') + "%TEMP%", kRegExpandSz}},
      {"Two lines", {"first\r\nsecond", kRegSz}},
  });
}

// Names and commands in four scripts ("é", Cyrillic, Chinese, an emoji): the file is then in
// regedit's Unicode form, its hex data in UTF-16.
TEST_F(RestoreFilesWin32Test, RegeditAppliesNamesInAnyScriptAsTheyWere) {
  ExpectRegeditAppliesAsTheyWere({
      {"Caf\xc3\xa9", {"C:\\Caf\xc3\xa9\\c.exe", kRegSz}},
      {"\xd0\x96\xd1\x83\xd0\xba \"\xd1\x91\"",
       {"%APPDATA%\\\xd0\x96\\\xd0\xb6.exe", kRegExpandSz}},
      {"\xe4\xb8\xad\xe6\x96\x87", {"C:\\\xe4\xb8\xad\\\xe6\x96\x87.exe /\xe4\xb8\xad", kRegSz}},
      {"Smile \xf0\x9f\x98\x80", {"C:\\\xf0\x9f\x98\x80\\a.exe\r\n\xf0\x9f\x98\x80", kRegSz}},
      {"Long \xd0\x96", {std::string(100, 'x') + "\xd0\x96%TEMP%", kRegExpandSz}},
  });
}

// A 64-bit regedit takes a plain HKEY_LOCAL_MACHINE header to the 64-bit view: the program's
// own (32-bit) view is named by its WOW6432Node path, and each item lands in its own view. The
// regedit a user's double-click opens is the Windows folder's, the 64-bit one (a 32-bit process
// that names it bare would find SysWOW64's copy first, which sees the 32-bit view alone; Wine
// starts the 32-bit one for a 32-bit caller whatever the path).
TEST_F(RestoreFilesWin32Test, EachMachineItemGoesBackToItsOwnView) {
  if (!IsWindows64()) GTEST_SKIP() << "needs 64-bit Windows";
  const std::string run = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
  const std::string name = "Launchward view test \xd0\x96";
  const std::string file = ScratchFolder() + "view.reg";
  ASSERT_TRUE(Files().WriteFile(
      file, RegFileBytes({{kMachineRunKey32Header, name, {"C:\\32.exe", kRegSz}},
                          {kMachineRunKeyHeader, name, {"C:\\64.exe", kRegSz}}})));
  // A 32-bit test process reaches the 64-bit side through the 64-bit cmd (Sysnative).
  const std::string windows = Sys().GetWindowsDirectory();
  const std::string regedit = "\"" + windows + "\\regedit.exe\" /s \"" + file + "\"";
  ASSERT_EQ(RunAndWait(CurrentConfiguration() == WindowsConfiguration::kWow64
                           ? "\"" + windows + "\\Sysnative\\cmd.exe\" /c \"" + regedit + "\""
                           : regedit),
            0u);
  std::string bits32;
  std::string bits64;
  {
    InRawView view(kKeyWow64_32Key);
    bits32 = RawString(kHKeyLocalMachine, run, name);
    RemoveValue(kHKeyLocalMachine, run, name);
  }
  {
    InRawView view(kKeyWow64_64Key);
    bits64 = RawString(kHKeyLocalMachine, run, name);
    RemoveValue(kHKeyLocalMachine, run, name);
  }
  EXPECT_EQ(bits32, "C:\\32.exe");
  EXPECT_EQ(bits64, "C:\\64.exe");
}

TEST_F(RestoreFilesWin32Test, TheBatchFileMovesEachShortcutAndReplacesNothing) {
  const std::string store = ScratchFolder() + "Startup\\";
  const std::string target = ScratchFolder() + "Start Menu (1) & more\\";
  ASSERT_TRUE(Files().CreateDirectory(store.substr(0, store.size() - 1)));
  ASSERT_TRUE(Files().CreateDirectory(target.substr(0, target.size() - 1)));
  const std::vector<std::string> names = {"plain.lnk",     "50%PATH%.lnk", "a & b.lnk",
                                          "(x) ^y !z.lnk", "taken.lnk",    "Caf\xc3\xa9.lnk"};
  // Names the console's code page (437) lacks go in UTF-8 after "chcp 65001", which Windows'
  // cmd reads from there on. Wine's cmd reads every batch line in the OEM code page and
  // ignores chcp: there such a line names no file, and the shortcut stays where it is.
  const std::vector<std::string> unicodeNames = {
      "\xd0\x96\xd1\x83\xd0\xba.lnk", "\xe4\xb8\xad\xe6\x96\x87.lnk", "\xf0\x9f\x98\x80.lnk"};
  std::vector<std::string> lines;
  for (const std::string& name : names) {
    ASSERT_TRUE(Files().WriteFile(store + name, "bytes of " + name));
    lines.push_back(BatchMoveLine(store + name, target));
  }
  for (const std::string& name : unicodeNames) {
    ASSERT_TRUE(Files().WriteFile(store + name, "bytes of " + name));
    lines.push_back(BatchMoveLine(store + name, target));
  }
  ASSERT_TRUE(Files().WriteFile(target + "taken.lnk", "another program's"));
  const std::string batch = ScratchFolder() + "restore & (1).bat";
  ASSERT_TRUE(Files().WriteFile(batch, BatchFileBytes(lines)));

  RunAndWait("cmd.exe /c \"\"" + batch + "\"\"");
  for (const std::string& name : names) {
    if (name == "taken.lnk") continue;
    EXPECT_EQ(ReadWholeFile(target + name), "bytes of " + name) << name;
    EXPECT_EQ(Files().GetFileAttributes(store + name), kInvalidFileAttributes) << name;
  }
  std::size_t moved = 0;
  for (const std::string& name : unicodeNames) {
    const bool there = ReadWholeFile(target + name) == "bytes of " + name;
    EXPECT_TRUE(there || ReadWholeFile(store + name) == "bytes of " + name) << name;
    if (there) ++moved;
  }
  EXPECT_EQ(FolderNames(target).size(), names.size() + moved);
  EXPECT_EQ(ReadWholeFile(target + "taken.lnk"), "another program's");
  EXPECT_EQ(ReadWholeFile(store + "taken.lnk"), "bytes of taken.lnk");
}

}  // namespace
}  // namespace lw::test
