#include "util/WindowsBitness.h"

#include "platform/Platform.h"

namespace lw {

bool IsWindows64() {
  switch (Sys().GetNativeProcessorArchitecture()) {
    case kProcessorArchitectureAmd64:
    case kProcessorArchitectureIa64:
    case kProcessorArchitectureArm64:
      return true;
    default:
      return false;
  }
}

bool IsWow64Process() {
  bool wow64 = false;
  return Sys().IsWow64Process(&wow64) && wow64;
}

std::uint32_t ProgramRegistryView() { return HasPlatform() && IsWindows64() ? kKeyWow64_32Key : 0; }

FsRedirectionOff::FsRedirectionOff() {
  if (IsWow64Process()) off_ = Sys().Wow64DisableWow64FsRedirection(&old_);
}

FsRedirectionOff::~FsRedirectionOff() {
  // The error code of what ran meanwhile stays for the caller to read.
  if (!off_) return;
  const std::uint32_t error = Sys().GetLastError();
  Sys().Wow64RevertWow64FsRedirection(old_);
  Sys().SetLastError(error);
}

}  // namespace lw
