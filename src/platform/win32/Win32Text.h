#pragma once
// Text that a Windows call writes into a buffer the caller sizes.

#include "platform/win32/Win32Api.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace lw {

// Buffers that Windows fills grow up to this size; past it the call is taken as failed.
inline constexpr DWORD kLargestText = 1u << 20;

// Calls fill(buffer, size) until the text fits. fill returns what the Windows call returns:
// the length without the zero when the text fits, a length not below the size (or zero) when
// it does not; zero with an error means failure (empty, the call's last error kept). The text
// ends at its first zero byte, since some ANSI calls report a length counted in wide
// characters.
template <typename Fill>
std::string GrowingText(DWORD startSize, Fill fill) {
  std::vector<char> buffer(startSize);
  for (;;) {
    DWORD size = static_cast<DWORD>(buffer.size());
    DWORD length = fill(buffer.data(), size);
    if (length == 0) return std::string();
    if (length < size) return std::string(buffer.data(), strnlen(buffer.data(), length));
    if (size >= kLargestText) {
      ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return std::string();
    }
    buffer.resize(std::max<DWORD>(length + 1, size * 2));
  }
}

}  // namespace lw
