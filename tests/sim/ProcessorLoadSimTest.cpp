// The processor-load reader and auto-tune on machines that only the simulation can stage:
// loads set on the virtual clock, performance data that lie or are missing, no GetSystemTimes,
// other Windows versions, the 9x kernel statistics, samples taken inside samples.

#include "runner/AutoTune.h"
#include "runner/ProcessorLoad.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "entry/ProcessUnits.h"
#include "platform/PerfDataBlock.h"
#include "store/SettingsStore.h"
#include "support/RawRegistry.h"
#include "support/TestEnv.h"
#include "ui/Options.h"
#include "util/ErrorLog.h"

namespace lw::test {
namespace {

constexpr char kStatData[] = "PerfStats\\StatData";
constexpr char kCpuUsageValue[] = "KERNEL\\CPUUsage";
const std::string kNoProcessor =
    "NumObjectTypes: 3Performance Objects - 238 not found in \r\n-2-4-230";

perf::ObjectSpec Object(std::uint32_t index) { return {index, {{10, {1}}}, {}}; }

std::vector<std::uint8_t> NoProcessorBlock() {
  return perf::BuildPerfDataBlock({Object(2), Object(4), Object(230)}, 1);
}

// Performance data whose one processor has been idle for idle100ns at the clock's moment ms,
// behind `before` other objects.
std::vector<std::uint8_t> IdleBlock(std::uint64_t idle100ns, std::uint64_t ms, int before = 1) {
  std::vector<perf::ObjectSpec> objects(static_cast<std::size_t>(before), Object(2));
  objects.push_back({kPerfProcessorObject, {{kPerfProcessorTimeCounter, {idle100ns}}}, {"0"}});
  return perf::BuildPerfDataBlock(objects, ms * 10000);
}

OsVersionInfo Version(std::uint32_t platform, std::uint32_t major, std::uint32_t minor) {
  OsVersionInfo info;
  info.platformId = platform;
  info.majorVersion = major;
  info.minorVersion = minor;
  return info;
}

std::string Dword(std::int32_t value) {
  std::string bytes;
  const auto bits = static_cast<std::uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>((bits >> shift) & 0xFF);
  return bytes;
}

class ProcessorLoadSimTest : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    InitializeProcessUnits();
    CreateOptions();
  }
  void TearDown() override {
    FreeOptions();
    FinalizeProcessUnits();
  }
  static std::string Log() { return ReadWholeFile(ErrorLogPath()); }
  // The Sleep calls made since the mark.
  static std::vector<std::uint32_t> SleepsSince(std::size_t mark) {
    const std::vector<std::uint32_t> all = Sim().Sleeps();
    return std::vector<std::uint32_t>(all.begin() + static_cast<std::ptrdiff_t>(mark), all.end());
  }
};

// --- The simulated processors ---------------------------------------------------------------

// Idle time grows by (100 - load) % of the time that passes, in 100 ns units; the performance
// data's "_Total" counts the mean of the processors, GetSystemTimes their sum.
TEST_F(ProcessorLoadSimTest, TheProcessorsIdleForWhatTheLoadLeaves) {
  ResetPlatform();
  const std::uint64_t start = Sim().Now();  // 20 % since the machine started
  Sim().Advance(1000);
  Sim().SetProcessorLoad(50);
  Sim().Advance(1000);
  const std::uint64_t idleMs = (start + 1000) * 80 / 100 + 500;
  const std::uint64_t now = start + 2000;

  std::vector<std::uint8_t> block(1000);
  auto size = static_cast<std::uint32_t>(block.size());
  ASSERT_EQ(Reg().QueryValueEx(kHKeyPerformanceData, "238", nullptr, block.data(), &size), kOk);
  std::int64_t value = 0;
  std::int64_t time = 0;
  std::string diag;
  ASSERT_TRUE(ParseProcessorCounter(block.data(), size, &value, &time, &diag)) << diag;
  EXPECT_EQ(value, static_cast<std::int64_t>(idleMs * 10000));
  EXPECT_EQ(time, static_cast<std::int64_t>(now * 10000));

  std::uint64_t idle = 0;
  std::uint64_t kernel = 0;
  std::uint64_t user = 0;
  ASSERT_TRUE(Sys().GetSystemTimes(&idle, &kernel, &user));
  EXPECT_EQ(idle, 2 * idleMs * 10000);
  EXPECT_EQ(kernel + user, 2 * now * 10000);
  EXPECT_GT(kernel, idle);
  EXPECT_GT(user, 0u);

  Sim().SetSystemTimesAvailable(false);
  EXPECT_FALSE(Sys().GetSystemTimes(&idle, &kernel, &user));
  EXPECT_EQ(Sys().GetLastError(), kErrorNotEnoughMemory);
  EXPECT_EQ(idle, 2 * idleMs * 10000);
}

// The load is the whole machine's: an idle first processor beside a busy one is a half-busy
// machine, read from the performance data and from GetSystemTimes alike.
TEST_F(ProcessorLoadSimTest, EveryProcessorCountsTowardsTheLoad) {
  struct Case {
    double first;
    double second;
    double load;
  };
  const Case cases[] = {{0, 100, 50}, {100, 0, 50}, {0, 90, 45}, {30, 30, 30}};
  // The performance data first: once they have failed, the reader keeps to GetSystemTimes.
  for (const bool performanceData : {true, false}) {
    if (!performanceData) Sim().SetPerformanceData(NoProcessorBlock());
    for (const Case& c : cases) {
      SCOPED_TRACE(::testing::Message() << (performanceData ? "performance data " : "times ")
                                        << c.first << " and " << c.second);
      Sim().SetProcessorLoad(0, c.first);
      Sim().SetProcessorLoad(1, c.second);
      EXPECT_EQ(SampleCpuUsage(), c.load);
      EXPECT_FALSE(CpuSamplingFailed());
    }
  }
  EXPECT_EQ(Log(), "");
}

// --- Sampling and smoothing -----------------------------------------------------------------

TEST_F(ProcessorLoadSimTest, EachSampleCountsHalfTowardsTheSmoothedLoad) {
  struct Step {
    double load;
    std::int32_t smoothed;
  };
  // 40 x 0.5 + 11 x 0.5 = 25.5, cut to 25; a smoothed load that falls to 0 starts afresh.
  const Step steps[] = {{40, 40}, {11, 25}, {11, 18}, {0, 9},   {0, 4},
                        {0, 2},   {0, 1},   {0, 0},   {30, 30}, {100, 65}};
  for (const Step& step : steps) {
    SCOPED_TRACE(step.load);
    Sim().SetProcessorLoad(step.load);
    EXPECT_EQ(GetCpuUsage(), step.smoothed);
  }
  EXPECT_FALSE(CpuSamplingFailed());
}

// A sample waits 100 ms, reads, waits 100 ms and reads again, pumping messages before each wait.
TEST_F(ProcessorLoadSimTest, ASampleIsTwoReadingsAHundredMillisecondsApart) {
  // The first sample also primes the counters (see below): the one measured here comes after.
  SampleCpuUsage();
  std::vector<std::uint64_t> queries;
  Sim().SetPerformanceDataSource([&](std::uint64_t ms) {
    queries.push_back(ms);
    return IdleBlock(ms * 10000 / 2, ms);  // idle half the time
  });
  int pumps = 0;
  Sim().OnProcessMessages([&] { ++pumps; });
  const std::uint64_t start = Sim().Now();
  const std::size_t mark = Sim().Sleeps().size();
  EXPECT_EQ(SampleCpuUsage(), 50.0);
  EXPECT_EQ(queries, (std::vector<std::uint64_t>{start + 100, start + 200}));
  EXPECT_EQ(SleepsSince(mark), (std::vector<std::uint32_t>{100, 100}));
  EXPECT_EQ(pumps, 2);
}

TEST_F(ProcessorLoadSimTest, LoadsThatCannotBeAreZero) {
  using Source = std::function<std::vector<std::uint8_t>(std::uint64_t)>;
  struct Case {
    const char* what;
    Source source;  // null: the processors at the load
    double load;
    double sample;
    bool failed;
  };
  const Case cases[] = {
      {"exactly 100", nullptr, 100, 100, false},
      {"an idle counter running backwards: 100.4",
       [](std::uint64_t ms) { return IdleBlock(1'000'000'000 - ms * 40, ms); }, 0, 0, true},
      {"more idle than time: -50", [](std::uint64_t ms) { return IdleBlock(ms * 15000, ms); }, 0, 0,
       false},
      {"time standing still", [](std::uint64_t) { return IdleBlock(5, 7); }, 0, 0, false},
      // The first reading from the performance data, the second from GetSystemTimes: their
      // counters and times cannot be compared.
      {"readings of two kinds",
       [calls = 0](std::uint64_t ms) mutable {
         return calls++ == 0 ? IdleBlock(ms * 10000, ms) : std::vector<std::uint8_t>();
       },
       0, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Sim().SetPerformanceDataSource(c.source);
    Sim().SetProcessorLoad(c.load);
    EXPECT_EQ(SampleCpuUsage(), c.sample);
    EXPECT_EQ(CpuSamplingFailed(), c.failed);
    // The next good reading clears the flag.
    Sim().SetPerformanceDataSource(nullptr);
    Sim().SetProcessorLoad(20);
    EXPECT_EQ(SampleCpuUsage(), 20.0);
    EXPECT_FALSE(CpuSamplingFailed());
  }
  EXPECT_EQ(Log(), "");
}

// --- Operating-system classes ---------------------------------------------------------------

TEST_F(ProcessorLoadSimTest, EveryNtVersionReadsTheLoadTheNtWay) {
  struct Case {
    const char* what;
    OsVersionInfo version;
    int osClass;
    double sample;  // the 9x statistics are not there: their sample is 0
  };
  const Case cases[] = {
      {"Windows 98", Version(kVerPlatformWin32Windows, 4, 10), kOsClass9x, 0},
      {"NT 3.51", Version(kVerPlatformWin32Nt, 3, 51), kOsClassNt4, 20},
      {"NT 4", Version(kVerPlatformWin32Nt, 4, 0), kOsClassNt4, 20},
      {"2000", Version(kVerPlatformWin32Nt, 5, 0), kOsClassWin2000, 20},
      {"XP", Version(kVerPlatformWin32Nt, 5, 1), kOsClassXp, 20},
      {"2003", Version(kVerPlatformWin32Nt, 5, 2), kOsClassNtLater, 20},
      {"Vista", Version(kVerPlatformWin32Nt, 6, 0), kOsClassNtLater, 20},
      {"7", Version(kVerPlatformWin32Nt, 6, 1), kOsClassNtLater, 20},
      {"10", Version(kVerPlatformWin32Nt, 10, 0), kOsClassNtLater, 20},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Sim().SetOsVersion(c.version);
    EXPECT_EQ(GetOsClass(), c.osClass);
    EXPECT_EQ(SampleCpuUsage(), c.sample);
    EXPECT_FALSE(CpuSamplingFailed());
  }
  EXPECT_EQ(Log(), "");
}

// Starting the reader waits only where the statistic needs it: on 9x, 100 ms between its two
// starts; on NT nothing, so the program's windows come up at once.
TEST_F(ProcessorLoadSimTest, StartingTheReaderWaitsOnlyOn9x) {
  for (const bool nine : {false, true}) {
    SCOPED_TRACE(nine);
    FinalizeProcessorLoad();
    Sim().SetOsVersion(nine ? Version(kVerPlatformWin32Windows, 4, 10)
                            : Version(kVerPlatformWin32Nt, 6, 1));
    const std::size_t mark = Sim().Sleeps().size();
    InitializeProcessorLoad();
    EXPECT_EQ(SleepsSince(mark),
              nine ? std::vector<std::uint32_t>{100} : std::vector<std::uint32_t>{});
  }
}

// Starting the reader on NT asks the performance data nothing (the first query loads their
// providers, a cost a run that never samples should not pay); the first sample primes the
// counters with one reading more, the later ones take their two readings only.
TEST_F(ProcessorLoadSimTest, TheFirstSampleNotTheStartPrimesTheCounters) {
  FinalizeProcessorLoad();
  std::vector<std::uint64_t> queries;
  Sim().SetPerformanceDataSource([&](std::uint64_t ms) {
    queries.push_back(ms);
    return IdleBlock(ms * 10000 / 2, ms);
  });
  InitializeProcessorLoad();
  EXPECT_TRUE(queries.empty());
  const std::uint64_t start = Sim().Now();
  EXPECT_EQ(SampleCpuUsage(), 50.0);
  EXPECT_EQ(queries, (std::vector<std::uint64_t>{start, start + 100, start + 200}));
  queries.clear();
  EXPECT_EQ(SampleCpuUsage(), 50.0);
  EXPECT_EQ(queries.size(), 2u);
  EXPECT_FALSE(CpuSamplingFailed());
}

// The 9x kernel statistic: its percent after 200 ms; no statistic is a load of 0, not a failure.
TEST_F(ProcessorLoadSimTest, The9xMethodReadsTheKernelStatistic) {
  struct Case {
    const char* what;
    bool key;
    std::string data;  // empty: no value
    double sample;
    bool failed;
  };
  const Case cases[] = {
      {"a load", true, Dword(37), 37, false},
      {"no load", true, Dword(0), 0, false},
      {"a negative figure", true, Dword(-5), 0, false},
      {"an impossible figure", true, Dword(150), 0, true},
      {"a value too long", true, Dword(37) + Dword(1), 0, true},
      {"no value", true, "", 0, false},
      {"no statistics key", false, "", 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ResetPlatform();
    Sim().SetOsVersion(Version(kVerPlatformWin32Windows, 4, 90));
    if (c.key) {
      HKey key = 0;
      ASSERT_EQ(Reg().CreateKeyEx(kHKeyDynData, kStatData, kKeyAllAccess, &key, nullptr), kOk);
      Reg().CloseKey(key);
    }
    if (!c.data.empty()) SetRaw(kHKeyDynData, kStatData, kCpuUsageValue, kRegBinary, c.data);
    InitializeProcessorLoad();
    const std::size_t mark = Sim().Sleeps().size();
    EXPECT_EQ(SampleCpuUsage(), c.sample);
    EXPECT_EQ(CpuSamplingFailed(), c.failed);
    EXPECT_EQ(SleepsSince(mark).size(), c.key ? 2u : 0u);
    EXPECT_EQ(Sim().OpenKeyCount(), 0);
  }
}

// --- Without the Processor object -----------------------------------------------------------

// Once the performance data were found to lack the counter, the readings go to the machine's
// times without asking the performance data again (each query costs ~10 ms on Wine); when the
// times fail, the performance data are asked again.
TEST_F(ProcessorLoadSimTest, WithoutTheProcessorObjectTheWholeMachineIsMeasured) {
  int queries = 0;
  const std::vector<std::uint8_t> block = NoProcessorBlock();
  Sim().SetPerformanceDataSource([&](std::uint64_t) {
    ++queries;
    return block;
  });
  Sim().SetProcessorLoad(35);
  EXPECT_EQ(GetCpuUsage(), 35);
  EXPECT_EQ(GetCpuUsage(), 35);
  EXPECT_EQ(queries, 1);
  EXPECT_FALSE(CpuSamplingFailed());
  EXPECT_EQ(Log(), "");

  Sim().SetSystemTimesAvailable(false);
  std::int64_t value = -1;
  std::int64_t time = -1;
  ReadProcessorCounter(value, time);
  EXPECT_EQ(queries, 2);
  EXPECT_TRUE(CpuSamplingFailed());
}

TEST_F(ProcessorLoadSimTest, WhenNothingMeasuresTheLoadTheLogSaysWhatWasSeen) {
  struct Case {
    const char* what;
    std::vector<std::uint8_t> block;
    std::string line;
  };
  Sim().SetMessageText(kErrorFileNotFound, "The system cannot find the file specified.\r\n");
  const Case cases[] = {
      {"objects 2, 4 and 230 only", NoProcessorBlock(), kNoProcessor},
      {"no performance data",
       {},
       "2 : The system cannot find the file specified (Performance data 238)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Sim().SetPerformanceData(c.block);
    Sim().SetSystemTimesAvailable(false);
    const std::string before = Log();
    std::int64_t value = -1;
    std::int64_t time = -1;
    ReadProcessorCounter(value, time);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(time, 0);
    EXPECT_TRUE(CpuSamplingFailed());
    const std::string added = Log().substr(before.size());
    // One entry: the date and the time, then the text.
    EXPECT_EQ(added.substr(20), c.line + "\r\n");
    // A reading that works again clears the flag.
    Sim().SetSystemTimesAvailable(true);
    ReadProcessorCounter(value, time);
    EXPECT_FALSE(CpuSamplingFailed());
    EXPECT_GT(time, 0);
    EXPECT_EQ(Log().size(), before.size() + added.size());
  }
}

// A Processor object behind many others: the buffer grows until the whole block fits.
TEST_F(ProcessorLoadSimTest, ALargeBlockIsReadWhole) {
  ASSERT_GT(IdleBlock(0, 0, 200).size(), 20000u);
  Sim().SetSystemTimesAvailable(false);
  Sim().SetPerformanceDataSource([](std::uint64_t ms) { return IdleBlock(ms * 3000, ms, 200); });
  EXPECT_EQ(SampleCpuUsage(), 70.0);
  EXPECT_FALSE(CpuSamplingFailed());
}

// --- Re-entrancy ----------------------------------------------------------------------------

// The runner window's timer can take a whole sample while another one waits: each keeps its
// own readings and its own registry key.
TEST_F(ProcessorLoadSimTest, ASampleTakenInsideAnotherLeavesItWhole) {
  struct Case {
    const char* what;
    bool nt;
    std::int32_t outer;
    std::int32_t inner;
  };
  // NT: the inner sample runs at 0 % between the outer one's readings, 200 ms of the outer
  // 300; the outer one's own 100 ms run at 60 %, so it measures 20 %.
  const Case cases[] = {{"NT", true, 20, 0}, {"9x", false, 37, 37}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ResetPlatform();
    if (!c.nt) {
      Sim().SetOsVersion(Version(kVerPlatformWin32Windows, 4, 10));
      SetRaw(kHKeyDynData, kStatData, kCpuUsageValue, kRegBinary, Dword(37));
    }
    InitializeProcessorLoad();
    Sim().SetProcessorLoad(60);
    int pumps = 0;
    std::int32_t inner = -1;
    Sim().OnProcessMessages([&] {
      // NT: between the two readings; 9x: during the wait with the key open.
      if (++pumps != (c.nt ? 2 : 1)) return;
      Sim().SetProcessorLoad(0);
      inner = GetCpuUsage();
      Sim().SetProcessorLoad(60);
    });
    EXPECT_EQ(GetCpuUsage(), c.outer);
    EXPECT_EQ(inner, c.inner);
    EXPECT_FALSE(CpuSamplingFailed());
    EXPECT_EQ(Sim().OpenKeyCount(), 0);
    Sim().OnProcessMessages(nullptr);
  }
}

// --- Auto-tune ------------------------------------------------------------------------------

class AutoTuneSimTest : public ProcessorLoadSimTest {
 protected:
  static void Figure(const std::string& name, std::int32_t value) {
    SetRawDword(kHKeyCurrentUser, kAutoTuneKey, name, static_cast<std::uint32_t>(value));
  }
  static std::int64_t Stored(const std::string& name) {
    return RawDword(kHKeyCurrentUser, kAutoTuneKey, name, -1);
  }
  // The runner's registry object; whatever its root, the figures are the user's.
  Registry reg;
};

TEST_F(AutoTuneSimTest, ThePauseFollowsTheLoadAfterTheItem) {
  struct Case {
    const char* what;
    std::int32_t postPrevious, post, pre, high;  // 0: absent
    std::int32_t pause, tuned, stored;
  };
  const Case cases[] = {
      {"steady, 5000", 40, 40, 50, 100, 5000, 4600, 4500},
      {"steady, 1000", 40, 40, 50, 100, 1000, 920, 920},
      {"steady but nearly idle", 10, 10, 50, 100, 2000, 4050, 3950},
      {"the load fell: 2150 more, averaged", 20, 30, 50, 100, 1000, 2075, 1975},
      {"the load rose: held at 1000", 20, 90, 10, 90, 2000, 1000, 1000},
      {"a long pause: held at 10000", 20, 10, 100, 10, 5000, 10000, 9900},
      // -3965 exactly; 41 / 5 / 4 in binary floating point gives -3964.999..., cut to -3964.
      {"above the highest figure", 20, 41, 28, 5, 5000, 3017, 2917},
      {"no HighCPUStat", 20, 30, 50, 0, 3000, 3000, 2900},
      {"no HighCPUStat, short", 20, 30, 50, 0, 800, 800, 800},
      {"no figure before", 20, 30, 0, 100, 3000, 3000, 2900},
      {"no figure after", 20, 0, 50, 100, 3000, 3000, 2900},
  };
  reg.SetDefaultRoot(kHKeyLocalMachine);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DeleteKeyTree(kHKeyCurrentUser, SeamPath(kAutoTuneKey));
    if (c.postPrevious != 0) Figure("app_POST_PREVIOUS", c.postPrevious);
    if (c.post != 0) Figure("app_POST", c.post);
    if (c.pre != 0) Figure("app_PRE", c.pre);
    if (c.high != 0) Figure(kHighCPUStatValue, c.high);
    EXPECT_EQ(TunePause(reg, "app", c.pause), c.tuned);
    EXPECT_EQ(RawDword(kHKeyCurrentUser, kCustomDelaysKey, "app_tunned"), c.stored);
  }
  EXPECT_FALSE(RawKeyExists(kHKeyLocalMachine, kCustomDelaysKey));
  EXPECT_FALSE(RawKeyExists(kHKeyLocalMachine, kAutoTuneKey));
}

// Before the item the old figure is kept first and then blended; after the item the figure is
// blended first and the new one kept.
TEST_F(AutoTuneSimTest, TheSamplersKeepThePreviousFigureInTheirOwnOrder) {
  reg.SetDefaultRoot(kHKeyLocalMachine);
  Figure("app_PRE", 50);
  Figure("app_POST", 50);
  Sim().SetProcessorLoad(20);
  SampleBeforeItem(reg, "app");
  EXPECT_EQ(Stored("app_PRE_PREVIOUS"), 50);
  EXPECT_EQ(Stored("app_PRE"), 32);  // 20 x 0.6 + 50 x 0.4
  SampleAfterItem(reg, "app");
  EXPECT_EQ(Stored("app_POST"), 32);
  EXPECT_EQ(Stored("app_POST_PREVIOUS"), 32);
  // An item seen for the first time.
  SampleBeforeItem(reg, "new");
  EXPECT_EQ(Stored("new_PRE_PREVIOUS"), 0);
  EXPECT_EQ(Stored("new_PRE"), 12);
  SampleAfterItem(reg, "new");
  EXPECT_EQ(Stored("new_POST"), 12);
  EXPECT_EQ(Stored("new_POST_PREVIOUS"), 12);
  EXPECT_EQ(LowestCPUFigure(), 12);
  EXPECT_EQ(HighestCPUFigure(), 32);
  EXPECT_FALSE(RawKeyExists(kHKeyLocalMachine, kAutoTuneKey));
}

TEST_F(AutoTuneSimTest, WithAutoTuneOffTheSamplersNeitherSampleNorWrite) {
  SharedOptions().SetChecked(kDisableAutoTuneOption, true);
  const std::size_t mark = Sim().Sleeps().size();
  SampleBeforeItem(reg, "app");
  SampleAfterItem(reg, "app");
  EXPECT_TRUE(SleepsSince(mark).empty());
  EXPECT_FALSE(RawKeyExists(kHKeyCurrentUser, kAutoTuneKey));
  EXPECT_FALSE(RawKeyExists(kHKeyLocalMachine, kAutoTuneKey));
  EXPECT_EQ(LowestCPUFigure(), 100);
  EXPECT_EQ(HighestCPUFigure(), 0);
}

}  // namespace
}  // namespace lw::test
