#include "platform/win32/Win32Handle.h"

namespace lw {

ScopedHandle::~ScopedHandle() {
  if (!IsValid()) return;
  LastErrorKeeper keep;
  ::CloseHandle(handle_);
}

}  // namespace lw
