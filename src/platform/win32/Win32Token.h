#pragma once
// The IToken part of the real platform (see Win32Platform.h).

#include <memory>

#include "platform/Platform.h"

namespace lw {

std::unique_ptr<IToken> MakeWin32Token();

}  // namespace lw
