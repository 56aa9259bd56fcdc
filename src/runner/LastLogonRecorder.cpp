#include "runner/LastLogonRecorder.h"

#include <algorithm>
#include <limits>

#include "runner/ProcessorLoad.h"

namespace lw {

void LastLogonRecorder::BeginPass(std::uint32_t tick) {
  ClearLastLogon(reg_);
  begun_ = true;
  passStart_ = tick;
  waiting_ = false;
}

void LastLogonRecorder::ItemStarting(const std::string& itemKey, std::uint32_t tick) {
  if (!begun_) return;
  // The tick count wraps after 49 days: the difference of two counts is still right.
  const std::uint32_t after = tick - passStart_;
  figures_.startedAfterMs = static_cast<std::int32_t>(
      std::min<std::uint32_t>(after, std::numeric_limits<std::int32_t>::max()));
  figures_.loadBefore = CpuSampleTaken() ? LastCpuSample() : kLoadUnknown;
  figures_.loadAfter = kLoadUnknown;
  itemKey_ = itemKey;
  waiting_ = true;
}

void LastLogonRecorder::LoadSampled() {
  if (!waiting_) return;
  figures_.loadAfter = LastCpuSample();
  ItemDone();
}

void LastLogonRecorder::ItemDone() {
  if (!waiting_) return;
  waiting_ = false;
  SaveLastLogonFigures(reg_, itemKey_, figures_);
}

}  // namespace lw
