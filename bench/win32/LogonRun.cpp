#include "LogonRun.h"

#include <atomic>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

#include "LogonProtocol.h"
#include "driver/WindowDriver.h"
#include "platform/Platform.h"
#include "util/Error.h"

namespace lw::bench {

namespace {

constexpr DWORD kIdleLogonMs = 4000;
constexpr DWORD kOneByOneGapMs = 1000;
constexpr DWORD kLoadSampleMs = 100;
constexpr DWORD kWorkLimitMs = 180000;
constexpr DWORD kProbeLimitMs = 30000;
constexpr DWORD kLaunchwardEndLimitMs = 60000;
constexpr DWORD kPollMs = 20;

// The whole machine's load every 100 ms, from the system's idle and busy times (as Launchward
// reads it under Wine), on its own thread.
class LoadSampler {
 public:
  LoadSampler() : thread_([this] { Sample(); }) {}
  ~LoadSampler() { Stop(); }
  LoadSampler(const LoadSampler&) = delete;
  LoadSampler& operator=(const LoadSampler&) = delete;

  void Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  // Microseconds on the shared clock, percent.
  std::vector<std::pair<std::uint64_t, double>> Samples() {
    const std::lock_guard<std::mutex> lock(mutex_);
    return samples_;
  }

 private:
  static bool Times(std::uint64_t* idle, std::uint64_t* busy) {
    FILETIME idleTime{}, kernel{}, user{};
    if (!::GetSystemTimes(&idleTime, &kernel, &user)) return false;
    const auto value = [](const FILETIME& t) {
      return static_cast<std::uint64_t>(t.dwHighDateTime) << 32 | t.dwLowDateTime;
    };
    *idle = value(idleTime);
    *busy = value(kernel) + value(user);  // the kernel time includes the idle time
    return true;
  }
  void Sample() {
    std::uint64_t idle = 0, total = 0;
    if (!Times(&idle, &total)) return;
    while (!stop_) {
      ::Sleep(kLoadSampleMs);
      std::uint64_t nowIdle = 0, nowTotal = 0;
      if (!Times(&nowIdle, &nowTotal)) return;
      if (nowTotal > total) {
        const double percent = 100.0 - 100.0 * static_cast<double>(nowIdle - idle) /
                                           static_cast<double>(nowTotal - total);
        const std::lock_guard<std::mutex> lock(mutex_);
        samples_.emplace_back(NowMicroseconds(), percent);
      }
      idle = nowIdle;
      total = nowTotal;
    }
  }

  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<std::pair<std::uint64_t, double>> samples_;
  std::thread thread_;
};

class Event {
 public:
  explicit Event(const char* name) : handle_(::CreateEventA(nullptr, TRUE, FALSE, name)) {
    if (handle_ == nullptr) throw Error(std::string("Cannot create the event ") + name);
    ::ResetEvent(handle_);
  }
  ~Event() { ::CloseHandle(handle_); }
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;
  HANDLE Get() const { return handle_; }

 private:
  HANDLE handle_;
};

double MsFrom(std::uint64_t begin, std::uint64_t us) {
  return (static_cast<double>(us) - static_cast<double>(begin)) / 1000.0;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::string::size_type from = 0;
  for (std::string::size_type end = text.find("\r\n"); end != std::string::npos;
       end = text.find("\r\n", from)) {
    lines.push_back(text.substr(from, end - from));
    from = end + 2;
  }
  return lines;
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::string::size_type from = 0;
  for (;;) {
    const std::string::size_type bar = line.find('|', from);
    fields.push_back(line.substr(from, bar - from));
    if (bar == std::string::npos) return fields;
    from = bar + 1;
  }
}

// Waits until every stand-in noted its work as done; their times, from the logon's start.
std::vector<ItemTimes> WaitForWork(const LogonStage& stage, std::uint64_t begin) {
  const std::size_t count = StandInMix().size();
  const DWORD since = ::GetTickCount();
  std::string text;
  for (;;) {
    text.clear();
    Files().ReadFile(stage.WorkLog(), &text);
    if (Lines(text).size() >= count) break;
    if (::GetTickCount() - since > kWorkLimitMs) {
      throw Error("The stand-ins' work was not done after " + std::to_string(kWorkLimitMs / 1000) +
                  " s:\n" + text);
    }
    ::Sleep(kPollMs);
  }
  std::vector<ItemTimes> items;
  for (const std::string& line : Lines(text)) {
    const std::vector<std::string> fields = Fields(line);
    if (fields.size() != 3) throw Error("A stand-in failed: " + line);
    items.push_back(
        {fields[0], MsFrom(begin, std::stoull(fields[1])), MsFrom(begin, std::stoull(fields[2]))});
  }
  return items;
}

std::vector<ProbeSample> ReadProbe(const std::string& path, std::uint64_t begin) {
  std::string text;
  if (!Files().ReadFile(path, &text)) throw Error("The probe wrote no samples to " + path);
  std::vector<ProbeSample> samples;
  for (const std::string& line : Lines(text)) {
    unsigned long long due = 0, late = 0;
    if (std::sscanf(line.c_str(), "%llu %llu", &due, &late) != 2) continue;
    samples.push_back({MsFrom(begin, due), static_cast<double>(late) / 1000.0});
  }
  return samples;
}

void StartDetached(const std::string& command, const std::string& folder) {
  driver::ChildProcess process;
  if (!process.Start(command, folder)) {
    throw Error("Cannot start " + command + " (error " + std::to_string(::GetLastError()) + ")");
  }
  process.Detach();
}

}  // namespace

const char* StrategyName(Strategy strategy) {
  switch (strategy) {
    case Strategy::kIdle:
      return "idle (probe alone)";
    case Strategy::kAllAtOnce:
      return "all at once";
    case Strategy::kLaunchward:
      return "Launchward defaults";
    case Strategy::kLaunchwardTuned:
      return "Launchward auto-tuned";
    case Strategy::kOneByOne:
      return "one by one, 1 s gap";
  }
  return "";
}

std::uint32_t CalibrateProbeWork() {
  constexpr std::uint32_t kTryRounds = 200000;
  std::uint64_t best = ~std::uint64_t{0};
  volatile std::uint32_t sink = 0;
  for (int i = 0; i < 30; ++i) {
    const std::uint64_t start = NowMicroseconds();
    sink = sink + SpinWork(kTryRounds);
    best = std::min(best, NowMicroseconds() - start);
    ::Sleep(5);
  }
  return static_cast<std::uint32_t>(std::uint64_t{kTryRounds} * 1000 /
                                    std::max<std::uint64_t>(best, 1));
}

double LoadAverage() {
  std::string text;
  if (!Files().ReadFile("Z:\\proc\\loadavg", &text)) return -1.0;
  double value = -1.0;
  return std::sscanf(text.c_str(), "%lf", &value) == 1 ? value : -1.0;
}

int ProcessorCount() {
  SYSTEM_INFO system{};
  ::GetSystemInfo(&system);
  return static_cast<int>(system.dwNumberOfProcessors);
}

LogonRecord RunLogon(LogonStage& stage, Strategy strategy, int round, std::uint32_t probeRounds) {
  LogonRecord record;
  record.strategy = StrategyName(strategy);
  record.round = round;
  const Event probeEnd(kProbeEndEvent);
  const Event probeReady(kProbeReadyEvent);
  const std::string probeOutput = stage.Folder() + "\\probe.txt";
  Files().DeleteFile(probeOutput);

  LoadSampler sampler;
  driver::ChildProcess probe;
  if (!probe.Start(stage.ProbeCommand(probeOutput, probeRounds), stage.Folder())) {
    throw Error("Cannot start the probe (error " + std::to_string(::GetLastError()) + ")");
  }
  if (::WaitForSingleObject(probeReady.Get(), kProbeLimitMs) != WAIT_OBJECT_0) {
    throw Error("The probe did not answer");
  }

  const std::uint64_t begin = NowMicroseconds();
  driver::ChildProcess launchward;
  switch (strategy) {
    case Strategy::kIdle:
      ::Sleep(kIdleLogonMs);
      break;
    case Strategy::kAllAtOnce:
      for (const StandIn& item : StandInMix()) StartDetached(stage.ItemCommand(item), "");
      break;
    case Strategy::kLaunchward:
    case Strategy::kLaunchwardTuned:
      if (!launchward.Start(stage.LaunchwardCommand(), stage.LaunchwardFolder())) {
        throw Error("Cannot start launchward.exe (error " + std::to_string(::GetLastError()) + ")");
      }
      break;
    case Strategy::kOneByOne:
      for (std::size_t i = 0; i < StandInMix().size(); ++i) {
        if (i > 0) ::Sleep(kOneByOneGapMs);
        StartDetached(stage.ItemCommand(StandInMix()[i]), "");
      }
      break;
  }
  if (strategy == Strategy::kIdle) {
    record.endMs = MsFrom(begin, NowMicroseconds());
  } else {
    record.items = WaitForWork(stage, begin);
    for (const ItemTimes& item : record.items) record.endMs = std::max(record.endMs, item.doneMs);
  }
  ::SetEvent(probeEnd.Get());
  DWORD code = 0;
  if (!probe.WaitForExit(kProbeLimitMs, &code) || code != 0) {
    throw Error("The probe did not end well (exit code " + std::to_string(code) + ")");
  }
  sampler.Stop();
  record.probe = ReadProbe(probeOutput, begin);
  for (const auto& [at, percent] : sampler.Samples()) {
    record.load.push_back({MsFrom(begin, at), percent});
  }
  if (launchward.Started() &&
      (!launchward.WaitForExit(kLaunchwardEndLimitMs, &code) || code != 0)) {
    throw Error("launchward.exe -go did not end well (exit code " + std::to_string(code) + ")");
  }
  stage.EndLogon();
  return record;
}

}  // namespace lw::bench
