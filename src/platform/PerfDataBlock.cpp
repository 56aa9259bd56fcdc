#include "platform/PerfDataBlock.h"

#include <stdexcept>

#include "platform/WinConst.h"

// Blocks are laid out the way Windows serves them: the data block's header followed by the
// computer's name, each object followed by its counter definitions, each instance definition
// followed by its name and then its counter block, every part starting on an 8-byte boundary.
// All names are UTF-16 with their terminating zero. The counter block holds its own length in
// its first 4 bytes and the 64-bit values from offset 8 on. The block's size is worked out
// first and the parts are then written in place.

namespace lw::perf {

namespace {

constexpr std::size_t kCounterBlockHeader = 8;
constexpr auto kNoInstances = static_cast<std::uint32_t>(kPerfNoInstances);
constexpr std::uint32_t kPerfNoUniqueId = 0xFFFFFFFFu;
constexpr std::uint32_t kPerfDetailNovice = 100;
constexpr std::uint32_t kPerfCounterLargeRawcount = 0x00010100u;
constexpr std::uint64_t kPerfFreq100ns = 10'000'000u;
constexpr char kSystemName[] = "LAUNCHWARD";

// More PERF_DATA_BLOCK, PERF_OBJECT_TYPE, PERF_COUNTER_DEFINITION and
// PERF_INSTANCE_DEFINITION fields: only the builder writes these.
constexpr std::size_t kBlockLittleEndian = 8;
constexpr std::size_t kBlockVersion = 12;
constexpr std::size_t kBlockRevision = 16;
constexpr std::size_t kBlockDefaultObject = 32;
constexpr std::size_t kBlockPerfTime = 56;
constexpr std::size_t kBlockPerfFreq = 64;
constexpr std::size_t kBlockSystemNameLength = 80;
constexpr std::size_t kBlockSystemNameOffset = 84;
constexpr std::size_t kObjectHelpTitleIndex = 20;
constexpr std::size_t kObjectDetailLevel = 28;
constexpr std::size_t kObjectPerfTime = 48;
constexpr std::size_t kObjectPerfFreq = 56;
constexpr std::size_t kCounterHelpTitleIndex = 12;
constexpr std::size_t kCounterDetailLevel = 24;
constexpr std::size_t kCounterType = 28;
constexpr std::size_t kCounterSizeField = 32;
constexpr std::size_t kInstanceUniqueId = 12;

std::size_t Align8(std::size_t size) { return (size + 7) & ~std::size_t{7}; }

// UTF-16 with the zero.
std::size_t NameLength(const std::string& name) { return (name.size() + 1) * 2; }

std::size_t CounterBlockLength(const ObjectSpec& object) {
  return kCounterBlockHeader + 8 * object.counters.size();
}

std::size_t InstanceLength(const std::string& name) {
  return kInstanceSize + Align8(NameLength(name));
}

std::size_t ObjectLength(const ObjectSpec& object) {
  std::size_t length = kObjectSize + kCounterSize * object.counters.size();
  if (object.instances.empty()) return length + CounterBlockLength(object);
  for (const std::string& name : object.instances) {
    length += InstanceLength(name) + CounterBlockLength(object);
  }
  return length;
}

// The block is sized once and filled in place; at is where the next part goes.
void PutName(std::vector<std::uint8_t>& block, std::size_t at, const std::string& name) {
  for (std::size_t i = 0; i < name.size(); ++i)
    block[at + 2 * i] = static_cast<std::uint8_t>(name[i]);
}

void PutCounterBlock(std::vector<std::uint8_t>& block, std::size_t* at, const ObjectSpec& object,
                     std::size_t instance) {
  const std::size_t length = CounterBlockLength(object);
  PutU32(block, *at, static_cast<std::uint32_t>(length));
  for (std::size_t i = 0; i < object.counters.size(); ++i) {
    const std::vector<std::uint64_t>& values = object.counters[i].values;
    PutU64(block, *at + kCounterBlockHeader + 8 * i,
           instance < values.size() ? values[instance] : 0);
  }
  *at += length;
}

void PutObject(std::vector<std::uint8_t>& block, std::size_t* at, const ObjectSpec& object,
               std::uint64_t time100ns) {
  const std::size_t start = *at;
  const std::size_t definitionLength = kObjectSize + kCounterSize * object.counters.size();
  PutU32(block, start + kObjectTotalByteLength, static_cast<std::uint32_t>(ObjectLength(object)));
  PutU32(block, start + kObjectDefinitionLength, static_cast<std::uint32_t>(definitionLength));
  PutU32(block, start + kObjectHeaderLength, static_cast<std::uint32_t>(kObjectSize));
  PutU32(block, start + kObjectNameTitleIndex, object.titleIndex);
  PutU32(block, start + kObjectHelpTitleIndex, object.titleIndex + 1);
  PutU32(block, start + kObjectDetailLevel, kPerfDetailNovice);
  PutU32(block, start + kObjectNumCounters, static_cast<std::uint32_t>(object.counters.size()));
  PutU32(block, start + kObjectNumInstances,
         object.instances.empty() ? kNoInstances
                                  : static_cast<std::uint32_t>(object.instances.size()));
  PutU64(block, start + kObjectPerfTime, time100ns);
  PutU64(block, start + kObjectPerfFreq, kPerfFreq100ns);
  for (std::size_t i = 0; i < object.counters.size(); ++i) {
    const std::size_t counter = start + kObjectSize + kCounterSize * i;
    PutU32(block, counter + kCounterByteLength, static_cast<std::uint32_t>(kCounterSize));
    PutU32(block, counter + kCounterNameTitleIndex, object.counters[i].titleIndex);
    PutU32(block, counter + kCounterHelpTitleIndex, object.counters[i].titleIndex + 1);
    PutU32(block, counter + kCounterDetailLevel, kPerfDetailNovice);
    PutU32(block, counter + kCounterType, kPerfCounterLargeRawcount);
    PutU32(block, counter + kCounterSizeField, 8);
    PutU32(block, counter + kCounterOffset,
           static_cast<std::uint32_t>(kCounterBlockHeader + 8 * i));
  }
  *at = start + definitionLength;
  if (object.instances.empty()) {
    PutCounterBlock(block, at, object, 0);
    return;
  }
  for (std::size_t i = 0; i < object.instances.size(); ++i) {
    const std::string& name = object.instances[i];
    PutU32(block, *at + kInstanceByteLength, static_cast<std::uint32_t>(InstanceLength(name)));
    PutU32(block, *at + kInstanceUniqueId, kPerfNoUniqueId);
    PutU32(block, *at + kInstanceNameOffset, static_cast<std::uint32_t>(kInstanceSize));
    PutU32(block, *at + kInstanceNameLength, static_cast<std::uint32_t>(NameLength(name)));
    PutName(block, *at + kInstanceSize, name);
    *at += InstanceLength(name);
    PutCounterBlock(block, at, object, i);
  }
}

}  // namespace

std::vector<std::uint8_t> BuildPerfDataBlock(const std::vector<ObjectSpec>& objects,
                                             std::uint64_t time100ns) {
  const std::size_t headerLength = kBlockSize + Align8(NameLength(kSystemName));
  std::size_t total = headerLength;
  for (const ObjectSpec& object : objects) total += ObjectLength(object);
  std::vector<std::uint8_t> block(total, 0);
  PutName(block, 0, "PERF");
  PutU32(block, kBlockLittleEndian, 1);
  PutU32(block, kBlockVersion, 1);
  PutU32(block, kBlockRevision, 1);
  PutU32(block, kBlockTotalByteLength, static_cast<std::uint32_t>(total));
  PutU32(block, kBlockHeaderLength, static_cast<std::uint32_t>(headerLength));
  PutU32(block, kBlockNumObjectTypes, static_cast<std::uint32_t>(objects.size()));
  PutU32(block, kBlockDefaultObject, objects.empty() ? 0 : objects.front().titleIndex);
  PutU64(block, kBlockPerfTime, time100ns);
  PutU64(block, kBlockPerfFreq, kPerfFreq100ns);
  PutU64(block, kBlockPerfTime100nSec, time100ns);
  PutU32(block, kBlockSystemNameLength, static_cast<std::uint32_t>(NameLength(kSystemName)));
  PutU32(block, kBlockSystemNameOffset, static_cast<std::uint32_t>(kBlockSize));
  PutName(block, kBlockSize, kSystemName);
  std::size_t at = headerLength;
  for (const ObjectSpec& object : objects) PutObject(block, &at, object, time100ns);
  return block;
}

void PutU32(std::vector<std::uint8_t>& block, std::size_t at, std::uint32_t value) {
  if (at > block.size() || block.size() - at < 4) throw std::out_of_range("PutU32 past the block");
  for (std::size_t i = 0; i < 4; ++i) block[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void PutU64(std::vector<std::uint8_t>& block, std::size_t at, std::uint64_t value) {
  if (at > block.size() || block.size() - at < 8) throw std::out_of_range("PutU64 past the block");
  for (std::size_t i = 0; i < 8; ++i) block[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace lw::perf
