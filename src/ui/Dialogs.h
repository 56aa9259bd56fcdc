#pragma once
// Every message box and question of the program goes through one dialog service, so that the
// program's rules can run (and be tested) without a screen. The program installs the Win32
// service at start; a test installs one that records the texts and answers from a script.

#include <string>

namespace lw {

// The product's name: the title of the message boxes, the main window and the About box.
inline constexpr char kProductTitle[] = "Launchward";

// The two kinds of question the program asks.
enum class ConfirmButtons {
  kYesNo,     // a question with Yes and No; true for Yes
  kOkCancel,  // a confirmation with OK and Cancel; true for OK
};

class IDialogService {
 public:
  virtual ~IDialogService() = default;
  // A plain message box: the text and one OK button; returns when it is closed.
  virtual void ShowMessage(const std::string& text) = 0;
  // A question; true for Yes (or OK).
  virtual bool Confirm(const std::string& text, ConfirmButtons buttons) = 0;
};

// Installs the service the program's messages go through and returns the one installed
// before (null when none). The service is not owned: the caller keeps it alive while it is
// installed, and installs the previous one (or null) again before freeing it.
IDialogService* InstallDialogService(IDialogService* service);

// The installed service; showing a message with none installed is a programming error
// (std::logic_error).
IDialogService& DialogService();

void ShowMessage(const std::string& text);
bool Confirm(const std::string& text, ConfirmButtons buttons = ConfirmButtons::kYesNo);

}  // namespace lw
