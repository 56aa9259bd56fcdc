#pragma once
// What the demo shows, in plain text: the places Windows starts programs from (the Run and
// RunOnce keys, the Startup folders) and Launchward's store (its run and startup orders, the
// disabled, excluded and new items, the shortcut store, its marks and pauses).

#include <string>

namespace lw::demo {

void PrintSystemPlaces();
// The store of launchward.exe at path (the program key and the shortcut store beside it).
void PrintStore(const std::string& launchward);

}  // namespace lw::demo
