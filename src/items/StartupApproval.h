#pragma once
// Task Manager's start-up switches (Windows 8 and later). Windows keeps the user's on/off choice
// for each start-up item as a binary value named as the item (12 bytes: a state, then the
// FILETIME of the change) under ...\Explorer\StartupApproved\Run (values of the user's Run key,
// and of the machine's 64-bit view, or its only one on 32-bit Windows), \Run32 (the machine's
// 32-bit view on 64-bit Windows) and \StartupFolder (shortcuts; the user's under
// HKEY_CURRENT_USER, the All Users folder's under HKEY_LOCAL_MACHINE). A first byte of 3 or 7
// means switched off; 2 or 6, or no value, switched on.
//
// The program only reads the switches: the take-over stores a switched-off item as disabled,
// and since the value is never touched, an item given back to Windows shows in Task Manager
// as it did before.

#include <string>

#include "items/ItemManager.h"

namespace lw {

inline constexpr char kStartupApprovedKey[] =
    "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved";

// Whether the Run value's switch is off in Task Manager.
bool SwitchedOffInTaskManager(const RunKeyItem& item);
// Whether the shortcut's switch is off: the file name under the StartupFolder key of the
// machine (forAllUsers) or the user.
bool ShortcutSwitchedOffInTaskManager(const std::string& fileName, bool forAllUsers);

}  // namespace lw
