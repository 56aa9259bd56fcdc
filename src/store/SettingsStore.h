#pragma once
// The settings store: the names of every key and value the program keeps, and the accessors
// through which the program reads and writes them. Nothing is cached; every accessor reads
// the registry afresh and writes through at once.
//
// Hives. The program key lives under HKEY_LOCAL_MACHINE. The per-user copy of it (the same
// path under HKEY_CURRENT_USER) holds what the runner learns for each user, with or without
// administrator rights: the auto-tune figures ("AutoTune"), the CPU statistics and the tuned
// pauses ("CustomDelays" values ending in "_tunned"), and the start methods ("ExecMethod").
// Every reader and writer of those uses HKEY_CURRENT_USER, also when it is given a registry
// object whose default root is another one. Pauses set by the user, priorities and all the
// rest stay under HKEY_LOCAL_MACHINE.
//
// Failures. Writers of strings raise "Unable to open : " + path when the key cannot be opened
// or created; writers of integers then do nothing; readers return the result of an absent
// value. A value of the wrong type raises the registry layer's errors.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/WinConst.h"
#include "store/Registry.h"

namespace lw {

// --- Keys (paths from the root) --------------------------------------------------------------
inline constexpr char kTallowmereKey[] = "\\SOFTWARE\\Tallowmere";
inline constexpr char kProgramKeyName[] = "Launchward";
inline constexpr char kProgramKey[] = "\\SOFTWARE\\Tallowmere\\Launchward";
inline constexpr char kRunKey[] = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr char kRunOnceKey[] = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
inline constexpr char kAppPathsKey[] = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";

// Sub-keys of the program key: their names (for RecreateSubKey under kProgramKey) and paths.
inline constexpr char kRunName[] = "Run";
inline constexpr char kRunSortName[] = "RunSort";
inline constexpr char kRunDisabledName[] = "RunDisabled";
inline constexpr char kRunExcludeName[] = "RunExclude";
inline constexpr char kRunNewItemsName[] = "RunNewItems";
inline constexpr char kRunLocationName[] = "RunLocation";
inline constexpr char kStartupSortName[] = "StartupSort";
inline constexpr char kStartupDisableName[] = "StartupDisable";
inline constexpr char kStartupExcludeName[] = "StartupExclude";
inline constexpr char kStartupNewName[] = "StartupNew";
inline constexpr char kStartupLocationName[] = "StartupLocation";
inline constexpr char kCustomDelaysName[] = "CustomDelays";
inline constexpr char kAutoTuneName[] = "AutoTune";
inline constexpr char kPriorityName[] = "Priority";
inline constexpr char kExecMethodName[] = "ExecMethod";

inline constexpr char kRunItemsKey[] = "\\SOFTWARE\\Tallowmere\\Launchward\\Run";
inline constexpr char kRunSortKey[] = "\\SOFTWARE\\Tallowmere\\Launchward\\RunSort";
inline constexpr char kRunDisabledKey[] = "\\SOFTWARE\\Tallowmere\\Launchward\\RunDisabled";
inline constexpr char kRunExcludeKey[] = "\\SOFTWARE\\Tallowmere\\Launchward\\RunExclude";
inline constexpr char kRunNewItemsKey[] = "\\SOFTWARE\\Tallowmere\\Launchward\\RunNewItems";
inline constexpr char kRunLocationKey[] = "\\SOFTWARE\\Tallowmere\\Launchward\\RunLocation";
inline constexpr char kStartupSortKey[] = "\\SOFTWARE\\Tallowmere\\Launchward\\StartupSort";
inline constexpr char kStartupDisableKey[] = "\\SOFTWARE\\Tallowmere\\Launchward\\StartupDisable";
inline constexpr char kStartupExcludeKey[] = "\\SOFTWARE\\Tallowmere\\Launchward\\StartupExclude";
inline constexpr char kStartupNewKey[] = "\\SOFTWARE\\Tallowmere\\Launchward\\StartupNew";
inline constexpr char kStartupLocationKey[] = "\\SOFTWARE\\Tallowmere\\Launchward\\StartupLocation";
inline constexpr char kCustomDelaysKey[] = "\\SOFTWARE\\Tallowmere\\Launchward\\CustomDelays";
inline constexpr char kAutoTuneKey[] = "\\SOFTWARE\\Tallowmere\\Launchward\\AutoTune";
inline constexpr char kPriorityKey[] = "\\SOFTWARE\\Tallowmere\\Launchward\\Priority";
// Under HKEY_CURRENT_USER only.
inline constexpr char kExecMethodKey[] = "\\SOFTWARE\\Tallowmere\\Launchward\\ExecMethod";

// The hive of each group of values (see the top of this file).
inline constexpr HKey kProgramRoot = kHKeyLocalMachine;
inline constexpr HKey kPerUserRoot = kHKeyCurrentUser;

// --- Values directly under the program key ---------------------------------------------------
inline constexpr char kIsInstalledValue[] = "IsInstalled";
inline constexpr char kIsInstalledData[] = "Si";
inline constexpr char kNewRunItemsValue[] = "NewRunItems";
inline constexpr char kNewStartupItemsValue[] = "NewStartupItems";
inline constexpr char kRunOnceMarkValue[] = "RUNONCE";
// The throw-away value (name and data alike) with which the rights check and the take-over
// try whether a key takes changes. The take-over never adopts it, nor the older rights check's
// leftover ("LaunchwardTest" with that data), and removes either from the Run keys it walks:
// a check cut short between its write and its delete leaves nothing that would start.
inline constexpr char kProbeValue[] = "LAUNCHWARD.probe";
inline constexpr char kOldProbeValue[] = "LaunchwardTest";
// True for a Run value that a rights check or probe of the program left behind.
bool IsProbeLeftover(const std::string& name, const std::string& data);
inline constexpr char kFormWidthValue[] = "FORM_WIDTH";
inline constexpr char kFormHeightValue[] = "FORM_HEIGHT";
inline constexpr char kFormSplit1Value[] = "FORM_SPLIT1";
inline constexpr char kFormSplit2Value[] = "FORM_SPLIT2";
inline constexpr char kInitialPauseValue[] = "InitialPauseMilli";
inline constexpr char kRunkeyDelayValue[] = "RunkeyDelayMilli";
inline constexpr char kStartupDelayValue[] = "StartupDelayMilli";
inline constexpr std::int32_t kDefaultInitialPause = 5000;
inline constexpr std::int32_t kDefaultRunkeyDelay = 1000;
inline constexpr std::int32_t kDefaultStartupDelay = 2000;

// --- Values of the sub-keys -------------------------------------------------------------------
inline constexpr char kSortIndexValue[] = "SortIndex";
// "RunExclude"\(value name): whose values of that name are left to Windows. kExcludeMark is
// everybody's (every Run key, as stores written before owners were kept say); otherwise a list
// of owners separated by kExcludeOwnerSeparator: kMachineExcludeOwner for the machine's Run key
// (the 64-bit view's name carries kView64Mark), an account's SID for that account's Run key.
inline constexpr char kExcludeMark[] = "EXCLUDE";
inline constexpr char kMachineExcludeOwner[] = "HKLM";
inline constexpr char kExcludeOwnerSeparator = ',';
inline constexpr char kHighCPUStatValue[] = "HighCPUStat";
inline constexpr char kLowCPUStatValue[] = "LowCPUStat";
// The program's own Run and RunOnce value; a Run-key value of exactly this name (case counts)
// is never taken over.
inline constexpr char kSelfRunValue[] = "LAUNCHWARD";
// The item key under which the initial pause is tuned like an item.
inline constexpr char kInitialPauseItemKey[] = "LW_InitialPause";
// "ExecMethod" data.
inline constexpr char kExecCmdOriginal[] = "CMDORIGNAL";
inline constexpr char kExecCmdAltered[] = "CMDALTERED";
inline constexpr char kExecAppPath[] = "APPPATH";
inline constexpr char kExecSystemRoot[] = "SYSTEMROOT";
// On 64-bit Windows, an item of the machine's 32-bit view (or a user's) whose bare program name
// only the 32-bit system folder (SysWOW64) holds: tried after every other method.
inline constexpr char kExecSysWow64[] = "SYSWOW64";
inline constexpr std::int32_t kDefaultPriority = 32;

// Suffixes appended directly to a name; they combine (k + "_POST" + "_PREVIOUS").
inline constexpr char kHKeySuffix[] = "_HKEY";
// "RunLocation"\(stored name + "_VIEW"): the view of the machine's Run key a value came from on
// 64-bit Windows, as its width: 64 for the 64-bit view; absent (or 32) for the 32-bit view, where
// the program has always looked. A value of the 64-bit view is stored under its name followed by
// " (64-bit)", so that it never meets its namesake of the 32-bit view in the store.
inline constexpr char kViewSuffix[] = "_VIEW";
inline constexpr std::int32_t kStoredView64 = 64;
inline constexpr char kView64Mark[] = " (64-bit)";
// "RunLocation"\(stored name + "_SID"): the account a user item belongs to, as its SID. Items
// stored before it was kept have none and go by the user name beside them.
inline constexpr char kSidSuffix[] = "_SID";
inline constexpr char kTunedSuffix[] = "_tunned";
inline constexpr char kPreviousSuffix[] = "_PREVIOUS";
inline constexpr char kPreSuffix[] = "_PRE";
inline constexpr char kPostSuffix[] = "_POST";

// How a Run-key value or a shortcut stands with the store.
enum class ItemState : int { kNew = 0, kExcluded = 1, kDisabled = 2, kSorted = 3 };

// --- Unit life --------------------------------------------------------------------------------
// Creates the shared registry object (default root HKEY_LOCAL_MACHINE) and sets the CPU
// extremes to lowest 100, highest 0. May be called again after FinalizeSettingsStore.
void InitializeSettingsStore();
void FinalizeSettingsStore();
// The shared registry object; raises std::logic_error when the unit is not initialised.
Registry& SharedRegistry();

// The CPU extremes: the lowest and highest auto-tune figure blended in this process.
std::int32_t LowestCPUFigure();
std::int32_t HighestCPUFigure();
// Moves the extremes so that they include the figure.
void NoteCPUFigure(std::int32_t figure);

// --- Accessors --------------------------------------------------------------------------------
void MarkInstalled();
bool IsInstalledMarked();
void ClearInstalled();

// "Priority"\itemKey (HKEY_LOCAL_MACHINE). The one reader that creates: an absent value is
// written with the default. Without the right to write, nothing is written and the stored
// value (or the default) is returned.
std::int32_t GetPriority(const std::string& itemKey, std::int32_t defaultValue);
void SetPriority(const std::string& itemKey, std::int32_t priorityClass);

void SetStartupLocation(const std::string& storePath, const std::string& folder);
std::string GetStartupLocation(const std::string& storePath);
void SetRunLocation(const std::string& storedName, const std::string& user);
// The root is stored as the 32-bit handle value (HKEY_LOCAL_MACHINE reads back as
// StoredRoot(kHKeyLocalMachine)); -1 when absent.
void SetRunLocationHKey(const std::string& storedName, HKey root);
std::int32_t GetRunLocationHKey(const std::string& storedName);
std::string GetRunLocation(const std::string& storedName);
// The SID of the account a user item belongs to; empty when none was recorded.
void SetRunLocationSid(const std::string& storedName, const std::string& sid);
std::string GetRunLocationSid(const std::string& storedName);
// kStoredView64 for an item of the machine's 64-bit view; -1 when absent.
std::int32_t GetRunLocationView(const std::string& storedName);
constexpr std::int32_t StoredRoot(HKey root) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(root));
}

// Auto-tune figures and CPU statistics (HKEY_CURRENT_USER); absent reads as 0.
std::int32_t GetHighCPUStat();
void SaveCPUStats();
std::int32_t GetAutoTune(const std::string& name);
// figure = sample * 0.6 + previous * 0.4, truncated toward zero; moves the CPU extremes;
// written through reg.
void UpdateAutoTune(Registry& reg, const std::string& name, std::int32_t sample);
// The blend alone (the new figure from the stored one), moving the CPU extremes.
std::int32_t BlendAutoTune(std::int32_t previous, std::int32_t sample);
void SetAutoTunePrevious(Registry& reg, const std::string& name, std::int32_t value);
std::int32_t GetAutoTunePrevious(const std::string& name);

// Tuned pauses (HKEY_CURRENT_USER) and pauses set by the user (HKEY_LOCAL_MACHINE), in
// milliseconds; absent reads as 0. SetTunedDelay stores m - 100 when m is above 1000.
std::int32_t GetTunedDelay(const std::string& itemKey);
void SetTunedDelay(Registry& reg, const std::string& itemKey, std::int32_t milliseconds);
// What SetTunedDelay stores for a pause of that length.
std::int32_t StoredTunedDelay(std::int32_t milliseconds);
std::int32_t GetCustomDelay(const std::string& itemKey);
void SetCustomDelay(const std::string& itemKey, std::int32_t milliseconds);
void DeleteCustomDelay(const std::string& itemKey);

// The value of the Run key under root (in the registry view, 0 for the program's own); empty
// when absent.
std::string ReadRunKeyValue(HKey root, const std::string& valueName, std::uint32_t view = 0);
// The same, with a value that is not text (no program's command line) read as absent.
std::string ReadRunKeyText(HKey root, const std::string& valueName, std::uint32_t view = 0);

// Classification of a Run-key value (userPrefix empty for HKEY_LOCAL_MACHINE items): sorted
// wins over disabled, disabled over excluded. excludeOwner is the value's owner as "RunExclude"
// knows it (kMachineExcludeOwner or the account's SID); empty asks for anybody's exclusion.
ItemState GetRunItemState(const std::string& valueName, const std::string& userPrefix,
                          const std::string& excludeOwner = std::string());
// Whether the owner's value of that name is left to Windows: an everybody's mark, or the owner's
// own (any owner's when owner is empty). The program's own value always is.
bool RunItemExcluded(const std::string& valueName, const std::string& owner = std::string());
// The owners of the exclusion of that name, as written (kExcludeMark for everybody's); empty when
// there is none.
std::vector<std::string> RunExcludeOwners(const std::string& valueName);
// The mark data with the owner added (an everybody's mark already covers it), or taken out (an
// everybody's mark goes whole); empty when nobody is left.
std::string WithExcludeOwner(const std::string& marks, const std::string& owner);
std::string WithoutExcludeOwner(const std::string& marks, const std::string& owner);
bool StartupItemExcluded(const std::string& fileName);
// Classification of a shortcut by file name: disabled wins over sorted, sorted over excluded.
ItemState GetStartupItemState(const std::string& fileName);
bool IsNewRunItem(const std::string& storedName);
bool IsNewStartupItem(const std::string& fileName);

// The run and startup orders. Counts are 0 when absent (and never negative); names and
// commands empty when missing. While a HeldSortOrders lives, the orders are read once and
// answered from memory; change them only through the writers below.
std::int32_t GetRunSortCount();
std::int32_t GetStartupSortCount();
std::string GetRunSortName(std::int32_t index);
std::string GetStartupSortEntry(std::int32_t index);
std::string GetRunSortCommand(std::int32_t index);
std::string GetRunCommand(const std::string& storedName);
// Whether "RunSort" lists the stored item name, letter case aside (as the classifier reads it);
// whether "StartupSort" lists the path, letter case aside.
bool RunOrderHolds(const std::string& storedName);
bool StartupOrderHolds(const std::string& path);

// Sort lists ("RunSort", "StartupSort" or any sub-key of the program key holding entries
// "0".."N-1" and "SortIndex" = N). Append writes SortIndex N + 1 and entry "N"; when a value
// "N" is already there (past the count, which no reader sees), the list is first rewritten
// with its entries, which clears it away. It returns whether it wrote. Save leaves the key
// holding exactly the entries and then SortIndex.
bool AppendSortEntry(Registry& reg, const std::string& sortKeyName, const std::string& entry);
bool AppendSortEntry(const std::string& sortKeyName, const std::string& entry);
void SaveSortOrder(Registry& reg, const std::string& sortKeyName,
                   const std::vector<std::string>& entries);
void SaveSortOrder(const std::string& sortKeyName, const std::vector<std::string>& entries);
// Deletes entry index of the list (the count stays: readers skip the gap).
void RemoveSortEntry(Registry& reg, const std::string& sortKeyName, std::int32_t index);

// A "FORM_" geometry value: false (value untouched) when absent or stored as -1.
bool GetFormValue(Registry& reg, const std::string& name, std::int32_t& value);

}  // namespace lw
