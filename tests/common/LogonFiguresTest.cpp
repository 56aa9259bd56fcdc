// The logon benchmark's figures: what its table and the closing figures rest on.

#include <gtest/gtest.h>

#include <vector>

#include "LogonFigures.h"

namespace lw::bench {
namespace {

TEST(LogonFiguresTest, QuantilesAreByNearestRankAndMediansByTheMiddle) {
  std::vector<double> hundred;
  for (int i = 100; i >= 1; --i) hundred.push_back(i);
  EXPECT_EQ(Quantile(hundred, 0.50), 50);
  EXPECT_EQ(Quantile(hundred, 0.95), 95);
  EXPECT_EQ(Quantile(hundred, 0.99), 99);
  EXPECT_EQ(Quantile(hundred, 1.0), 100);
  EXPECT_EQ(Quantile({7}, 0.95), 7);
  EXPECT_EQ(Quantile({}, 0.5), 0);
  EXPECT_EQ(Median({3, 1, 2}), 2);
  EXPECT_EQ(Median({4, 1, 2, 3}), 2.5);
  EXPECT_EQ(Median({}), 0);
}

// A probe answering every 20 ms in 1 ms for ten seconds, except for a burst of 10 ms answers
// (4.0 to 4.2 s) and a stall in which it answered nothing (7.0 to 8.5 s).
std::vector<ProbeSample> ProbeWithBurstAndStall() {
  std::vector<ProbeSample> samples;
  for (int at = 0; at <= 10000; at += 20) {
    if (at >= 7000 && at < 8500) continue;
    samples.push_back({static_cast<double>(at), at >= 4000 && at < 4200 ? 10.0 : 1.0});
  }
  return samples;
}

TEST(LogonFiguresTest, TheDesktopIsUsableAfterTheLastSlowOrSilentSecond) {
  const std::vector<ProbeSample> samples = ProbeWithBurstAndStall();
  // The burst alone: the last one-second window holding four of its samples (8 % of the window,
  // so its p95 is slow) ends at 5.1 s.
  std::vector<ProbeSample> burstOnly;
  for (const ProbeSample& sample : samples) {
    if (sample.atMs < 7000) burstOnly.push_back(sample);
  }
  EXPECT_EQ(UsableAfter(burstOnly, 5.0, 6900), 5100);
  // A probe that answers nothing is no usable desktop: the last empty window ends at 8.4 s.
  EXPECT_EQ(UsableAfter(samples, 5.0, 10000), 8400);
  // Never slow: usable from the start.
  EXPECT_EQ(UsableAfter(samples, 50.0, 6900), 0);
}

TEST(LogonFiguresTest, FiguresCountOnlyWhatHappenedDuringTheLogon) {
  LogonRecord logon;
  logon.endMs = 10000;
  logon.probe = ProbeWithBurstAndStall();
  logon.probe.push_back({-500, 900});   // before the logon began
  logon.probe.push_back({12000, 900});  // after its work was done
  logon.load = {{0, 100}, {5000, 40}, {10000, 60}, {11000, 100}};
  logon.items = {{"a", 100, 3000, 2}, {"b", 2500, 9000, 0}, {"c", 1200, 9500, 1}};
  const LogonFigures figures = FiguresOf(logon, 2.5);
  EXPECT_EQ(figures.p50, 1);
  EXPECT_EQ(figures.p95, 1);
  EXPECT_EQ(figures.max, 10);
  EXPECT_EQ(figures.lastStartMs, 2500);
  EXPECT_EQ(figures.doneMs, 9500);
  EXPECT_EQ(figures.usableMs, 8400);
  EXPECT_EQ(figures.busyPercent, 50);
}

}  // namespace
}  // namespace lw::bench
