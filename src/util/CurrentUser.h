#pragma once
// The account the program acts for. An account is its SID: two accounts may share a user name
// (a local "john" and a domain's "CORP\john"), a SID is never shared. The user name is what
// stored item names are made of ("<user>_<name>").
//
// Normally the program acts for the account its process runs as. A copy started through the
// elevation prompt may run as another account (an administrator who typed a password for a
// standard user): it then acts for the account of the window that started it, once that is
// confirmed (see AccountForElevatedCopy), and reaches that account's HKEY_CURRENT_USER through
// HKEY_USERS\<SID> (the registry layer does so for every access to HKEY_CURRENT_USER).

#include <string>

#include "platform/WinConst.h"

namespace lw {

// The name CurrentUserName gives when the user's name cannot be had; it counts as no user.
inline constexpr char kUnknownUser[] = "UnknownUser";

// The acted-for account's user name: the one the program acts for (see above), else
// WNetGetUser for the local user, else the name the system gives the process's SID, else
// "UnknownUser".
std::string CurrentUserName();

// The user prefix of the current user's own Run-key items: the name and "_", or empty when the
// name is unknown (such values are stored under their plain names).
std::string CurrentUserPrefix();

// The SID of the account the program acts for; empty when it cannot be known (the process's
// token cannot be read). The process's token is read once, at the first question that it
// answers.
std::string CurrentUserSid();

// Whether a user item recorded as belonging to the account (sid) of that user name is the
// current account's. The SIDs decide when both are known; an item without a recorded SID (the
// store kept none before) keeps its old meaning: the user names compare, letter case aside, and
// an empty name is everyone's.
bool IsCurrentAccount(const std::string& sid, const std::string& user);

// The program acts for another account from now on (its SID and user name), until
// StopActingForAccount. Only the elevated copy does this, after checking who started it.
void ActForAccount(const std::string& sid, const std::string& user);
// Also forgets the process's account read so far, as a new process would start: the end of the
// process units calls it.
void StopActingForAccount();
// The SID whose hive stands for HKEY_CURRENT_USER while the program acts for another account
// than its process runs as; empty otherwise.
std::string ActingAccountHive();
// The root that stands for root while the program acts for another account: that account's
// hive under HKEY_USERS for HKEY_CURRENT_USER (subKey, from that root, gains the hive's name in
// front); root itself otherwise.
HKey ActingAccountRoot(HKey root, std::string* subKey);

// Marks that the elevated copy could not confirm whom it acts for: user-scoped actions refuse
// (RequireKnownAccount raises kMsgAccountUnknown).
void SetAccountUnconfirmed(bool unconfirmed);
bool AccountUnconfirmed();
inline constexpr char kMsgAccountUnknown[] =
    "Launchward cannot tell which user started this copy with administrator rights, so it does "
    "not change any user's own items or files. Start it again from your own Launchward window.";
// Raises Error(kMsgAccountUnknown) while the account is unconfirmed.
void RequireKnownAccount();

}  // namespace lw
