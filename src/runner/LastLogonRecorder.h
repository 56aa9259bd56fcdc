#pragma once
// Writes the last-logon record (LastLogonRecord.h) while a logon pass runs: the pass clears the
// previous logon's record when it begins, and every item the pass starts, or tries to start,
// gets its start time on the pass's clock, the load the runner knew just before the start and
// the first load the runner measures after it.
//
// It only uses the samples the runner takes anyway (before an item with auto-tune on, in the
// pause after it, after the pause), and writes each item once, when its load after is known or
// the item is over without one: a logon is not made slower for the sake of the figures. (A logon
// cut short by a logoff may lose the item it was at; the next logon replaces the record anyway.)

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

  // The item is being started at tick, after the load known just before.
  void ItemStarting(const std::string& itemKey, std::uint32_t tick);
  // The runner has just taken a load sample: the first one after an item's start is the item's
  // load after, and the item is written.
  void LoadSampled();
  // The item is over: written without a load after when no sample came; no later sample is its.
  void ItemDone();

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
