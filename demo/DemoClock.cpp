#include "DemoClock.h"

#include <cstdio>

namespace lw::demo {

std::string FormatClockTime(const ClockTime& t) {
  char text[32];
  std::snprintf(text, sizeof(text), "%04d-%02d-%02d %02d:%02d:%02d.%03d", t.year % 10000,
                t.month % 100, t.day % 100, t.hour % 100, t.minute % 100, t.second % 100,
                t.milliseconds % 1000);
  return text;
}

bool ParseClockTime(const std::string& text, ClockTime* time) {
  ClockTime t;
  int used = 0;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d.%3d%n", &t.year, &t.month, &t.day, &t.hour,
                  &t.minute, &t.second, &t.milliseconds, &used) != 7 ||
      static_cast<std::size_t>(used) != text.size()) {
    return false;
  }
  if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 || t.hour > 23 || t.minute > 59 ||
      t.second > 59) {
    return false;
  }
  *time = t;
  return true;
}

std::int64_t MillisecondsOf(const ClockTime& t) {
  // Days from the civil date (the proleptic Gregorian calendar), with March as the first month
  // so that the leap day comes last.
  const int year = t.year - (t.month <= 2 ? 1 : 0);
  const int era = (year >= 0 ? year : year - 399) / 400;
  const int yearOfEra = year - era * 400;
  const int monthFromMarch = (t.month + 9) % 12;
  const int dayOfYear = (153 * monthFromMarch + 2) / 5 + t.day - 1;
  const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  const std::int64_t days = static_cast<std::int64_t>(era) * 146097 + dayOfEra - 719468;
  return ((days * 24 + t.hour) * 60 + t.minute) * 60000 + t.second * 1000 + t.milliseconds;
}

std::string TimeOfDayText(const ClockTime& time) { return FormatClockTime(time).substr(11); }

std::string SecondsText(std::int64_t milliseconds) {
  const char* sign = milliseconds < 0 ? "-" : "";
  const std::int64_t magnitude = milliseconds < 0 ? -milliseconds : milliseconds;
  char text[32];
  std::snprintf(text, sizeof(text), "%s%lld.%03lld s", sign,
                static_cast<long long>(magnitude / 1000), static_cast<long long>(magnitude % 1000));
  return text;
}

}  // namespace lw::demo
