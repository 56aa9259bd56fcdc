// The edit window's commands that start or show an item without changing the store: run, find
// target, properties and the internet search. Programs start and folders open through the
// runner, as at logon; properties sheets through the view.

#include "edit/EditWindow.h"
#include "items/ItemManager.h"
#include "platform/Platform.h"
#include "runner/LogonRunner.h"
#include "ui/Dialogs.h"
#include "util/ExecutablePath.h"
#include "util/Text.h"

namespace lw {

namespace {

constexpr std::size_t kCommandColumn = 0;  // the command of both Run-key lists

// The folder part of a path: up to and including its last backslash or colon.
std::string FolderOf(const std::string& path) {
  return path.substr(0, path.size() - ExtractFileName(path).size());
}

}  // namespace

// --- Start, open, properties, search -------------------------------------------------------------

void EditWindow::ShowProperties(const std::string& path, const char* notFound) {
  if (path.empty()) {
    ShowMessage(notFound);
  } else {
    view_.ShowItemProperties(path);
  }
}

void EditWindow::OpenFolderOf(const std::string& path) {
  std::intptr_t code = 0;
  runner_.ShellOpenPath(FolderOf(path), code);
}

void EditWindow::OnRunChosen() {
  bool runKey = false;
  const EditRow* row = SingleActiveRow(runKey);
  if (row == nullptr) return;
  const EditRow chosen = *row;
  if (runKey) {
    runner_.StartRunkeyItem(chosen.caption, chosen.SubItem(kCommandColumn));
  } else {
    std::intptr_t code = 0;
    runner_.ShellOpenPath(chosen.caption, code);
  }
}

void EditWindow::OnFindTargetChosen() {
  bool runKey = false;
  const EditRow* row = SingleActiveRow(runKey);
  if (row == nullptr) return;
  const std::string path = runKey ? ResolveCommandProgram(row->SubItem(kCommandColumn))
                                  : (FileExists(row->caption) ? row->caption : std::string());
  if (path.empty()) {
    ShowMessage(kMsgFileNotFound);
  } else {
    OpenFolderOf(path);
  }
}

void EditWindow::OnPropertiesChosen() {
  bool runKey = false;
  const EditRow* row = SingleActiveRow(runKey);
  if (row == nullptr) return;
  ShowProperties(runKey ? ResolveCommandProgram(row->SubItem(kCommandColumn))
                        : (FileExists(row->caption) ? row->caption : std::string()),
                 kMsgFileNotFound);
}

void EditWindow::OnInternetSearchChosen() {
  bool runKey = false;
  const EditRow* row = SingleActiveRow(runKey);
  if (row == nullptr) return;
  std::string program;
  if (runKey) {
    program = ResolveCommandProgram(row->SubItem(kCommandColumn));
  } else if (FileExists(row->caption)) {
    // The target's own (long) name: a short name such as PROGRA~1.EXE finds nothing.
    std::string target;
    if (Shell().LoadShellLink(row->caption, 0, &target, nullptr) == kSOk) program = target;
  }
  if (program.empty()) {
    ShowMessage(kMsgNoExecutableName);
    return;
  }
  view_.OpenUrl(kSearchUrl + EncodeQueryComponent(ExtractFileName(program)));
}

void EditWindow::OnRunPropertiesClicked(bool shiftHeld) {
  const std::vector<EditRow> rows = SelectedRows(EditListId::kRunSort);
  if (rows.empty()) return;
  const EditRow& row = rows.front();
  if (shiftHeld) {
    runner_.StartRunkeyItem(row.caption, row.SubItem(kCommandColumn));
  } else {
    ShowProperties(ResolveCommandProgram(row.SubItem(kCommandColumn)), kMsgCannotLocate);
  }
}

void EditWindow::OnStartupPropertiesClicked(bool shiftHeld) {
  const std::vector<EditRow> rows = SelectedRows(EditListId::kStartup);
  if (rows.empty()) return;
  if (shiftHeld) {
    std::intptr_t code = 0;
    runner_.ShellOpenPath(rows.front().caption, code);
  } else {
    view_.ShowItemProperties(rows.front().caption);
  }
}

void EditWindow::OnRunOtherPropertiesClicked() {
  const std::vector<EditRow> rows = SelectedRows(EditListId::kRunDisabled);
  if (rows.empty()) return;
  ShowProperties(ResolveCommandProgram(rows.front().SubItem(kCommandColumn)), kMsgCannotLocate);
}

void EditWindow::OnStartupOtherPropertiesClicked() {
  const std::vector<EditRow> rows = SelectedRows(EditListId::kStartupDisabled);
  if (rows.empty()) return;
  view_.ShowItemProperties(rows.front().caption);
}

std::string EncodeQueryComponent(const std::string& text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  for (unsigned char c : text) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '_' || c == '.' || c == '~';
    if (plain) {
      encoded += static_cast<char>(c);
    } else {
      encoded += '%';
      encoded += kHex[c >> 4];
      encoded += kHex[c & 0x0F];
    }
  }
  return encoded;
}

}  // namespace lw
