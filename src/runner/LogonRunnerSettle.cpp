#include "platform/Platform.h"
#include "runner/LogonRunner.h"
#include "runner/ProcessorLoad.h"

// The end of a logon run with items in the background. The items keep their low priority while
// their start-up work goes on, which is what keeps the desktop responsive; once the machine is
// quiet again (two samples in a row under the settled line: their work is done), every program
// of the items has ended (nothing is left to wait for), or the bound has passed, every item gets
// the class the user chose. A Stop hands back at once: the user
// wants the run over, not items left at a class nobody chose.

namespace lw {

void LogonRunner::SettleAndHandBack() {
  if (!background_.Holding()) return;
  const std::uint32_t begin = Sys().GetTickCount();
  bool quietBefore = false;
  while (!stopped_ && background_.AnyRunning() &&
         static_cast<std::uint32_t>(Sys().GetTickCount() - begin) < kSettleBoundMs) {
    SleepStep(kSettleStepMs);
    if (stopped_) break;
    GetCpuUsage();
    const bool quiet = LastCpuSample() < kSettledLoad;
    if (quiet && quietBefore) break;
    quietBefore = quiet;
    Sys().ProcessMessages();
  }
  background_.HandBack();
}

}  // namespace lw
