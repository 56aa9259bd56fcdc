// The desktop during a logon, measured: how late a small, regular piece of desktop work gets
// answered while twelve start-up programs come up, when they are started all at once (as
// Windows does without a manager), by Launchward's second phase with its defaults (a first
// logon), by Launchward after three logons of auto-tune learning, and one after another with a
// fixed second between them; the idle machine is the reference.
//
// Windows only (under Wine on the development machines). The stand-ins (lwstandin.exe) do a
// fixed, realistic mix of processor, disk and memory work; the probe (lwresponse.exe) asks for
// about a millisecond of work every 20 ms and notes how late each answer came. The strategies
// take turns within each round (the order rotates from round to round) and the idle reference
// is measured in every round, so that what else the machine does disturbs them alike; the
// figures are ratios within a round, their medians over the rounds reported. Every logon starts
// cold: no stand-in running, the work log empty, the runner's learning forgotten (defaults) or
// put back as it was after the three learning logons (auto-tune).
//
//   bench_logon.exe [rounds] [picture.svg]
//
// Prints a table per strategy and writes the picture (default: logon.svg beside the benchmark).
// It clears the program's keys: run it in a test machine or a Wine prefix of its own.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <map>
#include <string>
#include <vector>

#include "LogonFigures.h"
#include "LogonPicture.h"
#include "ProcessWatch.h"
#include "platform/Platform.h"
#include "platform/win32/Win32Platform.h"
#include "util/Error.h"
#include "util/SpecialFolders.h"
#include "win32/LogonProtocol.h"
#include "win32/LogonRun.h"
#include "win32/LogonStage.h"

namespace lw::bench {
namespace {

constexpr int kDefaultRounds = 3;
constexpr int kLearningLogons = 3;
constexpr double kGoalLatenessRatio = 1.2;
constexpr double kGoalDoneRatio = 1.3;

const std::vector<Strategy> kStrategies = {Strategy::kIdle, Strategy::kAllAtOnce,
                                           Strategy::kLaunchward, Strategy::kLaunchwardTuned,
                                           Strategy::kOneByOne};

int WeightOf(const std::string& name) {
  for (const StandIn& item : StandInMix()) {
    if (name == item.name) return item.cpuMs >= 2000 ? 2 : item.cpuMs >= 500 ? 1 : 0;
  }
  return 0;
}

LogonRecord Logon(LogonStage& stage, Strategy strategy, int round, std::uint32_t probeRounds,
                  const KeySnapshot& learnt) {
  if (strategy == Strategy::kLaunchward) stage.ForgetLearning();
  if (strategy == Strategy::kLaunchwardTuned) stage.RestoreLearning(learnt);
  LogonRecord record = RunLogon(stage, strategy, round, probeRounds);
  for (ItemTimes& item : record.items) item.weight = WeightOf(item.name);
  return record;
}

// One strategy's logons, with each round's idle p95 beside them.
struct Series {
  std::vector<LogonRecord> records;
  std::vector<LogonFigures> figures;
  std::vector<double> idleP95;
  std::vector<double> doneRatio;  // all work done against all at once, same round
};

struct Summary {
  double p50, p95, p99, max, ratio, lastStart, done, doneRatio, usable, busy;
};

Summary Summarise(const Series& series) {
  const auto median = [&](auto field) {
    std::vector<double> values;
    for (const LogonFigures& f : series.figures) values.push_back(field(f));
    return Median(values);
  };
  std::vector<double> ratios;
  for (std::size_t i = 0; i < series.figures.size(); ++i) {
    if (series.idleP95[i] > 0.0) ratios.push_back(series.figures[i].p95 / series.idleP95[i]);
  }
  return {median([](const LogonFigures& f) { return f.p50; }),
          median([](const LogonFigures& f) { return f.p95; }),
          median([](const LogonFigures& f) { return f.p99; }),
          median([](const LogonFigures& f) { return f.max; }),
          Median(ratios),
          median([](const LogonFigures& f) { return f.lastStartMs; }) / 1000.0,
          median([](const LogonFigures& f) { return f.doneMs; }) / 1000.0,
          Median(series.doneRatio),
          median([](const LogonFigures& f) { return f.usableMs; }) / 1000.0,
          median([](const LogonFigures& f) { return f.busyPercent; })};
}

std::string LoadText(double load) {
  if (load < 0.0) return "not known";
  char text[16];
  std::snprintf(text, sizeof text, "%.2f", load);
  return text;
}

void PrintTable(const std::map<Strategy, Series>& all, int rounds) {
  std::printf(
      "\n  medians over %d rounds; lateness of the probe in ms (due to answered, idle: about 1 "
      "ms of work);\n  x idle = p95 / the same round's idle p95; times in s from the logon's "
      "start; done x = all\n  work done / the same round's all-at-once; usable = the probe's p95 "
      "over 1 s stays under 2 x idle p95\n  from then on; CPU = the whole machine's mean load "
      "until all work was done\n\n",
      rounds);
  std::printf("  %-22s %6s %6s %6s %7s %7s %8s %7s %7s %7s %5s\n", "strategy", "p50", "p95", "p99",
              "max", "x idle", "last st", "done", "done x", "usable", "CPU%");
  for (Strategy strategy : kStrategies) {
    const Summary s = Summarise(all.at(strategy));
    if (strategy == Strategy::kIdle) {
      std::printf("  %-22s %6.2f %6.2f %6.2f %7.1f %7.2f %8s %7s %7s %7s %5.0f\n",
                  StrategyName(strategy), s.p50, s.p95, s.p99, s.max, s.ratio, "-", "-", "-", "-",
                  s.busy);
      continue;
    }
    std::printf("  %-22s %6.2f %6.2f %6.2f %7.1f %7.2f %8.1f %7.1f %7.2f %7.1f %5.0f\n",
                StrategyName(strategy), s.p50, s.p95, s.p99, s.max, s.ratio, s.lastStart, s.done,
                s.doneRatio, s.usable, s.busy);
  }
  const Summary tuned = Summarise(all.at(Strategy::kLaunchwardTuned));
  const bool lateOk = tuned.ratio <= kGoalLatenessRatio;
  const bool doneOk = tuned.doneRatio <= kGoalDoneRatio;
  std::printf(
      "\n  goal for Launchward auto-tuned: p95 within %.1f x idle (now %.2f: %s) while all work "
      "is done\n  within %.1f x all at once (now %.2f: %s): %s\n",
      kGoalLatenessRatio, tuned.ratio, lateOk ? "met" : "missed", kGoalDoneRatio, tuned.doneRatio,
      doneOk ? "met" : "missed", lateOk && doneOk ? "MET" : "MISSED");
}

// Each strategy's logon whose all-work-done time is the median (the idle one's p95).
std::vector<Timeline> Representatives(const std::map<Strategy, Series>& all) {
  std::vector<Timeline> timelines;
  for (Strategy strategy : kStrategies) {
    const Series& series = all.at(strategy);
    std::vector<std::size_t> order(series.records.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    const auto key = [&](std::size_t i) {
      return strategy == Strategy::kIdle ? series.figures[i].p95 : series.figures[i].doneMs;
    };
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return key(a) < key(b); });
    const std::size_t pick = order[(order.size() - 1) / 2];
    const LogonFigures& f = series.figures[pick];
    char title[256];
    if (strategy == Strategy::kIdle) {
      std::snprintf(title, sizeof title, "%s (round %d): p95 %.2f ms", StrategyName(strategy),
                    series.records[pick].round, f.p95);
    } else {
      std::snprintf(title, sizeof title,
                    "%s (round %d): p95 %.2f ms = %.2f x idle, last start %.1f s, all work "
                    "done %.1f s, usable %.1f s",
                    StrategyName(strategy), series.records[pick].round, f.p95,
                    series.idleP95[pick] > 0 ? f.p95 / series.idleP95[pick] : 0.0,
                    f.lastStartMs / 1000.0, f.doneMs / 1000.0, f.usableMs / 1000.0);
    }
    timelines.push_back({title, series.records[pick], f, series.idleP95[pick]});
  }
  return timelines;
}

int Run(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultRounds;
  const std::string picture = argc > 2 ? argv[2] : GetExeFolder() + "logon.svg";
  const double loadBefore = LoadAverage();
  const std::string wine = WineVersion();
  std::printf("Logon: %zu stand-in start-up programs on %s, %d processors; load average %s\n",
              StandInMix().size(), wine.empty() ? "Windows" : ("Wine " + wine).c_str(),
              ProcessorCount(), LoadText(loadBefore).c_str());
  LogonStage stage(GetExeFolder() + "..\\shipped\\launchward.exe", GetExeFolder() + "lwstandin.exe",
                   GetExeFolder() + "lwresponse.exe");
  // Whether the stand-ins' priority classes reach Linux's scheduler (scripts/bench renices them
  // as their class says): every figure below depends on it.
  char classLog[8] = {};
  std::printf("  class emulation: %s\n",
              ::GetEnvironmentVariableA(kClassLogVariable, classLog, sizeof classLog) > 0
                  ? "on (each stand-in reniced as its class says: idle 19, below normal 10, "
                    "normal 0, above normal -5, high -10)"
                  : "off (Wine runs every class at Linux's niceness 0)");
  const std::uint32_t probeRounds = CalibrateProbeWork();
  std::printf("  probe work: %lu rounds (about 1 ms here, idle)\n",
              static_cast<unsigned long>(probeRounds));

  stage.ForgetLearning();
  for (int i = 1; i <= kLearningLogons; ++i) {
    const LogonRecord record = RunLogon(stage, Strategy::kLaunchward, 0, probeRounds);
    std::printf("  learning logon %d: all work done after %.1f s\n", i,
                FiguresOf(record, 0.0).doneMs / 1000.0);
  }
  const KeySnapshot learnt = stage.SaveLearning();

  std::map<Strategy, Series> all;
  for (int round = 1; round <= rounds; ++round) {
    std::map<Strategy, LogonRecord> logons;
    for (std::size_t i = 0; i < kStrategies.size(); ++i) {
      const Strategy strategy = kStrategies[(i + round - 1) % kStrategies.size()];
      logons[strategy] = Logon(stage, strategy, round, probeRounds, learnt);
    }
    const double idleP95 = FiguresOf(logons[Strategy::kIdle], 0.0).p95;
    const double allAtOnce = FiguresOf(logons[Strategy::kAllAtOnce], idleP95).doneMs;
    std::printf("  round %d (load average %s):", round, LoadText(LoadAverage()).c_str());
    for (Strategy strategy : kStrategies) {
      Series& series = all[strategy];
      const LogonFigures figures = FiguresOf(logons[strategy], idleP95);
      series.records.push_back(logons[strategy]);
      series.figures.push_back(figures);
      series.idleP95.push_back(idleP95);
      series.doneRatio.push_back(allAtOnce > 0.0 ? figures.doneMs / allAtOnce : 0.0);
      std::printf(" %s p95 %.1f ms done %.1f s;", StrategyName(strategy), figures.p95,
                  figures.doneMs / 1000.0);
    }
    std::printf("\n");
    std::fflush(stdout);
  }
  const double loadAfter = LoadAverage();
  PrintTable(all, rounds);
  std::printf("\n  load average (1 min) at the start %s, at the end %s\n",
              LoadText(loadBefore).c_str(), LoadText(loadAfter).c_str());

  const std::string svg = DrawTimelines(
      "A logon of 12 start-up programs: the desktop's lateness, the load and the "
      "items (median run of " +
          std::to_string(rounds) + ")",
      Representatives(all));
  if (!Files().WriteFile(picture, svg)) throw Error("Cannot write the picture " + picture);
  std::printf("  picture: %s\n", picture.c_str());
  return 0;
}

}  // namespace
}  // namespace lw::bench

int main(int argc, char** argv) {
  lw::InstallPlatform(lw::MakeWin32Platform());
  lw::bench::HoldDesktop();
  try {
    return lw::bench::Run(argc, argv);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "bench_logon: %s\n", error.what());
    return 1;
  }
}
