#include "runner/BackgroundStarts.h"

#include "util/ErrorLog.h"

// How the hand-back finds an item's processes: the job's list holds every process of the item
// that still runs, the item's own and those it started after it joined the job (a program the
// shell opened joins a moment after it began, so what it started in that moment is missed).
// Where the job could not be had (Windows before 8 puts no process in two jobs, and the
// program itself may run in one), the item's own process is still handed back through the
// handle kept from its start. Closing the job ends nothing: it allows break-away and was never
// made to end its processes.

namespace lw {

namespace {

bool IsBackgroundClass(std::uint32_t priorityClass) {
  return priorityClass == kNormalPriorityClass || priorityClass == kBelowNormalPriorityClass ||
         priorityClass == kIdlePriorityClass;
}

}  // namespace

BackgroundStarts::~BackgroundStarts() { HandBack(); }

std::uint32_t BackgroundStarts::StartClass(std::uint32_t chosen) const {
  if (!on_ || !IsBackgroundClass(chosen)) return chosen;
  return chosen == kNormalPriorityClass ? kBackgroundPriorityClass : chosen;
}

void BackgroundStarts::Adopt(const std::string& label, Handle process, std::uint32_t chosen) {
  if (!on_ || !IsBackgroundClass(chosen)) {
    Sys().CloseHandle(process);
    return;
  }
  Item item;
  item.label = label;
  item.process = process;
  item.started = StartClass(chosen);
  item.chosen = chosen;
  item.job = Sys().CreateJobObject(kJobObjectLimitBreakawayOk);
  if (item.job != 0 && !Sys().AssignProcessToJobObject(item.job, process)) {
    Sys().CloseHandle(item.job);
    item.job = 0;
  }
  // Low I/O and memory priority where Windows has them; where it has not, the class alone.
  Sys().SetProcessIoPriority(process, kIoPriorityLow);
  Sys().SetProcessMemoryPriority(process, kMemoryPriorityLow);
  items_.push_back(item);
}

bool BackgroundStarts::AnyRunning() const {
  for (const Item& item : items_) {
    std::vector<std::uint32_t> ids;
    if (item.job != 0 && Sys().QueryJobProcessIds(item.job, &ids)) {
      if (!ids.empty()) return true;
    } else if (Sys().WaitForSingleObject(item.process, 0) != kWaitObject0) {
      return true;
    }
  }
  return false;
}

void BackgroundStarts::HandBackProcess(const Item& item, Handle process,
                                       const std::string& which) const {
  // A program that chose its own class since (or a child started with one) keeps it.
  const std::uint32_t now = Sys().GetPriorityClass(process);
  if (now == 0 || now == item.started) {
    if (!Sys().SetPriorityClass(process, item.chosen)) {
      SharedErrorLog().TryWriteError(Sys().GetLastError(), item.label + ": priority class " +
                                                               std::to_string(item.chosen) +
                                                               " not given to " + which);
    }
  }
  Sys().SetProcessIoPriority(process, kIoPriorityNormal);
  Sys().SetProcessMemoryPriority(process, kMemoryPriorityNormal);
}

void BackgroundStarts::HandBack() {
  std::vector<Item> items;
  items.swap(items_);
  for (const Item& item : items) {
    std::vector<std::uint32_t> ids;
    // The job's list holds the item's own process while it runs; without a job that one is
    // reached through the handle from its start.
    if (item.job == 0 || !Sys().QueryJobProcessIds(item.job, &ids)) {
      HandBackProcess(item, item.process, "its process");
    }
    for (std::uint32_t id : ids) {
      const Handle other = Sys().OpenProcess(kProcessSetInformation | kProcessQueryInformation, id);
      if (other == 0) continue;  // ended meanwhile
      HandBackProcess(item, other, "process " + std::to_string(id));
      Sys().CloseHandle(other);
    }
    if (item.job != 0) Sys().CloseHandle(item.job);
    Sys().CloseHandle(item.process);
  }
}

}  // namespace lw
