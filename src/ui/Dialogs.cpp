#include "ui/Dialogs.h"

#include <stdexcept>

namespace lw {

namespace {
IDialogService*& Slot() {
  static IDialogService* service = nullptr;
  return service;
}
}  // namespace

IDialogService* InstallDialogService(IDialogService* service) {
  IDialogService* previous = Slot();
  Slot() = service;
  return previous;
}

IDialogService& DialogService() {
  if (Slot() == nullptr) throw std::logic_error("no dialog service installed");
  return *Slot();
}

void ShowMessage(const std::string& text) { DialogService().ShowMessage(text); }

bool Confirm(const std::string& text, ConfirmButtons buttons) {
  return DialogService().Confirm(text, buttons);
}

}  // namespace lw
