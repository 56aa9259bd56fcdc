// The edit window's lists: their columns, how each is filled from the store, how the order is
// written back, and the window's geometry.
//
// A fill never stops on what it reads: a value that is missing or of the wrong type gives fewer
// rows or empty texts. The order is written back against the store as it is now, not as it was
// when the lists were filled: an item that left the order meanwhile is not put back (that would
// start an item the user disabled), and one that joined it is kept at the end.

#include <algorithm>
#include <set>

#include "edit/EditWindow.h"
#include "items/ItemManager.h"
#include "platform/Platform.h"
#include "runner/LastLogonRecord.h"
#include "runner/ProcessorLoad.h"
#include "store/SettingsStore.h"
#include "store/StoreLock.h"
#include "ui/Dialogs.h"
#include "util/CurrentUser.h"
#include "util/Error.h"
#include "util/ExecutablePath.h"
#include "util/Text.h"
#include "util/UserStarts.h"

namespace lw {

namespace {

std::string PauseText(const std::string& itemKey) {
  const std::int32_t pause = GetCustomDelay(itemKey);
  return pause != 0 ? std::to_string(pause) : std::string(kDefaultPauseText);
}

const char* NewText(bool isNew) { return isNew ? kYes : ""; }

// The row's icon: the program the command starts, or the program's own when it is not there.
void SetProgramIcon(EditRow& row, const std::string& command) {
  const std::string program = ResolveCommandProgram(command);
  if (FileExists(program)) {
    row.icon = RowIcon::kFile;
    row.iconFile = program;
  }
}

void SetShortcutIcon(EditRow& row) {
  if (FileExists(row.caption)) {
    row.icon = RowIcon::kShortcut;
    row.iconFile = row.caption;
  }
}

// The "User" cell: the user of an item taken from a user's own Run key.
std::string UserText(const std::string& storedName) {
  const std::string user = GetRunLocation(storedName);
  if (user == kUnknownUser) return std::string();
  return GetRunLocationHKey(storedName) == StoredRoot(kHKeyCurrentUser) ? user : std::string();
}

// Runs one row's reads; a value that cannot be read costs that row, never the fill.
template <typename Read>
void Tolerant(Read read) {
  try {
    read();
  } catch (const Error&) {
  }
}

std::vector<std::string> ValueNames(const std::string& key) {
  std::vector<std::string> names;
  SharedRegistry().ListValueNamesAt(kProgramRoot, key, names);
  return names;
}

std::string StoreText(const std::string& key, const std::string& name) {
  return SharedRegistry().GetStringAt(kProgramRoot, key, name);
}

// The entries "0" .. "SortIndex" - 1 as stored (missing ones empty).
std::vector<std::string> StoredOrder(const std::string& key) {
  std::vector<std::string> entries;
  std::int32_t count = 0;
  SharedRegistry().GetIntegerIfPresentAt(kProgramRoot, key, kSortIndexValue, count);
  for (std::int32_t index = 0; index < count; ++index) {
    std::string entry;
    Tolerant([&] { entry = StoreText(key, std::to_string(index)); });
    entries.push_back(entry);
  }
  return entries;
}

// The list's order for the entries the store lists now (of those, the ones that count), and the
// store's entries the list does not show after them.
std::vector<std::string> MergedOrder(const EditList& rows, const std::vector<std::string>& stored,
                                     bool (*counts)(const std::string&)) {
  std::vector<std::string> listed;
  for (const std::string& entry : stored) {
    if (!TrimBlanks(entry).empty() && counts(entry) &&
        std::find(listed.begin(), listed.end(), entry) == listed.end()) {
      listed.push_back(entry);
    }
  }
  std::vector<std::string> order;
  for (const EditRow& row : rows) {
    if (std::find(listed.begin(), listed.end(), row.caption) != listed.end() &&
        std::find(order.begin(), order.end(), row.caption) == order.end()) {
      order.push_back(row.caption);
    }
  }
  for (const std::string& entry : listed) {
    if (std::find(order.begin(), order.end(), entry) == order.end()) order.push_back(entry);
  }
  return order;
}

bool HasRunCommand(const std::string& storedName) { return !GetRunCommand(storedName).empty(); }
bool AnyEntry(const std::string&) { return true; }

// Writes the order when it differs from the stored one. Should a write fail half-way, the
// stored order is written back, so that no entry is left out of it, and the error goes on.
void SaveOrderOf(Registry& registry, const std::string& sortKeyName, const std::string& key,
                 const EditList& rows, bool (*counts)(const std::string&)) {
  const std::vector<std::string> stored = StoredOrder(key);
  const std::vector<std::string> order = MergedOrder(rows, stored, counts);
  if (order == stored) return;
  try {
    SaveSortOrder(registry, sortKeyName, order);
  } catch (const Error&) {
    try {
      SaveSortOrder(registry, sortKeyName, stored);
    } catch (const Error&) {
    }
    throw;
  }
}

std::set<std::string> SelectedCaptions(const EditList& rows, std::string& focused) {
  std::set<std::string> captions;
  for (const EditRow& row : rows) {
    if (row.selected) captions.insert(row.caption);
    if (row.focused) focused = row.caption;
  }
  return captions;
}

}  // namespace

const std::vector<EditColumn>& EditColumns(EditListId list) {
  // The two ordered lists fit all their columns into the list's width, the last logon's
  // included, so that it shows without scrolling.
  static const std::vector<EditColumn> kRunSort{{"Key", 0.16},  {"Value", 0.34},
                                                {"New", 0.07},  {"Post Pause(ms)", 0.13},
                                                {"User", 0.10}, {kLastLogonColumn, 0.20}};
  static const std::vector<EditColumn> kRunDisabled{
      {"Disabled Key", 0.20}, {"Disabled Value", 0.50}, {"Status", 0.20}, {"New", 0.10}};
  static const std::vector<EditColumn> kStartup{{"Startup Shortcuts", 0.50},
                                                {"New", 0.08},
                                                {"Post Pause(ms)", 0.14},
                                                {kLastLogonColumn, 0.25}};
  static const std::vector<EditColumn> kStartupDisabled{
      {"Shortcuts", 0.70}, {"Status", 0.20}, {"New", 0.10}};
  switch (list) {
    case EditListId::kRunSort:
      return kRunSort;
    case EditListId::kRunDisabled:
      return kRunDisabled;
    case EditListId::kStartup:
      return kStartup;
    case EditListId::kStartupDisabled:
      break;
  }
  return kStartupDisabled;
}

const std::vector<PriorityChoice>& PriorityChoices() {
  static const std::vector<PriorityChoice> kChoices{
      {"Realtime", kRealtimePriorityClass},        {"High", kHighPriorityClass},
      {"Above Normal", kAboveNormalPriorityClass}, {"Normal", kNormalPriorityClass},
      {"Below Normal", kBelowNormalPriorityClass}, {"Idle", kIdlePriorityClass}};
  return kChoices;
}

void IEditView::OpenUrl(const std::string& url) {
  ShellExecuteForUser("open", url, std::string(), std::string(), kSwShowNormal);
}

EditWindow::EditWindow(IEditView& view, LogonRunner& runner) : view_(view), runner_(runner) {
  registry_.SetDefaultRoot(kProgramRoot);
  // Both classes came with Windows 2000 and are there on every later version.
  menu_.midPriorities = GetOsClass() >= kOsClassWin2000;
}

EditWindow::~EditWindow() = default;

const EditList& EditWindow::List(EditListId list) const { return lists_[static_cast<int>(list)]; }

void EditWindow::SetSelected(EditListId list, int row, bool selected) {
  EditList& rows = lists_[static_cast<int>(list)];
  if (row >= 0 && row < static_cast<int>(rows.size())) rows[row].selected = selected;
}

void EditWindow::SetFocused(EditListId list, int row) {
  EditList& rows = lists_[static_cast<int>(list)];
  for (int index = 0; index < static_cast<int>(rows.size()); ++index) {
    rows[index].focused = index == row;
  }
}

void EditWindow::PrepareLists() {
  view_.ColumnsChanged();
  page_ = 0;
  view_.SelectPage(0);
  RefreshLists();
}

void EditWindow::RefreshLists() {
  // Not half-way through another session's change of the orders: read with the store's lock
  // when it can be had (a window with standard rights reads them all the same).
  StoreLock lock(StoreLock::Need::kIfAvailable);
  for (int index = 0; index < kEditListCount; ++index) {
    EditList& rows = lists_[index];
    std::string focused;
    const std::set<std::string> selected = SelectedCaptions(rows, focused);
    rows.clear();
    switch (static_cast<EditListId>(index)) {
      case EditListId::kRunSort:
        FillRunSort(rows);
        break;
      case EditListId::kRunDisabled:
        FillRunDisabled(rows);
        break;
      case EditListId::kStartup:
        FillStartup(rows);
        break;
      case EditListId::kStartupDisabled:
        FillStartupDisabled(rows);
        break;
    }
    // The rows the user had selected stay selected where they still are.
    for (EditRow& row : rows) {
      row.selected = selected.count(row.caption) > 0;
      row.focused = !focused.empty() && row.caption == focused;
    }
    view_.RowsChanged(static_cast<EditListId>(index));
    UpdateControls(static_cast<EditListId>(index));
  }
  view_.ControlsChanged();
  if (lists_[static_cast<int>(EditListId::kRunSort)].empty()) ShowMessage(kMsgFirstInstall);
}

void EditWindow::FillRunSort(EditList& rows) {
  std::int32_t count = 0;
  Tolerant([&] { count = GetRunSortCount(); });
  for (std::int32_t index = 0; index < count; ++index) {
    Tolerant([&] {
      const std::string command = GetRunSortCommand(index);
      if (command.empty()) return;
      EditRow row;
      row.caption = GetRunSortName(index);
      row.subItems = {command, NewText(IsNewRunItem(row.caption)), PauseText(row.caption),
                      UserText(row.caption), LastLogonText(row.caption)};
      SetProgramIcon(row, command);
      rows.push_back(row);
    });
  }
}

void EditWindow::FillStartup(EditList& rows) {
  for (const std::string& path : StoredOrder(kStartupSortKey)) {
    if (path.empty()) continue;
    Tolerant([&] {
      EditRow row;
      row.caption = path;
      row.subItems = {NewText(IsNewStartupItem(ExtractFileName(path))), PauseText(path),
                      LastLogonText(path)};
      SetShortcutIcon(row);
      rows.push_back(row);
    });
  }
}

void EditWindow::FillStartupDisabled(EditList& rows) {
  for (const std::string& name : ValueNames(kStartupExcludeKey)) {
    Tolerant([&] {
      std::string path = StoreText(kStartupExcludeKey, name);
      if (!FileExists(path)) {
        // Moved since (the user, or Windows' own clean-up): look for it in the Startup folders.
        Tolerant([&] { SharedItemManager().RelocateExcludedStartupItem(name); });
        path = StoreText(kStartupExcludeKey, name);
      }
      EditRow row;
      row.caption = path;
      row.subItems = {kExcludedStatusText, NewText(IsNewStartupItem(ExtractFileName(path)))};
      SetShortcutIcon(row);
      rows.push_back(row);
    });
  }
  for (const std::string& name : ValueNames(kStartupDisableKey)) {
    Tolerant([&] {
      const std::string path = StoreText(kStartupDisableKey, name);
      if (path.empty()) return;
      EditRow row;
      row.caption = path;
      row.subItems = {kDisabledStatusText, NewText(IsNewStartupItem(ExtractFileName(path)))};
      row.grey = true;
      SetShortcutIcon(row);
      rows.push_back(row);
    });
  }
}

void EditWindow::FillRunDisabled(EditList& rows) {
  for (const std::string& name : ValueNames(kRunExcludeKey)) {
    if (SameText(name, kSelfRunValue)) continue;
    Tolerant([&] {
      // One row per owner, read from the Run key the item lives in: a user's excluded item is
      // in that user's.
      for (const ExcludedRunItem& item : ExcludedRunItemsOf(name)) {
        EditRow row;
        row.caption = item.caption;
        if (item.command.text.empty()) {
          row.subItems = {kGoneMarker, kExcludedStatusText};
        } else {
          row.subItems = {item.command.text, kExcludedStatusText,
                          NewText(IsNewRunItem(item.caption))};
          SetProgramIcon(row, item.command.text);
        }
        rows.push_back(row);
      }
    });
  }
  for (const std::string& name : ValueNames(kRunDisabledKey)) {
    Tolerant([&] {
      const std::string command = StoreText(kRunDisabledKey, name);
      EditRow row;
      row.caption = name;
      row.subItems = {command, kDisabledStatusText, NewText(IsNewRunItem(name))};
      row.grey = true;
      SetProgramIcon(row, command);
      rows.push_back(row);
    });
  }
}

void EditWindow::SaveOrder() {
  try {
    // The stored order is read and rewritten in one go, so that an entry another session
    // appends meanwhile is kept.
    StoreLock lock;
    WriteOrder();
  } catch (const Error& error) {
    ShowMessage(error.what());
  }
}

void EditWindow::WriteOrder() {
  // The disabled items are not written: the store holds them with their types, which their
  // rows' texts do not.
  SaveOrderOf(registry_, kRunSortName, kRunSortKey, lists_[static_cast<int>(EditListId::kRunSort)],
              HasRunCommand);
  SaveOrderOf(registry_, kStartupSortName, kStartupSortKey,
              lists_[static_cast<int>(EditListId::kStartup)], AnyEntry);
}

void EditWindow::ChangeStore(const std::function<void()>& command) {
  try {
    StoreLock lock;
    command();
  } catch (const Error& error) {
    // An entry whose item left the store before the order was rewritten would come back to
    // life, twice listed, when an item of that name is included again.
    try {
      SharedItemManager().RebuildRunSort();
    } catch (const Error&) {
    }
    ShowMessage(error.what());
  }
  RefreshLists();
}

void EditWindow::LoadGeometry(EditGeometry& geometry) {
  Tolerant([&] {
    GetFormValue(registry_, kFormWidthValue, geometry.width);
    GetFormValue(registry_, kFormHeightValue, geometry.height);
    GetFormValue(registry_, kFormSplit1Value, geometry.split1);
    GetFormValue(registry_, kFormSplit2Value, geometry.split2);
  });
}

void EditWindow::SaveGeometry(const EditGeometry& geometry) {
  registry_.PutIntegerAt(kProgramRoot, kProgramKey, true, kFormWidthValue, geometry.width);
  registry_.PutIntegerAt(kProgramRoot, kProgramKey, true, kFormHeightValue, geometry.height);
  registry_.PutIntegerAt(kProgramRoot, kProgramKey, true, kFormSplit1Value, geometry.split1);
  registry_.PutIntegerAt(kProgramRoot, kProgramKey, true, kFormSplit2Value, geometry.split2);
}

bool EditWindow::OnClose() {
  SaveOrder();
  return openedFromTray_;
}

}  // namespace lw
