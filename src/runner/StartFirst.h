#pragma once
// The organisation's start-first list (ui/Policies.h): the items it names start before every
// other one of their kind, in the list's order; the rest keep the order the user gave them.

#include "items/ItemManager.h"

namespace lw {

// A run-key item is named by its stored name, by its Run value's name for the machine's items
// and the current user's own, or with kView64Mark for the 64-bit view's value; a shortcut by
// its file name, with or without ".lnk".
void PutStartFirstAhead(RunKeyItemList& runkeyItems, StartupFolderItemList& startupItems);

}  // namespace lw
