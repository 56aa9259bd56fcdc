#pragma once
// The IFileSystem part of the real platform (see Win32Platform.h).

#include <memory>

#include "platform/Platform.h"

namespace lw {

std::unique_ptr<IFileSystem> MakeWin32Files();

}  // namespace lw
