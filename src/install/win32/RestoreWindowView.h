#pragma once
// The restore window on the screen: the list of stored items with their check boxes, icons and
// tips, the full-uninstall box, and the Restore and Close buttons, over RestoreWindow, which
// holds the rules. Rows the user unchecks are drawn grey; once Restore is pressed each checked
// row shows whether it went back.

#include <functional>
#include <memory>

#include "install/RestoreWindow.h"
#include "platform/win32/Win32Api.h"
#include "ui/win32/Win32Form.h"

#include <commctrl.h>

namespace lw {

// The window class name other programs (and the tests) find the window by.
inline constexpr char kRestoreWindowClass[] = "TFrmRestore";

inline constexpr int kRestoreListId = 201;
inline constexpr int kRestoreRemoveId = 202;
inline constexpr int kRestoreButtonId = 203;
inline constexpr int kRestoreCloseId = 204;

inline constexpr char kRestoreRemoveCaption[] =
    "remove all preferences from the registry (full uninstall)";

class RestoreWindowView final : public Win32Form, private IRestoreView {
 public:
  RestoreWindowView();
  ~RestoreWindowView() override;

  // The runner engine's lists, reloaded after a restore.
  void SetReloadRunnerItems(std::function<void()> reload) { reload_ = std::move(reload); }

  // Lists the stored items afresh and shows the window modally until Close (IDCANCEL).
  int Execute();

 protected:
  void OnCommand(int id, int notifyCode) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void Fill();
  void OnRestoreClicked();
  bool OnListNotify(NMHDR* header, LRESULT& result);
  HWND List() const { return Item(kRestoreListId); }
  int StateImageOf(const RestoreRow& row) const;
  // IRestoreView
  void RowChanged(int index) override;
  void Repaint() override;

  std::function<void()> reload_;
  std::unique_ptr<StartupMover> mover_;
  std::unique_ptr<RestoreWindow> window_;
  HIMAGELIST icons_ = nullptr;
  HIMAGELIST states_ = nullptr;
  bool filling_ = false;
  // Restore can be pressed once while the program runs.
  bool restoreDone_ = false;
};

}  // namespace lw
