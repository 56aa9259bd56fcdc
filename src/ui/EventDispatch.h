#pragma once
// Every event handler of the program's windows runs behind this one dispatcher: an error that
// escapes the handler is shown in a message box with its text, the rest of the handler is
// skipped and the window stays open. Nothing escapes into the window procedure.

#include <functional>

namespace lw {

// Runs the handler; an error it raises is shown (lw::Error and every other std::exception with
// its text; anything else as "Unknown error"). False when the handler did not finish.
bool DispatchEvent(const std::function<void()>& handler) noexcept;

}  // namespace lw
