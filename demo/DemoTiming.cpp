#include "DemoTiming.h"

#include <algorithm>
#include <iostream>

#include "DemoClock.h"
#include "DemoItems.h"
#include "platform/Platform.h"
#include "util/Error.h"

namespace lw::demo {

namespace {

constexpr std::uint32_t kPollMs = 100;

std::string Column(const std::string& text, std::size_t width) {
  return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

// The name with the place the demo planted the item in.
std::string Described(const std::string& name) {
  for (const DemoItem& item : DemoItems()) {
    if (item.name == name) return name + " (from the " + PlaceText(item.place) + ")";
  }
  return name;
}

}  // namespace

std::vector<ItemStart> ReadStarts(const std::string& logPath) {
  std::vector<ItemStart> starts;
  std::string bytes;
  if (Files().GetFileAttributes(logPath) == kInvalidFileAttributes) return starts;
  if (!Files().ReadFile(logPath, &bytes)) throw Error("cannot read the demo log " + logPath);
  std::size_t begin = 0;
  while (begin < bytes.size()) {
    std::size_t end = bytes.find('\n', begin);
    if (end == std::string::npos) break;  // a line still being written
    std::string line = bytes.substr(begin, end - begin);
    begin = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t bar = line.rfind('|');
    ClockTime time;
    if (bar == std::string::npos || !ParseClockTime(line.substr(bar + 1), &time)) {
      throw Error("the demo log " + logPath + " has a line of another form: " + line);
    }
    starts.push_back({line.substr(0, bar), MillisecondsOf(time)});
  }
  return starts;
}

std::vector<ItemStart> WaitForStarts(const std::string& logPath, std::size_t count,
                                     std::uint32_t timeoutMs) {
  const std::uint32_t begin = Sys().GetTickCount();
  std::vector<ItemStart> starts = ReadStarts(logPath);
  while (starts.size() < count && Sys().GetTickCount() - begin < timeoutMs) {
    Sys().Sleep(kPollMs);
    starts = ReadStarts(logPath);
  }
  return starts;
}

void ReportStarts(const std::vector<ItemStart>& starts, const LogonTimes& times,
                  const std::vector<std::string>& expectedOrder) {
  std::cout << "  " << Column("since logon", 12) << Column("since -go", 12)
            << Column("since previous", 16) << "   item\n";
  std::int64_t previous = times.goStartMs;
  bool first = true;
  for (const ItemStart& start : starts) {
    std::cout << "  " << Column(SecondsText(start.ms - times.logonStartMs), 12)
              << Column(SecondsText(start.ms - times.goStartMs), 12)
              << Column(first ? "-" : SecondsText(start.ms - previous), 16) << "   "
              << Described(start.name) << "\n";
    previous = start.ms;
    first = false;
  }

  std::string faults;
  std::vector<std::string> names;
  for (const ItemStart& start : starts) {
    names.push_back(start.name);
    if (start.ms < times.goStartMs) faults += "\n  - " + start.name + " started before -go";
  }
  for (const std::string& name : expectedOrder) {
    const auto count = std::count(names.begin(), names.end(), name);
    if (count != 1) {
      faults += "\n  - " + name + " started " + std::to_string(count) + " times, expected once";
    }
  }
  for (const std::string& name : names) {
    if (std::find(expectedOrder.begin(), expectedOrder.end(), name) == expectedOrder.end()) {
      faults += "\n  - " + name + " started, but it is not one of Launchward's managed items";
    }
  }
  if (faults.empty() && names != expectedOrder) {
    faults += "\n  - the items did not start in Launchward's order (run order, then startup order)";
  }
  if (!faults.empty()) throw Error("the items did not start as they should:" + faults);
}

}  // namespace lw::demo
