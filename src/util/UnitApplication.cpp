#include "util/UnitApplication.h"

namespace lw {

namespace {
bool terminating = false;
}  // namespace

void ApplicationTerminate() { terminating = true; }

bool ApplicationTerminating() { return terminating; }

void ResetApplicationTerminate() { terminating = false; }

}  // namespace lw
