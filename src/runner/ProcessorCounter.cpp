// The search for the machine's idle counter in a performance-data block (ProcessorLoad).
//
// The block comes from the system, but its lengths are not taken on trust: every part must
// lie inside what holds it (the objects inside the block, the counter definitions inside their
// object's definition, the instance and its counter block inside the object, the value inside
// its counter block), and every length that moves the search on must move it at least one
// whole record, so a zero or a lie can neither loop nor read past the end. Each object seen
// adds a few characters to the diagnostic, and the objects cannot be more than the block
// holds, so the text stays small. The instances are walked the same way, each name inside its
// definition and each counter block inside the object.

#include <string>

#include "platform/PerfDataBlock.h"
#include "platform/WinConst.h"
#include "runner/ProcessorLoad.h"

namespace lw {

namespace {

// PERF_COUNTER_BLOCK: its length, the 4 bytes at its start.
constexpr std::size_t kCounterBlockLengthSize = 4;
constexpr std::uint32_t kNoInstances = static_cast<std::uint32_t>(kPerfNoInstances);

class BlockView {
 public:
  BlockView(const std::uint8_t* data, std::size_t size)
      : data_(data), size_(data != nullptr ? size : 0) {}

  std::size_t Size() const { return size_; }
  // True when count bytes from at lie inside [0, end).
  static bool Within(std::size_t at, std::size_t count, std::size_t end) {
    return at <= end && end - at >= count;
  }
  std::uint32_t U32(std::size_t at) const {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
      value |= static_cast<std::uint32_t>(data_[at + i]) << (8 * i);
    return value;
  }
  std::uint32_t U16(std::size_t at) const {
    return static_cast<std::uint32_t>(data_[at]) | static_cast<std::uint32_t>(data_[at + 1]) << 8;
  }
  std::uint64_t U64(std::size_t at) const {
    return static_cast<std::uint64_t>(U32(at)) | static_cast<std::uint64_t>(U32(at + 4)) << 32;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};

// The Processor object's offset in the block; false when it is not there. Adds "-" and the
// index of every object it looks at to *seen.
bool FindProcessorObject(const BlockView& block, std::size_t end, std::size_t* object,
                         std::string* seen) {
  const std::uint32_t count = block.U32(perf::kBlockNumObjectTypes);
  std::size_t at = block.U32(perf::kBlockHeaderLength);
  if (at < perf::kBlockSize) return false;
  for (std::uint32_t i = 0; i < count && BlockView::Within(at, perf::kObjectSize, end); ++i) {
    const std::uint32_t index = block.U32(at + perf::kObjectNameTitleIndex);
    seen->append("-").append(std::to_string(index));
    if (index == kPerfProcessorObject) {
      *object = at;
      return true;
    }
    const std::uint32_t length = block.U32(at + perf::kObjectTotalByteLength);
    if (length < perf::kObjectSize || !BlockView::Within(at, length, end)) return false;
    at += length;
  }
  return false;
}

// The counter's CounterOffset; false when the object has no counter 6. Adds "-" and the
// index of every counter definition it looks at to *seen.
bool FindIdleCounter(const BlockView& block, std::size_t object, std::size_t objectEnd,
                     std::uint32_t* counterOffset, std::string* seen) {
  const std::uint32_t headerLength = block.U32(object + perf::kObjectHeaderLength);
  const std::uint32_t definitionLength = block.U32(object + perf::kObjectDefinitionLength);
  if (headerLength < perf::kObjectSize || definitionLength < headerLength ||
      !BlockView::Within(object, definitionLength, objectEnd)) {
    return false;
  }
  const std::size_t definitionsEnd = object + definitionLength;
  const std::uint32_t count = block.U32(object + perf::kObjectNumCounters);
  std::size_t at = object + headerLength;
  for (std::uint32_t i = 0; i < count && BlockView::Within(at, perf::kCounterSize, definitionsEnd);
       ++i) {
    const std::uint32_t index = block.U32(at + perf::kCounterNameTitleIndex);
    seen->append("-").append(std::to_string(index));
    if (index == kPerfProcessorTimeCounter) {
      *counterOffset = block.U32(at + perf::kCounterOffset);
      return true;
    }
    const std::uint32_t length = block.U32(at + perf::kCounterByteLength);
    if (length < perf::kCounterSize || !BlockView::Within(at, length, definitionsEnd)) {
      return false;
    }
    at += length;
  }
  return false;
}

// The counter in the counter block at `at`; false when the block does not lie inside the
// object or does not hold the counter.
bool ReadCounter(const BlockView& block, std::size_t at, std::size_t objectEnd,
                 std::uint32_t counterOffset, std::uint64_t* value, std::size_t* next) {
  if (!BlockView::Within(at, kCounterBlockLengthSize, objectEnd)) return false;
  const std::uint32_t length = block.U32(at);
  if (!BlockView::Within(at, length, objectEnd) ||
      !BlockView::Within(counterOffset, sizeof(std::uint64_t), length)) {
    return false;
  }
  *value = block.U64(at + counterOffset);
  *next = at + length;
  return true;
}

// Whether the instance definition at `at` (ByteLength bytes) is named "_Total"; false with
// *lies set when its name does not lie inside it.
bool IsTotalInstance(const BlockView& block, std::size_t at, std::uint32_t byteLength, bool* lies) {
  static constexpr char kTotal[] = "_Total";
  const std::uint32_t offset = block.U32(at + perf::kInstanceNameOffset);
  const std::uint32_t length = block.U32(at + perf::kInstanceNameLength);
  if (length == 0) return false;  // no name
  if (!BlockView::Within(offset, length, byteLength)) {
    *lies = true;
    return false;
  }
  if (length < sizeof kTotal * 2) return false;
  for (std::size_t i = 0; i < sizeof kTotal; ++i) {
    if (block.U16(at + offset + 2 * i) != static_cast<unsigned char>(kTotal[i])) return false;
  }
  return true;
}

// The counter for the whole machine: the "_Total" instance's, else (a block without one) the
// mean of every instance's, or the object's own when it has no instances. Every processor
// counts: one idle processor says nothing of a machine whose others are busy.
bool ReadMachineValue(const BlockView& block, std::size_t object, std::size_t objectEnd,
                      std::uint32_t counterOffset, std::uint64_t* value) {
  std::size_t at = object + block.U32(object + perf::kObjectDefinitionLength);
  const std::uint32_t instances = block.U32(object + perf::kObjectNumInstances);
  if (instances == 0) return false;
  std::size_t next = 0;
  if (instances == kNoInstances) {
    return ReadCounter(block, at, objectEnd, counterOffset, value, &next);
  }
  std::uint64_t sum = 0;
  for (std::uint32_t i = 0; i < instances; ++i) {
    if (!BlockView::Within(at, perf::kInstanceSize, objectEnd)) return false;
    const std::uint32_t length = block.U32(at + perf::kInstanceByteLength);
    if (length < perf::kInstanceSize || !BlockView::Within(at, length, objectEnd)) return false;
    bool lies = false;
    const bool total = IsTotalInstance(block, at, length, &lies);
    std::uint64_t counter = 0;
    if (lies || !ReadCounter(block, at + length, objectEnd, counterOffset, &counter, &next)) {
      return false;
    }
    if (total) {
      *value = counter;
      return true;
    }
    sum += counter;
    at = next;
  }
  *value = sum / instances;
  return true;
}

}  // namespace

bool ParseProcessorCounter(const std::uint8_t* data, std::size_t size, std::int64_t* value,
                           std::int64_t* time, std::string* diag) {
  const BlockView block(data, size);
  const bool headerFits = block.Size() >= perf::kBlockSize;
  std::string seen =
      "NumObjectTypes: " + std::to_string(headerFits ? block.U32(perf::kBlockNumObjectTypes) : 0) +
      "Performance Objects - 238 not found in \r\n";
  std::size_t object = 0;
  bool found = false;
  std::uint64_t counter = 0;
  if (headerFits) {
    // The block says how much of it there is; a block cut short says more than it holds.
    const std::uint32_t total = block.U32(perf::kBlockTotalByteLength);
    const std::size_t end = total;
    if (end >= perf::kBlockSize && end <= block.Size() &&
        FindProcessorObject(block, end, &object, &seen)) {
      seen = "Counter Index 6 not found in - \r\n";
      const std::uint32_t objectLength = block.U32(object + perf::kObjectTotalByteLength);
      std::uint32_t counterOffset = 0;
      found = objectLength >= perf::kObjectSize && BlockView::Within(object, objectLength, end) &&
              FindIdleCounter(block, object, object + objectLength, &counterOffset, &seen) &&
              ReadMachineValue(block, object, object + objectLength, counterOffset, &counter);
    }
  }
  if (!found) {
    if (diag != nullptr) *diag = seen;
    return false;
  }
  if (value != nullptr) *value = static_cast<std::int64_t>(counter);
  if (time != nullptr) *time = static_cast<std::int64_t>(block.U64(perf::kBlockPerfTime100nSec));
  return true;
}

}  // namespace lw
