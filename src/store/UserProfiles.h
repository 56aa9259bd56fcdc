#pragma once
// Where Windows keeps a user's profile. The profile folder is not always named after the user:
// a renamed account keeps its old folder, and domain and online accounts get folders such as
// "john.CONTOSO" or the first letters of an e-mail address. The system's profile list, keyed
// by the account's SID, names the folder for certain; the folder named after the user is only
// the fallback for a machine whose list does not know the account.

#include <string>

namespace lw {

inline constexpr char kProfileListKey[] =
    "\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
inline constexpr char kProfileImagePathValue[] = "ProfileImagePath";
inline constexpr char kProfilesDirectoryValue[] = "ProfilesDirectory";

// The SID of the account in its string form; empty when the system knows no such account.
std::string AccountSid(const std::string& user);

// The hive file of the account of that SID: the profile list's ProfileImagePath for it,
// expanded, then "\NTUSER.DAT"; empty when the list has no folder for it.
std::string AccountHiveFile(const std::string& sid);

// The user's hive file: the profile list's ProfileImagePath for the account's SID, expanded,
// then "\NTUSER.DAT"; without such an entry, profilesFolder + user + "\NTuser.dat".
std::string UserHiveFile(const std::string& user, const std::string& profilesFolder);

}  // namespace lw
