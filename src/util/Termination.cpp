#include "util/Termination.h"

#include <utility>

namespace lw {

namespace {
bool terminating = false;

std::function<void()>& TerminateHandler() {
  static std::function<void()> handler;
  return handler;
}
}  // namespace

void ApplicationTerminate() {
  terminating = true;
  if (TerminateHandler()) TerminateHandler()();
}

bool ApplicationTerminating() { return terminating; }

void ResetApplicationTerminate() { terminating = false; }

void SetTerminateHandler(std::function<void()> handler) { TerminateHandler() = std::move(handler); }

}  // namespace lw
