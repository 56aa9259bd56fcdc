// Launchward's start-up as a user meets it, measured from outside: how big the executable is, how
// long it takes from the CreateProcess call until its first windows exist and until it has ended
// when it runs a logon's second phase ("-go") with nothing to start, how that compares with a
// minimal Win32 program (bench/win32/minimal.cpp), and the peak working set of such a run.
//
// The machine: no managed items, no initial pause ("InitialPauseMilli" = 0 in the program key),
// no options.ini beside the executable; so a run does nothing but come up, re-register itself in
// the Run and RunOnce keys and end. Both programs run from copies in folders of their own under
// %TEMP% (options.ini, error.txt and the shortcut store land there), removed afterwards with the
// program's keys and the Run and RunOnce values the runs wrote. The two programs take turns, after
// one warm-up start each, so that what slows the machine down slows both alike.
//
// Windows only (under Wine on the development machines). The paths of launchward.exe and
// minimal.exe may be given as the first two arguments; by default they are the build tree's (the
// program as it ships, stripped, in shipped\ one folder up; the minimal program beside this
// benchmark). It clears the program's
// keys: run it in a test machine or Wine prefix.

#include <algorithm>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "BenchFiles.h"
#include "ProcessWatch.h"
#include "platform/Platform.h"
#include "platform/win32/Win32Platform.h"
#include "store/Registry.h"
#include "store/SettingsStore.h"
#include "ui/Options.h"
#include "util/Error.h"
#include "util/SpecialFolders.h"

namespace lw::bench {
namespace {

constexpr int kRuns = 10;
constexpr int kMemoryRuns = 3;
constexpr std::uint32_t kTimeoutMs = 60000;
constexpr double kBytesPerMB = 1024.0 * 1024.0;
constexpr double kSizeGoalMB = 1.0;
constexpr double kFirstWindowGoal = 1.3;   // x the minimal program
constexpr double kRunnerWindowGoal = 1.5;  // x the minimal program
constexpr double kEndedGoal = 3.0;         // x the minimal program
constexpr double kMemoryGoalMB = 15.0;
constexpr double kOwnMemoryGoalMB = 8.0;  // above the minimal program

// The program's first top-level window is its hidden application window; the runner window
// comes last, and the logon pass runs from its creation.
constexpr char kRunnerClass[] = "TfrmDummyRunner";
constexpr char kErrorLogName[] = "error.txt";

// --- The stage: the copies and the registry ---------------------------------------------------

std::uint64_t FileSize(const std::string& path) {
  FindData data;
  const Handle find = Files().FindFirstFile(path, &data);
  if (find == kInvalidHandle) throw Error("Cannot find " + path);
  Files().FindClose(find);
  return data.size;
}

// The prepared machine, undone on every path out.
class Stage {
 public:
  Stage(const std::string& launchwardSource, const std::string& minimalSource)
      : root_(Sys().ExpandEnvironmentStrings("%TEMP%") + "\\lw-bench-startup") {
    RemoveTree(root_);  // a run that was killed may have left it
    Files().CreateDirectory(root_);
    launchward_ = CopyInto(launchwardSource, "Launchward", "launchward.exe");
    minimal_ = CopyInto(minimalSource, "Minimal", "minimal.exe");
    ClearProgramState();
    Registry reg;
    reg.PutIntegerAt(kHKeyLocalMachine, kProgramKey, true, kInitialPauseValue, 0);
    if (reg.GetIntegerAt(kHKeyLocalMachine, kProgramKey, kInitialPauseValue) != 0) {
      throw Error(std::string("Cannot write ") + kInitialPauseValue + " under " + kProgramKey);
    }
  }
  ~Stage() {
    ClearProgramState();
    RemoveTree(root_);
  }
  Stage(const Stage&) = delete;
  Stage& operator=(const Stage&) = delete;

  const std::string& Launchward() const { return launchward_; }
  const std::string& Minimal() const { return minimal_; }
  static std::string FolderOf(const std::string& path) {
    return path.substr(0, path.find_last_of('\\') + 1);
  }

 private:
  std::string CopyInto(const std::string& source, const std::string& folder,
                       const std::string& name) const {
    const std::string target = root_ + "\\" + folder + "\\" + name;
    Files().CreateDirectory(root_ + "\\" + folder);
    if (!Files().CopyFile(source, target, false)) {
      throw Error("Cannot copy " + source + " to " + target + " (error " +
                  std::to_string(Sys().GetLastError()) + ")");
    }
    return target;
  }

  std::string root_;
  std::string launchward_;
  std::string minimal_;
};

// --- The runs ---------------------------------------------------------------------------------

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

ChildRun RunLaunchward(const Stage& stage) {
  // The options are the defaults of a program that has never saved them.
  Files().DeleteFile(Stage::FolderOf(stage.Launchward()) + kOptionsFileName);
  const ChildRun run =
      WatchWindows(Quoted(stage.Launchward()) + " -go", Stage::FolderOf(stage.Launchward()),
                   {kRunnerClass}, kTimeoutMs);
  if (run.exitMs < 0.0) throw Error("launchward.exe -go was still running after a minute");
  if (run.exitCode != 0) {
    throw Error("launchward.exe -go ended with code " + std::to_string(run.exitCode));
  }
  return run;
}

ChildRun RunMinimal(const Stage& stage) {
  const ChildRun run =
      WatchWindows(Quoted(stage.Minimal()), Stage::FolderOf(stage.Minimal()), {}, kTimeoutMs);
  if (run.exitMs < 0.0 || run.exitCode != 0) throw Error("minimal.exe did not end normally");
  return run;
}

// The run did its work: the program registered itself again for the next logon.
void CheckReRegistered(const Stage& stage) {
  Registry reg;
  const std::string run = reg.GetStringAt(kHKeyLocalMachine, kRunKey, kSelfRunValue);
  const std::string runOnce = reg.GetStringAt(kHKeyLocalMachine, kRunOnceKey, kSelfRunValue);
  if (run.find(stage.Launchward()) == std::string::npos ||
      runOnce.find(stage.Launchward()) == std::string::npos) {
    throw Error("launchward.exe -go did not register itself again (Run: \"" + run +
                "\", RunOnce: \"" + runOnce + "\")");
  }
}

// Milliseconds per run; runs in which the window was not seen are counted apart.
struct Series {
  std::vector<double> ms;
  int missed = 0;
  void Add(double value) {
    if (value < 0.0) {
      ++missed;
    } else {
      ms.push_back(value);
    }
  }
  double Median() const {
    std::vector<double> sorted = ms;
    std::sort(sorted.begin(), sorted.end());
    const std::size_t n = sorted.size();
    if (n == 0) return 0.0;
    return n % 2 == 1 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2.0;
  }
};

struct Timings {
  Series firstWindow, runnerWindow, launchwardExit;
  Series minimalWindow, minimalExit;
  std::string launchwardFirstClasses, minimalFirstClasses;  // what the first windows were
};

void NoteClass(std::string& classes, const ChildRun& run) {
  if (run.firstWindowMs < 0.0) return;
  const std::string& name = run.firstWindowClass;
  const std::string shown = name.empty() ? "(gone before it could be asked)" : name;
  if ((", " + classes + ", ").find(", " + shown + ", ") != std::string::npos) return;
  classes += classes.empty() ? shown : ", " + shown;
}

Timings MeasureStarts(const Stage& stage) {
  RunLaunchward(stage);
  CheckReRegistered(stage);
  RunMinimal(stage);
  Timings t;
  for (int i = 0; i < kRuns; ++i) {
    const ChildRun launchward = RunLaunchward(stage);
    t.firstWindow.Add(launchward.firstWindowMs);
    NoteClass(t.launchwardFirstClasses, launchward);
    t.runnerWindow.Add(launchward.windowMs[0]);
    t.launchwardExit.Add(launchward.exitMs);
    const ChildRun minimal = RunMinimal(stage);
    t.minimalWindow.Add(minimal.firstWindowMs);
    NoteClass(t.minimalFirstClasses, minimal);
    t.minimalExit.Add(minimal.exitMs);
  }
  return t;
}

// The highest peak of a few runs.
PeakMemory MeasurePeak(const std::string& commandLine, const std::string& folder) {
  PeakMemory highest;
  for (int i = 0; i < kMemoryRuns; ++i) {
    const PeakMemory peak = WatchPeakMemory(commandLine, folder, kTimeoutMs);
    if (peak.bytes >= highest.bytes) highest = peak;
  }
  return highest;
}

// --- The report -------------------------------------------------------------------------------

std::string Grouped(std::uint64_t value) {
  std::string digits = std::to_string(value);
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) digits.insert(at, ",");
  return digits;
}

void PrintSeries(const char* title, const Series& series) {
  if (series.ms.empty()) {
    std::printf("  %-44s never seen in %d runs\n", title, series.missed);
    return;
  }
  const auto [low, high] = std::minmax_element(series.ms.begin(), series.ms.end());
  std::printf("  %-44s %8.1f %8.1f %8.1f", title, series.Median(), *low, *high);
  if (series.missed > 0) std::printf("   (not seen in %d runs)", series.missed);
  std::printf("\n");
}

// goal <= 0: none.
void PrintRatio(const char* title, const Series& launchward, const Series& minimal, double goal) {
  const double ratio = minimal.Median() > 0.0 ? launchward.Median() / minimal.Median() : 0.0;
  std::printf("  %-44s %8.2f", title, ratio);
  if (goal > 0.0) std::printf("   (goal: at most %.1f)", goal);
  std::printf("\n");
}

void PrintPeak(const char* title, const PeakMemory& peak, bool goal) {
  std::printf("  %-44s %8.2f MB", title, static_cast<double>(peak.bytes) / kBytesPerMB);
  if (goal) std::printf("   (goal: under %.0f MB)", kMemoryGoalMB);
  std::printf("   %s bytes, %d readings\n", Grouped(peak.bytes).c_str(), peak.readings);
}

void Report(const Stage& stage, const Timings& t, const PeakMemory& launchwardPeak,
            const PeakMemory& minimalPeak, const std::string& wine) {
  const std::uint64_t size = FileSize(stage.Launchward());
  std::printf("  %-44s %s bytes = %.2f MB   (goal: under %.1f MB; 1 MB = 1,048,576 bytes)\n",
              "size of launchward.exe (shipped: stripped)", Grouped(size).c_str(),
              static_cast<double>(size) / kBytesPerMB, kSizeGoalMB);

  std::printf(
      "\n  ms after the CreateProcess call (%d runs each, taking turns, after one warm-up "
      "start each; a window\n  counts from its creation event (EVENT_OBJECT_CREATE, stamped by "
      "the child to the ms), the end\n  from the process handle)\n",
      kRuns);
  std::printf("  %-44s %8s %8s %8s\n", "", "median", "min", "max");
  PrintSeries("minimal.exe: its window exists", t.minimalWindow);
  PrintSeries("launchward -go: first window", t.firstWindow);
  PrintSeries("launchward -go: Startup Control window", t.runnerWindow);
  PrintSeries("minimal.exe: ended", t.minimalExit);
  PrintSeries("launchward -go: ended", t.launchwardExit);
  const auto shown = [](const std::string& classes) {
    return classes.empty() ? "none seen" : classes.c_str();
  };
  std::printf("  first windows: launchward's %s; minimal.exe's %s\n",
              shown(t.launchwardFirstClasses), shown(t.minimalFirstClasses));
  std::printf("\n  launchward / minimal (medians)\n");
  PrintRatio("first window", t.firstWindow, t.minimalWindow, kFirstWindowGoal);
  PrintRatio("runner window (the logon pass begins)", t.runnerWindow, t.minimalWindow,
             kRunnerWindowGoal);
  PrintRatio("ended", t.launchwardExit, t.minimalExit, kEndedGoal);

  std::printf("\n  peak working set, the highest of %d runs each\n", kMemoryRuns);
  PrintPeak("launchward -go", launchwardPeak, true);
  PrintPeak("minimal.exe (the floor of any program here)", minimalPeak, false);
  std::printf("  %-44s %8.2f MB   (goal: at most %.0f MB)\n",
              "launchward's own share (the difference)",
              (static_cast<double>(launchwardPeak.bytes) - static_cast<double>(minimalPeak.bytes)) /
                  kBytesPerMB,
              kOwnMemoryGoalMB);
  std::printf(
      "  source: GetProcessMemoryInfo's PeakWorkingSetSize on the child's process handle, read\n"
      "  every ms while the child ran and once after its end");
  if (!wine.empty()) {
    std::printf(
        ";\n  Wine %s fills it, while the process runs only, from the Linux process's high-water"
        "\n  mark of resident memory (VmHWM), which also counts Wine's own code and libraries",
        wine.c_str());
  }
  std::printf(".\n");

  const std::string errorLog = Stage::FolderOf(stage.Launchward()) + kErrorLogName;
  std::string logged;
  if (Files().ReadFile(errorLog, &logged)) {
    std::printf("\n  WARNING: the runs wrote %s:\n%s\n", kErrorLogName, logged.c_str());
  }
}

}  // namespace
}  // namespace lw::bench

int main(int argc, char** argv) {
  using namespace lw;
  using namespace lw::bench;
  InstallPlatform(MakeWin32Platform());
  HoldDesktop();
  const std::string wine = WineVersion();
  std::printf(
      "Launchward start-up on %s: \"launchward.exe -go\" with no items and no initial "
      "pause, against a minimal Win32 program\n",
      wine.empty() ? "Windows" : ("Wine " + wine).c_str());
  try {
    const Stage stage(argc > 1 ? argv[1] : GetExeFolder() + "..\\shipped\\launchward.exe",
                      argc > 2 ? argv[2] : GetExeFolder() + "minimal.exe");
    const Timings timings = MeasureStarts(stage);
    const PeakMemory launchwardPeak =
        MeasurePeak(Quoted(stage.Launchward()) + " -go", Stage::FolderOf(stage.Launchward()));
    const PeakMemory minimalPeak =
        MeasurePeak(Quoted(stage.Minimal()), Stage::FolderOf(stage.Minimal()));
    Report(stage, timings, launchwardPeak, minimalPeak, wine);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "bench_startup: %s\n", error.what());
    return 1;
  }
  return 0;
}
