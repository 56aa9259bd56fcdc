#include "install/ElevatedCopy.h"

#include <cstdint>

#include "platform/Platform.h"
#include "util/Error.h"
#include "util/ErrorLog.h"

namespace lw {

namespace {

constexpr std::uint32_t kWaitStepMs = 100;

// Closes the process handle whichever way the wait ends.
class ProcessScope {
 public:
  explicit ProcessScope(Handle process) : process_(process) {}
  ~ProcessScope() {
    if (process_ != 0) Sys().CloseHandle(process_);
  }
  ProcessScope(const ProcessScope&) = delete;
  ProcessScope& operator=(const ProcessScope&) = delete;

 private:
  Handle process_;
};

}  // namespace

ElevatedResult RunElevatedCopy(const std::string& switchText) {
  // The window stays responsive while the copy runs: a second press of its button must not
  // start a second copy.
  static bool running = false;
  if (running) return ElevatedResult::kFailed;
  running = true;
  struct Done {
    ~Done() { running = false; }
  } done;
  Handle process = 0;
  if (!Shell().ShellExecuteEx("runas", Sys().GetModuleFileName(), switchText, kSwShowNormal,
                              &process)) {
    const std::uint32_t error = Sys().GetLastError();
    if (error == kErrorCancelled) return ElevatedResult::kRefused;
    throw Error("Unable to start Launchward with administrator rights: " + SystemErrorText(error));
  }
  if (process == 0) throw Error("Unable to start Launchward with administrator rights.");
  ProcessScope closeProcess(process);
  // The copy may ask the user something: this window keeps painting meanwhile.
  std::uint32_t waited = kWaitTimeout;
  while ((waited = Sys().WaitForSingleObject(process, kWaitStepMs)) == kWaitTimeout) {
    Sys().ProcessMessages();
  }
  std::uint32_t exitCode = kExitActionFailed;
  if (waited != kWaitObject0 || !Sys().GetExitCodeProcess(process, &exitCode)) {
    throw Error(
        "Launchward could not tell whether its copy with administrator rights ended "
        "well: " +
        SystemErrorText(Sys().GetLastError()));
  }
  return exitCode == static_cast<std::uint32_t>(kExitActionDone) ? ElevatedResult::kDone
                                                                 : ElevatedResult::kFailed;
}

}  // namespace lw
