#pragma once
// The IRegistry part of the real platform (see Win32Platform.h).

#include <memory>

#include "platform/Platform.h"

namespace lw {

std::unique_ptr<IRegistry> MakeWin32Registry();

}  // namespace lw
