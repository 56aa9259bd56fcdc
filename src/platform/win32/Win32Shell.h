#pragma once
// The IShell part of the real platform (see Win32Platform.h).

#include <memory>

#include "platform/Platform.h"

namespace lw {

std::unique_ptr<IShell> MakeWin32Shell();

}  // namespace lw
