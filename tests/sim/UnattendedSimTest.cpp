// The commands for deployment tools: no window and no question, never the elevation prompt, a
// distinct exit code for each failure, every message in the error log and on the console; and
// the audit list, which reads the store and changes nothing.

#include <string>
#include <vector>

#include "entry/ItemAudit.h"
#include "entry/Program.h"
#include "entry/Unattended.h"
#include "install/ElevatedCopy.h"
#include "install/InstallCommand.h"
#include "install/ProgramLocation.h"
#include "install/RestoreWindow.h"
#include "runner/StartupControl.h"
#include "store/SettingsStore.h"
#include "store/StoreLock.h"
#include "support/CsvReader.h"
#include "support/NoProgramWindows.h"
#include "support/RawRegistry.h"
#include "support/RecordingDialogs.h"
#include "support/TakeOverFixture.h"
#include "util/Console.h"
#include "util/Csv.h"
#include "util/ErrorLog.h"
#include "util/SpecialFolders.h"

namespace lw::test {
namespace {

class RecordingConsole : public IConsole {
 public:
  RecordingConsole() : before_(InstallConsole(this)) {}
  ~RecordingConsole() override { InstallConsole(before_); }
  void Write(const std::string& bytes) override { text += bytes; }
  std::string text;

 private:
  IConsole* before_;
};

class UnattendedSimTest : public TakeOverFixture {
 protected:
  // The program as a deployment tool starts it: its own process units, no window.
  int Launch(const std::vector<std::string>& args) {
    FreeOptions();
    FinalizeProcessUnits();
    NoWindows windows;
    const int code = RunProgram(args, windows);
    EXPECT_EQ(windows.calls, 0);
    InitializeProcessUnits();
    CreateOptions();
    return code;
  }
  static std::string Log() {
    std::string text;
    Files().ReadFile(GetExeFolder() + "error.txt", &text);
    return text;
  }

  RecordingDialogs dialogs;  // no message box may be shown
  RecordingConsole console;
};

TEST_F(UnattendedSimTest, EachFailureHasItsOwnCodeAndSaysWhyWithoutAWindow) {
  struct Case {
    const char* what;
    std::vector<std::string> args;
    std::function<void()> stage;
    int code;
    std::string message;
  };
  const std::string unsafe = "C:\\Apps\\launchward.exe";
  const Case cases[] = {
      {"extra argument",
       {kInstallSwitch, kQuietSwitch, "-now"},
       [] {},
       kExitUnknownArgument,
       kMsgUnattendedUsage},
      {"list, two files",
       {kListSwitch, "a.csv", "b.csv"},
       [] {},
       kExitUnknownArgument,
       kMsgUnattendedUsage},
      {"unsafe folder",
       {kInstallSwitch, kQuietSwitch},
       [&] {
         Sim().AddFile(unsafe, "MZ");
         Sim().SetModuleFileName(unsafe);
       },
       kExitUnsafeFolder,
       RefusedUnsafeText(unsafe)},
      {"another copy",
       {kRestoreSwitch, kQuietSwitch},
       [] { Sim().HoldMutex(InstanceMutexName()); },
       kExitAnotherCopyRunning,
       kMsgOnlyOneInstance},
      {"standard rights under UAC",
       {kInstallSwitch, kQuietSwitch},
       [] {
         SetRawDword(kHKeyLocalMachine,
                     "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System",
                     "EnableLUA", 1);
         Sim().SetStandardRights();
         // The prompt must never be shown: a caller with the rights runs the command again.
         Sim().AnswerElevation(true, [](const std::string&) -> std::uint32_t {
           ADD_FAILURE() << "the elevation prompt was shown";
           return 0;
         });
       },
       kExitNeedsAdministrator,
       kMsgQuietNeedsAdmin},
      {"standard rights, restore",
       {kRestoreSwitch, kQuietSwitch},
       [] { Sim().SetStandardRights(); },
       kExitNeedsAdministrator,
       kMsgQuietNeedsAdmin},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Restart();
    console.text.clear();
    Run(kHKeyLocalMachine, "Tool", "C:\\Tools\\tool.exe");
    Sim().SetEnvironmentVariable(
        "LOCALAPPDATA", "C:\\Documents and Settings\\bob\\Local Settings\\Application Data");
    c.stage();
    EXPECT_EQ(Launch(c.args), c.code);
    EXPECT_TRUE(dialogs.Messages().empty());
    EXPECT_NE(console.text.find(c.message), std::string::npos) << console.text;
    std::string log;
    Files().ReadFile(ErrorLogPath(), &log);
    // With standard rights the log is the user's own.
    if (log.empty()) Files().ReadFile(UserErrorLogPath(), &log);
    EXPECT_NE(log.find(c.message.substr(0, 40)), std::string::npos) << log;
    // Nothing was registered or taken back.
    EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunKey, kSelfRunValue));
    EXPECT_EQ(RawString(kHKeyLocalMachine, kRunKey, "Tool"), "C:\\Tools\\tool.exe");
  }
}

TEST_F(UnattendedSimTest, QuietInstallAndRestoreDoTheButtonsWork) {
  Run(kHKeyLocalMachine, "Tool", "C:\\Tools\\tool.exe");
  Link(userFolder, "App.lnk", "C:\\App\\app.exe");
  EXPECT_EQ(Launch({kInstallSwitch, kQuietSwitch}), kExitActionDone);
  EXPECT_TRUE(RawValueExists(kHKeyLocalMachine, kRunKey, kSelfRunValue));
  EXPECT_TRUE(IsInstalledMarked());
  EXPECT_NE(console.text.find(kMsgInstallComplete), std::string::npos);
  // Nothing moved yet; the next logon takes the items over.
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunKey, "Tool"), "C:\\Tools\\tool.exe");
  Pass();
  ASSERT_FALSE(RawValueExists(kHKeyLocalMachine, kRunKey, "Tool"));

  EXPECT_EQ(Launch({kRestoreSwitch, kQuietSwitch}), kExitActionDone);
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunKey, "Tool"), "C:\\Tools\\tool.exe");
  EXPECT_TRUE(FileThere(userFolder + "App.lnk"));
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunKey, kSelfRunValue));
  // The detection rule's value goes with it.
  EXPECT_FALSE(IsInstalledMarked());
  EXPECT_NE(console.text.find(kMsgRestoreComplete), std::string::npos) << console.text;
  EXPECT_TRUE(dialogs.Messages().empty());
}

TEST_F(UnattendedSimTest, AnItemThatCannotGoBackStaysStoredInTheFallbackFileWithItsCode) {
  Run(kHKeyLocalMachine, "Tool", "C:\\Tools\\tool.exe");
  Run(kHKeyLocalMachine, "Other", "C:\\Other\\other.exe");
  ASSERT_EQ(Launch({kInstallSwitch, kQuietSwitch}), kExitActionDone);
  Pass();
  // Meanwhile a program wrote its own value under the item's name.
  Run(kHKeyLocalMachine, "Tool", "C:\\Tools\\tool.exe /new");
  EXPECT_EQ(Launch({kRestoreSwitch, kQuietSwitch}), kExitNotAllRestored);
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunKey, "Tool"), "C:\\Tools\\tool.exe /new");
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunKey, "Other"), "C:\\Other\\other.exe");
  EXPECT_EQ(Store(kRunItemsKey)["Tool"], "C:\\Tools\\tool.exe");
  const std::string fallback = ReadWholeFile(GetExeFolder() + "LocalMachine.REG");
  EXPECT_NE(fallback.find("\"Tool\""), std::string::npos) << fallback;
  EXPECT_NE(console.text.find(kMsgSomeNotRestored), std::string::npos) << console.text;
}

TEST_F(UnattendedSimTest, TheListHoldsEveryItemAndReadsBackWithAnyName) {
  Run(kHKeyLocalMachine, "Tool, Pro", "\"C:\\Program Files\\Tool\\tool.exe\" /a \"b\"");
  Run(kHKeyLocalMachine, "Say \"hi\"", "C:\\hi.exe");
  Run(kHKeyCurrentUser, "Two\r\nLines", "C:\\two.exe");
  Run(kHKeyLocalMachine, "Later", "C:\\later.exe");
  Link(userFolder, "App, x.lnk", "C:\\App\\app.exe");
  Pass();
  SharedItemManager().DisableRunItem("Later", "");
  const std::string file = GetExeFolder() + "items.csv";
  ASSERT_EQ(Launch({kListSwitch, file}), kExitActionDone);
  const std::string csv = ReadWholeFile(file);
  ASSERT_EQ(csv.substr(0, 3), kUtf8ByteOrderMark);
  const auto records = ParseCsv(csv.substr(3));
  ASSERT_EQ(records.size(), 6u) << csv;
  EXPECT_EQ(records[0], AuditFields());
  auto find = [&](const std::string& name) {
    for (const auto& record : records) {
      if (record.size() > 1 && record[1] == name) return record;
    }
    ADD_FAILURE() << name << " not listed in\n" << csv;
    return std::vector<std::string>(AuditFields().size());
  };
  // Kind, Name, Command, Value type, Registry view, Origin, Account, Order, State, New.
  const auto tool = find("Tool, Pro");
  EXPECT_EQ(tool[2], "\"C:\\Program Files\\Tool\\tool.exe\" /a \"b\"");
  EXPECT_EQ(tool[3], "REG_SZ");
  EXPECT_EQ(tool[5], "HKEY_LOCAL_MACHINE Run key");
  EXPECT_EQ(tool[8], "enabled");
  EXPECT_EQ(tool[9], "yes");
  EXPECT_EQ(tool[10], "default");
  EXPECT_EQ(tool[11], "Normal");
  const auto lines = find(user + "_Two\r\nLines");
  EXPECT_EQ(lines[5], "HKEY_CURRENT_USER Run key");
  EXPECT_EQ(lines[6], user);
  EXPECT_EQ(find("Say \"hi\"")[2], "C:\\hi.exe");
  EXPECT_EQ(find("Later")[8], "disabled");
  EXPECT_EQ(find("Later")[7], "");
  const auto app = find("App, x.lnk");
  EXPECT_EQ(app[0], "Startup folder");
  EXPECT_EQ(app[7], "1");
  EXPECT_EQ(app[8], "enabled");
  // Every record has every field.
  for (const auto& record : records) EXPECT_EQ(record.size(), AuditFields().size());

  // To the console when no file is named.
  console.text.clear();
  ASSERT_EQ(Launch({kListSwitch}), kExitActionDone);
  EXPECT_EQ(console.text, csv);
}

TEST_F(UnattendedSimTest, TheListNeedsNoRightsNoLockAndChangesNothing) {
  Run(kHKeyLocalMachine, "Tool", "C:\\Tools\\tool.exe");
  Pass();
  // A standard user, while another session changes the store.
  Sim().SetStandardRights();
  Sim().HoldMutex(kStoreLockName);
  const ValueMap program = Store(kProgramKey);
  const ValueMap items = Store(kRunItemsKey);
  const std::vector<std::string> order = SortEntries(kRunSortKey);
  Files().DeleteFile(GetExeFolder() + "error.txt");
  const std::uint32_t before = Sys().GetTickCount();
  ASSERT_EQ(Launch({kListSwitch}), kExitActionDone);
  // No wait for the lock, nothing written.
  EXPECT_EQ(Sys().GetTickCount(), before);
  EXPECT_NE(console.text.find("Tool,C:\\Tools\\tool.exe"), std::string::npos) << console.text;
  EXPECT_EQ(Store(kProgramKey), program);
  EXPECT_EQ(Store(kRunItemsKey), items);
  EXPECT_EQ(SortEntries(kRunSortKey), order);
  EXPECT_FALSE(FileThere(GetExeFolder() + "error.txt"));
}

}  // namespace
}  // namespace lw::test
