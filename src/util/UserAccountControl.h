#pragma once
// User Account Control (Windows Vista and later). While it is on, every program started at
// logon (from the Run keys, the Startup folders or Explorer) runs with standard rights, an
// administrator's included: the machine's keys, the All Users Startup folder and Program Files
// refuse its writes. Only a program started elevated (after the elevation prompt, or by the
// Task Scheduler with the highest privileges) may change them.

namespace lw {

// Windows NT 6.0 or later, where the Task Scheduler 2.0 and elevation exist.
bool IsWindowsVistaOrLater();

// UAC is on: Windows Vista or later, and the machine's policy value "EnableLUA" is not 0 (a
// missing or unreadable value counts as on, the system's default).
bool IsUacEnabled();

}  // namespace lw
