#pragma once
// Text between the program and Windows: what a Windows call writes into a buffer the caller
// sizes, and the program's single-byte text (the system code page) as the wide text of the
// Unicode and COM calls, and back.

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

// A failed call's last error as an HRESULT; never S_OK, even where the call left no error.
inline HRESULT FailureFromLastError() {
  const DWORD error = ::GetLastError();
  return error == ERROR_SUCCESS ? E_FAIL : HRESULT_FROM_WIN32(error);
}

// The program's text as wide text, converted from the system code page: S_OK, or the
// conversion's error as an HRESULT.
inline HRESULT WideFromText(const std::string& text, std::wstring* wide) {
  wide->clear();
  if (text.empty()) return S_OK;
  const int size = static_cast<int>(text.size());
  const int length = ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
  if (length <= 0) return FailureFromLastError();
  wide->assign(static_cast<std::size_t>(length), L'\0');
  if (::MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide->data(), length) <= 0) {
    return FailureFromLastError();
  }
  return S_OK;
}

// Wide text as the program's text in the system code page; characters the code page lacks
// become its default character ('?').
inline HRESULT TextFromWide(const wchar_t* wide, std::size_t count, std::string* text) {
  text->clear();
  if (count == 0) return S_OK;
  const int size = static_cast<int>(count);
  const int length = ::WideCharToMultiByte(CP_ACP, 0, wide, size, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return FailureFromLastError();
  text->assign(static_cast<std::size_t>(length), '\0');
  if (::WideCharToMultiByte(CP_ACP, 0, wide, size, text->data(), length, nullptr, nullptr) <= 0) {
    return FailureFromLastError();
  }
  return S_OK;
}

}  // namespace lw
