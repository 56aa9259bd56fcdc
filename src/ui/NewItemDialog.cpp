#include "ui/NewItemDialog.h"

#include "platform/Platform.h"
#include "util/Text.h"

namespace lw {

bool NewItemCanBeAdded(const std::string& name, const std::string& path) {
  if (TrimBlanks(name).empty() || path.empty()) return false;
  const std::uint32_t attributes = Files().GetFileAttributes(path);
  return attributes != kInvalidFileAttributes && (attributes & kFileAttributeDirectory) == 0;
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
