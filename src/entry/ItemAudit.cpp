#include "entry/ItemAudit.h"

#include <cstdint>
#include <functional>

#include "edit/EditWindow.h"
#include "runner/LastLogonRecord.h"
#include "store/SettingsStore.h"
#include "util/Csv.h"
#include "util/Error.h"
#include "util/SpecialFolders.h"
#include "util/Text.h"
#include "util/WindowsBitness.h"

namespace lw {

namespace {

using Record = std::vector<std::string>;

// One field's read; a value another program spoilt costs that field, never the list.
void Try(const std::function<void()>& read) {
  try {
    read();
  } catch (const Error&) {
  }
}

std::string Read(const std::function<std::string()>& read) {
  std::string text;
  Try([&] { text = read(); });
  return text;
}

std::vector<std::string> ValueNames(const char* key) {
  std::vector<std::string> names;
  SharedRegistry().ListValueNamesAt(kProgramRoot, key, names);
  return names;
}

StringValue StoreValue(const char* key, const std::string& name) {
  return SharedRegistry().GetStringValueAt(kProgramRoot, key, name);
}

std::string Yes(bool yes) { return yes ? "yes" : "no"; }

std::string PauseText(const std::string& itemKey) {
  return Read([&] {
    const std::int32_t pause = GetCustomDelay(itemKey);
    return pause != 0 ? std::to_string(pause) : std::string("default");
  });
}

std::string PriorityText(const std::string& itemKey) {
  return Read([&] {
    const std::int32_t priority = GetPriority(itemKey, kNormalPriorityClass);
    for (const PriorityChoice& choice : PriorityChoices()) {
      if (choice.priorityClass == priority) return std::string(choice.caption);
    }
    return std::to_string(priority);
  });
}

// The last logon's start (ms from the pass's start) and the loads around it; empty when the
// item was not started then.
void AddLastLogon(Record& record, const std::string& itemKey) {
  LastLogonFigures figures;
  bool known = false;
  Try([&] { known = GetLastLogonFigures(itemKey, figures); });
  auto load = [](std::int32_t value) {
    return value == kLoadUnknown ? std::string() : std::to_string(value);
  };
  if (!known) {
    record.insert(record.end(), {"", "", ""});
    return;
  }
  record.insert(record.end(), {std::to_string(figures.startedAfterMs), load(figures.loadBefore),
                               load(figures.loadAfter)});
}

Record RunRecord(const std::string& name, const StringValue& command, const std::string& order,
                 const char* state) {
  std::int32_t root = 0;
  Try([&] { root = GetRunLocationHKey(name); });
  const bool user = root == StoredRoot(kHKeyCurrentUser);
  std::string view;
  if (!user && IsWindows64()) {
    std::int32_t stored = 0;
    Try([&] { stored = GetRunLocationView(name); });
    view = stored == kStoredView64 ? "64-bit" : "32-bit";
  }
  Record record = {
      "Run key",
      name,
      command.text,
      command.text.empty() ? "" : (command.type == kRegExpandSz ? "REG_EXPAND_SZ" : "REG_SZ"),
      view,
      user ? "HKEY_CURRENT_USER Run key" : "HKEY_LOCAL_MACHINE Run key",
      Read([&] { return GetRunLocation(name); }),
      order,
      state,
      Read([&] { return Yes(IsNewRunItem(name)); }),
      PauseText(name),
      PriorityText(name)};
  AddLastLogon(record, name);
  return record;
}

Record ShortcutRecord(const std::string& path, const std::string& order, const char* state) {
  const std::string fileName = ExtractFileName(path);
  Record record = {"Startup folder",
                   fileName,
                   path,
                   "",
                   "",
                   Read([&] { return GetStartupLocation(path); }),
                   Read([&] { return UserFromStartupFolder(GetStartupLocation(path)); }),
                   order,
                   state,
                   Read([&] { return Yes(IsNewStartupItem(fileName)); }),
                   PauseText(path),
                   ""};
  AddLastLogon(record, path);
  return record;
}

}  // namespace

const std::vector<std::string>& AuditFields() {
  static const std::vector<std::string> fields = {"Kind",
                                                  "Name",
                                                  "Command",
                                                  "Value type",
                                                  "Registry view",
                                                  "Origin",
                                                  "Account",
                                                  "Order",
                                                  "State",
                                                  "New",
                                                  "Pause (ms)",
                                                  "Priority",
                                                  "Last logon start (ms)",
                                                  "Last logon load before (%)",
                                                  "Last logon load after (%)"};
  return fields;
}

std::vector<Record> AuditRecords() {
  std::vector<Record> records;
  std::int32_t count = 0;
  Try([&] { count = GetRunSortCount(); });
  for (std::int32_t index = 0; index < count; ++index) {
    const std::string name = Read([&] { return GetRunSortName(index); });
    if (name.empty()) continue;
    StringValue command;
    Try([&] { command = StoreValue(kRunItemsKey, name); });
    if (command.text.empty()) continue;  // a stray entry names no item
    records.push_back(RunRecord(name, command, std::to_string(records.size() + 1), "enabled"));
  }
  for (const std::string& name : ValueNames(kRunDisabledKey)) {
    StringValue command;
    Try([&] { command = StoreValue(kRunDisabledKey, name); });
    records.push_back(RunRecord(name, command, "", "disabled"));
  }
  for (const std::string& name : ValueNames(kRunExcludeKey)) {
    if (SameText(name, kSelfRunValue)) continue;
    // An excluded item lives in its Run key, where Windows starts it.
    StringValue command;
    Try([&] { command.text = ReadRunKeyText(kHKeyLocalMachine, name); });
    records.push_back(RunRecord(name, command, "", "excluded"));
  }
  std::size_t started = 0;
  std::int32_t entries = 0;
  Try([&] { entries = GetStartupSortCount(); });
  for (std::int32_t index = 0; index < entries; ++index) {
    const std::string path = Read([&] {
      return SharedRegistry().GetStringAt(kProgramRoot, kStartupSortKey, std::to_string(index));
    });
    if (path.empty()) continue;
    records.push_back(ShortcutRecord(path, std::to_string(++started), "enabled"));
  }
  for (const char* key : {kStartupDisableKey, kStartupExcludeKey}) {
    for (const std::string& name : ValueNames(key)) {
      const std::string path = Read([&] { return StoreValue(key, name).text; });
      if (path.empty()) continue;
      records.push_back(
          ShortcutRecord(path, "", key == kStartupDisableKey ? "disabled" : "excluded"));
    }
  }
  return records;
}

std::string AuditCsv() {
  std::string csv = kUtf8ByteOrderMark + CsvRecord(AuditFields());
  for (const Record& record : AuditRecords()) csv += CsvRecord(record);
  return csv;
}

}  // namespace lw
