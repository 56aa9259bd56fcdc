#include "support/LogonRunnerFixture.h"

namespace lw::test {

void SetTestEnvironment(const std::string& name, const std::string& value) {
  Sim().SetEnvironmentVariable(name, value);
}

}  // namespace lw::test
