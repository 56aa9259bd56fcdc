#include "support/ProbePrograms.h"

#include "support/TestEnv.h"

namespace lw::test {

std::string ProbeLogPath() { return ScratchFolder() + "probe-log.txt"; }

}  // namespace lw::test
