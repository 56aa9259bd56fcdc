// Auto-tune: the per-item load figures and the pause tuned from them.
//
// Before an item the figure so far is kept as the previous one and then blended with a new
// sample; after the item's pause the figure is blended first and then kept. An item whose
// after-figure did not move since the last logon and is not idle gets 8 % less pause; any
// other item gets a pause that grows when the load fell after it and shrinks when it rose,
// scaled by how busy the machine was after it compared with the busiest figure seen, averaged
// with the old pause and held between one and ten seconds.
//
// The arithmetic is done in whole numbers where the factors are whole (a factor such as 0.92
// has no exact binary form, and a product that lands just below a whole number would be cut
// one too low); only figures far outside any load in percent leave it to floating point.

#include "runner/AutoTune.h"

#include <cstdlib>

#include "runner/ProcessorLoad.h"
#include "store/SettingsStore.h"
#include "ui/Options.h"

namespace lw {

namespace {

constexpr std::int32_t kSteadyFloor = 10;
constexpr std::int64_t kSteadyPercent = 92;
constexpr std::int32_t kShortestTunedPause = 1000;
constexpr std::int32_t kLongestTunedPause = 10000;
// Growths beyond this are cut: the pause is held to ten seconds anyway.
constexpr double kGrowthLimit = 1e12;
constexpr std::int64_t kWholeLimit = std::int64_t{1} << 31;

// (pre - post) * 100, scaled by 1 + post / high / 4, truncated toward zero.
std::int64_t Growth(std::int64_t pre, std::int64_t post, std::int64_t high) {
  const std::int64_t change = (pre - post) * 100;
  // change * (1 + post / (4 high)) = change * (4 high + post) / (4 high)
  const std::int64_t scale = 4 * high + post;
  if (std::llabs(change) < kWholeLimit && std::llabs(scale) < kWholeLimit) {
    return change * scale / (4 * high);
  }
  double growth = static_cast<double>(change) *
                  (static_cast<double>(post) / static_cast<double>(high) / 4.0 + 1.0);
  if (growth > kGrowthLimit) growth = kGrowthLimit;
  if (growth < -kGrowthLimit) growth = -kGrowthLimit;
  return static_cast<std::int64_t>(growth);
}

}  // namespace

void SampleBeforeItem(ItemRecord& record) {
  if (SharedOptions().DisableAutoTune()) return;
  const std::int32_t stored = record.pre.Get();
  const std::int32_t sample = GetCpuUsage();
  record.prePrevious = {stored, {}};
  record.pre = {BlendAutoTune(stored, sample), {}};
  record.beforeTaken = true;
}

void SampleAfterItem(ItemRecord& record) {
  if (SharedOptions().DisableAutoTune()) return;
  const std::int32_t stored = record.post.Get();
  const std::int32_t figure = BlendAutoTune(stored, GetCpuUsage());
  record.post = {figure, {}};
  record.postPrevious = {figure, {}};
  record.afterTaken = true;
}

std::int32_t TunePause(ItemRecord& record, std::int32_t highestFigure, std::int32_t pause) {
  const std::int32_t postPrevious = record.postPrevious.Get();
  const std::int32_t post = record.post.Get();
  std::int64_t tuned = pause;
  if (postPrevious == post && post > kSteadyFloor) {
    tuned = tuned * kSteadyPercent / 100;
  } else {
    const std::int64_t pre = record.pre.Get();
    const std::int64_t high = highestFigure;
    if (pre != 0 && post != 0 && high != 0) {
      const std::int64_t target = Growth(pre, post, high) + pause;
      tuned = (target + pause) / 2;
      if (tuned > kLongestTunedPause) tuned = kLongestTunedPause;
      if (tuned < kShortestTunedPause) tuned = kShortestTunedPause;
    }
  }
  const auto result = static_cast<std::int32_t>(tuned);
  record.tunedPause = {result, {}};
  record.pauseTuned = true;
  return result;
}

void SampleBeforeItem(Registry& /*reg*/, const std::string& itemKey) {
  if (SharedOptions().DisableAutoTune()) return;
  ItemRecord record = ReadItemRecord(itemKey, false);
  SampleBeforeItem(record);
  SaveLearnt(record);
}

void SampleAfterItem(Registry& /*reg*/, const std::string& itemKey) {
  if (SharedOptions().DisableAutoTune()) return;
  ItemRecord record = ReadItemRecord(itemKey, false);
  SampleAfterItem(record);
  SaveLearnt(record);
}

std::int32_t TunePause(Registry& /*reg*/, const std::string& itemKey, std::int32_t pause) {
  ItemRecord record = ReadItemRecord(itemKey, false);
  const std::int32_t tuned = TunePause(record, GetHighCPUStat(), pause);
  SaveLearnt(record);
  return tuned;
}

}  // namespace lw
