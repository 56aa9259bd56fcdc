#pragma once
// The dialog service of the real program: system message boxes with the application's title,
// owned by the active window of the program (task-modal when it has none).

#include <string>
#include <utility>

#include "ui/Dialogs.h"

namespace lw {

class Win32Dialogs : public IDialogService {
 public:
  explicit Win32Dialogs(std::string title = kProductTitle) : title_(std::move(title)) {}

  void ShowMessage(const std::string& text) override;
  bool Confirm(const std::string& text, ConfirmButtons buttons) override;

 private:
  std::string title_;
};

}  // namespace lw
