#pragma once
// Auto-tune: before and after each item the runner takes a load figure per item; from the
// figures of earlier logons the item's pause is lengthened when the load falls after the item
// and shortened when it rises. The figures and the tuned pauses live in the per-user copy of
// the program key (see SettingsStore.h).

#include <cstdint>
#include <string>

#include "runner/ItemRecord.h"
#include "store/Registry.h"

namespace lw {

// On an item's record (the runner's pass): the figures and the tuned pause change in the
// record, marked as learnt, and are written by SaveLearnt. TunePause takes the highest figure
// of the last logon ("HighCPUStat"), which no pass changes before its end.
void SampleBeforeItem(ItemRecord& record);
void SampleAfterItem(ItemRecord& record);
std::int32_t TunePause(ItemRecord& record, std::int32_t highestFigure, std::int32_t pause);

// The samplers do nothing when the options switch auto-tune off; TunePause is only
// called when it is on. The same on the store at once: the item's record is read, changed and
// written (to the per-user hive, whatever reg's root).
void SampleBeforeItem(Registry& reg, const std::string& itemKey);
void SampleAfterItem(Registry& reg, const std::string& itemKey);
// The pause to use after the item (milliseconds), tuned from its figures; also stored as the
// item's tuned pause (100 ms less when above 1000 ms).
std::int32_t TunePause(Registry& reg, const std::string& itemKey, std::int32_t pause);

}  // namespace lw
