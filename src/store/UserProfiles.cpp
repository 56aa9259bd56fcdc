#include "store/UserProfiles.h"

#include "platform/Platform.h"
#include "store/Registry.h"
#include "util/Error.h"

namespace lw {

std::string AccountSid(const std::string& user) {
  std::string sid;
  if (user.empty() || !Token().LookupAccountSid(user, &sid)) return std::string();
  return sid;
}

std::string AccountHiveFile(const std::string& sid) {
  if (sid.empty()) return std::string();
  std::string folder;
  try {
    Registry registry;
    folder = registry.GetStringAt(kHKeyLocalMachine, std::string(kProfileListKey) + "\\" + sid,
                                  kProfileImagePathValue);
  } catch (const Error&) {
    folder.clear();  // a value of the wrong type names no folder
  }
  if (!folder.empty()) folder = Sys().ExpandEnvironmentStrings(folder);
  if (folder.empty()) return std::string();
  if (folder.back() != '\\') folder += '\\';
  return folder + "NTUSER.DAT";
}

std::string UserHiveFile(const std::string& user, const std::string& profilesFolder) {
  const std::string byAccount = AccountHiveFile(AccountSid(user));
  if (!byAccount.empty()) return byAccount;
  std::string file = profilesFolder;
  if (!file.empty() && file.back() != '\\') file += '\\';
  return file + user + "\\NTuser.dat";
}

}  // namespace lw
