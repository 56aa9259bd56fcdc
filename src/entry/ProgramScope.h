#pragma once
// What a start of the program holds while it runs, released whichever way it ends: the process
// units, the single-instance lock, and the lock that says a logon phase runs.

#include <string>

#include "platform/WinConst.h"

namespace lw {

class ProgramScope {
 public:
  ProgramScope();
  ~ProgramScope();
  ProgramScope(const ProgramScope&) = delete;
  ProgramScope& operator=(const ProgramScope&) = delete;

  // True when this is the only copy. Any error of the creation counts as another copy, as
  // ERROR_ALREADY_EXISTS does: a program that cannot tell must not run twice at logon.
  bool ClaimSingleInstance();

  // A logon phase says that it runs, for as long as it runs.
  void ClaimPhase(const std::string& pass);

  // Where UAC is on, the Task Scheduler starts the first phase and Explorer the second, each on
  // its own and in either order. Neither refuses the other: that would leave a logon without
  // its take-over, or without its items. True when this logon phase may run beside the copy
  // that holds the lock.
  bool MayRunBesideOtherPhase(const std::string& pass);

 private:
  Handle mutex_ = 0;
  Handle phase_ = 0;
};

}  // namespace lw
