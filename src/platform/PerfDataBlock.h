#pragma once
// The layout of the performance data that RegQueryValueEx returns under HKEY_PERFORMANCE_DATA
// (the 32-bit layout of winperf.h; the Win32 seam checks these offsets against the system
// headers), and a builder of such blocks for the simulation and the tests.
//
// A block is a PERF_DATA_BLOCK, then its objects. Each PERF_OBJECT_TYPE is followed by its
// PERF_COUNTER_DEFINITIONs; its data start DefinitionLength bytes after the object: either one
// PERF_COUNTER_BLOCK (an object without instances) or, per instance, a PERF_INSTANCE_DEFINITION
// (ByteLength bytes, its name included) and that instance's PERF_COUNTER_BLOCK. A counter's
// value lies CounterOffset bytes after the start of its counter block.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace lw::perf {

// PERF_DATA_BLOCK
inline constexpr std::size_t kBlockSize = 88;
inline constexpr std::size_t kBlockTotalByteLength = 20;
inline constexpr std::size_t kBlockHeaderLength = 24;
inline constexpr std::size_t kBlockNumObjectTypes = 28;
inline constexpr std::size_t kBlockPerfTime100nSec = 72;
// PERF_OBJECT_TYPE
inline constexpr std::size_t kObjectSize = 64;
inline constexpr std::size_t kObjectTotalByteLength = 0;
inline constexpr std::size_t kObjectDefinitionLength = 4;
inline constexpr std::size_t kObjectHeaderLength = 8;
inline constexpr std::size_t kObjectNameTitleIndex = 12;
inline constexpr std::size_t kObjectNumCounters = 32;
inline constexpr std::size_t kObjectNumInstances = 40;
// PERF_COUNTER_DEFINITION
inline constexpr std::size_t kCounterSize = 40;
inline constexpr std::size_t kCounterByteLength = 0;
inline constexpr std::size_t kCounterNameTitleIndex = 4;
inline constexpr std::size_t kCounterOffset = 36;
// PERF_INSTANCE_DEFINITION; the name (UTF-16, NameLength bytes with its terminating zero) lies
// NameOffset bytes after the start of the definition.
inline constexpr std::size_t kInstanceSize = 24;
inline constexpr std::size_t kInstanceByteLength = 0;
inline constexpr std::size_t kInstanceNameOffset = 16;
inline constexpr std::size_t kInstanceNameLength = 20;

// What to put in a block. Every counter is a 64-bit value.
struct CounterSpec {
  std::uint32_t titleIndex = 0;
  // The value per instance (one value for an object without instances).
  std::vector<std::uint64_t> values;
};

struct ObjectSpec {
  std::uint32_t titleIndex = 0;
  std::vector<CounterSpec> counters;
  // Instance names; none (and NumInstances = PERF_NO_INSTANCES) when empty.
  std::vector<std::string> instances;
};

// A well-formed block with the objects in order and PerfTime100nSec = time100ns.
std::vector<std::uint8_t> BuildPerfDataBlock(const std::vector<ObjectSpec>& objects,
                                             std::uint64_t time100ns);

// Little-endian field access for building and for patching blocks in tests.
void PutU32(std::vector<std::uint8_t>& block, std::size_t at, std::uint32_t value);
void PutU64(std::vector<std::uint8_t>& block, std::size_t at, std::uint64_t value);

}  // namespace lw::perf
