#pragma once
// Calendar arithmetic for the simulated local time, which runs on with the virtual clock.

#include <cstdint>

#include "platform/Platform.h"

namespace lw::sim {

// Milliseconds since 1601-01-01 00:00 (where Windows counts file times from); false when the
// date or time does not exist. The day of the week is not looked at.
bool TimeToMilliseconds(const SystemTime& time, std::int64_t* milliseconds);
// The date and time, with its day of the week (0 = Sunday).
SystemTime MillisecondsToTime(std::int64_t milliseconds);

}  // namespace lw::sim
