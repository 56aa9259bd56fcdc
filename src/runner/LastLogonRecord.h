#pragma once
// What happened to each item at the user's last logon: when it was started, counted from the
// start of the logon pass, and the processor load just before and just after its start (the
// load figures the runner takes around every start anyway). The edit window shows them, so
// that "what slows my logon?" has an answer without another tool.
//
// The record is the user's own (HKEY_CURRENT_USER, like everything the runner learns): each
// logon pass clears it first, so an item that was not started at the last logon has no
// figures. One string value per item key (the stored item name of a run-key item, the store
// path of a shortcut): "<ms after the start>,<load before>,<load after>", whole numbers; a load
// the runner did not measure (auto-tune off and no pause sample after the item) is left empty.

#include <cstdint>
#include <string>

#include "store/Registry.h"

namespace lw {

inline constexpr char kLastLogonName[] = "LastLogon";
inline constexpr char kLastLogonKey[] = "\\SOFTWARE\\Tallowmere\\Launchward\\LastLogon";
// The column of the edit window's two ordered lists.
inline constexpr char kLastLogonColumn[] = "Last logon";
// A load that was not measured.
inline constexpr std::int32_t kLoadUnknown = -1;

struct LastLogonFigures {
  std::int32_t startedAfterMs = 0;         // from the start of the logon pass
  std::int32_t loadBefore = kLoadUnknown;  // per cent, or kLoadUnknown
  std::int32_t loadAfter = kLoadUnknown;   // per cent, or kLoadUnknown
};

// Starts the record of a new logon: the previous logon's figures go. Without the right to
// write (or with the key in use) the old record stays; nothing is raised.
void ClearLastLogon(Registry& reg);
// Records one item's figures (replacing what the item had); a failed write is ignored (the
// figures are a help, never a reason to stop a logon). Whatever reg's default root, the record
// goes to the per-user hive.
void SaveLastLogonFigures(Registry& reg, const std::string& itemKey,
                          const LastLogonFigures& figures);
// The item's figures of the last logon; false when it was not started then, or when the stored
// value is not such a text (another type, other than three fields, a start before the pass or
// a load outside 0 to 100).
bool GetLastLogonFigures(const std::string& itemKey, LastLogonFigures& figures);
// The figures as the column shows them: "12.3 s, 15% -> 80%" (tenths of a second cut, not
// rounded; "?" for a load not measured); empty when there are none.
std::string LastLogonText(const LastLogonFigures& figures);
std::string LastLogonText(const std::string& itemKey);

}  // namespace lw
