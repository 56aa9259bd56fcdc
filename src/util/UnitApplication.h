#pragma once
// The program's "terminating" state: once the program has been asked to end (its main window
// closed, a logon pass finished), the waits made of short sleeps return at once instead of
// running on. One flag for the process; a test clears it with ResetApplicationTerminate.

namespace lw {

void ApplicationTerminate();
bool ApplicationTerminating();
void ResetApplicationTerminate();

}  // namespace lw
