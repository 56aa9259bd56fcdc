#include "ChildEnvironment.h"

#include "platform/win32/Win32Api.h"

namespace lw::bench {

// CreateProcess without an environment block hands the child this process's own environment,
// which SetEnvironmentVariable changes (the C runtime's copy would not reach the child).
void SetChildEnvironment(const std::string& name, const std::string& value) {
  ::SetEnvironmentVariableA(name.c_str(), value.empty() ? nullptr : value.c_str());
}

}  // namespace lw::bench
