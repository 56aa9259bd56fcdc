#pragma once
// The processor-load reader.
//
// The reader measures the load of the whole machine in percent: on the Windows 9x family from
// the kernel's statistics under HKEY_DYN_DATA, on the NT family from the performance data (the
// Processor object's "% Processor Time" of its "_Total" instance, read twice 100 ms apart).
// When the performance data lack that counter, GetSystemTimes measures it instead; only when
// neither works is the reading failed (the runner window then switches auto-tune off
// and says so). Its state (the smoothed load, the failed flag) is process-wide and shared by
// every caller.

#include <cstddef>
#include <cstdint>
#include <string>

namespace lw {

// The operating-system classes: 0 the 9x family, 1 NT 3 and 4, 2 NT 5.0, 3 NT 5.1, 4 NT 5.2
// and later. Class 0 reads the load by the 9x method, every other class by the NT method.
inline constexpr int kOsClass9x = 0;
inline constexpr int kOsClassNt4 = 1;
inline constexpr int kOsClassWin2000 = 2;
inline constexpr int kOsClassXp = 3;
inline constexpr int kOsClassNtLater = 4;
int GetOsClass();

// Unit life: sets the smoothing up, starts the statistics and takes one reading to prime them
// (100 ms of waiting). Finalising stops the statistics. May be called again afterwards.
void InitializeProcessorLoad();
void FinalizeProcessorLoad();

void StartCpuStats();
void StopCpuStats();

// Finds the Processor object (238) and its counter 6 in a performance-data block. Every length
// is checked against the block: a block that lies (a length pointing outside it, a length too
// small to move on) is treated as lacking the counter. On success *value is the whole
// machine's counter (the "_Total" instance's; without one, the mean of the instances'; without
// instances, the object's own) and *time the block's PerfTime100nSec. On failure *diag is the text
// for the error log: "NumObjectTypes: " + count + "Performance Objects - 238 not found in \r\n"
// followed by "-" + each object index seen, or, when the object was found, "Counter Index 6 not
// found in - \r\n" followed by "-" + each counter index seen.
bool ParseProcessorCounter(const std::uint8_t* block, std::size_t size, std::int64_t* value,
                           std::int64_t* time, std::string* diag);

// One NT reading: the idle counter and its time base, both in 100 ns. From the performance data
// when they hold the counter, else from GetSystemTimes (idle, and kernel + user). When neither
// works: value and time 0, the performance data's diagnostic line in the error log, and the
// failed flag set; a reading that works clears it.
void ReadProcessorCounter(std::int64_t& value, std::int64_t& time);

// One unsmoothed sample in percent (about 200 ms of responsive waiting). Failed readings,
// impossible loads (above 100: the failed flag is set) and negative ones give 0.
double SampleCpuUsage();
// A new sample blended into the smoothed load (half and half, truncated), which it returns; the
// first sample, and the first after the smoothed load fell to 0, is taken as it is.
std::int32_t GetCpuUsage();
// The unsmoothed sample behind the last GetCpuUsage (0 before the first).
std::int32_t LastCpuSample();
// Whether a GetCpuUsage has been taken since the unit started (LastCpuSample is a figure).
bool CpuSampleTaken();
bool CpuSamplingFailed();

}  // namespace lw
