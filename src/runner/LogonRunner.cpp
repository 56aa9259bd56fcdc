#include "runner/LogonRunner.h"

#include <algorithm>

#include "install/StartupMover.h"
#include "platform/Platform.h"
#include "runner/AutoTune.h"
#include "runner/ProcessorLoad.h"
#include "runner/StartFirst.h"
#include "store/SettingsStore.h"
#include "store/StoreLock.h"
#include "ui/Dialogs.h"
#include "ui/Options.h"
#include "ui/Policies.h"
#include "util/CurrentUser.h"
#include "util/Error.h"
#include "util/ErrorLog.h"
#include "util/SpecialFolders.h"
#include "util/Text.h"

// How a logon run goes, and why some steps are as they are:
// - A pause is a loop of steps (a tenth of it, at least 300 ms); after each step a load sample
//   decides whether the processor is idle enough to go on at once (the smoothed load under the
//   idle line, or two samples in a row under it). The pause lasts its length
//   by the clock, its samples included. A step itself sleeps in
//   slices of 100 ms with the message queue pumped in between, so that the window answers and a
//   Stop ends the step at once, also in the long steps of a long pause.
// - One item that cannot be handled (a value of the wrong type in its settings, a key that
//   cannot be written) is written to the error log and the run goes on with the next one: a
//   logon must not lose the starts of every item after it.
// - The last logon's record takes the loads from the samples the runner takes anyway: the one
//   before an item (auto-tune on), else the last one taken; after it, the first sample of its
//   pause, else the one after the pause (auto-tune on). A failed start is recorded as well:
//   the column says when it was tried, the error log that it failed.

namespace lw {

namespace {

constexpr std::uint32_t kPauseSliceMs = 100;
constexpr std::uint32_t kPausedPollMs = 10;

bool AutoTuneOn() { return !SharedOptions().DisableAutoTune(); }

std::string ReadStartupEntry(Registry& registry, std::int32_t index) {
  return registry.GetStringAt(kHKeyLocalMachine, kStartupSortKey, std::to_string(index));
}

}  // namespace

LogonRunner::LogonRunner(StatusCallback showStatus, RunnerUse use)
    : use_(use),
      background_(use == RunnerUse::kLogon && !SharedOptions().DisableBackgroundStart()),
      showStatus_(std::move(showStatus)) {
  LoadItemsAtOnce();
  registry_.SetDefaultRoot(kHKeyCurrentUser);
  LoadPauses();
  initialPause_ = ComputeItemPause(kInitialPauseItemKey, PauseKind::kInitial,
                                   use == RunnerUse::kLogon && AutoTuneOn());
}

void LogonRunner::ReloadItems() {
  runkeyItems_.clear();
  startupItems_.clear();
  LoadItemsAtOnce();
}

void LogonRunner::LoadItemsAtOnce() {
  // Not half-way through another session's take-over: both orders as one change left them.
  // A runner with standard rights that cannot have the lock reads them all the same.
  StoreLock lock(StoreLock::Need::kIfAvailable);
  LoadRunkeyItems();
  LoadStartupItems();
  PutStartFirstAhead(runkeyItems_, startupItems_);
}

// An entry that cannot be read (another program wrote something else than text there) names
// no item: it is left out and said in the error log, and the others load.
void LogonRunner::LoadRunkeyItems() {
  const std::int32_t count = GetRunSortCount();
  for (std::int32_t index = 0; index < count; ++index) {
    try {
      std::string command = GetRunSortCommand(index);
      if (command.empty()) continue;
      RunKeyItem item;
      item.name = GetRunSortName(index);
      item.command = command;
      runkeyItems_.push_back(item);
    } catch (const Error& error) {
      SharedErrorLog().TryWrite("Run order entry " + std::to_string(index) +
                                " left out: " + error.what());
    }
  }
}

void LogonRunner::LoadStartupItems() {
  startupItems_.clear();
  const std::int32_t count = GetStartupSortCount();
  for (std::int32_t index = 0; index < count; ++index) {
    try {
      std::string path = ReadStartupEntry(registry_, index);
      if (path.empty()) continue;
      StartupFolderItem item;
      item.path = path;
      startupItems_.push_back(item);
    } catch (const Error& error) {
      SharedErrorLog().TryWrite("Startup order entry " + std::to_string(index) +
                                " left out: " + error.what());
    }
  }
}

// The default pauses live with the Options dialog's (HKEY_LOCAL_MACHINE). The value each one
// holds is written back, so that the dialog shows what the runner used; a value that is not an
// integer is replaced by the default. Without the right to write, or while another copy
// changes the store (the Options dialog may be saving them), nothing is written.
void LogonRunner::LoadPauses() {
  StoreLock lock(StoreLock::Need::kIfAvailable);
  struct Pause {
    const char* name;
    std::int32_t* value;
  };
  for (const Pause& pause :
       {Pause{kStartupDelayValue, &startupPause_}, Pause{kRunkeyDelayValue, &runkeyPause_},
        Pause{kInitialPauseValue, &initialPause_}}) {
    try {
      registry_.GetIntegerIfPresentAt(kHKeyLocalMachine, kProgramKey, pause.name, *pause.value);
    } catch (const Error&) {
      // keeps the default
    }
    if (lock.Held()) {
      registry_.PutIntegerAt(kHKeyLocalMachine, kProgramKey, false, pause.name, *pause.value);
    }
    // The organisation's pause wins; the stored one stays for the day the policy goes.
    SharedPolicies().Number(pause.name, pause.value);
  }
}

std::int32_t LogonRunner::ComputeItemPause(const std::string& itemKey, PauseKind kind) {
  return ComputeItemPause(itemKey, kind, AutoTuneOn());
}

std::int32_t LogonRunner::ComputeItemPause(const std::string& itemKey, PauseKind kind, bool tune) {
  ItemRecord record = ReadItemRecord(itemKey, false);
  const std::int32_t pause = ComputeItemPause(record, kind, tune);
  SaveLearnt(record);
  return pause;
}

std::int32_t LogonRunner::ComputeItemPause(ItemRecord& record, PauseKind kind, bool tune) {
  // A pause the user set is used as it is: nothing is tuned or written.
  std::int32_t pause = record.customPause.Get();
  if (pause != 0) return pause;
  pause = record.tunedPause.Get();
  if (pause == 0) {
    switch (kind) {
      case PauseKind::kRunkey:
        pause = runkeyPause_;
        break;
      case PauseKind::kStartup:
        pause = startupPause_;
        break;
      case PauseKind::kInitial:
        pause = initialPause_;
        break;
    }
  }
  if (tune) {
    pause = TunePause(
        record, record.key == kInitialPauseItemKey ? GetHighCPUStat() : highestFigure_, pause);
  }
  return pause;
}

void LogonRunner::ReadRecords(std::vector<ItemRecord>& records,
                              const std::vector<std::string>& keys, bool runItems) {
  records.clear();
  if (keys.empty()) return;
  highestFigure_ = GetHighCPUStat();
  records = ReadItemRecords(keys, runItems);
}

// An item listed twice reads, the second time, what the first time wrote.
void LogonRunner::ItemFinished(std::vector<ItemRecord>& records, std::size_t index) {
  ItemRecord& record = records[index];
  SaveLearnt(record);
  for (std::size_t later = index + 1; later < records.size(); ++later) {
    if (SameText(records[later].key, record.key)) PassOnLearnt(record, records[later]);
  }
}

// The pass begins with the first step a logon runner takes (normally its initial pause).
void LogonRunner::BeginPassOnce() {
  if (use_ == RunnerUse::kLogon && !lastLogon_.PassBegun()) {
    lastLogon_.BeginPass(Sys().GetTickCount());
  }
}

// The load around the initial pause tunes the pause before the first item: with no item to
// start there is nothing to tune, and the two samples (150 ms of waiting each) would only keep
// the logon's own programs waiting for this one to end.
void LogonRunner::InitialPause() {
  BeginPassOnce();
  if (HasItems()) SampleBeforeItem(registry_, kInitialPauseItemKey);
  SleepWithCpuCheck(initialPause_);
  if (HasItems()) SampleAfterItem(registry_, kInitialPauseItemKey);
}

void LogonRunner::SleepStep(std::int64_t milliseconds) {
  if (milliseconds <= 0) {
    Sys().Sleep(0);
    return;
  }
  for (;;) {
    const auto slice =
        static_cast<std::uint32_t>(std::min<std::int64_t>(milliseconds, kPauseSliceMs));
    Sys().Sleep(slice);
    milliseconds -= slice;
    if (milliseconds <= 0 || stopped_) return;
    Sys().ProcessMessages();
  }
}

// A negative pause (the options accept any whole number) sleeps nothing.
//
// The pause is measured by the clock, and the load samples between its steps are part of it: a
// sample takes about 150 ms, so a pause counted in steps alone lasted half as long again as
// asked (a second after each item became 1.6 s, the five seconds before the first item 6.5 s),
// and a loaded machine, whose sleeps and samples overrun, stretched it further. The pause ends
// when its time is up without a last sample that could no longer end it.
void LogonRunner::SleepWithCpuCheck(std::int32_t milliseconds) {
  const std::int64_t total = std::max<std::int32_t>(milliseconds, 0);
  const std::int64_t step = std::max<std::int64_t>(total / 10, kMinPauseStepMs);
  const std::uint32_t begin = Sys().GetTickCount();
  const auto elapsed = [begin] {
    return static_cast<std::int64_t>(static_cast<std::uint32_t>(Sys().GetTickCount() - begin));
  };
  Sys().ProcessMessages();
  // Two samples in a row under the idle line mean the machine has settled. The smoothed load
  // says so too, but only some samples later: after a busy second it needs three or four
  // (100 -> 50 -> 25 -> 12 -> 6), while the processor sits idle and the next item waits.
  bool idleBefore = false;
  while (!stopped_ && elapsed() < total) {
    SleepStep(std::min(step, total - elapsed()));
    if (stopped_ || elapsed() >= total) return;
    const std::int32_t smoothed = GetCpuUsage();
    lastLogon_.LoadSampled();
    const bool idleNow = LastCpuSample() < kIdleLoad;
    if (AutoTuneOn() && (smoothed < kIdleLoad || (idleNow && idleBefore))) return;
    // Items in the background leave the desktop first in line: the next one need not wait for
    // an idle machine, only for room on the processors.
    if (AutoTuneOn() && background_.Holding() && LastCpuSample() < kSpareLoad) return;
    idleBefore = idleNow;
    Sys().ProcessMessages();
  }
}

void LogonRunner::WaitWhilePaused() {
  while (paused_) {
    Sys().ProcessMessages();
    Sys().Sleep(kPausedPollMs);
  }
}

void LogonRunner::Show(const std::string& text) const {
  if (showStatus_) showStatus_(text);
}

void LogonRunner::RunPass(std::size_t count,
                          void (LogonRunner::*runItem)(std::size_t, const std::string&),
                          const std::function<std::string(std::size_t)>& describe) {
  BeginPassOnce();
  const std::string me = CurrentUserName();
  for (std::size_t index = 0; index < count; ++index) {
    if (stopped_) return;
    WaitWhilePaused();
    if (stopped_) return;  // stopped while paused: the pass ends once it is unpaused
    try {
      (this->*runItem)(index, me);
    } catch (const Error& error) {
      SharedErrorLog().TryWrite(describe(index) + ": " + error.what());
    }
    lastLogon_.ItemDone();
    WaitWhilePaused();
  }
}

void LogonRunner::RunRunkeyItems() {
  std::vector<std::string> keys;
  for (const RunKeyItem& item : runkeyItems_) keys.push_back(item.name);
  ReadRecords(runkeyRecords_, keys, true);
  RunPass(runkeyItems_.size(), &LogonRunner::RunRunkeyItem,
          [this](std::size_t index) { return "Run key item " + runkeyItems_[index].name; });
}

// What the item learnt is written however its turn ends (an error half-way included), as the
// single writes were made along the way before.
void LogonRunner::RunOnRecord(std::vector<ItemRecord>& records, std::size_t index,
                              const std::string& me, ItemTurn turn) {
  try {
    (this->*turn)(index, me);
  } catch (...) {
    try {
      ItemFinished(records, index);
    } catch (const Error&) {
      // the first error is the one to tell
    }
    throw;
  }
  ItemFinished(records, index);
}

void LogonRunner::RunRunkeyItem(std::size_t index, const std::string& me) {
  RunOnRecord(runkeyRecords_, index, me, &LogonRunner::RunRunkeyItemOnRecord);
}

void LogonRunner::RunRunkeyItemOnRecord(std::size_t index, const std::string& /*me*/) {
  const RunKeyItem& item = runkeyItems_[index];
  ItemRecord& record = runkeyRecords_[index];
  // Another user's item: the Run key of that user's own logon starts it.
  // An account is its SID: a namesake account's items are not this one's.
  if (record.locationRoot.Get() == StoredRoot(kHKeyCurrentUser)) {
    const RunOrigin owner = record.Origin();
    if (!IsCurrentAccount(owner.sid, owner.user)) return;
  }
  // The program wrote itself back into the Run key it came from (the machine's, or this user's
  // under its plain name): Windows starts it from there now, so it is handed back to Windows
  // instead of being started twice.
  const RunOrigin origin = record.Origin();
  if (!ReadRunKeyText(origin.root, origin.valueName, origin.view).empty()) {
    {
      StoreLock lock;
      SharedItemManager().ExcludeRunItem(item.name);
    }
    Show(std::string(kMsgProblemProgram) + item.name + "\r\n" + kMsgAutoExcluding);
    PauseMs(kAutoExcludePauseMs);
    return;
  }
  SampleBeforeItem(record);
  const std::string message = "Run key (" + std::to_string(index + 1) + "/" +
                              std::to_string(runkeyItems_.size()) + ")\r\n" + item.name + ": " +
                              item.command;
  Show(message);
  const std::uint32_t started = Sys().GetTickCount();
  lastLogon_.ItemStarting(item.name, started);
  StartRunkeyItem(record, item.command);
  const std::int64_t elapsed = static_cast<std::uint32_t>(Sys().GetTickCount() - started);
  const std::int32_t pause = ComputeItemPause(record, PauseKind::kRunkey, AutoTuneOn());
  Show(message + "\r\n(sleeping " + std::to_string(pause) + " milliseconds)");
  const bool last = index + 1 == runkeyItems_.size();
  if (!last || !startupItems_.empty()) {
    SleepWithCpuCheck(static_cast<std::int32_t>(std::max<std::int64_t>(pause - elapsed, 0)));
  }
  SampleAfterItem(record);
  if (AutoTuneOn()) lastLogon_.LoadSampled();
}

// The All Users and the alternate Startup folder are everyone's, whatever their path looks like;
// any other folder belongs to the user it lies under.
bool LogonRunner::StartupItemIsMine(const ItemRecord& record, const std::string& me) const {
  const std::string owner = StartupFolderOwner(record.startupLocation.Get());
  return owner.empty() || owner == me;
}

void LogonRunner::RunStartupItems() {
  std::vector<std::string> keys;
  for (const StartupFolderItem& item : startupItems_) keys.push_back(item.path);
  ReadRecords(startupRecords_, keys, false);
  RunPass(startupItems_.size(), &LogonRunner::RunStartupItem,
          [this](std::size_t index) { return "Startup item " + startupItems_[index].path; });
}

void LogonRunner::RunStartupItem(std::size_t index, const std::string& me) {
  RunOnRecord(startupRecords_, index, me, &LogonRunner::RunStartupItemOnRecord);
}

void LogonRunner::RunStartupItemOnRecord(std::size_t index, const std::string& me) {
  const StartupFolderItem& item = startupItems_[index];
  ItemRecord& record = startupRecords_[index];
  if (!StartupItemIsMine(record, me)) return;
  SampleBeforeItem(record);
  const std::string message = "Startup Folder (" + std::to_string(index + 1) + "/" +
                              std::to_string(startupItems_.size()) + "): \r\n" +
                              ExtractFileName(item.path);
  Show(message);
  const std::uint32_t started = Sys().GetTickCount();
  lastLogon_.ItemStarting(item.path, started);
  std::intptr_t code = 0;
  if (ShellOpenPath(item.path, code)) {
    const std::int64_t elapsed = static_cast<std::uint32_t>(Sys().GetTickCount() - started);
    const std::int32_t pause = ComputeItemPause(record, PauseKind::kStartup, AutoTuneOn());
    Show(message + "\r\n(sleeping " + std::to_string(pause) + " milliseconds)");
    if (index + 1 != startupItems_.size()) {
      SleepWithCpuCheck(static_cast<std::int32_t>(std::max<std::int64_t>(pause - elapsed, 0)));
    }
  } else {
    ShowMessage(std::string(kMsgShortcutError) + item.path + "\r\n" +
                SystemErrorText(static_cast<std::uint32_t>(code)));
  }
  SampleAfterItem(record);
  if (AutoTuneOn()) lastLogon_.LoadSampled();
}

}  // namespace lw
