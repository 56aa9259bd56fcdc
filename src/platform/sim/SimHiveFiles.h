#pragma once
// RegLoadKey, RegUnLoadKey and RegSaveKey of the simulated registry: hives kept as files of the
// simulated file system.

#include <string>

#include "platform/sim/SimState.h"

namespace lw::sim {

// Mounts the hive file as root\subKey. Needs the backup and restore privileges enabled; the
// file is then held by the registry (in use for everyone else) until it is unloaded.
long LoadHive(SimPlatform::State& state, HKey root, const std::string& subKey,
              const std::string& file);
// Writes the mount back to its file and removes it; refused while a handle into it is open.
long UnloadHive(SimPlatform::State& state, HKey root, const std::string& subKey);
// Writes the key and its subtree to a new file; needs the backup privilege enabled.
long SaveHive(SimPlatform::State& state, const RegNode& key, const std::string& file);
// Writes a loaded hive back to its file.
long WriteHiveBack(SimPlatform::State& state, const RegNode& hiveRoot);

}  // namespace lw::sim
