#include "LogonPicture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace lw::bench {

namespace {

constexpr double kWidth = 1000.0;
constexpr double kLeft = 60.0;
constexpr double kRight = 50.0;
constexpr double kTop = 40.0;
constexpr double kTitleHeight = 18.0;
constexpr double kPlotHeight = 110.0;
constexpr double kBarHeight = 4.0;
constexpr double kLaneGap = 26.0;
constexpr double kLateLowMs = 0.5;
constexpr double kLateHighMs = 1000.0;
const char* const kWeightColours[] = {"#9ecae1", "#4292c6", "#08306b"};

std::string Num(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '&')
      out += "&amp;";
    else if (c == '<')
      out += "&lt;";
    else if (c == '>')
      out += "&gt;";
    else
      out += c;
  }
  return out;
}

class Lane {
 public:
  Lane(double top, double spanMs, std::size_t items)
      : top_(top),
        spanMs_(spanMs),
        barsTop_(top + kTitleHeight + kPlotHeight + 4.0),
        height_(kTitleHeight + kPlotHeight + 4.0 + kBarHeight * static_cast<double>(items)) {}

  double X(double ms) const {
    return kLeft + (kWidth - kLeft - kRight) * std::clamp(ms, 0.0, spanMs_) / spanMs_;
  }
  double PlotTop() const { return top_ + kTitleHeight; }
  double PlotBottom() const { return PlotTop() + kPlotHeight; }
  double LoadY(double percent) const {
    return PlotBottom() - kPlotHeight * std::clamp(percent, 0.0, 100.0) / 100.0;
  }
  double LateY(double ms) const {
    const double low = std::log10(kLateLowMs), high = std::log10(kLateHighMs);
    const double at = (std::log10(std::clamp(ms, kLateLowMs, kLateHighMs)) - low) / (high - low);
    return PlotBottom() - kPlotHeight * at;
  }
  double BarY(std::size_t index) const {
    return barsTop_ + kBarHeight * static_cast<double>(index);
  }
  double Bottom() const { return top_ + height_; }

 private:
  double top_;
  double spanMs_;
  double barsTop_;
  double height_;
};

void DrawLane(std::string& svg, const Lane& lane, const Timeline& timeline) {
  const LogonRecord& record = timeline.record;
  svg += "<text x=\"" + Num(kLeft) + "\" y=\"" + Num(lane.PlotTop() - 5) +
         "\" font-weight=\"bold\">" + Escaped(timeline.title) + "</text>\n";
  svg += "<rect x=\"" + Num(kLeft) + "\" y=\"" + Num(lane.PlotTop()) + "\" width=\"" +
         Num(kWidth - kLeft - kRight) + "\" height=\"" + Num(kPlotHeight) +
         "\" fill=\"#fafafa\" stroke=\"#999\"/>\n";
  // The load, as an area from the axis.
  if (!record.load.empty()) {
    std::string points = Num(lane.X(0)) + "," + Num(lane.PlotBottom());
    for (const LoadSample& sample : record.load) {
      if (sample.atMs < 0.0 || sample.atMs > record.endMs) continue;
      points += " " + Num(lane.X(sample.atMs)) + "," + Num(lane.LoadY(sample.percent));
    }
    points += " " + Num(lane.X(record.endMs)) + "," + Num(lane.PlotBottom());
    svg += "<polygon points=\"" + points + "\" fill=\"#c7e9c0\" stroke=\"#74c476\"/>\n";
  }
  // The lateness scale, at the right: 1, 10, 100 and 1000 ms.
  for (double ms : {1.0, 10.0, 100.0, 1000.0}) {
    const std::string y = Num(lane.LateY(ms));
    svg += "<line x1=\"" + Num(kLeft) + "\" x2=\"" + Num(kWidth - kRight) + "\" y1=\"" + y +
           "\" y2=\"" + y + "\" stroke=\"#eee\"/>\n";
    svg += "<text x=\"" + Num(kWidth - kRight + 4) + "\" y=\"" + y +
           "\" fill=\"#c00\" dominant-baseline=\"middle\">" +
           (ms >= 1000 ? std::string("1 s") : Num(ms).substr(0, Num(ms).size() - 2) + " ms") +
           "</text>\n";
  }
  svg += "<text x=\"" + Num(kLeft - 4) + "\" y=\"" + Num(lane.LoadY(100)) +
         "\" text-anchor=\"end\" dominant-baseline=\"hanging\" fill=\"#238b45\">100%</text>\n";
  svg += "<text x=\"" + Num(kLeft - 4) + "\" y=\"" + Num(lane.LoadY(0)) +
         "\" text-anchor=\"end\" fill=\"#238b45\">0%</text>\n";
  const std::string limit = Num(lane.LateY(2.0 * timeline.idleP95));
  svg += "<line x1=\"" + Num(kLeft) + "\" x2=\"" + Num(kWidth - kRight) + "\" y1=\"" + limit +
         "\" y2=\"" + limit + "\" stroke=\"#c00\" stroke-dasharray=\"4 3\"/>\n";
  // The probe's lateness.
  std::string points;
  for (const ProbeSample& sample : record.probe) {
    if (sample.atMs < 0.0 || sample.atMs > record.endMs) continue;
    points += Num(lane.X(sample.atMs)) + "," + Num(lane.LateY(sample.lateMs)) + " ";
  }
  if (!points.empty()) {
    svg += "<polyline points=\"" + points + "\" fill=\"none\" stroke=\"#d62728\"/>\n";
  }
  // The items, each from its start until its work was done.
  for (std::size_t i = 0; i < record.items.size(); ++i) {
    const ItemTimes& item = record.items[i];
    const double x = lane.X(item.startMs);
    svg += "<rect x=\"" + Num(x) + "\" y=\"" + Num(lane.BarY(i)) + "\" width=\"" +
           Num(std::max(1.0, lane.X(item.doneMs) - x)) + "\" height=\"" + Num(kBarHeight - 1) +
           "\" fill=\"" + kWeightColours[std::clamp(item.weight, 0, 2)] + "\"><title>" +
           Escaped(item.name) + "</title></rect>\n";
  }
  const auto mark = [&](double ms, const char* colour, const std::string& label) {
    const std::string x = Num(lane.X(ms));
    svg += "<line x1=\"" + x + "\" x2=\"" + x + "\" y1=\"" + Num(lane.PlotTop()) + "\" y2=\"" +
           Num(lane.Bottom()) + "\" stroke=\"" + colour + "\" stroke-width=\"2\"/>\n";
    svg += "<text x=\"" + x + "\" y=\"" + Num(lane.PlotTop() + 12) + "\" fill=\"" + colour +
           "\" text-anchor=\"end\" dx=\"-3\">" + label + "</text>\n";
  };
  if (!record.items.empty()) {
    mark(timeline.figures.doneMs, "#333", "all work done");
    if (timeline.figures.usableMs > 0.0) {
      svg += "<rect x=\"" + Num(kLeft) + "\" y=\"" + Num(lane.PlotBottom() - 3) + "\" width=\"" +
             Num(lane.X(timeline.figures.usableMs) - kLeft) +
             "\" height=\"3\" fill=\"#ff7f0e\"/>\n";
    }
  }
}

}  // namespace

std::string DrawTimelines(const std::string& heading, const std::vector<Timeline>& timelines) {
  double spanMs = 1000.0;
  for (const Timeline& timeline : timelines) spanMs = std::max(spanMs, timeline.record.endMs);
  spanMs = std::ceil(spanMs / 1000.0) * 1000.0;
  std::vector<Lane> lanes;
  double top = kTop;
  for (const Timeline& timeline : timelines) {
    lanes.emplace_back(top, spanMs, timeline.record.items.size());
    top = lanes.back().Bottom() + kLaneGap;
  }
  const double height = top + 64.0;
  std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + Num(kWidth) +
                    "\" height=\"" + Num(height) + "\" viewBox=\"0 0 " + Num(kWidth) + " " +
                    Num(height) + "\" font-family=\"sans-serif\" font-size=\"11\">\n";
  svg += "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  svg += "<text x=\"" + Num(kLeft) + "\" y=\"20\" font-size=\"14\" font-weight=\"bold\">" +
         Escaped(heading) + "</text>\n";
  for (std::size_t i = 0; i < timelines.size(); ++i) DrawLane(svg, lanes[i], timelines[i]);
  // The time axis, under the last lane.
  const Lane axis(top - kLaneGap, spanMs, 0);
  const double axisY = top - kLaneGap + 8.0;
  const double stepMs = spanMs > 20000.0 ? 5000.0 : spanMs > 8000.0 ? 2000.0 : 1000.0;
  for (double ms = 0.0; ms <= spanMs + 1.0; ms += stepMs) {
    svg += "<text x=\"" + Num(axis.X(ms)) + "\" y=\"" + Num(axisY + 10) +
           "\" text-anchor=\"middle\">" + Num(ms / 1000.0).substr(0, Num(ms / 1000.0).size() - 2) +
           " s</text>\n";
  }
  const char* const legend[] = {
      "green: the whole machine's processor load (0-100 %); red: the probe's lateness (log scale;"
      " dashed: twice the idle p95)",
      "orange: not yet usable; bars: the items, from start to work done (darker = heavier)"};
  for (int i = 0; i < 2; ++i) {
    svg += "<text x=\"" + Num(kLeft) + "\" y=\"" + Num(axisY + 28 + 14 * i) + "\" fill=\"#555\">" +
           legend[i] + "</text>\n";
  }
  svg += "</svg>\n";
  return svg;
}

}  // namespace lw::bench
