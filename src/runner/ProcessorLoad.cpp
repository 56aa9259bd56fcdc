#include "runner/ProcessorLoad.h"

#include <exception>
#include <vector>

#include "install/StartupMover.h"
#include "platform/Platform.h"
#include "util/ErrorLog.h"

// How the load is read.
//
// NT family: the performance data's Processor object carries the idle time of each processor
// and, as "_Total", of the whole machine ("% Processor Time" is an inverse timer), and the
// block carries the time it was taken; two readings 100 ms apart give the machine's idle share
// of that span. One processor would not do: an idle first processor would end every pause
// while the others are busy. Systems whose performance data lack
// the object (Wine, machines with broken counters) fall back to GetSystemTimes, whose idle and
// busy times cover every processor. A sample only compares two readings of the same kind.
//
// 9x family: reading the kernel's "KERNEL\CPUUsage" under HKEY_DYN_DATA\PerfStats\StartStat
// starts the statistic; StatData then holds the load in percent.
//
// Samples wait with PauseMs, which pumps the window messages, so a timer can take a whole
// sample in the middle of another. Each sample therefore keeps its readings and its registry
// keys to itself; only the smoothed load, the failed flag and the started flag are shared.

namespace lw {

namespace {

constexpr char kDynStartStat[] = "\\PerfStats\\StartStat";
constexpr char kDynStopStat[] = "\\PerfStats\\StopStat";
constexpr char kDynStatData[] = "\\PerfStats\\StatData";
constexpr char kDynCpuUsage[] = "KERNEL\\CPUUsage";
constexpr std::uint32_t kDynStartReadSize = 2025;
constexpr char kProcessorObjectName[] = "238";
constexpr std::size_t kPerfBufferStep = 1000;
// Far beyond any real Processor object; a system that keeps asking for more is not believed.
constexpr std::size_t kPerfBufferLimit = std::size_t{16} << 20;
constexpr double kNewSampleWeight = 0.5;

struct CpuState {
  bool started = false;
  bool failed = false;
  std::int32_t smoothed = 0;
  std::int32_t lastSample = 0;
  bool sampleTaken = false;
  // The first reading primes the system's counters (NT).
  bool primed = false;
  // The performance data lacked the counter and GetSystemTimes stood in: the system will not
  // grow the counter while the program runs, and asking for it again costs a query of the
  // performance data per reading (about 10 ms on Wine), so the readings go to GetSystemTimes.
  bool useSystemTimes = false;
};

CpuState& Cpu() {
  static CpuState state;
  return state;
}

enum class ReadingSource { kNone, kPerformanceData, kSystemTimes };

struct Reading {
  std::int64_t value = 0;
  std::int64_t time = 0;
  ReadingSource source = ReadingSource::kNone;
};

// Reading the kernel statistic's value is what starts or stops it; the data are not used.
void TouchDynStat(const char* path) {
  Registry reg;
  reg.SetRootKey(kHKeyDynData);
  if (!reg.OpenKeyReadOnly(path)) return;
  std::vector<std::uint8_t> data(kDynStartReadSize);
  std::uint32_t size = kDynStartReadSize;
  std::uint32_t type = 0;
  Reg().QueryValueEx(reg.CurrentKey(), kDynCpuUsage, &type, data.data(), &size);
  reg.CloseKey();
}

// The Processor object's performance data into *block, the buffer growing in steps until the
// data fit. Returns the query's result.
long QueryPerformanceData(std::vector<std::uint8_t>* block) {
  HKey key = 0;
  long status = Reg().ConnectRegistry(std::string(), kHKeyPerformanceData, &key);
  if (status != kErrorSuccess) return status;
  block->assign(kPerfBufferStep, 0);
  for (;;) {
    // Windows leaves the size undefined when the buffer is too small: it is set afresh for
    // every try.
    auto size = static_cast<std::uint32_t>(block->size());
    std::uint32_t type = 0;
    status = Reg().QueryValueEx(key, kProcessorObjectName, &type, block->data(), &size);
    if (status == kErrorSuccess) {
      if (size < block->size()) block->resize(size);
      break;
    }
    if (status != kErrorMoreData || block->size() + kPerfBufferStep > kPerfBufferLimit) break;
    block->assign(block->size() + kPerfBufferStep, 0);
  }
  Reg().CloseKey(key);
  return status;
}

bool ReadSystemTimes(Reading* reading) {
  std::uint64_t idle = 0;
  std::uint64_t kernel = 0;
  std::uint64_t user = 0;
  if (!Sys().GetSystemTimes(&idle, &kernel, &user)) return false;
  reading->value = static_cast<std::int64_t>(idle);
  reading->time = static_cast<std::int64_t>(kernel + user);
  reading->source = ReadingSource::kSystemTimes;
  Cpu().failed = false;
  return true;
}

Reading TakeReading() {
  Reading reading;
  if (Cpu().useSystemTimes) {
    if (ReadSystemTimes(&reading)) return reading;
    Cpu().useSystemTimes = false;
  }
  std::vector<std::uint8_t> block;
  std::string diag;
  const long status = QueryPerformanceData(&block);
  if (status == kErrorSuccess &&
      ParseProcessorCounter(block.data(), block.size(), &reading.value, &reading.time, &diag)) {
    reading.source = ReadingSource::kPerformanceData;
    Cpu().failed = false;
    return reading;
  }
  if (ReadSystemTimes(&reading)) {
    Cpu().useSystemTimes = true;
    return reading;
  }
  Cpu().failed = true;
  try {
    if (status == kErrorSuccess) {
      SharedErrorLog().Write(diag);
    } else {
      SharedErrorLog().WriteError(static_cast<std::uint32_t>(status), "Performance data 238");
    }
  } catch (const std::exception&) {
    // The failed flag already tells the runner; a log that cannot be written loses the line.
  }
  return Reading{};
}

// The load between two readings in percent; 0 when they cannot be compared.
double LoadBetween(const Reading& a, const Reading& b) {
  if (a.source != b.source || a.source == ReadingSource::kNone) return 0.0;
  // Differences wrap as the counters do rather than overflow.
  const auto idle = static_cast<std::int64_t>(static_cast<std::uint64_t>(a.value) -
                                              static_cast<std::uint64_t>(b.value));
  const auto span = static_cast<std::int64_t>(static_cast<std::uint64_t>(a.time) -
                                              static_cast<std::uint64_t>(b.time));
  if (span == 0) return 0.0;
  // 100 x (1 - idle / span), worked so that whole percentages come out whole.
  return 100.0 - 100.0 * static_cast<double>(idle) / static_cast<double>(span);
}

double SampleNt() {
  if (!Cpu().primed) {
    Cpu().primed = true;
    TakeReading();
  }
  PauseMs(50);
  const Reading a = TakeReading();
  PauseMs(100);
  const Reading b = TakeReading();
  return LoadBetween(a, b);
}

double Sample9x() {
  // A registry object of this sample's own: a sample taken while this one waits must not
  // close the key under it.
  Registry reg;
  reg.SetRootKey(kHKeyDynData);
  if (!reg.OpenKeyReadOnly(kDynStatData)) return 0.0;
  PauseMs(200);
  std::uint8_t data[4] = {};
  std::uint32_t size = sizeof data;
  std::uint32_t type = 0;
  const long status = Reg().QueryValueEx(reg.CurrentKey(), kDynCpuUsage, &type, data, &size);
  reg.CloseKey();
  if (status == kErrorFileNotFound) return 0.0;
  if (status != kErrorSuccess) {
    Cpu().failed = true;
    return 0.0;
  }
  const std::uint32_t bits =
      static_cast<std::uint32_t>(data[0]) | static_cast<std::uint32_t>(data[1]) << 8 |
      static_cast<std::uint32_t>(data[2]) << 16 | static_cast<std::uint32_t>(data[3]) << 24;
  return static_cast<double>(static_cast<std::int32_t>(bits));
}

}  // namespace

int GetOsClass() {
  OsVersionInfo info;
  if (!Sys().GetVersionEx(&info) || info.platformId != kVerPlatformWin32Nt) return kOsClass9x;
  if (info.majorVersion == 3 || info.majorVersion == 4) return kOsClassNt4;
  if (info.majorVersion == 5 && info.minorVersion == 0) return kOsClassWin2000;
  if (info.majorVersion == 5 && info.minorVersion == 1) return kOsClassXp;
  if (info.majorVersion >= 5) return kOsClassNtLater;
  return kOsClass9x;
}

void InitializeProcessorLoad() {
  Cpu() = CpuState{};
  StartCpuStats();
  if (GetOsClass() == kOsClass9x) {
    // The 9x statistic needs a moment between its start and the first look at it. On NT
    // starting is only choosing the performance data, and a wait there would only delay every
    // start of the program, before its first window.
    PauseMs(100);
    StartCpuStats();
  }
  // On NT the first sample primes the counters. The first query of the performance data loads
  // their providers (on Wine the printing libraries, 5 MB, with them): a run that never samples
  // the load, a logon with nothing to start, never pays for it.
}

void FinalizeProcessorLoad() { StopCpuStats(); }

void StartCpuStats() {
  if (GetOsClass() == kOsClass9x) TouchDynStat(kDynStartStat);
  Cpu().started = true;
}

void StopCpuStats() {
  if (GetOsClass() == kOsClass9x) TouchDynStat(kDynStopStat);
  Cpu().started = false;
}

void ReadProcessorCounter(std::int64_t& value, std::int64_t& time) {
  const Reading reading = TakeReading();
  value = reading.value;
  time = reading.time;
}

double SampleCpuUsage() {
  double load = 0.0;
  try {
    if (!Cpu().started) StartCpuStats();
    load = GetOsClass() != kOsClass9x ? SampleNt() : Sample9x();
  } catch (const std::exception&) {
    Cpu().failed = true;
    load = 0.0;
  }
  // Neither method can see more than all of the processor's time: such a figure comes from
  // counters that cannot be trusted.
  if (load > 100.0) {
    Cpu().failed = true;
    load = 0.0;
  }
  if (!(load >= 0.0)) load = 0.0;
  return load;
}

std::int32_t GetCpuUsage() {
  const auto raw = static_cast<std::int32_t>(SampleCpuUsage());
  CpuState& cpu = Cpu();
  cpu.lastSample = raw;
  cpu.sampleTaken = true;
  if (cpu.smoothed == 0) {
    cpu.smoothed = raw;
  } else {
    cpu.smoothed =
        static_cast<std::int32_t>(raw * kNewSampleWeight + cpu.smoothed * (1.0 - kNewSampleWeight));
  }
  return cpu.smoothed;
}

std::int32_t LastCpuSample() { return Cpu().lastSample; }

bool CpuSampleTaken() { return Cpu().sampleTaken; }

bool CpuSamplingFailed() { return Cpu().failed; }

}  // namespace lw
