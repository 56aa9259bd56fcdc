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
  // The windows the main window opens come after it: it reaches them when it opens them.
  MainWindowRoutes routes;
  routes.showOptions = [this] {
    if (OptionsDialog* options = Options()) options->Execute();
  };
  routes.showAbout = [this] {
    if (AboutDialogView* about = About()) about->ShowModeless();
  };
  routes.showAutoTuneError = [this] {
    if (autoTuneError_) autoTuneError_->ShowModal();
  };
  routes.showRestore = [this] {
    if (RestoreWindowView* restore = Restore()) restore->Execute();
  };
  routes.showEdit = [this] {
    if (EditWindowView* edit = Edit()) edit->ShowFromMain();
  };
  main_ = std::make_unique<MainWindowView>(std::move(routes));
}

void Win32ProgramWindows::CreateOptionsDialog() { optionsCreated_ = true; }

void Win32ProgramWindows::CreateAutoTuneErrorDialog() {
  autoTuneError_ = std::make_unique<AutoTuneErrorDialog>();
}

void Win32ProgramWindows::CreateEditWindow() { editCreated_ = true; }

void Win32ProgramWindows::CreateAboutBox() { aboutCreated_ = true; }

void Win32ProgramWindows::CreateStartupControlWindow(const std::vector<std::string>& args) {
  runner_ = std::make_unique<StartupControlWindow>(*autoTuneError_);
  runner_->SetShowEditWindow([this] {
    EditWindowView* edit = Edit();
    if (edit == nullptr) return false;
    edit->ShowFromTray();
    return true;
  });
  runner_->OnCreate(args);
}

void Win32ProgramWindows::CreateNewItemDialog() { newItemCreated_ = true; }

void Win32ProgramWindows::CreateRestoreWindow() { restoreCreated_ = true; }

// Making the five windows at start took the larger part of a logon's start (the edit window's
// four lists alone about half of it) for windows that a logon mostly never opens.
OptionsDialog* Win32ProgramWindows::Options() {
  if (!options_ && optionsCreated_) options_ = std::make_unique<OptionsDialog>();
  return options_.get();
}

EditWindowView* Win32ProgramWindows::Edit() {
  if (edit_ || !editCreated_) return edit_.get();
  edit_ = std::make_unique<EditWindowView>();
  edit_->SetAskNewItem([this](const std::string& filter, std::string& name, std::string& path) {
    NewItemDialogView* newItem = NewItem();
    if (newItem == nullptr) return false;
    newItem->SetFilter(filter);
    if (newItem->Execute() != IDOK) return false;
    name = newItem->Name();
    path = newItem->Path();
    return true;
  });
  // Opened from the new-items icon, closing it ends the logon's program.
  edit_->SetClosedFromTray([this] {
    if (runner_) runner_->Logic().OnEditWindowClosed();
  });
  return edit_.get();
}

AboutDialogView* Win32ProgramWindows::About() {
  if (!about_ && aboutCreated_) about_ = std::make_unique<AboutDialogView>();
  return about_.get();
}

NewItemDialogView* Win32ProgramWindows::NewItem() {
  if (!newItem_ && newItemCreated_) newItem_ = std::make_unique<NewItemDialogView>();
  return newItem_.get();
}

RestoreWindowView* Win32ProgramWindows::Restore() {
  if (restore_ || !restoreCreated_) return restore_.get();
  restore_ = std::make_unique<RestoreWindowView>();
  restore_->SetReloadRunnerItems([this] {
    if (main_) main_->Logic().ReloadRunnerItems();
  });
  return restore_.get();
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
  optionsCreated_ = editCreated_ = aboutCreated_ = newItemCreated_ = restoreCreated_ = false;
}

}  // namespace lw
