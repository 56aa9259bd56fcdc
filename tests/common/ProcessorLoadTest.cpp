// The processor-load reader where the simulation and Windows must agree: the search through a
// performance-data block (built here, so the same bytes go through both builds), the system's
// class, and a real sample of the running machine.

#include "runner/ProcessorLoad.h"

#include <cstdint>
#include <string>
#include <vector>

#include "platform/PerfDataBlock.h"
#include "support/TestEnv.h"
#include "util/ErrorLog.h"

namespace lw::test {
namespace {

using perf::BuildPerfDataBlock;
using perf::ObjectSpec;
using perf::PutU32;

constexpr std::uint64_t kTime = 0x0123456789ABCDEFull;
constexpr std::uint64_t kIdle0 = 0x1111222233334444ull;
constexpr std::uint64_t kIdleTotal = 0x0888911119999222ull;

std::uint32_t U32(const std::vector<std::uint8_t>& block, std::size_t at) {
  return static_cast<std::uint32_t>(block[at]) | static_cast<std::uint32_t>(block[at + 1]) << 8 |
         static_cast<std::uint32_t>(block[at + 2]) << 16 |
         static_cast<std::uint32_t>(block[at + 3]) << 24;
}

ObjectSpec SystemObject() { return {2, {{146, {7}}}, {}}; }

// The Processor object as Windows serves it: "% User Time" before "% Processor Time", the
// processors and "_Total" as instances. Processor 0 is idle, processor 1 busy; "_Total" holds
// their mean.
ObjectSpec ProcessorObject() {
  return {kPerfProcessorObject,
          {{142, {11, 12, 13}}, {kPerfProcessorTimeCounter, {kIdle0, 0, kIdleTotal}}},
          {"0", "1", "_Total"}};
}

struct Parsed {
  bool ok = false;
  std::int64_t value = -1;
  std::int64_t time = -1;
  std::string diag = "<none>";
};

// Parses a copy of exactly the block's size, so that a read past its end is a heap overflow
// that the address sanitizer reports.
Parsed Parse(const std::vector<std::uint8_t>& block) {
  std::vector<std::uint8_t> exact(block.begin(), block.end());
  Parsed parsed;
  parsed.ok = ParseProcessorCounter(exact.empty() ? nullptr : exact.data(), exact.size(),
                                    &parsed.value, &parsed.time, &parsed.diag);
  return parsed;
}

TEST(CpuUsageParseTest, FindsTheWholeMachinesIdleCounterOrSaysWhatItSaw) {
  struct Case {
    const char* what;
    std::vector<ObjectSpec> objects;
    bool ok;
    std::int64_t value;
    std::string diag;
  };
  ObjectSpec noInstances = ProcessorObject();
  noInstances.instances.clear();
  noInstances.counters[1].values = {77};
  ObjectSpec noIdle = ProcessorObject();
  noIdle.counters[1].titleIndex = 144;
  ObjectSpec noCounters = ProcessorObject();
  noCounters.counters.clear();
  ObjectSpec totalFirst = ProcessorObject();
  totalFirst.instances = {"_Total", "0", "1"};
  totalFirst.counters[1].values = {kIdleTotal, kIdle0, 0};
  // Without "_Total" every processor counts alike; a name that only begins like it is none.
  ObjectSpec noTotal = ProcessorObject();
  noTotal.instances = {"0", "1", "_Totals"};
  noTotal.counters[1].values = {100, 300, 800};
  const Case cases[] = {
      {"after another object",
       {SystemObject(), ProcessorObject()},
       true,
       static_cast<std::int64_t>(kIdleTotal),
       ""},
      {"first of several",
       {ProcessorObject(), SystemObject()},
       true,
       static_cast<std::int64_t>(kIdleTotal),
       ""},
      {"_Total before the processors",
       {SystemObject(), totalFirst},
       true,
       static_cast<std::int64_t>(kIdleTotal),
       ""},
      {"without _Total: the mean", {SystemObject(), noTotal}, true, 400, ""},
      {"without instances", {SystemObject(), noInstances}, true, 77, ""},
      {"objects 2, 4 and 230 only",
       {SystemObject(), {4, {{10, {1}}}, {}}, {230, {{6, {1}}}, {"x"}}},
       false,
       0,
       "NumObjectTypes: 3Performance Objects - 238 not found in \r\n-2-4-230"},
      {"no objects", {}, false, 0, "NumObjectTypes: 0Performance Objects - 238 not found in \r\n"},
      {"Processor without counter 6",
       {SystemObject(), noIdle},
       false,
       0,
       "Counter Index 6 not found in - \r\n-142-144"},
      {"Processor without counters", {noCounters}, false, 0, "Counter Index 6 not found in - \r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Parsed parsed = Parse(BuildPerfDataBlock(c.objects, kTime));
    ASSERT_EQ(parsed.ok, c.ok) << parsed.diag;
    if (c.ok) {
      EXPECT_EQ(parsed.value, c.value);
      EXPECT_EQ(parsed.time, static_cast<std::int64_t>(kTime));
    } else {
      EXPECT_EQ(parsed.diag, c.diag);
    }
  }
}

// Where the fields of the block built from SystemObject() and ProcessorObject() lie.
struct Layout {
  explicit Layout(const std::vector<std::uint8_t>& block) {
    system = U32(block, perf::kBlockHeaderLength);
    processor = system + U32(block, system + perf::kObjectTotalByteLength);
    userCounter = processor + U32(block, processor + perf::kObjectHeaderLength);
    idleCounter = userCounter + perf::kCounterSize;
    instance = processor + U32(block, processor + perf::kObjectDefinitionLength);
    counterBlock = instance + U32(block, instance + perf::kInstanceByteLength);
    total = counterBlock + U32(block, counterBlock);
    total += U32(block, total + perf::kInstanceByteLength);
    total += U32(block, total);
    valueEnd = total + U32(block, total + perf::kInstanceByteLength);
    valueEnd += U32(block, valueEnd);
  }
  std::size_t system;
  std::size_t processor;
  std::size_t userCounter;
  std::size_t idleCounter;
  std::size_t instance;      // processor 0's
  std::size_t counterBlock;  // processor 0's
  std::size_t total;         // the "_Total" instance
  std::size_t valueEnd;      // the end of its counter block
};

// A block cut short is refused, also when its own lengths are made to agree with the cut;
// then only a cut that keeps the "_Total" counter block whole can still be read.
TEST(CpuUsageParseTest, ATruncatedBlockIsNeverReadPastItsEnd) {
  const std::vector<std::uint8_t> block =
      BuildPerfDataBlock({SystemObject(), ProcessorObject()}, kTime);
  const Layout at(block);
  for (std::size_t cut = 0; cut < block.size(); ++cut) {
    SCOPED_TRACE(cut);
    std::vector<std::uint8_t> prefix(block.begin(), block.begin() + cut);
    EXPECT_FALSE(Parse(prefix).ok);
    if (cut >= perf::kBlockTotalByteLength + 4) {
      PutU32(prefix, perf::kBlockTotalByteLength, static_cast<std::uint32_t>(cut));
    }
    if (cut >= at.processor + 4) {
      PutU32(prefix, at.processor + perf::kObjectTotalByteLength,
             static_cast<std::uint32_t>(cut - at.processor));
    }
    const Parsed parsed = Parse(prefix);
    EXPECT_EQ(parsed.ok, cut >= at.valueEnd);
    if (parsed.ok) {
      EXPECT_EQ(parsed.value, static_cast<std::int64_t>(kIdleTotal));
    }
  }
}

// Every length and count of the block, made to lie: too small to move on, pointing past what
// holds it, or at the top of the range (where an unchecked sum would wrap).
TEST(CpuUsageParseTest, LyingLengthsMakeTheCounterMissingNotARead) {
  const std::vector<std::uint8_t> block =
      BuildPerfDataBlock({SystemObject(), ProcessorObject()}, kTime);
  const Layout at(block);
  const auto size = static_cast<std::uint32_t>(block.size());
  constexpr std::uint32_t kTop = 0xFFFFFFFFu;
  struct Case {
    const char* field;
    std::size_t offset;
    std::vector<std::uint32_t> lies;
    bool ok;  // a lie that the search never needs to believe
  };
  const Case cases[] = {
      {"block TotalByteLength",
       perf::kBlockTotalByteLength,
       {0, 87, size - 1, size + 1, kTop},
       false},
      {"block HeaderLength", perf::kBlockHeaderLength, {0, 87, size, kTop - 7}, false},
      {"NumObjectTypes too small", perf::kBlockNumObjectTypes, {0, 1}, false},
      {"NumObjectTypes too large", perf::kBlockNumObjectTypes, {3, kTop}, true},
      {"first object TotalByteLength",
       at.system + perf::kObjectTotalByteLength,
       {0, 63, size, kTop - 7},
       false},
      {"Processor TotalByteLength",
       at.processor + perf::kObjectTotalByteLength,
       {0, 63, size - static_cast<std::uint32_t>(at.processor) + 1, kTop},
       false},
      {"Processor DefinitionLength",
       at.processor + perf::kObjectDefinitionLength,
       {0, 63, size, kTop},
       false},
      {"Processor HeaderLength",
       at.processor + perf::kObjectHeaderLength,
       {0, 63, 64 + 2 * 40 + 1, kTop},
       false},
      {"NumCounters too small", at.processor + perf::kObjectNumCounters, {0, 1}, false},
      {"NumCounters too large", at.processor + perf::kObjectNumCounters, {3, kTop}, true},
      {"NumInstances", at.processor + perf::kObjectNumInstances, {0}, false},
      {"NumInstances too large", at.processor + perf::kObjectNumInstances, {4, 1000}, true},
      {"first counter ByteLength",
       at.userCounter + perf::kCounterByteLength,
       {0, 39, kTop - 3},
       false},
      {"CounterOffset",
       at.idleCounter + perf::kCounterOffset,
       {8 * 3 + 1, 0x7FFFFFFF, kTop - 3},
       false},
      {"instance ByteLength",
       at.instance + perf::kInstanceByteLength,
       {0, 23, size, kTop - 7},
       false},
      {"counter block ByteLength", at.counterBlock, {0, 8 * 3 - 1, size, kTop}, false},
      {"_Total NameOffset", at.total + perf::kInstanceNameOffset, {27, 0x7FFFFFFF, kTop}, false},
      {"_Total NameLength", at.total + perf::kInstanceNameLength, {17, kTop}, false},
  };
  for (const Case& c : cases) {
    for (std::uint32_t lie : c.lies) {
      SCOPED_TRACE(std::string(c.field) + " = " + std::to_string(lie));
      std::vector<std::uint8_t> patched = block;
      PutU32(patched, c.offset, lie);
      const Parsed parsed = Parse(patched);
      EXPECT_EQ(parsed.ok, c.ok);
      if (parsed.ok) {
        EXPECT_EQ(parsed.value, static_cast<std::int64_t>(kIdleTotal));
      }
      EXPECT_LT(parsed.diag.size(), 200u);
    }
  }
}

using ProcessorLoadTest = PlatformTest;

// The simulated machine is Windows XP; Wine poses as Windows 7, which reads the load the NT way.
TEST_F(ProcessorLoadTest, TheRunningSystemReadsTheLoadTheNtWay) {
  EXPECT_EQ(GetOsClass(), IsRealWindows() ? kOsClassNtLater : kOsClassXp);
}

// Wine serves no Processor object; the reader then measures the machine through
// GetSystemTimes and the sample is still a load, not a failure.
TEST_F(ProcessorLoadTest, ASampleOfTheRunningMachineIsAPercentage) {
  InitializeErrorLog();
  InitializeProcessorLoad();
  for (int i = 0; i < 3; ++i) {
    const double load = SampleCpuUsage();
    EXPECT_GE(load, 0.0);
    EXPECT_LE(load, 100.0);
    // The simulated processors run at 20 % unless told otherwise.
    if (!IsRealWindows()) {
      EXPECT_EQ(load, 20.0);
    }
  }
  EXPECT_FALSE(CpuSamplingFailed());
  FinalizeProcessorLoad();
  EXPECT_EQ(ReadWholeFile(ErrorLogPath()), "");
  FinalizeErrorLog();
}

}  // namespace
}  // namespace lw::test
