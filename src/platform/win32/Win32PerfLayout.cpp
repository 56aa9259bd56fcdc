// The performance-data layout that the portable code reads (PerfDataBlock.h) checked against
// the system's own definitions, so that a difference stops the build instead of a reading.

#include <cstddef>

#include "platform/PerfDataBlock.h"
#include "platform/WinConst.h"
#include "platform/win32/Win32Api.h"

#include <winperf.h>

namespace lw::perf {

static_assert(sizeof(PERF_DATA_BLOCK) == kBlockSize);
static_assert(offsetof(PERF_DATA_BLOCK, TotalByteLength) == kBlockTotalByteLength);
static_assert(offsetof(PERF_DATA_BLOCK, HeaderLength) == kBlockHeaderLength);
static_assert(offsetof(PERF_DATA_BLOCK, NumObjectTypes) == kBlockNumObjectTypes);
static_assert(offsetof(PERF_DATA_BLOCK, PerfTime100nSec) == kBlockPerfTime100nSec);

static_assert(sizeof(PERF_OBJECT_TYPE) == kObjectSize);
static_assert(offsetof(PERF_OBJECT_TYPE, TotalByteLength) == kObjectTotalByteLength);
static_assert(offsetof(PERF_OBJECT_TYPE, DefinitionLength) == kObjectDefinitionLength);
static_assert(offsetof(PERF_OBJECT_TYPE, HeaderLength) == kObjectHeaderLength);
static_assert(offsetof(PERF_OBJECT_TYPE, ObjectNameTitleIndex) == kObjectNameTitleIndex);
static_assert(offsetof(PERF_OBJECT_TYPE, NumCounters) == kObjectNumCounters);
static_assert(offsetof(PERF_OBJECT_TYPE, NumInstances) == kObjectNumInstances);

static_assert(sizeof(PERF_COUNTER_DEFINITION) == kCounterSize);
static_assert(offsetof(PERF_COUNTER_DEFINITION, ByteLength) == kCounterByteLength);
static_assert(offsetof(PERF_COUNTER_DEFINITION, CounterNameTitleIndex) == kCounterNameTitleIndex);
static_assert(offsetof(PERF_COUNTER_DEFINITION, CounterOffset) == kCounterOffset);

static_assert(sizeof(PERF_INSTANCE_DEFINITION) == kInstanceSize);
static_assert(offsetof(PERF_INSTANCE_DEFINITION, ByteLength) == kInstanceByteLength);
static_assert(offsetof(PERF_INSTANCE_DEFINITION, NameOffset) == kInstanceNameOffset);
static_assert(offsetof(PERF_INSTANCE_DEFINITION, NameLength) == kInstanceNameLength);

// The counter block starts with its own length, which the reader checks values against.
static_assert(offsetof(PERF_COUNTER_BLOCK, ByteLength) == 0);
static_assert(sizeof(PERF_COUNTER_BLOCK) == 4);

static_assert(PERF_NO_INSTANCES == kPerfNoInstances);

}  // namespace lw::perf
