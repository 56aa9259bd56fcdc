#pragma once
// The clock of the demo's log: local time written as "YYYY-MM-DD HH:MM:SS.mmm", read back as
// milliseconds that can be subtracted across midnight. Shared by the demo program, which
// writes the times, and the demo tool, which reads them.

#include <cstdint>
#include <string>

namespace lw::demo {

struct ClockTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, milliseconds = 0;
};

std::string FormatClockTime(const ClockTime& time);
// False when the text is not a time in that form.
bool ParseClockTime(const std::string& text, ClockTime* time);
// Milliseconds since 1970-01-01 00:00 of the same clock.
std::int64_t MillisecondsOf(const ClockTime& time);
// "HH:MM:SS.mmm".
std::string TimeOfDayText(const ClockTime& time);
// Milliseconds as seconds with three decimals ("2.045 s"); negative ones with a sign.
std::string SecondsText(std::int64_t milliseconds);

}  // namespace lw::demo
