#include "entry/win32/Win32ProgramWindows.h"

#include <utility>

#include "edit/win32/EditWindowView.h"
#include "install/win32/RestoreWindowView.h"
#include "runner/win32/AutoTuneErrorDialog.h"
#include "runner/win32/StartupControlWindow.h"
#include "ui/win32/AboutDialogView.h"
#include "ui/win32/MainWindowView.h"
#include "ui/win32/NewItemDialogView.h"
#include "ui/win32/OptionsDialog.h"
#include "ui/win32/Win32Application.h"

namespace lw {

Win32ProgramWindows::Win32ProgramWindows() = default;

Win32ProgramWindows::~Win32ProgramWindows() { DestroyWindows(); }

void Win32ProgramWindows::InitializeApplication() {
  application_ = std::make_unique<Win32Application>();
}

void Win32ProgramWindows::CreateMainWindow() {
  // The windows the main window opens come after it: it reaches them once they exist.
  MainWindowRoutes routes;
  routes.showOptions = [this] {
    if (options_) options_->Execute();
  };
  routes.showAbout = [this] {
    if (about_) about_->ShowModeless();
  };
  routes.showAutoTuneError = [this] {
    if (autoTuneError_) autoTuneError_->ShowModal();
  };
  routes.showRestore = [this] {
    if (restore_) restore_->Execute();
  };
  routes.showEdit = [this] {
    if (edit_) edit_->ShowFromMain();
  };
  main_ = std::make_unique<MainWindowView>(std::move(routes));
}

void Win32ProgramWindows::CreateOptionsDialog() { options_ = std::make_unique<OptionsDialog>(); }

void Win32ProgramWindows::CreateAutoTuneErrorDialog() {
  autoTuneError_ = std::make_unique<AutoTuneErrorDialog>();
}

void Win32ProgramWindows::CreateEditWindow() {
  edit_ = std::make_unique<EditWindowView>();
  edit_->SetAskNewItem([this](const std::string& filter, std::string& name, std::string& path) {
    if (!newItem_) return false;
    newItem_->SetFilter(filter);
    if (newItem_->Execute() != IDOK) return false;
    name = newItem_->Name();
    path = newItem_->Path();
    return true;
  });
  // Opened from the new-items icon, closing it ends the logon's program.
  edit_->SetClosedFromTray([this] {
    if (runner_) runner_->Logic().OnEditWindowClosed();
  });
}

void Win32ProgramWindows::CreateAboutBox() { about_ = std::make_unique<AboutDialogView>(); }

void Win32ProgramWindows::CreateStartupControlWindow(const std::vector<std::string>& args) {
  runner_ = std::make_unique<StartupControlWindow>(*autoTuneError_);
  runner_->SetShowEditWindow([this] {
    if (!edit_) return false;
    edit_->ShowFromTray();
    return true;
  });
  runner_->OnCreate(args);
}

void Win32ProgramWindows::CreateNewItemDialog() {
  newItem_ = std::make_unique<NewItemDialogView>();
}

void Win32ProgramWindows::CreateRestoreWindow() {
  restore_ = std::make_unique<RestoreWindowView>();
  restore_->SetReloadRunnerItems([this] {
    if (main_) main_->Logic().ReloadRunnerItems();
  });
}

void Win32ProgramWindows::StartMainWindow(bool managementMode) {
  main_->Logic().OnStart(managementMode);
}

void Win32ProgramWindows::StartAlone(const std::string& switchText) {
  main_->Logic().OnStartAlone(switchText);
}

void Win32ProgramWindows::RunMessageLoop() { application_->Run(); }

void Win32ProgramWindows::DestroyWindows() {
  restore_.reset();
  newItem_.reset();
  runner_.reset();
  about_.reset();
  edit_.reset();
  autoTuneError_.reset();
  options_.reset();
  main_.reset();
  application_.reset();
}

}  // namespace lw
