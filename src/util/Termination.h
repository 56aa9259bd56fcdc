#pragma once
// The program's "terminating" state: once the program has been asked to end (its main window
// closed, a logon pass finished), the waits made of short sleeps return at once instead of
// running on, and the message loop ends at its next turn. One flag for the process; a test
// clears it with ResetApplicationTerminate.

#include <functional>

namespace lw {

// Sets the flag and tells the message loop (through the handler below, when one is set).
void ApplicationTerminate();
bool ApplicationTerminating();
void ResetApplicationTerminate();

// What ApplicationTerminate does besides setting the flag: the real program wakes its message
// loop. Replaces the handler set before; an empty one removes it.
void SetTerminateHandler(std::function<void()> handler);

}  // namespace lw
