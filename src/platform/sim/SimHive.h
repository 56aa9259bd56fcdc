#pragma once
// The simulated hive file: what RegSaveKey writes and RegLoadKey reads. A text file of key and
// value records, every name and datum in hexadecimal so that any byte survives the round trip.

#include <string>

#include "platform/sim/SimState.h"

namespace lw::sim {

std::string SerializeHive(const RegNode& key);
// Fills the empty key with the saved keys and values; false when the bytes are no hive.
bool ParseHive(const std::string& bytes, RegNode* key);

}  // namespace lw::sim
