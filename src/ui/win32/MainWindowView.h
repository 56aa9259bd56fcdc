#pragma once
// The main window on the screen: the five buttons with their explanations, driven by the
// portable MainWindow that it owns. The windows it opens (Options, About, the auto-tune error
// dialog, the restore window) are created after it, so it reaches them through the routes that
// the program's window set gives it.

#include <functional>

#include "ui/MainWindow.h"
#include "ui/win32/Win32Form.h"

namespace lw {

// The window class name that other programs find the window by.
inline constexpr char kMainWindowClass[] = "TfrmMain";

// The control ids (a test finds the controls by them). The buttons come first, in their tab
// order.
inline constexpr int kMainRestoreId = 101;
inline constexpr int kMainInstallId = 102;
inline constexpr int kMainEditId = 103;
inline constexpr int kMainAboutId = 104;
inline constexpr int kMainOptionsId = 105;
inline constexpr int kMainTopBarId = 106;
inline constexpr int kMainPictureId = 107;
inline constexpr int kMainTitleId = 108;
inline constexpr int kMainMiddleBarId = 109;
inline constexpr int kMainInstallTextId = 110;
inline constexpr int kMainRestoreTextId = 111;
inline constexpr int kMainExcludeTextId = 112;
inline constexpr int kMainExcludeNoteId = 113;
inline constexpr int kMainEditTextId = 114;
inline constexpr int kMainOptionsTextId = 115;

// The other windows, as the main window opens them; an empty route does nothing.
struct MainWindowRoutes {
  std::function<void()> showOptions;        // modally
  std::function<void()> showAbout;          // without blocking the main window
  std::function<void()> showAutoTuneError;  // modally
  std::function<void()> showRestore;        // modally
  std::function<void()> showEdit;           // modally, its lists prepared
};

class MainWindowView final : public Win32Form, public IMainWindowView {
 public:
  explicit MainWindowView(MainWindowRoutes routes);

  MainWindow& Logic() { return logic_; }

  // IMainWindowView
  void SetInstallEnabled(bool enabled) override { SetItemEnabled(kMainInstallId, enabled); }
  void SetRestoreEnabled(bool enabled) override { SetItemEnabled(kMainRestoreId, enabled); }
  void SetEditEnabled(bool enabled) override { SetItemEnabled(kMainEditId, enabled); }
  void ShowAndBringToFront() override;
  void ShowOptionsDialog() override { Open(routes_.showOptions); }
  void ShowEditWindow() override { Open(routes_.showEdit); }
  void ShowRestoreWindow() override { Open(routes_.showRestore); }
  void ShowAboutBox() override { Open(routes_.showAbout); }
  void ShowAutoTuneError() override { Open(routes_.showAutoTuneError); }

 protected:
  void OnCommand(int id, int notifyCode) override;
  void OnClose() override { logic_.OnClosed(); }

 private:
  static void Open(const std::function<void()>& route) {
    if (route) route();
  }

  MainWindowRoutes routes_;
  MainWindow logic_;
};

}  // namespace lw
