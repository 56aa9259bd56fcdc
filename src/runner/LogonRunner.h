#pragma once
// The engine of a logon's second phase: it waits the initial pause, then starts every managed
// run-key item in the run order and opens every managed startup-folder shortcut in the startup
// order, pausing after each. A pause is the one the user set for the item, else the one
// auto-tune learnt, else the default of its kind; it is shortened by the time the start took
// and ends early when the processor is nearly idle. Each run-key item starts with its priority
// class by the method that worked last time, or by the first of a chain of methods that works
// (remembered per user). Items that wrote themselves back into the Run key are excluded, and
// items that belong to another user are skipped. A logon runner also keeps the record of the
// last logon (when each item started, and the load around it) for the edit window.
//
// Everything runs on the window thread: every wait is made of short sleeps with the message
// queue pumped in between, so the Pause and Stop buttons of the runner window take effect
// during a run (a stop at the next item or pause step; a pause between items).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "items/ItemManager.h"
#include "runner/BackgroundStarts.h"
#include "runner/ItemRecord.h"
#include "runner/LastLogonRecorder.h"
#include "store/Registry.h"

namespace lw {

// Where the runner's progress goes: the runner window's status box (a new message replaces the
// one before). May be empty: nothing is shown.
using StatusCallback = std::function<void(const std::string&)>;

enum class PauseKind { kRunkey = 0, kStartup = 1, kInitial = 2 };

inline constexpr char kMsgProblemProgram[] = "Problem program detected.\r\nRun key: ";
inline constexpr char kMsgAutoExcluding[] = "Status - Auto-Excluding";
inline constexpr char kMsgShortcutError[] = "Error execution shortcut: \r\n";
inline constexpr std::int32_t kAutoExcludePauseMs = 1500;
// Below this smoothed load (percent) a pause ends at once while auto-tune is on.
inline constexpr std::int32_t kIdleLoad = 9;
// A pause step is a tenth of the pause, never shorter than this.
inline constexpr std::int32_t kMinPauseStepMs = 300;
// While items start in the background (and auto-tune is on), a pause also ends when the load
// sampled after a step is below this line (percent): the processors have room for the next item.
inline constexpr std::int32_t kSpareLoad = 75;
// The logon has settled once two samples in a row are below this line (percent), or at the
// latest this long after the last item's start.
inline constexpr std::int32_t kSettledLoad = 20;
inline constexpr std::uint32_t kSettleBoundMs = 30000;
inline constexpr std::uint32_t kSettleStepMs = 500;

// What a runner is for: a logon's second phase, or starting single items on demand (the
// management windows). Only a logon runner tunes its initial pause: tuning stores a new pause
// each time, and a window opened ten times must not shorten the next logon's pause ten times.
enum class RunnerUse { kLogon, kSingleItems };

class LogonRunner {
 public:
  // Loads the managed items (the store under HKEY_LOCAL_MACHINE), reads the three default
  // pauses (writing back the ones it used) and computes the initial pause.
  explicit LogonRunner(StatusCallback showStatus = {}, RunnerUse use = RunnerUse::kLogon);
  LogonRunner(const LogonRunner&) = delete;
  LogonRunner& operator=(const LogonRunner&) = delete;

  // Replaces both lists with the store's current managed items.
  void ReloadItems();

  // The three steps of a logon's second phase, in this order; each returns when done or
  // stopped. The first of them a logon runner takes begins the logon pass: the last logon's
  // record is cleared and the pass's clock starts.
  void InitialPause();
  void RunRunkeyItems();
  void RunStartupItems();
  // The last step: once the logon has settled (or at once when stopped), the items started in
  // the background get the class the user chose. Returns at once when none is held.
  void SettleAndHandBack();

  // Starts one run-key item (stored item name, command line); false when no method started it
  // (each failure is in the error log).
  bool StartRunkeyItem(const std::string& storedName, const std::string& command);
  // The same on the item's record; what it learns stays in the record (see SaveLearnt).
  bool StartRunkeyItem(ItemRecord& record, const std::string& command);
  // Opens a file or folder through the shell; false (with the shell's result in code, and two
  // lines in the error log) when it could not be opened.
  bool ShellOpenPath(const std::string& path, std::intptr_t& code);

  // The pause after an item (item key, kind) in milliseconds: the user's, else the tuned or
  // default one, tuned again when auto-tune is on.
  std::int32_t ComputeItemPause(const std::string& itemKey, PauseKind kind);
  std::int32_t ComputeItemPause(const std::string& itemKey, PauseKind kind, bool tune);
  std::int32_t ComputeItemPause(ItemRecord& record, PauseKind kind, bool tune);
  // The pause between items: steps of a tenth (at least 300 ms), a load sample after each but
  // the last; it lasts its length by the clock (the samples count towards it) and ends early on
  // a nearly idle processor (auto-tune on: the smoothed load, or two samples in a row, under the
  // idle line) and on Stop.
  void SleepWithCpuCheck(std::int32_t milliseconds);

  std::int32_t InitialPauseSeconds() const { return initialPause_ / 1000; }
  std::int32_t InitialPauseMs() const { return initialPause_; }
  std::int32_t RunkeyPauseMs() const { return runkeyPause_; }
  std::int32_t StartupPauseMs() const { return startupPause_; }
  void SetPaused(bool paused) { paused_ = paused; }
  bool Paused() const { return paused_; }
  void Stop() { stopped_ = true; }
  bool Stopped() const { return stopped_; }

  // The managed items in their order: run-key items with name (stored item name) and command,
  // startup-folder items with path (in the shortcut store).
  const RunKeyItemList& RunkeyItems() const { return runkeyItems_; }
  bool HasItems() const { return !runkeyItems_.empty() || !startupItems_.empty(); }
  const StartupFolderItemList& StartupItems() const { return startupItems_; }

 private:
  // Both orders, under the store lock when it can be had.
  void LoadItemsAtOnce();
  void LoadRunkeyItems();
  void LoadStartupItems();
  void LoadPauses();
  void BeginPassOnce();
  // The records of a list's items, read when the pass over the list begins; what an item
  // learnt is written when it is done.
  void ReadRecords(std::vector<ItemRecord>& records, const std::vector<std::string>& keys,
                   bool runItems);
  void ItemFinished(std::vector<ItemRecord>& records, std::size_t index);
  using ItemTurn = void (LogonRunner::*)(std::size_t, const std::string&);
  void RunOnRecord(std::vector<ItemRecord>& records, std::size_t index, const std::string& me,
                   ItemTurn turn);
  void Show(const std::string& text) const;
  void WaitWhilePaused();
  void SleepStep(std::int64_t milliseconds);
  bool StartupItemIsMine(const ItemRecord& record, const std::string& me) const;
  // A pass over count items: each run by runItem between the checks of Stop and Pause; an item
  // that fails goes to the error log under describe(index) and the pass goes on.
  void RunPass(std::size_t count, void (LogonRunner::*runItem)(std::size_t, const std::string&),
               const std::function<std::string(std::size_t)>& describe);
  // One item of each pass.
  void RunRunkeyItem(std::size_t index, const std::string& me);
  void RunStartupItem(std::size_t index, const std::string& me);
  void RunRunkeyItemOnRecord(std::size_t index, const std::string& me);
  void RunStartupItemOnRecord(std::size_t index, const std::string& me);
  // The start methods, on a line already read as Windows reads a Run key (trimmed, its
  // program's variables expanded); each false when it started nothing.
  bool StartBy(const std::string& method, const std::string& line, std::uint32_t priority);
  bool CreateItemProcess(const std::string& line, std::uint32_t priority);
  bool OpenInBackground(const std::string& path, const std::string& shortPath, std::intptr_t& code);

  Registry registry_;
  RunnerUse use_;
  BackgroundStarts background_;
  LastLogonRecorder lastLogon_{registry_};
  RunKeyItemList runkeyItems_;
  StartupFolderItemList startupItems_;
  std::vector<ItemRecord> runkeyRecords_;
  std::vector<ItemRecord> startupRecords_;
  std::int32_t highestFigure_ = 0;  // "HighCPUStat" as the pass found it
  std::int32_t startupPause_ = 2000;
  std::int32_t runkeyPause_ = 1000;
  std::int32_t initialPause_ = 5000;
  bool paused_ = false;
  bool stopped_ = false;
  StatusCallback showStatus_;
};

}  // namespace lw
