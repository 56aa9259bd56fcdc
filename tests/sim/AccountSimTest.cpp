// Whose item it is: an account is its SID. Two accounts of one user name (a local and a domain
// "bob") keep their items apart, an account that cannot be identified keeps its values with
// Windows, and a copy with administrator rights started from a standard user's window acts for
// that user, or refuses user-scoped work when it cannot tell who that is.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "install/ElevatedCopy.h"
#include "install/RestoreWindow.h"
#include "items/StartupApproval.h"
#include "platform/sim/SimMachine.h"
#include "runner/LastLogonRecord.h"
#include "store/UserProfiles.h"
#include "support/EditWindowFixture.h"
#include "util/Error.h"
#include "util/ErrorLog.h"

namespace lw::test {
namespace {

using Strings = std::vector<std::string>;

// The domain's bob, who logs on to the same machine under the same user name.
constexpr char kCorpBobSid[] = "S-1-5-21-3623811015-3361044348-30300820-1105";
// The administrator whose password bob's elevation prompt is answered with.
constexpr char kAdminSid[] = "S-1-5-21-1004336348-1177238915-682003330-500";
constexpr std::uint32_t kAdminExplorer = 2040;

std::string ErrorLogText() { return ReadWholeFile(ErrorLogPath()); }

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// A key of HKEY_USERS\<sid>.
std::string UserKey(const std::string& sid, const std::string& path) { return sid + path; }

class AccountSimTest : public EditWindowFixture {
 protected:
  void SetUp() override {
    EditWindowFixture::SetUp();
    Sim().AddAccount("bob", sim::kBobSid);
    Sim().AddAccount("CORP\\bob", kCorpBobSid);
    Sim().AddAccount("admin", kAdminSid);
  }

  // The domain's bob logs on: his own hive is HKEY_CURRENT_USER, his name is bob too. Each logon
  // is a process of its own, which reads its token afresh.
  static void LogOnAsCorpBob() {
    Sim().RunAsAccount(kCorpBobSid);
    StopActingForAccount();
  }
  static void LogOnAsBob() {
    Sim().RunAsAccount(sim::kBobSid);
    StopActingForAccount();
  }
};

TEST_F(AccountSimTest, TwoAccountsOfOneNameNeverTakeOverOrStartEachOthersItems) {
  Run(kHKeyCurrentUser, "Tool", "C:\\bob-tool.exe");
  Pass();
  ASSERT_EQ(GetRunLocationSid("bob_Tool"), sim::kBobSid);

  LogOnAsCorpBob();
  Run(kHKeyCurrentUser, "Tool", "C:\\corp-tool.exe");
  Run(kHKeyCurrentUser, "Mail", "C:\\corp-mail.exe");
  Pass();
  // The stored bob_Tool is the local bob's: the domain's namesake value stays with Windows,
  // where it still starts, and neither command replaces the other.
  EXPECT_EQ(Store(kRunItemsKey),
            (ValueMap{{"bob_Tool", "C:\\bob-tool.exe"}, {"bob_Mail", "C:\\corp-mail.exe"}}));
  EXPECT_EQ(Values(kHKeyCurrentUser, kRunKey), (ValueMap{{"Tool", "C:\\corp-tool.exe"}}));
  EXPECT_EQ(GetRunLocationSid("bob_Tool"), sim::kBobSid);
  EXPECT_EQ(GetRunLocationSid("bob_Mail"), kCorpBobSid);
  EXPECT_TRUE(Contains(ErrorLogText(), "another account of the same name")) << ErrorLogText();
  // A second logon changes nothing either.
  Pass();
  EXPECT_EQ(Values(kHKeyCurrentUser, kRunKey), (ValueMap{{"Tool", "C:\\corp-tool.exe"}}));

  // Whose items each logon starts.
  struct Case {
    const char* storedName;
    bool corpBobs;
    bool bobs;
  } cases[] = {
      {"bob_Tool", false, true},
      {"bob_Mail", true, false},
  };
  for (const Case& c : cases) {
    LogOnAsCorpBob();
    EXPECT_EQ(IsCurrentAccountsItem(c.storedName), c.corpBobs) << c.storedName;
    LogOnAsBob();
    EXPECT_EQ(IsCurrentAccountsItem(c.storedName), c.bobs) << c.storedName;
  }

  // The local bob excludes the domain bob's item: it goes back to the domain bob's own Run key
  // (his hive, found by his SID), never to the local bob's.
  SharedItemManager().ExcludeRunItem("bob_Mail");
  EXPECT_EQ(RawString(kHKeyUsers, UserKey(kCorpBobSid, kRunKey), "Mail"), "C:\\corp-mail.exe");
  EXPECT_FALSE(RawValueExists(kHKeyCurrentUser, kRunKey, "Mail"));
  EXPECT_EQ(Store(kRunItemsKey), (ValueMap{{"bob_Tool", "C:\\bob-tool.exe"}}));
}

TEST_F(AccountSimTest, ItemsWithoutARecordedAccountKeepTheirOldMeaning) {
  // Stored before accounts were recorded: the user name decides, as it always did.
  SetRawString(kHKeyLocalMachine, kRunItemsKey, "bob_Old", "C:\\old.exe");
  SharedItemManager().AppendSortEntry(kRunSortName, "bob_Old");
  SetRunLocation("bob_Old", "bob");
  SetRunLocationHKey("bob_Old", kHKeyCurrentUser);
  EXPECT_TRUE(IsCurrentAccountsItem("bob_Old"));
  LogOnAsCorpBob();
  EXPECT_TRUE(IsCurrentAccountsItem("bob_Old"));
  // Its program wrote itself back: taken off the Run key again as this bob's, its stored command
  // kept and the new one kept beside it.
  Run(kHKeyCurrentUser, "Old", "C:\\old.exe /again");
  Pass();
  EXPECT_TRUE(Values(kHKeyCurrentUser, kRunKey).empty());
  EXPECT_EQ(Store(kRunItemsKey),
            (ValueMap{{"bob_Old", "C:\\old.exe"}, {"bob_Old (2)", "C:\\old.exe /again"}}));
}

TEST_F(AccountSimTest, AnAccountThatCannotBeIdentifiedKeepsItsValuesWithWindows) {
  struct Case {
    const char* what;
    bool nameKnown;
    bool sidKnown;
    ValueMap stored;  // besides the machine's item, which is always taken over
  } cases[] = {
      {"name and SID", true, true, {{"bob_Tool", "C:\\tool.exe"}}},
      // The network provider fails: the system still names the account by its SID.
      {"SID only", false, true, {{"bob_Tool", "C:\\tool.exe"}}},
      {"name only", true, false, {}},
      {"neither", false, false, {}},
  };
  for (const Case& c : cases) {
    Restart();
    Sim().AddAccount("bob", sim::kBobSid);
    if (!c.nameKnown) Sim().SetUserName("", kErrorNoNetwork);
    if (!c.sidKnown) Sim().SetProcessUser("");
    Run(kHKeyCurrentUser, "Tool", "C:\\tool.exe");
    Run(kHKeyLocalMachine, "Machine", "C:\\machine.exe");
    Pass();
    ValueMap stored = c.stored;
    stored["Machine"] = "C:\\machine.exe";
    EXPECT_EQ(Store(kRunItemsKey), stored) << c.what;
    EXPECT_EQ(Values(kHKeyCurrentUser, kRunKey).size(), c.sidKnown ? 0u : 1u) << c.what;
    EXPECT_EQ(Contains(ErrorLogText(), "the account cannot be identified"), !c.sidKnown) << c.what;
  }
}

// The process's token is read once: its account never changes, and the runner asks for every
// item. Acting for another account still answers for that one.
TEST_F(AccountSimTest, TheProcessAccountIsReadOnceAndActingForAnotherStillWins) {
  EXPECT_EQ(CurrentUserSid(), sim::kBobSid);
  Sim().SetProcessUser(kCorpBobSid);  // a token read again would now tell another account
  EXPECT_EQ(CurrentUserSid(), sim::kBobSid);
  EXPECT_TRUE(IsCurrentAccount(sim::kBobSid, "bob"));
  EXPECT_FALSE(IsCurrentAccount(kCorpBobSid, "bob"));
  ActForAccount(kAdminSid, "admin");
  EXPECT_EQ(CurrentUserSid(), kAdminSid);
  EXPECT_EQ(ActingAccountHive(), kAdminSid);
  // A new process reads its own token.
  StopActingForAccount();
  EXPECT_EQ(CurrentUserSid(), kCorpBobSid);
}

TEST_F(AccountSimTest, TheElevatedCopyBelievesOnlyTheAccountOfTheProcessThatStartedIt) {
  const std::string bob = sim::kBobSid;
  struct Case {
    const char* what;
    Strings args;
    std::string parent;   // the starting process's account; empty: it is gone
    std::string actsFor;  // empty: unconfirmed
  } cases[] = {
      {"bob's window", {"-edit", kForSwitch, bob}, bob, bob},
      {"claims another than its parent", {"-edit", kForSwitch, kAdminSid}, bob, ""},
      {"parent gone, claims bob", {"-restore", kForSwitch, bob}, "", ""},
      {"parent gone, claims its own", {"-restore", kForSwitch, kAdminSid}, "", kAdminSid},
      {"no claim, the admin's own window", {"-install"}, kAdminSid, kAdminSid},
      {"no claim, bob's window", {"-edit"}, bob, ""},
  };
  for (const Case& c : cases) {
    StopActingForAccount();
    Sim().RunAsAccount(kAdminSid);
    Sim().SetParentProcess(kAdminExplorer, c.parent);
    ConfirmStartingAccount(c.args);
    EXPECT_EQ(AccountUnconfirmed(), c.actsFor.empty()) << c.what;
    if (!c.actsFor.empty()) {
      EXPECT_EQ(CurrentUserSid(), c.actsFor) << c.what;
    }
  }
}

// Over the shoulder: bob's window starts the copy, the prompt is answered with the
// administrator's password, so the copy runs as the administrator with the administrator's
// HKEY_CURRENT_USER and Startup folder.
TEST_F(AccountSimTest, ACopyStartedOverTheShoulderWorksOnTheUsersOwnItemsFilesAndFigures) {
  const std::string bobStartup = "C:\\Documents and Settings\\bob\\Start Menu\\Programs\\Startup";
  SetRawString(kHKeyCurrentUser,
               "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "Startup",
               bobStartup);
  SetRawDword(kHKeyCurrentUser, kAutoTuneKey, "bob_Tool", 42);
  SetRawString(kHKeyCurrentUser, kLastLogonKey, "bob_Tool", "1500,10,20");
  Run(kHKeyCurrentUser, "Tool", "C:\\tool.exe");
  Pass();
  // The copy is a process of its own.
  Sim().RunAsAccount(kAdminSid);
  StopActingForAccount();
  Sim().SetUserName("admin");
  Sim().SetParentProcess(sim::kExplorerProcessId, sim::kBobSid);
  ConfirmStartingAccount({"-edit", kForSwitch, sim::kBobSid});
  ASSERT_FALSE(AccountUnconfirmed());
  EXPECT_EQ(CurrentUserName(), "bob");

  // New Item is bob's.
  Files().CreateDirectory(ScratchFolder());
  Files().WriteFile(ScratchFolder() + "new.exe", "MZ");
  view.newName = "New";
  view.newPath = ScratchFolder() + "new.exe";
  window->OnNewItemChosen();
  EXPECT_EQ(SortEntries(kRunSortKey), (Strings{"bob_Tool", "bob_New"}));
  EXPECT_EQ(GetRunLocationSid("bob_New"), sim::kBobSid);
  // The figures of bob's logons, and his Startup folder.
  EXPECT_EQ(GetAutoTune("bob_Tool"), 42);
  SetRawString(kHKeyUsers, UserKey(kAdminSid, kLastLogonKey), "bob_Tool", "9000,1,2");
  EXPECT_EQ(LastLogonText("bob_Tool"), "1.5 s, 10% -> 20%");
  EXPECT_EQ(SharedSpecialFolders().GetUserStartupFolder(), bobStartup);
  // Restore gives bob's items back to bob's Run key, not the administrator's.
  StartupMover mover;
  EXPECT_TRUE(mover.RestoreRunItem("bob_Tool", StringValue{GetRunCommand("bob_Tool"), kRegSz}))
      << mover.LastError();
  EXPECT_EQ(RawString(kHKeyUsers, UserKey(sim::kBobSid, kRunKey), "Tool"), "C:\\tool.exe");
  EXPECT_TRUE(Values(kHKeyUsers, UserKey(kAdminSid, kRunKey)).empty());
  EXPECT_TRUE(dialogs.Messages().empty());

  // Task Manager's switches are bob's too: his "Tool" and "Notes.lnk" are off, the
  // administrator's "Other" is.
  std::string off(12, '\0');
  off[0] = 3;
  const std::string approved = std::string(kStartupApprovedKey).substr(1);
  {
    InRawView in(kKeyWow64_64Key);
    SetRaw(kHKeyUsers, UserKey(sim::kBobSid, "\\" + approved + "\\Run"), "Tool", kRegBinary, off);
    SetRaw(kHKeyUsers, UserKey(sim::kBobSid, "\\" + approved + "\\StartupFolder"), "Notes.lnk",
           kRegBinary, off);
    SetRaw(kHKeyUsers, UserKey(kAdminSid, "\\" + approved + "\\Run"), "Other", kRegBinary, off);
  }
  RunKeyItem tool;
  tool.root = kHKeyCurrentUser;
  tool.name = "Tool";
  RunKeyItem other = tool;
  other.name = "Other";
  EXPECT_TRUE(SwitchedOffInTaskManager(tool));
  EXPECT_FALSE(SwitchedOffInTaskManager(other));
  EXPECT_TRUE(ShortcutSwitchedOffInTaskManager("Notes.lnk", false));

  // Unconfirmed, New Item and Restore refuse, and say why.
  StopActingForAccount();
  Sim().SetParentProcess(sim::kExplorerProcessId, "");
  ConfirmStartingAccount({"-edit", kForSwitch, sim::kBobSid});
  ASSERT_TRUE(AccountUnconfirmed());
  const ValueMap before = Store(kRunItemsKey);
  window->OnNewItemChosen();
  EXPECT_EQ(Store(kRunItemsKey), before);
  EXPECT_EQ(dialogs.Messages(), (Strings{kMsgAccountUnknown}));
  EXPECT_EQ(LastLogonText("bob_Tool"), "") << "the administrator's figures shown as bob's";
  RestoreWindow restore(mover, nullptr);
  restore.Load();
  try {
    restore.RunRestore(false);
    ADD_FAILURE() << "Restore went ahead for an unknown account";
  } catch (const Error& error) {
    EXPECT_EQ(std::string(error.what()), kMsgAccountUnknown);
  }
  EXPECT_EQ(Store(kRunItemsKey), before);
}

}  // namespace
}  // namespace lw::test
