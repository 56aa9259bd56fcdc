#pragma once
// The units the startup mover stands on (the settings store and the special folders), brought
// up for each test on a fresh platform.

#include "store/UnitMyKeys.h"
#include "support/TestEnv.h"
#include "util/UnitSpecialPaths.h"

namespace lw::test {

class StartupMoverFixture : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    InitializeUnitMyKeys();
    InitializeUnitSpecialPaths();
  }
  void TearDown() override {
    FinalizeUnitSpecialPaths();
    FinalizeUnitMyKeys();
  }
};

}  // namespace lw::test
