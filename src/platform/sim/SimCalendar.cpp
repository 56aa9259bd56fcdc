#include "platform/sim/SimCalendar.h"

namespace lw::sim {

namespace {

constexpr std::int64_t kMsPerDay = 86'400'000;

bool IsLeap(std::int64_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(std::int64_t year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

// Days from 1601-01-01 to the date (proleptic Gregorian calendar).
std::int64_t DaysFromCivil(std::int64_t year, int month, int day) {
  const std::int64_t y = year - 1601;
  std::int64_t days = y * 365 + y / 4 - y / 100 + y / 400;
  for (int m = 1; m < month; ++m) days += DaysInMonth(year, m);
  return days + day - 1;
}

}  // namespace

bool TimeToMilliseconds(const SystemTime& time, std::int64_t* milliseconds) {
  if (time.year < 1601 || time.month < 1 || time.month > 12 || time.day < 1 ||
      time.day > DaysInMonth(time.year, time.month) || time.hour > 23 || time.minute > 59 ||
      time.second > 59 || time.milliseconds > 999) {
    return false;
  }
  *milliseconds = DaysFromCivil(time.year, time.month, time.day) * kMsPerDay +
                  ((time.hour * 60 + time.minute) * 60 + time.second) * 1000LL + time.milliseconds;
  return true;
}

SystemTime MillisecondsToTime(std::int64_t milliseconds) {
  std::int64_t days = milliseconds / kMsPerDay;
  std::int64_t rest = milliseconds % kMsPerDay;
  SystemTime time;
  // 1601-01-01 was a Monday.
  time.dayOfWeek = static_cast<std::uint16_t>((days + 1) % 7);
  std::int64_t year = 1601;
  // Whole 400-year cycles first (146097 days each), then years one by one.
  year += 400 * (days / 146'097);
  days %= 146'097;
  while (days >= (IsLeap(year) ? 366 : 365)) days -= IsLeap(year++) ? 366 : 365;
  int month = 1;
  while (days >= DaysInMonth(year, month)) days -= DaysInMonth(year, month++);
  time.year = static_cast<std::uint16_t>(year);
  time.month = static_cast<std::uint16_t>(month);
  time.day = static_cast<std::uint16_t>(days + 1);
  time.milliseconds = static_cast<std::uint16_t>(rest % 1000);
  rest /= 1000;
  time.second = static_cast<std::uint16_t>(rest % 60);
  rest /= 60;
  time.minute = static_cast<std::uint16_t>(rest % 60);
  time.hour = static_cast<std::uint16_t>(rest / 60);
  return time;
}

}  // namespace lw::sim
