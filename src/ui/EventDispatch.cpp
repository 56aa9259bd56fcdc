#include "ui/EventDispatch.h"

#include <exception>
#include <string>

#include "ui/Dialogs.h"

namespace lw {

namespace {

inline constexpr char kUnknownError[] = "Unknown error";

// The message box itself may fail (no dialog service while the program shuts down, no memory):
// the error is then dropped rather than thrown into the window procedure.
void ShowError(const std::string& text) noexcept {
  try {
    ShowMessage(text);
  } catch (...) {
  }
}

}  // namespace

bool DispatchEvent(const std::function<void()>& handler) noexcept {
  try {
    handler();
    return true;
  } catch (const std::exception& error) {
    ShowError(error.what());
  } catch (...) {
    ShowError(kUnknownError);
  }
  return false;
}

}  // namespace lw
