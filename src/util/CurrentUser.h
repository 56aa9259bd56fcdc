#pragma once
// The logged-on user's name, as the network provider gives it for the local user.

#include <string>

namespace lw {

// The name CurrentUserName gives when the user's name cannot be had; it counts as no user.
inline constexpr char kUnknownUser[] = "UnknownUser";

// WNetGetUser for the local user, or "UnknownUser" when the call fails.
std::string CurrentUserName();

// The user prefix of the current user's own Run-key items: the name and "_", or empty when the
// name is unknown (such values are stored under their plain names).
std::string CurrentUserPrefix();

}  // namespace lw
