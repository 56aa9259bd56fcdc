#pragma once
// The first half of a logon's take-over: what the runner window shows while it looks for new
// items, then the two take-over passes.

#include <functional>
#include <string>

#include "install/StartupMover.h"

namespace lw {

inline constexpr char kMsgDetectingNewItems[] = "Detecting New items.";
inline constexpr char kMsgItemsFound[] = "Items Found.\r\n";
inline constexpr char kMsgNoNewItems[] = "No new items.";
inline constexpr char kMsgErrorPrefix[] = "ERROR: ";
inline constexpr std::int32_t kItemsFoundPauseMs = 2200;
inline constexpr std::int32_t kErrorPauseMs = 4000;

// The text that lists the items still in the Windows places and not excluded: "Runkey: " +
// value name for each Run value (the program's own excepted), then "Startup: " + file name
// for each Startup file, each line ending in "\r\n".
std::string NewItemListText(const StartupMover& mover);

// Shows "Detecting New items.", then the list ("Items Found.\r\n" + list, or "No new items."),
// pauses 2200 ms, then runs DetectNewRunItems and DetectNewStartupItems. An error on the way
// shows "ERROR: " + its text, pauses 4000 ms and returns false (the caller ends the program);
// true otherwise.
bool RunNewItemListing(StartupMover& mover,
                       const std::function<void(const std::string&)>& showStatus);

}  // namespace lw
