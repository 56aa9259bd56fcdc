#include "util/CurrentUser.h"

#include "platform/Platform.h"
#include "util/Error.h"
#include "util/Text.h"

namespace lw {

namespace {

struct ActingState {
  std::string sid;  // empty: the process's own account
  std::string user;
  std::string hive;  // sid, when it is not the process's own account
  bool unconfirmed = false;
  // The process's own account, once its token was read: a token's user never changes, and the
  // runner and the item manager ask for every item.
  std::string processSid;
};

ActingState& Acting() {
  static ActingState state;
  return state;
}

std::string ProcessUserSid() {
  std::string& cached = Acting().processSid;
  if (!cached.empty()) return cached;
  std::string sid;
  // A token that cannot be read now is tried again at the next question.
  if (!Token().GetProcessUserSid(&sid)) return std::string();
  cached = sid;
  return sid;
}

}  // namespace

std::string CurrentUserName() {
  if (!Acting().sid.empty()) return Acting().user.empty() ? kUnknownUser : Acting().user;
  std::string user;
  if (Sys().WNetGetUser(&user) == kErrorSuccess && !user.empty()) return user;
  // The network provider may be missing or failing; the system still knows the account.
  const std::string sid = ProcessUserSid();
  user.clear();
  if (!sid.empty() && Token().LookupSidUserName(sid, &user) && !user.empty()) return user;
  return kUnknownUser;
}

std::string CurrentUserPrefix() {
  std::string user = CurrentUserName();
  return user == kUnknownUser ? std::string() : user + "_";
}

std::string CurrentUserSid() {
  if (!Acting().sid.empty()) return Acting().sid;
  return ProcessUserSid();
}

bool IsCurrentAccount(const std::string& sid, const std::string& user) {
  if (!sid.empty()) return sid == CurrentUserSid();
  return user.empty() || SameText(user, CurrentUserName());
}

void ActForAccount(const std::string& sid, const std::string& user) {
  const std::string own = ProcessUserSid();
  Acting().sid = sid;
  Acting().user = user;
  Acting().hive = sid == own ? std::string() : sid;
}

void StopActingForAccount() { Acting() = ActingState{}; }

std::string ActingAccountHive() { return Acting().hive; }

HKey ActingAccountRoot(HKey root, std::string* subKey) {
  // The acting account's hive is loaded under its SID while that user is logged on.
  const std::string& hive = Acting().hive;
  if (root != kHKeyCurrentUser || hive.empty()) return root;
  *subKey = subKey->empty() ? hive : hive + "\\" + *subKey;
  return kHKeyUsers;
}

void SetAccountUnconfirmed(bool unconfirmed) { Acting().unconfirmed = unconfirmed; }

bool AccountUnconfirmed() { return Acting().unconfirmed; }

void RequireKnownAccount() {
  if (Acting().unconfirmed) throw Error(kMsgAccountUnknown);
}

}  // namespace lw
