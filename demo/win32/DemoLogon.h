#pragma once
// A logon the way Windows runs one, for the programs the demo planted: each RunOnce value is
// deleted, then run and waited for; then every Run value is started; then every file of the
// Startup folders is opened. Launchward's "-go" start is watched until it ends, or until it has
// registered itself again and stays with its new-items icon, which the demo then double-clicks
// (the message the icon sends) to end it.

#include <functional>
#include <string>

#include "DemoTiming.h"

namespace lw::demo {

// afterRunOnce runs between the RunOnce values and the Run values (after Launchward's
// Phase 1). Raises Error when a program cannot be started or does not end in time.
LogonTimes RunLogon(const std::function<void()>& afterRunOnce);

// The local time now, in milliseconds (MillisecondsOf) and as text.
std::int64_t NowMs();
std::string NowText();

}  // namespace lw::demo
