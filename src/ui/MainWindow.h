#pragma once
// The main window's logic: the face of the program started without arguments. Five buttons
// (Install, Restore, Edit, Options, About), each beside a short explanation; which of Install
// and Restore applies follows the program's own value in the machine's Run key; a registration
// that went missing is written again; a user without administrator rights keeps only Options
// and About.
//
// The logic talks to its window through IMainWindowView, so the same code drives the real
// window and a recording one in the tests.

#include <memory>

namespace lw {

class StartupMover;
class LogonRunner;

// The buttons and the explanations beside them.
inline constexpr char kInstallCaption[] = "Install";
inline constexpr char kRestoreCaption[] = "Restore";
inline constexpr char kEditCaption[] = "Edit ";
inline constexpr char kOptionsButtonCaption[] = "Options";
inline constexpr char kAboutButtonCaption[] = "About";
inline constexpr char kInstallExplanation[] =
    "All programs in you Startup Folder and your Registry's run key will be extracted and moved.  "
    "Launchward will run the next time you log on.";
inline constexpr char kRestoreExplanation[] =
    "Your Startup Folder and Run key items will be restored to their previous settings and "
    "Launchward will no longer run at logon time. You may then safely remove Launchward.";
inline constexpr char kExcludeExplanation[] =
    "Some programs just don't like being touched. You can tell Launchward to leave these to put "
    "these programs back the way they were.      ";
inline constexpr char kExcludeNote[] =
    "(NOTE: Launchward automatically excludes programs - this shouldn't be needed anymore)";
inline constexpr char kEditExplanation[] =
    "Sometimes you want certain programs to run first, or before other programs. You may to have "
    "some programs not start at all. Here's where you get to set that up.";
inline constexpr char kOptionsExplanation[] = "Customize how Launchward does its job.";

inline constexpr char kMsgRunValueMissing[] =
    "Launchward is missing from the system's Run key.\r\nThis will be fixed for the next "
    "reboot/logon.";
inline constexpr char kMsgNotAdministrator[] =
    "The current user does not have permission to install, remove, or edit system settings. "
    "Please re-run this program from and account with Administrator permissions.\r\n\r\nFailed "
    "location: ";
inline constexpr char kMsgRestoreNeedsAdmin[] = "Administrator access is required to Restore";
// Where UAC gives the window standard rights, Install and Restore ask for administrator rights
// when pressed; the other changes need the program started with them.
inline constexpr char kMsgStandardRights[] =
    "Launchward runs with standard rights. Install, Restore and Edit ask for administrator "
    "rights when you press them; to change the options, start Launchward with \"Run as "
    "administrator\".\r\n\r\nFailed location: ";
inline constexpr char kMsgEditNeedsAdmin[] = "Administrator access is required to Edit";

// The main window as its logic uses it.
class IMainWindowView {
 public:
  virtual ~IMainWindowView() = default;
  virtual void SetInstallEnabled(bool enabled) = 0;
  virtual void SetRestoreEnabled(bool enabled) = 0;
  virtual void SetEditEnabled(bool enabled) = 0;
  // Shows the window and brings it to the front.
  virtual void ShowAndBringToFront() = 0;
  // The other windows the buttons open: the Options dialog, the edit window and the restore
  // window modally, the About box without blocking the main window, the auto-tune error dialog
  // modally.
  virtual void ShowOptionsDialog() = 0;
  virtual void ShowEditWindow() = 0;
  virtual void ShowRestoreWindow() = 0;
  virtual void ShowAboutBox() = 0;
  virtual void ShowAutoTuneError() = 0;
};

class MainWindow {
 public:
  explicit MainWindow(IMainWindowView& view);
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // The start routine, run once all the windows exist. Started with arguments (a logon pass)
  // the main window does nothing at all: it is never shown, and the runner window has done the
  // work. Without (managementMode), the install state, the administrator check, the window
  // shown, one load sample and the auto-tune check.
  void OnStart(bool managementMode);
  // The start of the copy with administrator rights that the Restore or Edit button starts
  // where UAC is on (its switch, kRestoreSwitch or kEditSwitch): that window alone, then the
  // program ends.
  void OnStartAlone(const std::string& switchText);

  // Install or Restore from the machine's Run key; a registration recorded as installed but
  // gone from the Run key is told and written again.
  void RefreshInstallState();

  // The runner engine's lists, read again from the store (after a restore changed it).
  void ReloadRunnerItems();

  void OnInstallClicked();
  void OnRestoreClicked();
  void OnEditClicked();
  void OnOptionsClicked();
  void OnAboutClicked();
  // The window was closed: the program ends.
  void OnClosed();

  // False once the administrator check at the start failed.
  bool Administrator() const { return administrator_; }

 private:
  void SetInstallButtons(bool registered);

  IMainWindowView& view_;
  // Created by the management-mode start; freed with the window, the runner first.
  std::unique_ptr<StartupMover> mover_;
  std::unique_ptr<LogonRunner> runner_;
  bool administrator_ = true;
  // Without the rights, Install and Restore may still ask for them (UAC is on).
  bool mayElevate_ = false;
};

}  // namespace lw
