// The edit window's commands. Every change goes through the item manager, one item at a time:
// an item whose change fails stays where it was (the manager's guarantee), the error is shown,
// and the items after it are left alone. The lists are filled again after every command that
// changes the store, whatever happened.

#include "edit/EditWindow.h"
#include "edit/ListMover.h"
#include "items/ItemManager.h"
#include "store/SettingsStore.h"
#include "store/StoreLock.h"
#include "ui/Dialogs.h"
#include "ui/NewItemDialog.h"
#include "util/CurrentUser.h"
#include "util/Error.h"
#include "util/Text.h"

namespace lw {

namespace {

constexpr std::size_t kRunDisabledStatus = 1;
constexpr std::size_t kStartupDisabledStatus = 0;

// The exclusion a row of the lower list stands for; raises when it is gone meanwhile.
ExcludedRunItem ExcludedRow(const std::string& caption) {
  for (const ExcludedRunItem& item : ExcludedRunItems()) {
    if (item.caption == caption) return item;
  }
  throw Error("Unable to include " + caption + " : it is no longer excluded");
}

// The stored item name split into its name without the user prefix and that prefix, as the item
// manager takes them. A machine item has no prefix: its whole stored name (a 64-bit one's mark
// included, which the manager reads as the view) is what it goes by.
void SplitStoredName(const std::string& storedName, std::string& valueName, std::string& prefix) {
  const RunOrigin origin = RunItemOrigin(storedName);
  const bool prefixed =
      origin.root == kHKeyCurrentUser && storedName.size() > origin.valueName.size();
  valueName = prefixed ? origin.valueName : storedName;
  prefix = storedName.substr(0, storedName.size() - valueName.size());
}

bool StoreHolds(const std::string& key, const std::string& name) {
  return SharedRegistry().ValueExistsAt(kProgramRoot, key, name);
}

// Whether "StartupSort" lists a shortcut of that file name, in whatever folder.
bool StartupOrderHoldsName(const std::string& fileName) {
  const std::int32_t count = GetStartupSortCount();
  for (std::int32_t index = 0; index < count; ++index) {
    const std::string entry =
        SharedRegistry().GetStringAt(kProgramRoot, kStartupSortKey, std::to_string(index));
    if (SameText(ExtractFileName(entry), fileName)) return true;
  }
  return false;
}

// A change the registry refused without a word (a value that could not be deleted, an integer
// that was not written) is found by looking: the command then stops with the message, as it
// does for a refused write, instead of leaving the user to believe it was done.
void Require(bool done, const std::string& what, const std::string& item) {
  if (!done) throw Error("Unable to " + what + " " + item);
}

}  // namespace

// --- Moves ---------------------------------------------------------------------------------

void EditWindow::OnMoveTop(EditListId list) {
  MoveSelectedTop(lists_[static_cast<int>(list)]);
  view_.RowsChanged(list);
  SaveOrder();
}

void EditWindow::OnMoveUp(EditListId list) {
  MoveSelectedUp(lists_[static_cast<int>(list)]);
  view_.RowsChanged(list);
  SaveOrder();
}

void EditWindow::OnMoveDown(EditListId list) {
  MoveSelectedDown(lists_[static_cast<int>(list)]);
  view_.RowsChanged(list);
  SaveOrder();
}

void EditWindow::OnMoveBottom(EditListId list) {
  MoveSelectedBottom(lists_[static_cast<int>(list)]);
  view_.RowsChanged(list);
  SaveOrder();
}

// --- Disable, exclude, enable, delete ----------------------------------------------------------

void EditWindow::OnDisableRunClicked() {
  const std::vector<EditRow> rows = SelectedRows(EditListId::kRunSort);
  if (rows.empty() || !Confirm(kMsgConfirmDisable)) return;
  ChangeStore([&] {
    for (const EditRow& row : rows) {
      // The value name without the user's prefix: that is the name the item's value has in
      // its Run key, from which a copy written back meanwhile is removed too.
      std::string valueName, prefix;
      SplitStoredName(row.caption, valueName, prefix);
      SharedItemManager().DisableRunItem(valueName, prefix);
      Require(!RunOrderHolds(row.caption) && StoreHolds(kRunDisabledKey, row.caption), "disable",
              row.caption);
    }
  });
}

void EditWindow::OnExcludeRunClicked() {
  const std::vector<EditRow> rows = SelectedRows(EditListId::kRunSort);
  if (rows.empty() || !Confirm(kMsgConfirmExclude)) return;
  ChangeStore([&] {
    for (const EditRow& row : rows) {
      SharedItemManager().ExcludeRunItem(row.caption);
      Require(!RunOrderHolds(row.caption) && !StoreHolds(kRunItemsKey, row.caption), "exclude",
              row.caption);
    }
  });
}

void EditWindow::OnDisableStartupClicked() {
  const std::vector<EditRow> rows = SelectedRows(EditListId::kStartup);
  if (rows.empty() || !Confirm(kMsgConfirmDisable)) return;
  ChangeStore([&] {
    WriteOrder();
    for (const EditRow& row : rows) {
      // Into the store first, should the shortcut still lie elsewhere; one that is gone is
      // disabled under the path the order knew it by.
      const std::string stored = SharedItemManager().IncludeStartupItem(row.caption);
      const std::string path = stored.empty() ? row.caption : stored;
      SharedItemManager().DisableStartupItem(path);
      Require(StoreHolds(kStartupDisableKey, ExtractFileName(path)) && !StartupOrderHolds(path),
              "disable", path);
    }
  });
}

void EditWindow::OnExcludeStartupClicked() {
  const std::vector<EditRow> rows = SelectedRows(EditListId::kStartup);
  if (rows.empty() || !Confirm(kMsgConfirmExclude)) return;
  ChangeStore([&] {
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
      SharedItemManager().ExcludeStartupItem(row->caption);
      Require(!StartupOrderHolds(row->caption) &&
                  StoreHolds(kStartupExcludeKey, ExtractFileName(row->caption)),
              "exclude", row->caption);
    }
  });
}

void EditWindow::OnRunEnableClicked() {
  const std::vector<EditRow> rows = SelectedRows(EditListId::kRunDisabled);
  if (rows.empty()) return;
  ChangeStore([&] {
    for (const EditRow& row : rows) {
      if (row.SubItem(kRunDisabledStatus) == kExcludedStatusText) {
        // From the Run key it lives in, back under its user's stored name; only this owner's
        // exclusion of the name goes.
        const ExcludedRunItem item = ExcludedRow(row.caption);
        const std::string stored = SharedItemManager().IncludeExcludedRunItem(item.origin);
        Require(!RunItemExcluded(item.excludeName, item.owner) &&
                    (stored.empty() ||
                     (RunOrderHolds(stored) &&
                      SharedItemManager().ReadOriginRunValue(item.origin).text.empty())),
                "include", row.caption);
      } else {
        SharedItemManager().EnableRunItem(row.caption);
        Require(RunOrderHolds(row.caption) && !StoreHolds(kRunDisabledKey, row.caption), "enable",
                row.caption);
      }
    }
  });
}

void EditWindow::OnStartupEnableClicked() {
  const std::vector<EditRow> rows = SelectedRows(EditListId::kStartupDisabled);
  if (rows.empty()) return;
  ChangeStore([&] {
    for (const EditRow& row : rows) {
      if (row.SubItem(kStartupDisabledStatus) == kExcludedStatusText) {
        std::string failure;
        const std::string stored = SharedItemManager().IncludeStartupItem(row.caption, &failure);
        if (stored.empty() && !failure.empty()) throw Error(failure);
      } else {
        SharedItemManager().EnableStartupItem(row.caption);
        Require(!StoreHolds(kStartupDisableKey, ExtractFileName(row.caption)), "enable",
                row.caption);
      }
      const std::string fileName = ExtractFileName(row.caption);
      Require(StartupOrderHoldsName(fileName) && !StoreHolds(kStartupExcludeKey, fileName),
              "include", row.caption);
    }
  });
}

void EditWindow::OnRunDeleteClicked() {
  std::vector<EditRow> rows;
  for (const EditRow& row : SelectedRows(EditListId::kRunDisabled)) {
    if (row.SubItem(kRunDisabledStatus) == kDisabledStatusText) rows.push_back(row);
  }
  // An excluded item is Windows' to start: there is nothing of it here to delete.
  if (rows.empty() || !Confirm(kMsgConfirmDelete)) return;
  ChangeStore([&] {
    for (const EditRow& row : rows) {
      registry_.TakeString(kRunDisabledKey, row.caption);
      Require(!StoreHolds(kRunDisabledKey, row.caption), "delete", row.caption);
    }
  });
}

void EditWindow::OnStartupDeleteClicked() {
  std::vector<EditRow> rows;
  for (const EditRow& row : SelectedRows(EditListId::kStartupDisabled)) {
    if (row.SubItem(kStartupDisabledStatus) == kDisabledStatusText) rows.push_back(row);
  }
  if (rows.empty() || !Confirm(kMsgConfirmDelete)) return;
  // The shortcut file stays in the store, where Restore still finds it.
  ChangeStore([&] {
    for (const EditRow& row : rows) {
      registry_.TakeString(kStartupDisableKey, ExtractFileName(row.caption));
      Require(!StoreHolds(kStartupDisableKey, ExtractFileName(row.caption)), "delete", row.caption);
    }
  });
}

// --- Pauses and priority -------------------------------------------------------------------------

namespace {

// The pause field's text: empty (the default pause, *pause -1) or a whole number of
// milliseconds. A negative one is no length of time and is refused like a word.
bool ReadPauseText(const std::string& text, std::int32_t* pause) {
  if (TrimBlanks(text).empty()) {
    *pause = -1;
    return true;
  }
  if (TryParseWholeNumber(text, pause) && *pause >= 0) return true;
  ShowMessage(kMsgPauseNumbersOnly);
  return false;
}

// Read back: a registry that refuses an integer says nothing of it.
void StorePause(const std::string& itemKey, std::int32_t pause) {
  if (pause < 0) {
    DeleteCustomDelay(itemKey);
  } else {
    SetCustomDelay(itemKey, pause);
  }
  if (GetCustomDelay(itemKey) != (pause < 0 ? 0 : pause)) {
    throw Error("Unable to store the pause of " + itemKey);
  }
}

}  // namespace

void EditWindow::OnSetRunPauseClicked(const std::string& text) {
  const std::vector<EditRow> rows = SelectedRows(EditListId::kRunSort);
  std::int32_t pause = 0;
  if (rows.empty() || !ReadPauseText(text, &pause)) return;
  ChangeStore([&] { StorePause(rows.front().caption, pause); });
}

void EditWindow::OnSetStartupPauseClicked(const std::string& text) {
  const std::vector<EditRow> rows = SelectedRows(EditListId::kStartup);
  std::int32_t pause = 0;
  if (rows.empty() || !ReadPauseText(text, &pause)) return;
  ChangeStore([&] { StorePause(rows.front().caption, pause); });
}

void EditWindow::OnPriorityChosen(std::int32_t priorityClass) {
  const std::vector<EditRow> rows = SelectedRows(EditListId::kRunSort);
  if (rows.empty()) return;
  try {
    StoreLock lock;
    SetPriority(rows.front().caption, priorityClass);
  } catch (const Error& error) {
    ShowMessage(error.what());
  }
}

// --- Move a shortcut, new item -------------------------------------------------------------------

void EditWindow::OnMoveShortcutClicked() {
  const std::vector<EditRow> rows = SelectedRows(EditListId::kStartup);
  if (rows.empty() || !Confirm(kMsgConfirmMove)) return;
  const std::string path = rows.front().caption;
  ChangeStore([&] {
    std::string target;
    if (!SharedItemManager().MoveShortcutToRunKey(path, target, false)) {
      throw Error("Unable to read the shortcut " + path);
    }
  });
}

void EditWindow::OnNewItemChosen() {
  std::string name, path;
  if (!view_.AskNewItem(kNewItemFilter, name, path) || !NewItemCanBeAdded(name, path)) return;
  ChangeStore([&] { IncludeNewRunItem(name, path); });
}

void EditWindow::IncludeNewRunItem(const std::string& wanted, const std::string& path) {
  // The item is the current user's, stored under the user's stored name; an elevated copy that
  // cannot tell whose window started it stores nobody's.
  RequireKnownAccount();
  const std::string prefix = CurrentUserPrefix();
  auto taken = [&](const std::string& name) {
    for (const EditRow& row : List(EditListId::kRunSort)) {
      if (SameText(row.caption, name) || SameText(row.caption, prefix + name)) return true;
    }
    // Never over a stored item, nor under the name of a value of the user's Run key: the next
    // take-over would store that one under the same name.
    return StoreHolds(kRunItemsKey, prefix + name) || StoreHolds(kRunDisabledKey, prefix + name) ||
           SharedRegistry().ValueExistsAt(kHKeyCurrentUser, kRunKey, name);
  };
  std::string name = wanted;
  for (int k = 1; taken(name); ++k) name = wanted + std::to_string(k);
  SharedItemManager().AddNewRunItem(prefix + name, path);
}

// --- Menu routing ------------------------------------------------------------------------------

void EditWindow::OnDisableChosen() {
  page_ == 0 ? OnDisableRunClicked() : OnDisableStartupClicked();
}
void EditWindow::OnEnableChosen() { page_ == 0 ? OnRunEnableClicked() : OnStartupEnableClicked(); }
void EditWindow::OnExcludeChosen() {
  page_ == 0 ? OnExcludeRunClicked() : OnExcludeStartupClicked();
}
void EditWindow::OnDeleteChosen() { page_ == 0 ? OnRunDeleteClicked() : OnStartupDeleteClicked(); }

}  // namespace lw
