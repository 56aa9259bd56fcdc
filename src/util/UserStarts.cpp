#include "util/UserStarts.h"

#include "platform/Platform.h"
#include "util/ErrorLog.h"

namespace lw {

namespace {

bool throughDesktop = false;

constexpr std::intptr_t kStartedThroughDesktop = kShellExecuteSuccessAbove + 1;
constexpr std::intptr_t kSeErrAccessDenied = 5;

}  // namespace

StartsThroughDesktop::StartsThroughDesktop() : previous_(throughDesktop) { throughDesktop = true; }

StartsThroughDesktop::~StartsThroughDesktop() { throughDesktop = previous_; }

bool StartsGoThroughDesktop() { return throughDesktop; }

std::intptr_t ShellExecuteForUser(const std::string& verb, const std::string& file,
                                  const std::string& parameters, const std::string& directory,
                                  int showCommand) {
  if (!throughDesktop) return Shell().ShellExecute(verb, file, parameters, directory, showCommand);
  const long result =
      Shell().ShellExecuteThroughDesktop(verb, file, parameters, directory, showCommand);
  if (result == kSOk) return kStartedThroughDesktop;
  SharedErrorLog().TryWrite(
      "Unable to start " + file +
      " with your standard rights through the desktop: " + HResultText(result));
  Sys().SetLastError(kErrorAccessDenied);
  return kSeErrAccessDenied;
}

}  // namespace lw
