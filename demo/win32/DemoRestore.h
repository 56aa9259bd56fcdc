#pragma once
// The second act of the demo: the user starts Launchward without an argument, presses Restore in
// the main window, then Restore in the restore window, reads the closing message and closes both
// windows, all through the window driver, as a user's clicks.

#include <string>

namespace lw::demo {

// Returns the closing message the program showed. Raises Error when a window or the message does
// not come, or the program does not end.
std::string RestoreAsAUser(const std::string& launchward);

}  // namespace lw::demo
