#pragma once
// The real program's windows, in the program block's order and destroyed in reverse. The main
// window, the auto-tune error dialog and the runner window are made when the block creates them;
// the windows that only a user's command opens (options, edit, about, new item, restore) are made
// the first time one is opened: a logon that opens none of them never pays for them.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "entry/Program.h"

namespace lw {

class Win32Application;
class MainWindowView;
class OptionsDialog;
class AutoTuneErrorDialog;
class EditWindowView;
class AboutDialogView;
class StartupControlWindow;
class NewItemDialogView;
class RestoreWindowView;

class Win32ProgramWindows final : public IProgramWindows {
 public:
  Win32ProgramWindows();
  ~Win32ProgramWindows() override;

  void InitializeApplication() override;
  void CreateMainWindow() override;
  void CreateOptionsDialog() override;
  void CreateAutoTuneErrorDialog() override;
  void CreateEditWindow() override;
  void CreateAboutBox() override;
  void CreateStartupControlWindow(const std::vector<std::string>& args) override;
  void CreateNewItemDialog() override;
  void CreateRestoreWindow() override;
  void StartMainWindow(bool managementMode) override;
  void StartAlone(const std::string& switchText) override;
  void RunMessageLoop() override;
  void DestroyWindows() override;

 private:
  // Each made on first use, once the program block has created it.
  OptionsDialog* Options();
  EditWindowView* Edit();
  AboutDialogView* About();
  NewItemDialogView* NewItem();
  RestoreWindowView* Restore();

  bool optionsCreated_ = false;
  bool editCreated_ = false;
  bool aboutCreated_ = false;
  bool newItemCreated_ = false;
  bool restoreCreated_ = false;

  std::unique_ptr<Win32Application> application_;
  std::unique_ptr<MainWindowView> main_;
  std::unique_ptr<OptionsDialog> options_;
  std::unique_ptr<AutoTuneErrorDialog> autoTuneError_;
  std::unique_ptr<EditWindowView> edit_;
  std::unique_ptr<AboutDialogView> about_;
  std::unique_ptr<StartupControlWindow> runner_;
  std::unique_ptr<NewItemDialogView> newItem_;
  std::unique_ptr<RestoreWindowView> restore_;
};

}  // namespace lw
