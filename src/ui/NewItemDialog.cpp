#include "ui/NewItemDialog.h"

#include "util/ExecutablePath.h"
#include "util/Text.h"

namespace lw {

bool NewItemCanBeAdded(const std::string& name, const std::string& path) {
  return !TrimBlanks(name).empty() && FileExists(path);
}

void NewItemDialog::OnShow() {
  view_.SetNameText("");
  view_.SetPathText("");
  view_.SetAddEnabled(false);
}

void NewItemDialog::OnTextChanged() {
  view_.SetAddEnabled(NewItemCanBeAdded(view_.NameText(), view_.PathText()));
}

void NewItemDialog::OnBrowseClicked() {
  std::string path;
  if (!view_.ChooseProgram(path)) return;
  view_.SetPathText(path);
  // A view whose edit tells its change on its own has done this already; once more is harmless.
  OnTextChanged();
}

}  // namespace lw
