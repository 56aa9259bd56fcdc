#include "install/ElevatedCopy.h"

#include <cstdint>

#include "platform/Platform.h"
#include "util/CurrentUser.h"
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
  // The copy may run as another account than this window's: it is told whose window asked.
  const std::string sid = CurrentUserSid();
  const std::string parameters =
      sid.empty() ? switchText : switchText + " " + kForSwitch + " " + sid;
  Handle process = 0;
  if (!Shell().ShellExecuteEx("runas", Sys().GetModuleFileName(), parameters, kSwShowNormal,
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

void ConfirmStartingAccount(const std::vector<std::string>& args) {
  std::string claimed;
  for (std::size_t index = 0; index + 1 < args.size(); ++index) {
    if (args[index] == kForSwitch) claimed = args[index + 1];
  }
  std::string own;
  if (!Token().GetProcessUserSid(&own)) own.clear();
  std::string parent;
  std::uint32_t parentId = 0;
  if (!Token().GetParentProcessId(&parentId) ||
      !Token().GetOtherProcessUserSid(parentId, &parent)) {
    parent.clear();
  }
  // The parent's account is the proof: a SID on the command line alone could be anybody's.
  std::string account;
  if (!parent.empty()) {
    if (claimed.empty() ? parent == own : claimed == parent) account = parent;
  } else if (!claimed.empty() && claimed == own) {
    account = own;  // the parent is gone, but the copy claims nobody else's account
  }
  if (account.empty()) {
    SetAccountUnconfirmed(true);
    SharedErrorLog().TryWrite(
        "The copy with administrator rights cannot confirm the account "
        "that started it; it changes no user's own items or files");
    return;
  }
  std::string user;
  if (!Token().LookupSidUserName(account, &user)) user.clear();
  ActForAccount(account, user);
}

}  // namespace lw
