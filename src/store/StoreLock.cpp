#include "store/StoreLock.h"

#include "platform/Platform.h"
#include "util/Error.h"

namespace lw {

StoreLock::StoreLock(Need need) {
  mutex_ = Sys().CreateMutexWithSddl(false, kStoreLockName, kStoreLockSddl);
  if (mutex_ == 0) {
    // Where a namespace or a descriptor is refused, the plain mutex still keeps the program's
    // copies of this session apart.
    mutex_ = Sys().CreateMutex(false, kStoreLockName);
  }
  if (mutex_ == 0) return;
  const std::uint32_t result = Sys().WaitForSingleObject(mutex_, kStoreLockWaitMs);
  // An owner that ended without letting go leaves the store as its last change did; every
  // change is made so that it can stop between any two registry calls.
  owned_ = result == kWaitObject0 || result == kWaitAbandoned;
  if (owned_ || need == Need::kIfAvailable) return;
  Sys().CloseHandle(mutex_);
  mutex_ = 0;
  throw Error(kMsgStoreBusy);
}

StoreLock::~StoreLock() {
  if (mutex_ == 0) return;
  if (owned_) Sys().ReleaseMutex(mutex_);
  Sys().CloseHandle(mutex_);
}

}  // namespace lw
