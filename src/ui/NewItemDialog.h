#pragma once
// The New Item dialog's logic: a name and the full file name of a program, for a new run-key
// item. Add is enabled only while the name is not blank and the path names an existing file
// (not a folder); the browse button fills the path from a file dialog that shows programs.
//
// The logic talks to its dialog through INewItemDialogView, so the same code drives the real
// dialog and a recording one in the tests.

#include <string>

namespace lw {

inline constexpr char kNewItemCaption[] = "New Item";
inline constexpr char kNewItemNameLabel[] = "Name";
inline constexpr char kNewItemPathLabel[] = "Full Filename";
inline constexpr char kNewItemAddCaption[] = "Add";
inline constexpr char kNewItemCancelCaption[] = "Cancel";
// The file dialog's filter: its description and its pattern.
inline constexpr char kNewItemFilterName[] = "Executable (*.exe)";
inline constexpr char kNewItemFilterPattern[] = "*.EXE";

class INewItemDialogView {
 public:
  virtual ~INewItemDialogView() = default;
  virtual std::string NameText() const = 0;
  virtual std::string PathText() const = 0;
  virtual void SetNameText(const std::string& text) = 0;
  virtual void SetPathText(const std::string& text) = 0;
  virtual void SetAddEnabled(bool enabled) = 0;
  // The file dialog with the filter; true with the chosen file's full path, false when the
  // user cancelled it.
  virtual bool ChooseProgram(std::string& path) = 0;
};

// Whether Add may be pressed for this name and path: a name with something besides blanks (a
// blank value name is no item Launchward could take over) and a path that names an existing
// file, not a folder.
bool NewItemCanBeAdded(const std::string& name, const std::string& path);

class NewItemDialog {
 public:
  explicit NewItemDialog(INewItemDialogView& view) : view_(view) {}

  // Every show starts empty, with Add disabled.
  void OnShow();
  // Either edit changed.
  void OnTextChanged();
  void OnBrowseClicked();

 private:
  INewItemDialogView& view_;
};

}  // namespace lw
