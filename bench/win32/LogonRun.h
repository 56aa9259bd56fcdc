#pragma once
// One logon of the benchmark (Windows only): the probe and the load sampler start, the logon
// begins the way its strategy says, and everything is recorded until every stand-in's work is
// done (or, for the idle machine, for a fixed time). The stage ends the logon afterwards.

#include <cstdint>
#include <string>

#include "LogonFigures.h"
#include "LogonStage.h"

namespace lw::bench {

enum class Strategy {
  kIdle,             // no logon: the probe alone, the reference
  kAllAtOnce,        // every item started at once, as Windows does without a manager
  kLaunchward,       // launchward.exe -go with its defaults, on a first logon
  kLaunchwardTuned,  // the same after three learning logons
  kOneByOne,         // one item after another, a fixed second apart
};

// The short name in the table and the picture ("all at once" ...).
const char* StrategyName(Strategy strategy);

// The number of SpinWork rounds that take about a millisecond here now (the best of several
// tries, so that a busy moment does not inflate it).
std::uint32_t CalibrateProbeWork();

// Runs one logon; raises Error when a program cannot be started, an item failed or the work
// was not done in time.
LogonRecord RunLogon(LogonStage& stage, Strategy strategy, int round, std::uint32_t probeRounds);

// The machine's load average over the last minute ("Z:\proc\loadavg" under Wine); negative when
// it cannot be read (Windows has none).
double LoadAverage();
int ProcessorCount();

}  // namespace lw::bench
