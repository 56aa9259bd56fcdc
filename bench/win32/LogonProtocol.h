#pragma once
// What the logon benchmark (bench/logon.cpp) and the programs it starts share: the names of the
// events that end them, the environment variable that names the log of finished work, the
// clock every timeline is read on, and the unit of work the responsiveness probe asks for.
// Plain Win32: the stand-in programs link nothing else.

#include <windows.h>

#include <cstdint>

// NowMicroseconds: the clock every timeline is read on.
#include "probe/MicroClock.h"

namespace lw::bench {

// Set by the benchmark at the end of a logon: the stand-ins that stay alive (tray programs) end.
inline constexpr char kLogonEndEvent[] = "Local\\LaunchwardBenchLogonEnd";
// Set by the benchmark once every item's work is done: the probe writes its samples and ends.
inline constexpr char kProbeEndEvent[] = "Local\\LaunchwardBenchProbeEnd";
// Set by the probe once its first answer came: the logon may begin.
inline constexpr char kProbeReadyEvent[] = "Local\\LaunchwardBenchProbeReady";
// The file each stand-in appends "<name>|<started us>|<work done us>\r\n" to.
inline constexpr char kWorkLogVariable[] = "LW_BENCH_WORK_LOG";
// The file (a "Z:" path, so that Linux reads it too) each stand-in appends "<its name> <its
// priority class>\n" to when it starts and whenever its class changes, for the class emulation
// of scripts/bench: Wine keeps a process's class but does not pass it on to Linux's scheduler,
// so the Linux side gives the process the niceness its class stands for. (The stand-in cannot
// name its own Linux process: under Wine 8 the server opens files for its clients, so
// "Z:\proc\self\stat" is the server's.) Unset: no emulation.
inline constexpr char kClassLogVariable[] = "LW_BENCH_CLASS_LOG";
// Nothing the benchmark starts may outlive a benchmark that died: the longest a program waits.
inline constexpr DWORD kLongestLifeMs = 10 * 60 * 1000;

// A piece of processor work that the compiler cannot fold away: rounds of an integer mix whose
// result is returned. The probe's request is a fixed number of rounds, calibrated by the
// benchmark to about a millisecond on the idle machine.
__attribute__((noinline)) inline std::uint32_t SpinWork(std::uint32_t rounds) {
  std::uint32_t x = 0x9E3779B9u ^ rounds;
  for (std::uint32_t i = 0; i < rounds; ++i) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    x += i;
  }
  return x;
}

}  // namespace lw::bench
