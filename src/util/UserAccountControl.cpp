#include "util/UserAccountControl.h"

#include <cstdint>

#include "platform/Platform.h"
#include "store/Registry.h"
#include "util/Error.h"
#include "util/WindowsBitness.h"

namespace lw {

namespace {

constexpr char kSystemPolicyKey[] =
    "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
constexpr char kEnableLuaValue[] = "EnableLUA";

}  // namespace

bool IsWindowsVistaOrLater() {
  OsVersionInfo info;
  return Sys().GetVersionEx(&info) && info.platformId == kVerPlatformWin32Nt &&
         info.majorVersion >= 6;
}

bool IsUacEnabled() {
  if (!IsWindowsVistaOrLater()) return false;
  Registry registry;
  // The policy is the machine's own: on 64-bit Windows it lives in the 64-bit view.
  ScopedRegistryView nativeView(registry, IsWindows64() ? kKeyWow64_64Key : kOwnView);
  std::int32_t enabled = 1;
  try {
    registry.GetIntegerIfPresentAt(kHKeyLocalMachine, kSystemPolicyKey, kEnableLuaValue, enabled);
  } catch (const Error&) {
    return true;
  }
  return enabled != 0;
}

}  // namespace lw
