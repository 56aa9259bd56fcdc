#pragma once
// Writes the last-logon record (LastLogonRecord.h) while a logon pass runs: the pass clears the
// previous logon's record when it begins, and every item the pass starts, or tries to start,
// gets its start time on the pass's clock, the load the runner knew just before the start and
// the first load the runner measures after it.
//
// It only uses the samples the runner takes anyway (before an item with auto-tune on, in the
// pause after it, after the pause): a logon is not made slower for the sake of the figures. An
// item is written when it starts, with its load after still unknown, and again once that load
// is known, so that a logon cut short (a logoff in the middle of a pause) still shows when the
// item was started.

#include <cstdint>
#include <string>

#include "runner/LastLogonRecord.h"
#include "store/Registry.h"

namespace lw {

class LastLogonRecorder {
 public:
  // Writes through reg (to the per-user hive whatever reg's default root).
  explicit LastLogonRecorder(Registry& reg) : reg_(reg) {}
  LastLogonRecorder(const LastLogonRecorder&) = delete;
  LastLogonRecorder& operator=(const LastLogonRecorder&) = delete;

  // The pass begins now (tick: the clock now): the last logon's record goes. Until then the
  // recorder records nothing, so a runner that only starts single items leaves the record be.
  void BeginPass(std::uint32_t tick);
  bool PassBegun() const { return begun_; }

  // The item is being started at tick: recorded at once, with the load known just before.
  void ItemStarting(const std::string& itemKey, std::uint32_t tick);
  // The runner has just taken a load sample: the first one after an item's start is the item's
  // load after.
  void LoadSampled();
  // The item is over: no later sample is its.
  void ItemDone() { waiting_ = false; }

 private:
  Registry& reg_;
  bool begun_ = false;
  std::uint32_t passStart_ = 0;
  // The item whose load after is still to come.
  bool waiting_ = false;
  std::string itemKey_;
  LastLogonFigures figures_;
};

}  // namespace lw
