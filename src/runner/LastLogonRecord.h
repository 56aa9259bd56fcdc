#pragma once
// What happened to each item at the user's last logon: when it was started, counted from the
// start of the logon pass, and the processor load just before and just after its start (the
// load figures the runner takes around every start anyway). The edit window shows them, so
// that "what slows my logon?" has an answer without another tool.
//
// The record is the user's own (HKEY_CURRENT_USER, like everything the runner learns): each
// logon pass clears it first, so an item that was not started at the last logon has no
// figures. One string value per item key (the stored item name of a run-key item, the store
// path of a shortcut): "<ms after the start>,<load before>,<load after>".

#include <cstdint>
#include <string>

#include "store/Registry.h"

namespace lw {

inline constexpr char kLastLogonName[] = "LastLogon";
inline constexpr char kLastLogonKey[] = "\\SOFTWARE\\Tallowmere\\Launchward\\LastLogon";
// The column of the edit window's two ordered lists.
inline constexpr char kLastLogonColumn[] = "Last logon";

struct LastLogonFigures {
  std::int32_t startedAfterMs = 0;  // from the start of the logon pass
  std::int32_t loadBefore = 0;      // per cent
  std::int32_t loadAfter = 0;       // per cent
};

// Starts the record of a new logon: the previous logon's figures go. Without the right to
// write (or with the key in use) the old record stays; nothing is raised.
void ClearLastLogon(Registry& reg);
// Records one item's figures; a failed write is ignored (the figures are a help, never a reason
// to stop a logon).
void SaveLastLogonFigures(Registry& reg, const std::string& itemKey,
                          const LastLogonFigures& figures);
// The item's figures of the last logon; false when it was not started then, or when the stored
// text is not three whole numbers.
bool GetLastLogonFigures(const std::string& itemKey, LastLogonFigures& figures);
// The figures as the column shows them: "12.3 s, 15% -> 80%"; empty when there are none.
std::string LastLogonText(const LastLogonFigures& figures);
std::string LastLogonText(const std::string& itemKey);

}  // namespace lw
