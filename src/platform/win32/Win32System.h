#pragma once
// The ISystem part of the real platform (see Win32Platform.h).

#include <memory>

#include "platform/Platform.h"

namespace lw {

std::unique_ptr<ISystem> MakeWin32System();

}  // namespace lw
