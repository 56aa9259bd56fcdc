#include "platform/win32/Win32Api.h"
#include "support/LogonRunnerFixture.h"

namespace lw::test {

void SetTestEnvironment(const std::string& name, const std::string& value) {
  ::SetEnvironmentVariableA(name.c_str(), value.empty() ? nullptr : value.c_str());
}

}  // namespace lw::test
