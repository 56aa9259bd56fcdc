#pragma once
// The dialog service of the unattended commands ("-quiet", "-list"): nobody is there to read a
// message box or answer a question. Every message goes to the error log and to the console
// (when the starter gave the program one); every question is logged and answered No (Cancel),
// the answer that changes nothing. Installed for its lifetime; the service before it comes back
// when it goes.

#include <string>

#include "ui/Dialogs.h"

namespace lw {

class QuietDialogs : public IDialogService {
 public:
  QuietDialogs();
  ~QuietDialogs() override;
  QuietDialogs(const QuietDialogs&) = delete;
  QuietDialogs& operator=(const QuietDialogs&) = delete;

  void ShowMessage(const std::string& text) override;
  bool Confirm(const std::string& text, ConfirmButtons buttons) override;

 private:
  IDialogService* before_;
};

}  // namespace lw
