#include "util/CurrentUser.h"

#include "platform/Platform.h"

namespace lw {

std::string CurrentUserName() {
  std::string user;
  if (Sys().WNetGetUser(&user) != kErrorSuccess || user.empty()) return kUnknownUser;
  return user;
}

std::string CurrentUserPrefix() {
  std::string user = CurrentUserName();
  return user == kUnknownUser ? std::string() : user + "_";
}

}  // namespace lw
