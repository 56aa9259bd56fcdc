#pragma once
// The real platform: the seam over the Windows API (ANSI functions).

#include <memory>

#include "platform/Platform.h"

namespace lw {

std::unique_ptr<IPlatform> MakeWin32Platform();

}  // namespace lw
