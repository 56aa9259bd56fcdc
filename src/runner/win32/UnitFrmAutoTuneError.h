#pragma once
// The dialog shown once when the processor load cannot be sampled: what went wrong and where to
// read how to repair it. A resizable box of five lines and an empty status bar.

#include "ui/win32/Win32Form.h"

namespace lw {

inline constexpr int kAutoTuneErrorMemoId = 101;
inline constexpr int kAutoTuneErrorStatusBarId = 102;

class TFrmAutoTuneError final : public TWin32Form {
 public:
  // The creation handler fills the box with the five lines.
  TFrmAutoTuneError();
  std::string Text() const { return ItemText(kAutoTuneErrorMemoId); }
};

}  // namespace lw
