#include "LogonFigures.h"

#include <algorithm>
#include <cmath>

namespace lw::bench {

namespace {

constexpr double kWindowMs = 1000.0;
constexpr double kWindowStepMs = 100.0;
constexpr double kUsableFactor = 2.0;

}  // namespace

double Quantile(std::vector<double> values, double q) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  // Nearest rank: the smallest value with at least q of the values at or below it.
  const auto rank = static_cast<std::size_t>(std::ceil(q * static_cast<double>(values.size())));
  return values[std::min(values.size(), std::max<std::size_t>(rank, 1)) - 1];
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

double UsableAfter(const std::vector<ProbeSample>& samples, double limitMs, double endMs) {
  double usable = 0.0;
  // The first window ends a second in (or at the end of a shorter logon).
  for (double to = std::min(kWindowMs, endMs); to <= endMs + 1e-9; to += kWindowStepMs) {
    std::vector<double> window;
    for (const ProbeSample& sample : samples) {
      if (sample.atMs > to - kWindowMs && sample.atMs <= to) window.push_back(sample.lateMs);
    }
    if (window.empty() || Quantile(window, 0.95) >= limitMs) usable = to;
  }
  return usable;
}

LogonFigures FiguresOf(const LogonRecord& logon, double idleP95) {
  LogonFigures figures;
  std::vector<double> late;
  for (const ProbeSample& sample : logon.probe) {
    if (sample.atMs >= 0.0 && sample.atMs <= logon.endMs) late.push_back(sample.lateMs);
  }
  figures.p50 = Quantile(late, 0.50);
  figures.p95 = Quantile(late, 0.95);
  figures.p99 = Quantile(late, 0.99);
  figures.max = late.empty() ? 0.0 : *std::max_element(late.begin(), late.end());
  for (const ItemTimes& item : logon.items) {
    figures.lastStartMs = std::max(figures.lastStartMs, item.startMs);
    figures.doneMs = std::max(figures.doneMs, item.doneMs);
  }
  figures.usableMs = UsableAfter(logon.probe, kUsableFactor * idleP95, logon.endMs);
  double busy = 0.0;
  int count = 0;
  for (const LoadSample& sample : logon.load) {
    if (sample.atMs <= 0.0 || sample.atMs > logon.endMs) continue;
    busy += sample.percent;
    ++count;
  }
  figures.busyPercent = count > 0 ? busy / count : 0.0;
  return figures;
}

}  // namespace lw::bench
