#pragma once
// The ITaskScheduler part of the real platform (see Win32Platform.h).

#include <memory>

#include "platform/Platform.h"

namespace lw {

std::unique_ptr<ITaskScheduler> MakeWin32Tasks();

}  // namespace lw
