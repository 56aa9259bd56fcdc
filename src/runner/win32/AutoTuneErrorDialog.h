#pragma once
// The dialog shown once when the processor load cannot be sampled: what went wrong and where to
// read how to repair it. A resizable box of five lines and an empty status bar.

#include "ui/win32/Win32Form.h"

namespace lw {

// The window class name that other programs find the dialog by.
inline constexpr char kAutoTuneErrorDialogClass[] = "TFrmAutoTuneError";

inline constexpr int kAutoTuneErrorTextId = 101;
inline constexpr int kAutoTuneErrorStatusBarId = 102;

class AutoTuneErrorDialog final : public Win32Form {
 public:
  // The creation handler fills the box with the five lines.
  AutoTuneErrorDialog();
  std::string Text() const { return ItemText(kAutoTuneErrorTextId); }
};

}  // namespace lw
