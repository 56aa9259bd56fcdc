#pragma once
// One lock, machine-wide, around every change to the program's store. The store under
// HKEY_LOCAL_MACHINE is shared by every account and session: two logons at once, or a logon
// while the edit window is open, would otherwise interleave their changes (an entry appended
// to a sort list by one and a rewrite of that list by the other lose the new entry, and its
// item would be stored but never started nor shown).
//
// The lock is a mutex in the "Global\" namespace, so every session meets the same one, made
// with a security descriptor that lets every signed-in account wait on it: the second phase,
// which runs with standard rights, serialises with a first phase or an edit window that runs
// as administrator. A lock is held for one operation (a take-over pass, an edit command, a
// restore, saving the options), never for a window's life; the owner may take it again inside
// (the mutex counts).

#include <cstdint>

#include "platform/WinConst.h"

namespace lw {

inline constexpr char kStoreLockName[] = "Global\\Launchward.Store";
// SYSTEM and administrators: every right; authenticated users: SYNCHRONIZE and
// MUTEX_MODIFY_STATE, enough to wait for it and release it.
inline constexpr char kStoreLockSddl[] = "D:(A;;GA;;;SY)(A;;GA;;;BA)(A;;0x100001;;;AU)";
// How long an operation waits for another copy's operation to end.
inline constexpr std::uint32_t kStoreLockWaitMs = 30000;
inline constexpr char kMsgStoreBusy[] =
    "Another copy of Launchward (another user's logon or edit window) is changing the start-up "
    "items. Nothing was changed; try again in a moment.";

class StoreLock {
 public:
  enum class Need {
    kRequired,     // the operation changes the store: no lock, no change (raises kMsgStoreBusy)
    kIfAvailable,  // the operation reads, or changes what is its own: it goes on without it
  };
  explicit StoreLock(Need need = Need::kRequired);
  ~StoreLock();
  StoreLock(const StoreLock&) = delete;
  StoreLock& operator=(const StoreLock&) = delete;

  // True while this object owns the lock. A machine where the mutex cannot be made at all (no
  // such namespace) runs without it, as a single session would.
  bool Held() const { return owned_; }

 private:
  Handle mutex_ = 0;
  bool owned_ = false;
};

}  // namespace lw
