// What the edit window's buttons and pop-up items offer for the selection of each list.
//
// The view calls OnSelectionChanged for every change of a list's selection, by the mouse or by
// the keyboard, so that the buttons always match what is selected; the lists are filled again
// after every command, and the buttons then follow the selection that is left.

#include "edit/EditWindow.h"
#include "store/SettingsStore.h"
#include "util/Error.h"
#include "util/ExecutablePath.h"
#include "util/FileVersion.h"
#include "util/Text.h"

namespace lw {

namespace {

// The columns after the caption.
constexpr std::size_t kRunValue = 0, kRunPause = 2;
constexpr std::size_t kRunDisabledStatus = 1;
constexpr std::size_t kStartupPause = 1;
constexpr std::size_t kStartupDisabledStatus = 0;

bool RunKeyList(EditListId list) {
  return list == EditListId::kRunSort || list == EditListId::kRunDisabled;
}

std::size_t StatusColumn(EditListId list) {
  return list == EditListId::kRunDisabled ? kRunDisabledStatus : kStartupDisabledStatus;
}

bool AnyDisabled(const std::vector<EditRow>& rows, std::size_t statusColumn) {
  for (const EditRow& row : rows) {
    if (row.SubItem(statusColumn) == kDisabledStatusText) return true;
  }
  return false;
}

bool AllExcluded(const std::vector<EditRow>& rows, std::size_t statusColumn) {
  for (const EditRow& row : rows) {
    if (row.SubItem(statusColumn) != kExcludedStatusText) return false;
  }
  return !rows.empty();
}

}  // namespace

std::vector<EditRow> EditWindow::SelectedRows(EditListId list) const {
  std::vector<EditRow> rows;
  for (const EditRow& row : List(list)) {
    if (row.selected) rows.push_back(row);
  }
  return rows;
}

const EditRow* EditWindow::SingleActiveRow(bool& runKey) const {
  if (activeList_ < 0) return nullptr;
  const EditListId list = static_cast<EditListId>(activeList_);
  const EditList& rows = List(list);
  if (SelectionCount(rows) != 1) return nullptr;
  runKey = RunKeyList(list);
  return &rows[static_cast<std::size_t>(FirstSelected(rows))];
}

void EditWindow::OnSelectionChanged(EditListId list) {
  if (list == EditListId::kRunSort) activeList_ = static_cast<int>(list);
  UpdateControls(list);
  view_.ControlsChanged();
}

void EditWindow::UpdateControls(EditListId list) {
  const EditList& rows = List(list);
  const int count = SelectionCount(rows);
  const EditRow* row = count == 1 ? &rows[static_cast<std::size_t>(FirstSelected(rows))] : nullptr;
  EditControls& c = controls_;
  switch (list) {
    case EditListId::kRunSort: {
      c.runProperties = c.runSetPause = count == 1;
      c.runDisable = c.runExclude = count >= 1;
      c.versionText.clear();
      if (row == nullptr) break;
      const std::string program = ResolveCommandProgram(row->SubItem(kRunValue));
      const std::string version = program.empty() ? std::string() : GetFileVersionString(program);
      if (!version.empty()) c.versionText = ExtractFileName(row->caption) + kVersionInfix + version;
      c.pauseText = row->SubItem(kRunPause);
      if (c.pauseText == kDefaultPauseText) c.pauseText = view_.DefaultRunkeyPauseText();
      break;
    }
    case EditListId::kStartup:
      c.startupProperties = c.startupMove = c.startupSetPause = count == 1;
      c.startupDisable = c.startupExclude = count >= 1;
      if (row == nullptr) break;
      c.startupPauseText = row->SubItem(kStartupPause);
      if (c.startupPauseText == kDefaultPauseText) {
        c.startupPauseText = view_.DefaultStartupPauseText();
      }
      break;
    case EditListId::kRunDisabled:
    case EditListId::kStartupDisabled: {
      // Enable acts on every selected row, Delete on every selected disabled one.
      const std::vector<EditRow> selected = SelectedRows(list);
      const bool runKey = list == EditListId::kRunDisabled;
      bool& enable = runKey ? c.runEnable : c.startupEnable;
      bool& remove = runKey ? c.runDelete : c.startupDelete;
      bool& properties = runKey ? c.runOtherProperties : c.startupOtherProperties;
      std::string& caption = runKey ? c.runEnableCaption : c.startupEnableCaption;
      enable = count >= 1;
      properties = count == 1;
      remove = AnyDisabled(selected, StatusColumn(list));
      if (count >= 1) caption = AllExcluded(selected, StatusColumn(list)) ? "Include" : "Enable";
      break;
    }
  }
}

void EditWindow::OnMouseDown(EditListId list, bool rightButton) {
  activeList_ = static_cast<int>(list);
  const EditList& rows = List(list);
  const int count = SelectionCount(rows);
  if (list != EditListId::kRunSort && count == 0) return;  // nothing to act on: no pop-up
  EditMenu& m = menu_;
  const bool one = count == 1;
  m.run = one && (list == EditListId::kRunSort || list == EditListId::kStartup);
  m.findTarget = m.properties = m.search = one;
  m.priority = list == EditListId::kRunSort && count >= 1;
  m.disable = m.exclude =
      count >= 1 && (list == EditListId::kRunSort || list == EditListId::kStartup);
  const bool lower = list == EditListId::kRunDisabled || list == EditListId::kStartupDisabled;
  m.enable = lower;
  m.remove = lower && AnyDisabled(SelectedRows(list), StatusColumn(list));
  m.newItem = list == EditListId::kRunSort;
  m.checkedPriority = 0;
  if (m.priority) {
    const EditRow& row = rows[static_cast<std::size_t>(FirstSelected(rows))];
    std::int32_t stored = kDefaultPriority;
    try {
      stored = GetPriority(row.caption, kDefaultPriority);
    } catch (const Error&) {
      // Not a number: no class is checked.
      stored = 0;
    }
    for (const PriorityChoice& choice : PriorityChoices()) {
      if (choice.priorityClass == stored) m.checkedPriority = stored;
    }
  }
  if (rightButton) view_.ShowPopupMenu();
}

}  // namespace lw
