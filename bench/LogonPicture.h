#pragma once
// The logon benchmark's picture: one timeline per strategy, on one time axis, as an SVG
// document written by hand (portable: no Windows, no library).
//
// Each timeline shows the whole machine's processor load (the shaded area, 0 to 100 %), the
// probe's lateness (the red line, on a logarithmic scale from 0.5 to 1000 ms, with the limit
// of twice the idle p95 dashed), one bar per item from its start until its work was done
// (darker for heavier items), and marks where the desktop became usable and where all work
// was done.

#include <string>
#include <vector>

#include "LogonFigures.h"

namespace lw::bench {

struct Timeline {
  std::string title;  // the strategy and its key figures
  LogonRecord record;
  LogonFigures figures;
  double idleP95 = 0.0;
};

// The SVG document.
std::string DrawTimelines(const std::string& heading, const std::vector<Timeline>& timelines);

}  // namespace lw::bench
