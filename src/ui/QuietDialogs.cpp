#include "ui/QuietDialogs.h"

#include "util/Console.h"
#include "util/ErrorLog.h"

namespace lw {

namespace {

// The log keeps one line per entry.
std::string OneLine(const std::string& text) {
  std::string line;
  for (const char c : text) {
    if (c == '\r') continue;
    line += c == '\n' ? ' ' : c;
  }
  return line;
}

void Tell(const std::string& text) {
  SharedErrorLog().TryWrite(OneLine(text));
  ToConsole(text + "\r\n");
}

}  // namespace

QuietDialogs::QuietDialogs() : before_(InstallDialogService(this)) {}

QuietDialogs::~QuietDialogs() { InstallDialogService(before_); }

void QuietDialogs::ShowMessage(const std::string& text) { Tell(text); }

bool QuietDialogs::Confirm(const std::string& text, ConfirmButtons buttons) {
  Tell(text + (buttons == ConfirmButtons::kYesNo ? " - No" : " - Cancel") +
       " (unattended: nobody to ask)");
  return false;
}

}  // namespace lw
