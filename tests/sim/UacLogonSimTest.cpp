// Windows 10 as people run it: 64-bit, UAC on, and so a logon token with standard rights for
// everything started from the Run key. Install asks for elevation and registers the first
// phase as a logon task; the first phase runs elevated from the Task Scheduler, the second
// with the user's standard rights; restore puts everything back and removes the task.

#include <algorithm>
#include <functional>
#include <string>

#include "install/ElevatedCopy.h"
#include "install/InstallCommand.h"
#include "install/LogonTask.h"
#include "install/ProgramLocation.h"
#include "items/StartupApproval.h"
#include "platform/sim/SimMachine.h"
#include "runner/StartupControl.h"
#include "support/RecordingMainWindowView.h"
#include "support/RecordingStartupControlWindow.h"
#include "support/RestoreFixture.h"
#include "ui/MainWindow.h"
#include "util/ErrorLog.h"
#include "util/ExecutablePath.h"
#include "util/UserAccountControl.h"

namespace lw::test {
namespace {

const std::string kSelf = "C:\\Program Files\\Launchward\\launchward.exe";

// The parameters a copy with administrator rights gets from bob's window: the switch and bob's
// account.
std::string CopyParameters(const std::string& switchText) {
  return switchText + " " + kForSwitch + " " + sim::kBobSid;
}

// What the copy's program block does with its parameters: it settles whom it acts for, then
// starts on its switch.
std::string CopySwitch(const std::string& parameters) {
  std::vector<std::string> args;
  for (std::size_t at = 0; at <= parameters.size();) {
    const std::size_t blank = std::min(parameters.find(' ', at), parameters.size());
    if (blank > at) args.push_back(parameters.substr(at, blank - at));
    at = blank + 1;
  }
  ConfirmStartingAccount(args);
  return args.empty() ? std::string() : args.front();
}
constexpr char kPolicyKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";

class UacLogonSimTest : public RestoreFixture {
 protected:
  void SetUp() override {
    RestoreFixture::SetUp();
    // The units start anew on the Windows 10 machine, as the program does when it starts there.
    FreeOptions();
    FinalizeProcessUnits();
    Sim().SetWindows64();
    Sim().SetOsVersion(OsVersionInfo{10, 0, 19045, kVerPlatformWin32Nt, ""});
    SetUac(true);
    Sim().SetEnvironmentVariable(
        "LOCALAPPDATA", "C:\\Documents and Settings\\bob\\Local Settings\\Application Data");
    InitializeProcessUnits();
    CreateOptions();
    for (const char* program : {"a32", "b64", "user", "off", "folder"}) {
      Sim().AddFile(std::string("C:\\Tools\\") + program + ".exe", "MZ");
    }
  }

  static void SetUac(bool on) {
    InRawView in(kKeyWow64_64Key);
    SetRawDword(kHKeyLocalMachine, kPolicyKey, "EnableLUA", on ? 1 : 0);
  }

  // One logon: the Task Scheduler's elevated first phase, then the second with the user's
  // standard rights (where UAC gives them), each a process of its own. Returns what the second
  // phase's error log holds.
  std::string Logon(const std::function<void(StartupControl&, RecordingStartupControlWindow&)>&
                        afterSecond = nullptr) {
    std::string log;
    for (const char* pass : {kPreSwitch, kGoSwitch}) {
      FreeOptions();
      FinalizeProcessUnits();
      Sim().SetStandardRights(std::string(pass) == kGoSwitch && IsUacEnabled());
      InitializeProcessUnits();
      CreateOptions();
      ResetApplicationTerminate();
      RecordingStartupControlWindow window;
      StartupControl control(window);
      control.OnCreate({pass});
      if (afterSecond && std::string(pass) == kGoSwitch) afterSecond(control, window);
      control.OnDestroy();
      log = ReadWholeFile(ErrorLogPath()) + ReadWholeFile(UserErrorLogPath());
    }
    Sim().SetStandardRights(false);
    return log;
  }

  static std::string SelfValue(const char* key) {
    return RawValueExists(kHKeyLocalMachine, key, kSelfRunValue)
               ? RawString(kHKeyLocalMachine, key, kSelfRunValue)
               : "(none)";
  }
  static std::string TaskXml() {
    std::string xml = "(none)";
    Tasks().GetTaskXml(kLogonTaskName, &xml);
    return xml;
  }
  // Installs from a main window with standard rights, the elevation prompt answered so.
  bool InstallWithStandardRights(bool acceptPrompt) {
    Sim().SetStandardRights(true);
    Sim().AnswerElevation(acceptPrompt, [](const std::string& parameters) {
      EXPECT_EQ(parameters, CopyParameters(kInstallSwitch));
      EXPECT_EQ(CopySwitch(parameters), kInstallSwitch);
      EXPECT_FALSE(Sim().StandardRights());
      return static_cast<std::uint32_t>(InstallFromElevatedCopy(false));
    });
    StartupMover mover;
    // The first installation's question comes before the prompt.
    if (mover.IsFirstInstall()) dialogs.Answer(true);
    const bool installed = InstallCommand(mover, nullptr, nullptr);
    Sim().SetStandardRights(false);
    return installed;
  }
};

TEST_F(UacLogonSimTest, TheMachineIsSeenAsUacOnlyWhereItIs) {
  EXPECT_TRUE(IsUacEnabled());
  SetUac(false);
  EXPECT_FALSE(IsUacEnabled());
  // A machine without the policy value, or with one of another type, has UAC on, as Windows
  // has by default.
  {
    InRawView in(kKeyWow64_64Key);
    SetRawString(kHKeyLocalMachine, kPolicyKey, "EnableLUA", "0");
  }
  EXPECT_TRUE(IsUacEnabled());
  {
    InRawView in(kKeyWow64_64Key);
    DeleteKeyTree(kHKeyLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies");
  }
  EXPECT_TRUE(IsUacEnabled());
  Sim().SetOsVersion(OsVersionInfo{5, 1, 2600, kVerPlatformWin32Nt, "Service Pack 3"});
  SetUac(true);
  EXPECT_FALSE(IsUacEnabled()) << "Windows XP has no UAC";
}

TEST_F(UacLogonSimTest, InstallAsksForElevationAndRegistersTheFirstPhaseAsALogonTask) {
  ASSERT_TRUE(InstallWithStandardRights(true));
  EXPECT_EQ(dialogs.Messages(), std::vector<std::string>{kMsgInstallComplete});
  // The copy ran elevated, with the switch.
  const auto starts = Sim().ProcessStarts();
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0].image, kSelf);
  EXPECT_FALSE(starts[0].standardRights);

  EXPECT_EQ(SelfValue(kRunKey), "\"" + kSelf + "\" -go ");
  EXPECT_EQ(SelfValue(kRunOnceKey), "(none)");
  EXPECT_EQ(TaskXml(), LogonTaskXml(kSelf, "-pre"));
  EXPECT_TRUE(IsInstalledMarked());
}

TEST_F(UacLogonSimTest, ARefusedPromptInstallsNothing) {
  EXPECT_FALSE(InstallWithStandardRights(false));
  EXPECT_EQ(dialogs.Messages(), std::vector<std::string>{kMsgInstallNeedsAdmin});
  EXPECT_TRUE(Sim().ProcessStarts().empty());
  EXPECT_EQ(SelfValue(kRunKey), "(none)");
  EXPECT_EQ(TaskXml(), "(none)");
  EXPECT_FALSE(IsInstalledMarked());
}

// The definition names the program, whatever characters its folder has, and runs it at the
// logon of any user, elevated where the user may be, without a time limit.
TEST_F(UacLogonSimTest, TheTaskDefinitionEscapesThePathAndAsksForTheHighestRights) {
  const std::string xml = LogonTaskXml("C:\\Tools & <Games>\\l\"w'.exe", "-pre");
  EXPECT_TRUE(
      Contains(xml, "<Command>C:\\Tools &amp; &lt;Games&gt;\\l&quot;w&apos;.exe</Command>"));
  EXPECT_TRUE(Contains(xml, "<Arguments>-pre</Arguments>"));
  EXPECT_TRUE(Contains(xml, "<LogonTrigger>"));
  EXPECT_FALSE(Contains(xml, "<UserId>")) << "the logon of any user";
  EXPECT_TRUE(Contains(xml, std::string("<GroupId>") + kAllUsersGroupSid + "</GroupId>"));
  EXPECT_TRUE(Contains(xml, "<RunLevel>HighestAvailable</RunLevel>"));
  EXPECT_TRUE(Contains(xml, "<ExecutionTimeLimit>PT0S</ExecutionTimeLimit>"));
}

// Both views, the user's key, a shortcut and an item switched off in Task Manager: the first
// phase takes them over elevated, the second starts the right ones with standard rights and
// writes nothing of the machine's, and restore gives everything back as it was.
TEST_F(UacLogonSimTest, ALogonWithStandardRightsRunsTheItemsAndRestorePutsEverythingBack) {
  ASSERT_TRUE(InstallWithStandardRights(true));
  {
    InRawView in(kKeyWow64_32Key);
    Run(kHKeyLocalMachine, "A32", "C:\\Tools\\a32.exe");
  }
  {
    InRawView in(kKeyWow64_64Key);
    Run(kHKeyLocalMachine, "B64", "C:\\Tools\\b64.exe");
    Run(kHKeyLocalMachine, "Off", "C:\\Tools\\off.exe");
    std::string off(12, '\0');
    off[0] = 3;
    SetRaw(kHKeyLocalMachine, std::string(kStartupApprovedKey).substr(1) + "\\Run", "Off",
           kRegBinary, off);
  }
  Run(kHKeyCurrentUser, "User", "C:\\Tools\\user.exe");
  Link(userFolder, "Folder.lnk", "C:\\Tools\\folder.exe");
  const WindowsItems before = Picture();
  std::string switches;
  {
    InRawView in(kKeyWow64_64Key);
    switches = DumpTree(kHKeyLocalMachine, kStartupApprovedKey);
  }
  const std::uint64_t startsBefore = Sim().ProcessStarts().size();

  EXPECT_EQ(Logon(), "");
  std::vector<std::string> started;
  const auto starts = Sim().ProcessStarts();
  for (std::size_t i = startsBefore; i < starts.size(); ++i) {
    const auto& start = starts[i];
    started.push_back(ExtractFileName(start.image));
    EXPECT_TRUE(start.standardRights) << start.image;
  }
  std::sort(started.begin(), started.end());
  EXPECT_EQ(started, (std::vector<std::string>{"a32.exe", "b64.exe", "folder.exe", "user.exe"}));
  // Still registered as the installation left it, and nothing of it went to RunOnce.
  EXPECT_EQ(SelfValue(kRunKey), "\"" + kSelf + "\" -go ");
  EXPECT_EQ(SelfValue(kRunOnceKey), "(none)");
  EXPECT_EQ(TaskXml(), LogonTaskXml(kSelf, "-pre"));

  // The next logon finds nothing new and starts the same again.
  EXPECT_EQ(Logon(), "");

  // The switched-off item is listed unticked, as every disabled one: the user ticks it.
  Restore(false, [](RestoreWindow& window) {
    for (std::size_t i = 0; i < window.Rows().size(); ++i)
      window.SetChecked(static_cast<int>(i), true);
  });
  EXPECT_EQ(Picture(), before);
  {
    InRawView in(kKeyWow64_64Key);
    EXPECT_EQ(RawString(kHKeyLocalMachine, kRunKey, "B64"), "C:\\Tools\\b64.exe");
    EXPECT_EQ(RawString(kHKeyLocalMachine, kRunKey, "Off"), "C:\\Tools\\off.exe");
    EXPECT_EQ(DumpTree(kHKeyLocalMachine, kStartupApprovedKey), switches);
  }
  EXPECT_EQ(SelfValue(kRunKey), "(none)");
  EXPECT_EQ(TaskXml(), "(none)");
}

// The main window with standard rights: Install, Restore and Edit stay usable, each through a
// copy with administrator rights.
TEST_F(UacLogonSimTest, TheMainWindowAsksForTheRightsForInstallRestoreAndEdit) {
  Sim().SetStandardRights(true);
  RecordingMainWindowView view;
  MainWindow window(view);
  window.OnStart(true);
  EXPECT_EQ(dialogs.Messages(), std::vector<std::string>{std::string(kMsgStandardRights) +
                                                         kHKeyLocalMachineText + kProgramKey});
  EXPECT_EQ(view.install, true);
  EXPECT_EQ(view.restore, false);
  EXPECT_EQ(view.edit, true);

  // Edit: the copy shows the edit window alone; refused, the window says why.
  std::vector<std::string> edited;
  Sim().AnswerElevation(true, [&edited](const std::string& parameters) {
    RecordingMainWindowView copyView;
    MainWindow copy(copyView);
    copy.OnStartAlone(CopySwitch(parameters));
    edited = copyView.events;
    return static_cast<std::uint32_t>(kExitActionDone);
  });
  window.OnEditClicked();
  EXPECT_EQ(edited, std::vector<std::string>{"edit"});
  Sim().AnswerElevation(false);
  window.OnEditClicked();
  EXPECT_EQ(dialogs.Messages().back(), kMsgEditNeedsAdmin);
  ResetApplicationTerminate();

  dialogs.Clear();
  dialogs.Answer(true);  // the first installation's question
  Sim().AnswerElevation(true, [](const std::string&) {
    return static_cast<std::uint32_t>(InstallFromElevatedCopy(false));
  });
  window.OnInstallClicked();
  EXPECT_EQ(dialogs.Messages(), std::vector<std::string>{kMsgInstallComplete});
  EXPECT_EQ(view.install, false);
  EXPECT_EQ(view.restore, true);

  // Refused, Restore says why; accepted, the copy shows the restore window alone, and the
  // window here reads the registration again.
  dialogs.Clear();
  Sim().AnswerElevation(false);
  window.OnRestoreClicked();
  EXPECT_EQ(dialogs.Messages(), std::vector<std::string>{kMsgRestoreNeedsAdmin});
  std::vector<std::string> copyEvents;
  Sim().AnswerElevation(true, [&copyEvents](const std::string& parameters) {
    EXPECT_EQ(parameters, CopyParameters(kRestoreSwitch));
    RecordingMainWindowView copyView;
    copyView.onRestoreWindow = [] { StartupMover().UnregisterSelf(true); };
    MainWindow copy(copyView);
    copy.OnStartAlone(CopySwitch(parameters));
    copyEvents = copyView.events;
    return static_cast<std::uint32_t>(kExitActionDone);
  });
  window.OnRestoreClicked();
  EXPECT_EQ(copyEvents, std::vector<std::string>{"restore"});
  EXPECT_TRUE(ApplicationTerminating()) << "the copy ends once its window closes";
  EXPECT_EQ(view.install, true);
  EXPECT_EQ(view.restore, false);
  EXPECT_EQ(TaskXml(), "(none)");
  Sim().SetStandardRights(false);
}

// After a logon with standard rights that found new items, the new-items icon opens the edit
// window through a copy with administrator rights; refused, the icon stays for another try.
TEST_F(UacLogonSimTest, TheNewItemsIconOpensTheEditWindowWithTheRights) {
  ASSERT_TRUE(InstallWithStandardRights(true));
  Run(kHKeyCurrentUser, "User", "C:\\Tools\\user.exe");
  std::vector<std::string> copies;
  Sim().AnswerElevation(false);
  EXPECT_EQ(Logon([&copies](StartupControl& control, RecordingStartupControlWindow& window) {
              ASSERT_EQ(window.trayIcon, "new items");
              control.OnTrayIconMessage(kNewItemsIconMessage, kWmLButtonDblClk);
              EXPECT_EQ(window.trayIcon, "new items");
              EXPECT_FALSE(ApplicationTerminating());
              Sim().AnswerElevation(true, [&copies](const std::string& parameters) {
                copies.push_back(parameters);
                return static_cast<std::uint32_t>(kExitActionDone);
              });
              control.OnTrayIconMessage(kNewItemsIconMessage, kWmLButtonDblClk);
              EXPECT_EQ(window.trayIcon, "");
              EXPECT_TRUE(ApplicationTerminating());
            }),
            "");
  EXPECT_EQ(copies, std::vector<std::string>{CopyParameters(kEditSwitch)});
}

// Where UAC is off (or was switched off after the installation), the first phase goes back to
// the RunOnce key, and the logon task goes: one logon never starts it twice.
TEST_F(UacLogonSimTest, WithoutUacTheRunOnceValueReplacesTheTask) {
  ASSERT_TRUE(InstallWithStandardRights(true));
  SetUac(false);
  EXPECT_EQ(Logon(), "");
  EXPECT_EQ(SelfValue(kRunOnceKey), "\"" + kSelf + "\" -pre ");
  EXPECT_EQ(TaskXml(), "(none)");
}

// Installed from a folder that every signed-in user may change (a new folder under C:\), the
// program would run that folder's executable with administrator rights at every logon. Install
// offers the copy under Program Files instead: accepted, the copy (made by the elevated copy, or
// by this window where it has the rights) is what the logon starts; refused, nothing is
// registered and the user is told why.
TEST_F(UacLogonSimTest, InstallFromAFolderOthersCanChangeRegistersOnlyACopyUnderProgramFiles) {
  const std::string unsafe = "C:\\Apps\\launchward.exe";
  struct Case {
    bool uac;
    bool accept;
  };
  for (const Case c :
       {Case{true, true}, Case{true, false}, Case{false, true}, Case{false, false}}) {
    SCOPED_TRACE(std::string(c.uac ? "UAC on, " : "UAC off, ") + (c.accept ? "yes" : "no"));
    StartupMover().UnregisterSelf(true);
    dialogs.Clear();
    Sim().AddFile(unsafe, "MZ launchward");
    Sim().SetModuleFileName(unsafe);
    Files().DeleteFile(kSelf);
    SetUac(c.uac);
    Sim().SetStandardRights(c.uac);
    std::vector<std::string> copies;
    Sim().AnswerElevation(true, [&copies](const std::string& parameters) {
      // The window names its account after the switch; the switch is what this test follows.
      const std::string switchText = parameters.substr(0, parameters.find(' '));
      copies.push_back(switchText);
      return static_cast<std::uint32_t>(InstallFromElevatedCopy(switchText == kInstallCopySwitch));
    });
    dialogs.Answer(c.accept);
    StartupMover mover;
    EXPECT_EQ(InstallCommand(mover, nullptr, nullptr), c.accept);
    Sim().SetStandardRights(false);

    ASSERT_EQ(dialogs.Questions().size(), 1u);
    EXPECT_EQ(dialogs.Questions()[0].text,
              MoveToProgramFilesQuestion(unsafe, "C:\\Program Files\\Launchward"));
    if (!c.accept) {
      EXPECT_EQ(dialogs.Messages(),
                std::vector<std::string>{NotInstalledUnsafeText("C:\\Program Files\\Launchward")});
      EXPECT_TRUE(copies.empty());
      EXPECT_EQ(SelfValue(kRunKey), "(none)");
      EXPECT_EQ(SelfValue(kRunOnceKey), "(none)");
      EXPECT_EQ(TaskXml(), "(none)");
      EXPECT_FALSE(FileExists(kSelf));
      continue;
    }
    EXPECT_EQ(copies,
              c.uac ? std::vector<std::string>{kInstallCopySwitch} : std::vector<std::string>{});
    EXPECT_EQ(dialogs.Messages(), std::vector<std::string>{kMsgInstallComplete});
    std::string copy;
    ASSERT_TRUE(Files().ReadFile(kSelf, &copy));
    EXPECT_EQ(copy, "MZ launchward");
    EXPECT_EQ(SelfValue(kRunKey), "\"" + kSelf + "\" -go ");
    if (c.uac) {
      EXPECT_NE(TaskXml().find(kSelf), std::string::npos) << TaskXml();
      EXPECT_EQ(TaskXml().find(unsafe), std::string::npos) << TaskXml();
    } else {
      EXPECT_EQ(SelfValue(kRunOnceKey), "\"" + kSelf + "\" -pre ");
    }
  }
}

}  // namespace
}  // namespace lw::test
