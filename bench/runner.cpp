// The logon runner at work: a logon's second phase with 20 managed run-key items, and how much
// of its time is our own work rather than the pauses the runner chose.
//
// The machine is one where the program has never run: the program's keys are cleared and 20
// items are stored the way the take-over leaves them (command, run order, origin: the
// machine's Run key). Each item starts a probe program, with the item's name as its argument,
// from a quoted path with a blank in it. A logon is the whole second phase as the runner window
// drives it: the units and the options come up, a runner is made (its status messages are
// kept), it waits the initial pause, starts the run-key items and opens the (no) shortcuts,
// the load extremes are saved and everything goes down again. Two scenarios:
//   A  default pauses: auto-tune off, initial pause 0, run-key pause 1000 ms (a first logon);
//   B  auto-tune after learning: auto-tune on, three logons to learn, then the measured one.
// For the measured logon it prints when each item started (after the first one), the sum of the
// pauses the runner chose (its "(sleeping N milliseconds)" messages), the total time, the time
// spent waiting inside Sleep (pauses and load samples alike), the runner's own overhead per item
// = (total - waiting) / 20, the same without the time spent inside CreateProcess (what Windows
// takes to make the process, which no runner can save), the mean time of a CreateProcess call
// and the registry's share. The goal: an overhead of at most 10 ms per item on Windows.
//
// Natively it runs on the simulation, whose clock is virtual (Sleep returns at once and moves
// the clock on): the times are the virtual ones, with the real CPU time beside them. Built for
// Windows it runs on the real registry with the probe lwprobe.exe (built beside the tests, or
// the path given as the first argument), copied to "Probe Dir\" beside the benchmark; the
// probes note their start times in the log named by LW_PROBE_LOG. It clears the program's keys
// first: run it in a test machine or Wine prefix.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "TimingPlatform.h"
#include "entry/ProcessUnits.h"
#include "runner/LogonRunner.h"
#include "store/Registry.h"
#include "store/SettingsStore.h"
#include "ui/Options.h"
#include "util/Error.h"
#include "util/SpecialFolders.h"
#include "util/Text.h"

#ifdef _WIN32
#include "ChildEnvironment.h"
#include "platform/win32/Win32Platform.h"
#else
#include "platform/sim/SimPlatform.h"
#endif

namespace lw::bench {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kItems = 20;
constexpr int kLearningLogons = 3;
constexpr char kSleepingMark[] = "(sleeping ";

TimingPlatform* timing = nullptr;  // the installed platform

std::string ItemName(int index) {
  return std::string(index < 9 ? "Probe0" : "Probe") + std::to_string(index + 1);
}

struct Probe {
  std::string program;  // the copy that the items start
  std::string log;      // Windows: where the probes note their starts
};

// A probe start: the item (the last word of its command line) and when, in milliseconds.
struct Start {
  std::string item;
  double ms = 0.0;
};

std::string LastWord(const std::string& line) {
  const std::string::size_type blank = line.find_last_of(' ');
  return blank == std::string::npos ? line : line.substr(blank + 1);
}

// --- The machine: the simulation, or Windows with the probe program ---------------------------
#ifdef _WIN32
constexpr bool kVirtualClock = false;

std::unique_ptr<IPlatform> MachinePlatform() { return MakeWin32Platform(); }
std::uint64_t VirtualNow() { return 0; }

Probe PrepareProbe(int argc, char** argv) {
  const std::string source = argc > 1 ? argv[1] : GetExeFolder() + "..\\tests\\lwprobe.exe";
  const std::string folder = GetExeFolder() + "Probe Dir";
  Files().CreateDirectory(folder);
  Probe probe{folder + "\\lwprobe.exe", GetExeFolder() + "runner-probes.txt"};
  if (!Files().CopyFile(source, probe.program, false)) {
    throw Error("Cannot copy the probe program " + source + " to " + probe.program + " (error " +
                std::to_string(Sys().GetLastError()) + ")");
  }
  SetChildEnvironment("LW_PROBE_LOG", probe.log);
  return probe;
}

std::size_t BeginStarts(const Probe& probe) {
  Files().DeleteFile(probe.log);
  return 0;
}

// The probes run on their own after CreateProcess returns: the log is read once every one has
// written its line, or after ten seconds.
std::vector<Start> CollectStarts(const Probe& probe, std::size_t) {
  std::string text;
  for (int wait = 0; wait < 1000; ++wait) {
    text.clear();
    Files().ReadFile(probe.log, &text);
    if (std::count(text.begin(), text.end(), '\n') >= kItems) break;
    Sys().Sleep(10);
  }
  std::vector<Start> starts;
  std::string::size_type from = 0;
  for (std::string::size_type end = text.find("\r\n"); end != std::string::npos;
       end = text.find("\r\n", from)) {
    // <command line>|<priority class>|<microseconds>
    const std::string line = text.substr(from, end - from);
    from = end + 2;
    const std::string::size_type timeBar = line.rfind('|');
    if (timeBar == std::string::npos || timeBar == 0) continue;
    const std::string::size_type prioBar = line.rfind('|', timeBar - 1);
    if (prioBar == std::string::npos) continue;
    starts.push_back(
        {LastWord(line.substr(0, prioBar)), std::stod(line.substr(timeBar + 1)) / 1000.0});
  }
  return starts;
}
#else
constexpr bool kVirtualClock = true;

std::unique_ptr<IPlatform> MachinePlatform() { return std::make_unique<SimPlatform>(); }
SimPlatform& Sim() { return static_cast<SimPlatform&>(timing->Inner()); }
std::uint64_t VirtualNow() { return Sim().Now(); }

Probe PrepareProbe(int, char**) {
  Probe probe{"C:\\Program Files\\Probe Dir\\lwprobe.exe", std::string()};
  Sim().AddFile(probe.program, "MZ");
  return probe;
}

std::size_t BeginStarts(const Probe&) { return Sim().ProcessStarts().size(); }

std::vector<Start> CollectStarts(const Probe& probe, std::size_t seen) {
  std::vector<Start> starts;
  const std::vector<SimPlatform::ProcessStart> all = Sim().ProcessStarts();
  for (std::size_t i = seen; i < all.size(); ++i) {
    if (!SameText(all[i].image, probe.program)) continue;
    starts.push_back({LastWord(all[i].commandLine), static_cast<double>(all[i].time)});
  }
  return starts;
}
#endif

// --- Staging and one logon --------------------------------------------------------------------

// A machine where the program has never run, with the items stored as the take-over leaves them.
void StageMachine(const Probe& probe) {
  InitializeProcessUnits();
  Registry reg;
  for (HKey root : {kHKeyLocalMachine, kHKeyCurrentUser}) {
    reg.SetRootKey(root);
    reg.DeleteKey(kTallowmereKey);
  }
  std::vector<std::string> order;
  for (int i = 0; i < kItems; ++i) {
    const std::string name = ItemName(i);
    reg.PutStringAt(kHKeyLocalMachine, kRunItemsKey, true, name,
                    "\"" + probe.program + "\" " + name);
    SetRunLocation(name, std::string());
    SetRunLocationHKey(name, kHKeyLocalMachine);
    order.push_back(name);
  }
  SaveSortOrder(kRunSortName, order);
  reg.PutIntegerAt(kHKeyLocalMachine, kProgramKey, true, kInitialPauseValue, 0);
  reg.PutIntegerAt(kHKeyLocalMachine, kProgramKey, true, kRunkeyDelayValue, kDefaultRunkeyDelay);
  FinalizeProcessUnits();
}

struct Logon {
  std::vector<std::string> status;
  std::int32_t initialPauseMs = 0;
  double realMs = 0.0;
  double cpuMs = 0.0;           // the simulation: the process's CPU time
  std::uint64_t virtualMs = 0;  // the simulation: the virtual clock
  CallTimes times;
  std::uint64_t sleepAskedMs = 0;
  std::vector<Start> starts;
};

Logon RunLogon(const Probe& probe, bool autoTune) {
  Logon logon;
  const std::size_t seen = BeginStarts(probe);
  timing->Reset();
  const std::uint64_t virtualStart = VirtualNow();
  const std::clock_t cpuStart = std::clock();
  const Clock::time_point start = Clock::now();

  InitializeProcessUnits();
  CreateOptions();
  SharedOptions().SetChecked(kDisableAutoTuneOption, !autoTune);
  {
    LogonRunner runner([&logon](const std::string& text) { logon.status.push_back(text); });
    logon.initialPauseMs = runner.InitialPauseMs();
    runner.InitialPause();
    runner.RunRunkeyItems();
    runner.RunStartupItems();
    runner.SettleAndHandBack();
  }
  // As the runner window does at the end of a logon with administrator rights: the load
  // extremes that the next logon's tuning is scaled by.
  SaveCPUStats();
  FreeOptions();
  FinalizeProcessUnits();

  logon.realMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  logon.cpuMs = 1000.0 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
  logon.virtualMs = VirtualNow() - virtualStart;
  logon.times = timing->Times();
  logon.sleepAskedMs = timing->SleepAskedMs();
  logon.starts = CollectStarts(probe, seen);
  return logon;
}

// --- The report -------------------------------------------------------------------------------

void PrintStarts(const Logon& logon) {
  std::vector<Start> byTime = logon.starts;
  std::stable_sort(byTime.begin(), byTime.end(),
                   [](const Start& a, const Start& b) { return a.ms < b.ms; });
  bool inOrder = byTime.size() == static_cast<std::size_t>(kItems);
  for (std::size_t i = 0; inOrder && i < byTime.size(); ++i) {
    inOrder = byTime[i].item == ItemName(static_cast<int>(i));
  }
  std::printf("  item starts, ms after the first (%zu of %d started%s):\n", byTime.size(), kItems,
              inOrder ? ", in run order" : ", NOT in run order");
  for (std::size_t i = 0; i < byTime.size(); ++i) {
    std::printf("%s%9.1f", i % 10 == 0 ? "   " : "", byTime[i].ms - byTime[0].ms);
    if (i % 10 == 9 || i + 1 == byTime.size()) std::printf("\n");
  }
}

void Report(const char* title, const Logon& logon) {
  std::printf("== %s\n", title);
  PrintStarts(logon);

  std::int64_t chosen = 0;
  int messages = 0;
  for (const std::string& text : logon.status) {
    const std::string::size_type at = text.find(kSleepingMark);
    if (at == std::string::npos) continue;
    chosen += std::stoll(text.substr(at + sizeof(kSleepingMark) - 1));
    ++messages;
  }
  std::printf("  %-34s %9d ms\n", "initial pause", logon.initialPauseMs);
  std::printf("  %-34s %9lld ms (%d messages)\n", "pauses chosen after the items",
              static_cast<long long>(chosen), messages);

  const CallTime sleep = SumOf(logon.times, "Sleep");
  const CallTime create = SumOf(logon.times, "CreateProcess");
  const CallTime priority = SumOf(logon.times, "SetPriorityClass");
  const CallTime resume = SumOf(logon.times, "ResumeThread");
  const CallTime registry = SumOf(logon.times, "Reg");
  const CallTime loads = SumOf(logon.times, "GetSystemTimes");
  if (kVirtualClock) {
    const double total = static_cast<double>(logon.virtualMs);
    const double waiting = static_cast<double>(logon.sleepAskedMs);
    std::printf("  %-34s %9.0f ms (virtual clock)\n", "total", total);
    std::printf("  %-34s %9.0f ms (virtual, %llu calls)\n", "waiting inside Sleep", waiting,
                static_cast<unsigned long long>(sleep.calls));
    std::printf("  %-34s %9.1f ms (virtual)\n", "runner overhead per item",
                (total - waiting) / kItems);
    std::printf("  %-34s %9.1f ms real, %.1f ms CPU: %.2f ms CPU per item\n", "real time",
                logon.realMs, logon.cpuMs, logon.cpuMs / kItems);
  } else {
    std::printf("  %-34s %9.1f ms\n", "total", logon.realMs);
    std::printf("  %-34s %9.1f ms (%llu calls, %llu ms asked)\n", "waiting inside Sleep", sleep.ms,
                static_cast<unsigned long long>(sleep.calls),
                static_cast<unsigned long long>(logon.sleepAskedMs));
    std::printf("  %-34s %9.1f ms (goal: at most 10 ms)\n", "runner overhead per item",
                (logon.realMs - sleep.ms) / kItems);
    std::printf("  %-34s %9.1f ms\n", "  the same without CreateProcess",
                (logon.realMs - sleep.ms - create.ms) / kItems);
  }
  std::printf("  %-34s %9.3f ms mean real (%llu calls)\n", "CreateProcess",
              create.calls ? create.ms / create.calls : 0.0,
              static_cast<unsigned long long>(create.calls));
  if (priority.calls + resume.calls > 0) {
    std::printf("  %-34s %9.3f ms real per item (%llu calls)\n", "SetPriorityClass, ResumeThread",
                (priority.ms + resume.ms) / kItems,
                static_cast<unsigned long long>(priority.calls + resume.calls));
  }
  std::printf("  %-34s %9.3f ms real per item (%.0f calls per item)\n", "registry calls",
              registry.ms / kItems, static_cast<double>(registry.calls) / kItems);
  std::vector<std::pair<std::string, CallTime>> costliest;
  for (const auto& [name, time] : logon.times) {
    if (name.compare(0, 3, "Reg") == 0) costliest.emplace_back(name, time);
  }
  std::sort(costliest.begin(), costliest.end(),
            [](const auto& a, const auto& b) { return a.second.ms > b.second.ms; });
  costliest.resize(std::min<std::size_t>(costliest.size(), 3));
  for (const auto& [name, time] : costliest) {
    std::printf("    %-32s %9.3f ms real per item (%.1f calls per item)\n", name.c_str(),
                time.ms / kItems, static_cast<double>(time.calls) / kItems);
  }
  std::printf("  %-34s %9.3f ms real per item (%llu calls)\n", "load readings (GetSystemTimes)",
              loads.ms / kItems, static_cast<unsigned long long>(loads.calls));
}

void RunScenario(const char* title, const Probe& probe, bool autoTune, int learningLogons) {
  StageMachine(probe);
  for (int i = 0; i < learningLogons; ++i) RunLogon(probe, autoTune);
  Report(title, RunLogon(probe, autoTune));
}

}  // namespace
}  // namespace lw::bench

int main(int argc, char** argv) {
  using namespace lw::bench;
  auto platform = std::make_unique<TimingPlatform>(MachinePlatform());
  timing = platform.get();
  lw::InstallPlatform(std::move(platform));
  std::printf("Logon runner on %s: %d run-key items that start a probe program\n",
              kVirtualClock ? "the simulation" : "the real registry and processes", kItems);
  try {
    const Probe probe = PrepareProbe(argc, argv);
    RunScenario("A: default pauses (auto-tune off, initial pause 0, run-key pause 1000 ms)", probe,
                false, 0);
    RunScenario("B: auto-tune after learning (auto-tune on, 3 logons learnt, the 4th measured)",
                probe, true, kLearningLogons);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "bench_runner: %s\n", error.what());
    return 1;
  }
  return 0;
}
