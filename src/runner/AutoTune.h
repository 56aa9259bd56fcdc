#pragma once
// Auto-tune: before and after each item the runner takes a load figure per item; from the
// figures of earlier logons the item's pause is lengthened when the load falls after the item
// and shortened when it rises. The figures and the tuned pauses live in the per-user copy of
// the program key (see SettingsStore.h).

#include <cstdint>
#include <string>

#include "store/Registry.h"

namespace lw {

// The samplers do nothing when the options switch auto-tune off; TunePause is only
// called when it is on. Writes go through reg.
void SampleBeforeItem(Registry& reg, const std::string& itemKey);
void SampleAfterItem(Registry& reg, const std::string& itemKey);
// The pause to use after the item (milliseconds), tuned from its figures; also stored as the
// item's tuned pause (100 ms less when above 1000 ms).
std::int32_t TunePause(Registry& reg, const std::string& itemKey, std::int32_t pause);

}  // namespace lw
