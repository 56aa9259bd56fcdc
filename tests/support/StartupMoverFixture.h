#pragma once
// The units the startup mover stands on (the settings store and the special folders), brought
// up for each test on a fresh platform.

#include "store/SettingsStore.h"
#include "support/TestEnv.h"
#include "util/SpecialFolders.h"

namespace lw::test {

class StartupMoverFixture : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    InitializeSettingsStore();
    InitializeSpecialFolders();
  }
  void TearDown() override {
    FinalizeSpecialFolders();
    FinalizeSettingsStore();
  }
};

}  // namespace lw::test
