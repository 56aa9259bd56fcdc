#pragma once
// The New Item dialog on the screen: the name and the program's full file name, the browse
// button (the system's file dialog, showing programs), Add and Cancel. Driven by the portable
// NewItemDialog that it owns; shown modally by the window that adds the item.

#include <string>

#include "ui/NewItemDialog.h"
#include "ui/win32/Win32Form.h"

namespace lw {

// The window class name that other programs find the dialog by.
inline constexpr char kNewItemDialogClass[] = "TFrmNewItem";

inline constexpr int kNewItemNameLabelId = 101;
inline constexpr int kNewItemNameId = 102;
inline constexpr int kNewItemPathLabelId = 103;
inline constexpr int kNewItemPathId = 104;
inline constexpr int kNewItemBrowseId = 105;
inline constexpr int kNewItemAddId = 106;
inline constexpr int kNewItemCancelId = 107;

class NewItemDialogView final : public Win32Form, public INewItemDialogView {
 public:
  NewItemDialogView();

  // The file dialog's filter from now on: "description | pattern" (blanks around either are
  // dropped); a text without "|" is the pattern and its own description.
  void SetFilter(const std::string& filter);

  // Shows the dialog, empty, until Add (IDOK) or Cancel, Esc or the close box (IDCANCEL).
  int Execute();
  // What the user entered (read after IDOK).
  std::string Name() const { return NameText(); }
  std::string Path() const { return PathText(); }

  // INewItemDialogView
  std::string NameText() const override { return ItemText(kNewItemNameId); }
  std::string PathText() const override { return ItemText(kNewItemPathId); }
  void SetNameText(const std::string& text) override { SetItemText(kNewItemNameId, text); }
  void SetPathText(const std::string& text) override { SetItemText(kNewItemPathId, text); }
  void SetAddEnabled(bool enabled) override { SetItemEnabled(kNewItemAddId, enabled); }
  bool ChooseProgram(std::string& path) override;

 protected:
  void OnCommand(int id, int notifyCode) override;

 private:
  NewItemDialog logic_;
  std::string filterName_ = kNewItemFilterName;
  std::string filterPattern_ = kNewItemFilterPattern;
};

}  // namespace lw
