#pragma once
// The clock the small programs of the tests and benchmarks write their times on: the performance
// counter in microseconds, the same for every process of the machine, so that the times several
// programs note fall on one timeline. Computed so that counters of any rate do not overflow.

#include <windows.h>

#include <cstdint>

namespace lw {

inline std::uint64_t NowMicroseconds() {
  LARGE_INTEGER frequency{};
  LARGE_INTEGER counter{};
  if (!::QueryPerformanceFrequency(&frequency) || frequency.QuadPart <= 0) return 0;
  ::QueryPerformanceCounter(&counter);
  const auto ticks = static_cast<std::uint64_t>(counter.QuadPart);
  const auto rate = static_cast<std::uint64_t>(frequency.QuadPart);
  return ticks / rate * 1000000u + ticks % rate * 1000000u / rate;
}

}  // namespace lw
