#pragma once
// The About box on the screen: the product title, the version, the link to the project's page
// and a Close button that hides it. Shown without blocking the main window.

#include "ui/win32/Win32Form.h"

namespace lw {

// The window class name that other programs find the box by.
inline constexpr char kAboutDialogClass[] = "TFrmAbout";

inline constexpr int kAboutPictureId = 101;
inline constexpr int kAboutTitleId = 102;
inline constexpr int kAboutVersionLabelId = 103;
inline constexpr int kAboutVersionId = 104;
inline constexpr int kAboutLinkId = 105;
inline constexpr int kAboutNoteId = 106;
inline constexpr int kAboutCloseId = 107;

class AboutDialogView final : public Win32Form {
 public:
  // The creation handler reads the running executable's version.
  AboutDialogView();

  // Shows the box in front, without blocking the other windows.
  void ShowModeless();

 protected:
  void OnCommand(int id, int notifyCode) override;
};

}  // namespace lw
