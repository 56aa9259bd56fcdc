#include "install/RestoreWindow.h"

#include <algorithm>
#include <utility>

#include "install/RestoreFiles.h"
#include "items/ItemManager.h"
#include "platform/Platform.h"
#include "store/SettingsStore.h"
#include "store/StoreLock.h"
#include "ui/Dialogs.h"
#include "util/CurrentUser.h"
#include "util/Error.h"
#include "util/ExecutablePath.h"
#include "util/SpecialFolders.h"
#include "util/Text.h"
#include "util/WindowsBitness.h"

namespace lw {

namespace {

// Items that Windows or the runner starts: given back unless the user says otherwise.
bool Active(ItemState state) {
  return state == ItemState::kExcluded || state == ItemState::kSorted;
}

void SetStatus(RestoreRow& row, ItemState state) {
  row.checked = Active(state);
  if (state == ItemState::kNew) row.status = kOrphanedStatus;
  if (state == ItemState::kDisabled) row.status = kDisabledStatus;
}

// The registry file a Run-key row belongs in: the machine's, or its user's (the current user's
// when the name was unknown at the take-over).
std::string RegFileName(const RunOrigin& origin) {
  if (origin.root != kHKeyCurrentUser) return kMachineRegFileName;
  return (origin.user.empty() ? CurrentUserName() : origin.user) + ".reg";
}

// The key header of a Run-key row's file. A 64-bit regedit imports a plain HKEY_LOCAL_MACHINE
// header into the 64-bit view, so the items of the program's own (32-bit) view name its
// WOW6432Node path there.
std::string RunKeyHeader(const RunOrigin& origin) {
  if (origin.root == kHKeyCurrentUser) return kUserRunKeyHeader;
  return origin.view == kOwnView && IsWindows64() ? kMachineRunKey32Header : kMachineRunKeyHeader;
}

}  // namespace

RestoreWindow::RestoreWindow(StartupMover& mover, std::function<void()> reloadRunnerItems)
    : mover_(mover), reloadRunnerItems_(std::move(reloadRunnerItems)) {}

void RestoreWindow::Load() {
  rows_.clear();
  usersToClean_.clear();
  std::vector<RestoreRow> top;
  std::vector<RestoreRow> bottom;
  LoadRunRows(top, bottom);
  LoadShortcutRows(top, bottom);
  // Each active row was put in front of the ones found before it.
  std::reverse(top.begin(), top.end());
  rows_ = std::move(top);
  rows_.insert(rows_.end(), bottom.begin(), bottom.end());
}

void RestoreWindow::LoadRunRows(std::vector<RestoreRow>& top, std::vector<RestoreRow>& bottom) {
  for (const ManagedRunValue& item : mover_.ManagedRunItems()) {
    if (!item.user.empty()) usersToClean_.push_back(item.user);
    RestoreRow row;
    row.runKey = true;
    row.caption = item.name;
    row.data = item.command;
    row.profile = item.user;
    ItemState state = ItemState::kNew;
    try {
      state = GetRunItemState(item.name, std::string());
    } catch (const Error&) {
      // A record that cannot be read: listed as orphaned, so nothing goes back unasked.
    }
    SetStatus(row, state);
    const std::string program = ResolveExecutable(item.command.text);
    if (FileExists(program)) row.iconFile = program;
    (Active(state) ? top : bottom).push_back(row);
  }
}

void RestoreWindow::LoadShortcutRows(std::vector<RestoreRow>& top,
                                     std::vector<RestoreRow>& bottom) {
  for (const StoredShortcut& shortcut : mover_.StoredShortcuts()) {
    RestoreRow row;
    row.runKey = false;
    row.caption = ExtractFileName(shortcut.path);
    row.data = StringValue{shortcut.folder, kRegSz};
    row.profile = UserFromStartupFolder(shortcut.folder);
    ItemState state = ItemState::kNew;
    try {
      state = GetStartupItemState(row.caption);
    } catch (const Error&) {
    }
    SetStatus(row, state);
    if (FileExists(shortcut.path)) row.iconFile = shortcut.path;
    (Active(state) ? top : bottom).push_back(row);
  }
}

void RestoreWindow::SetChecked(int index, bool checked) { rows_.at(index).checked = checked; }

int RestoreWindow::CheckedCount() const {
  return static_cast<int>(
      std::count_if(rows_.begin(), rows_.end(), [](const RestoreRow& row) { return row.checked; }));
}

std::string RestoreWindow::InfoTip(int index) const {
  const RestoreRow& row = rows_.at(index);
  return std::string("type: ") + row.Type() + "\r\n" + "profile: " + row.profile + "\r\n" +
         "error: " + row.error + "\r\n" + row.data.text;
}

void RestoreWindow::OnUserChangedChecks() {
  if (warningShown_) return;
  warningShown_ = true;
  ShowMessage(kMsgUncheckedWarning);
}

std::string RestoreWindow::RunRestore(bool fullUninstall, IRestoreView* view) {
  // The current user's items and shortcuts go back to that user: a copy with administrator
  // rights that cannot tell who that is restores nothing.
  RequireKnownAccount();
  // The whole restore is one change of the store: no logon of another session takes items
  // over half-way through it.
  StoreLock lock;
  if (view != nullptr) view->Repaint();
  bool anyFailure = false;
  std::vector<std::string> restoredRunItems;
  std::vector<std::string> restoredShortcuts;
  for (std::size_t index = 0; index < rows_.size(); ++index) {
    RestoreRow& row = rows_[index];
    if (!row.checked) continue;
    const bool restored = row.runKey ? mover_.RestoreRunItem(row.caption, row.data)
                                     : mover_.RestoreStartupItem(row.caption);
    if (restored) {
      row.mark = RestoreMark::kRestored;
      row.restoreStatus = kRestoredStatus;
      (row.runKey ? restoredRunItems : restoredShortcuts).push_back(row.caption);
    } else {
      row.error = mover_.LastError();
      row.mark = RestoreMark::kNotRestored;
      row.restoreStatus = kNotRestoredStatus;
      anyFailure = true;
    }
    if (view != nullptr) view->RowChanged(static_cast<int>(index));
  }

  std::string problems;
  std::vector<std::string> saved;
  if (anyFailure) saved = SaveRegistryFiles(problems);
  for (const std::string& path : SaveBatchFile(problems)) saved.push_back(path);

  // Only what went back leaves the store.
  mover_.ForgetRestoredItems(restoredRunItems, restoredShortcuts);
  if (fullUninstall) mover_.DeleteProgramKey();
  const std::vector<std::string> stays = mover_.UnregisterEverywhere(usersToClean_);
  if (!stays.empty()) {
    problems += kMsgStillRegistered;
    for (const std::string& place : stays) problems += place + "\r\n";
  }
  if (reloadRunnerItems_) reloadRunnerItems_();

  std::string message;
  if (anyFailure) {
    message = kMsgSomeNotRestored;
    for (const std::string& path : saved) message += path + "\r\n";
  } else if (!stays.empty()) {
    // Not complete while Launchward would still start at somebody's logon.
    message = kMsgRestoredButRegistered;
  } else {
    message = kMsgRestoreComplete;
  }
  const std::size_t runStored = mover_.ManagedRunItems().size();
  const std::size_t shortcutsStored = mover_.StoredShortcuts().size();
  if (runStored + shortcutsStored > 0) {
    message += "\r\n\r\n" + std::to_string(runStored + shortcutsStored) +
               (runStored + shortcutsStored == 1 ? " item was not given back and stays stored:"
                                                 : " items were not given back and stay stored:");
    if (runStored > 0) {
      message += "\r\n" + std::to_string(runStored) + " in HKEY_LOCAL_MACHINE" + kRunItemsKey;
    }
    if (shortcutsStored > 0) {
      message += "\r\n" + std::to_string(shortcutsStored) + " in " + GetShortcutStoreFolder();
    }
    message += kMsgKeptItemsDoNotStart;
  }
  message += problems;
  ShowMessage(message);
  return message;
}

std::vector<std::string> RestoreWindow::SaveRegistryFiles(std::string& problems) {
  const std::string folder = GetExeFolder();
  std::vector<std::string> saved;
  // Each file (the machine's, each user's) holds the checked items of its Run key that this
  // restore could not give back, and replaces an older one: what went back is not offered
  // again, and what did not stays stored for the next restore.
  std::vector<std::pair<std::string, std::vector<RegFileItem>>> files;
  for (const RestoreRow& row : rows_) {
    if (!row.runKey || !row.checked || row.mark != RestoreMark::kNotRestored) continue;
    const RunOrigin origin = RunItemOrigin(row.caption);
    const std::string file = RegFileName(origin);
    auto entry = std::find_if(files.begin(), files.end(),
                              [&](const auto& pair) { return pair.first == file; });
    if (entry == files.end()) entry = files.insert(files.end(), {file, {}});
    entry->second.push_back({RunKeyHeader(origin), origin.valueName, row.data});
  }
  // The machine's file is named first.
  std::stable_partition(files.begin(), files.end(),
                        [](const auto& pair) { return pair.first == kMachineRegFileName; });
  auto note = [&](bool written, const std::string& path) {
    if (written) {
      saved.push_back(path);
    } else {
      problems += "\r\nUnable to write " + path + "\r\n";
    }
  };
  for (const auto& [file, items] : files) {
    const std::string bytes = RegFileBytes(items);
    if (bytes.empty()) continue;
    const std::string path = folder + file;
    note(Files().WriteFile(path, bytes), path);
  }
  return saved;
}

std::vector<std::string> RestoreWindow::SaveBatchFile(std::string& problems) {
  const std::string store = IncludeTrailingBackslash(GetShortcutStoreFolder());
  std::vector<std::string> saved;
  std::vector<std::string> lines;
  for (const RestoreRow& row : rows_) {
    if (row.runKey || !row.checked || row.mark != RestoreMark::kNotRestored) continue;
    saved.push_back(store + row.caption);
    lines.push_back(BatchMoveLine(store + row.caption, row.data.text));
  }
  if (lines.empty()) return saved;
  const std::string path = GetExeFolder() + kShortcutBatchFileName;
  if (Files().WriteFile(path, BatchFileBytes(lines))) {
    saved.push_back(path);
  } else {
    problems += "\r\nUnable to write " + path + "\r\n";
  }
  return saved;
}

}  // namespace lw
