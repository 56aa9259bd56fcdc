// What Wine gives the processor-load reader: performance data without any object, and
// GetSystemTimes, which the reader then measures the load from.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/PerfDataBlock.h"
#include "runner/ProcessorLoad.h"
#include "support/RawRegistry.h"
#include "support/TestEnv.h"

namespace lw::test {
namespace {

using WinePerfDataWin32Test = PlatformTest;

// The local performance data are the predefined key itself; the Processor object's query
// works, but its block holds no object, and the reader says so (then measures the load from
// GetSystemTimes).
TEST_F(WinePerfDataWin32Test, ThePerformanceDataHoldNoProcessorObject) {
  HKey key = 0;
  ASSERT_EQ(Reg().ConnectRegistry(std::string(), kHKeyPerformanceData, &key), kOk);
  EXPECT_EQ(key, kHKeyPerformanceData);
  std::vector<std::uint8_t> block(1000);
  auto size = static_cast<std::uint32_t>(block.size());
  std::uint32_t type = 0;
  EXPECT_EQ(Reg().QueryValueEx(key, "238", &type, block.data(), &size), kOk);
  EXPECT_EQ(Reg().CloseKey(key), kOk);
  ASSERT_GE(size, perf::kBlockSize);
  block.resize(size);
  std::int64_t value = -1;
  std::int64_t time = -1;
  std::string diag;
  EXPECT_FALSE(ParseProcessorCounter(block.data(), block.size(), &value, &time, &diag));
  EXPECT_EQ(diag, "NumObjectTypes: 0Performance Objects - 238 not found in \r\n");
}

// The idle time is part of the kernel time, and the times of all processors together move
// on with the clock.
TEST_F(WinePerfDataWin32Test, GetSystemTimesAdvances) {
  std::uint64_t idle[2] = {};
  std::uint64_t kernel[2] = {};
  std::uint64_t user[2] = {};
  ASSERT_TRUE(Sys().GetSystemTimes(&idle[0], &kernel[0], &user[0]));
  Sys().Sleep(200);
  ASSERT_TRUE(Sys().GetSystemTimes(&idle[1], &kernel[1], &user[1]));
  for (int i = 0; i < 2; ++i) EXPECT_LE(idle[i], kernel[i]);
  const std::uint64_t total = kernel[1] + user[1] - kernel[0] - user[0];
  EXPECT_GT(total, 0u);
  EXPECT_LE(idle[1] - idle[0], total);
}

}  // namespace
}  // namespace lw::test
