#pragma once
// The logon benchmark's records and the figures drawn from them (portable: no Windows here).
// Every time is in milliseconds from the logon's start.

#include <string>
#include <vector>

namespace lw::bench {

// One answer of the responsiveness probe: when its tick was due and how late the answer came.
struct ProbeSample {
  double atMs = 0.0;
  double lateMs = 0.0;
};

// The whole machine's processor load over the span that ended at atMs, in percent.
struct LoadSample {
  double atMs = 0.0;
  double percent = 0.0;
};

// One stand-in program: when it began to run and when its work was done.
struct ItemTimes {
  std::string name;
  double startMs = 0.0;
  double doneMs = 0.0;
  int weight = 0;  // 0 light, 1 medium, 2 heavy
};

// One logon of one strategy (or the idle machine): what was recorded from its start until
// endMs (the moment every item's work was done; the idle run's length).
struct LogonRecord {
  std::string strategy;
  int round = 0;
  double endMs = 0.0;
  std::vector<ProbeSample> probe;
  std::vector<LoadSample> load;
  std::vector<ItemTimes> items;
};

struct LogonFigures {
  double p50 = 0.0, p95 = 0.0, p99 = 0.0, max = 0.0;  // probe lateness, ms
  double lastStartMs = 0.0;
  double doneMs = 0.0;
  double usableMs = 0.0;  // "desktop usable", see UsableAfter
  double busyPercent = 0.0;
};

// The q-quantile (0..1) of the values by nearest rank; 0 for none.
double Quantile(std::vector<double> values, double q);

// The moment after which the probe's p95 over every one-second window (sliding in steps of
// 100 ms, from the start until endMs) stays under limitMs: the end of the last window at or
// over it, 0 when none is. Windows without samples (the probe itself stalled) count as over.
double UsableAfter(const std::vector<ProbeSample>& samples, double limitMs, double endMs);

// The figures of a logon; the desktop counts as usable once its p95 stays under twice
// idleP95.
LogonFigures FiguresOf(const LogonRecord& logon, double idleP95);

// The median of the values; 0 for none.
double Median(std::vector<double> values);

}  // namespace lw::bench
