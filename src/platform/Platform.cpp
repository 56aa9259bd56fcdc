#include "platform/Platform.h"

#include <stdexcept>

namespace lw {

namespace {
std::unique_ptr<IPlatform>& Slot() {
  static std::unique_ptr<IPlatform> platform;
  return platform;
}
}  // namespace

void InstallPlatform(std::unique_ptr<IPlatform> platform) { Slot() = std::move(platform); }

IPlatform& CurrentPlatform() {
  if (!Slot()) throw std::logic_error("no platform installed");
  return *Slot();
}

bool HasPlatform() { return Slot() != nullptr; }

}  // namespace lw
