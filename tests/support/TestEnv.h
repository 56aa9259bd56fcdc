#pragma once
// What every test stands on: a fresh platform per test case. Natively that is a new simulated
// machine; under Wine it is the real API, with the program's keys, the Run and RunOnce keys
// and the program's files beside the test executable cleared first, so each case starts from
// the state of a machine where the program has never run.

#include <gtest/gtest.h>

#include <string>

#include "platform/Platform.h"
#include "util/Termination.h"

#ifndef _WIN32
#include "platform/sim/SimPlatform.h"
#endif

namespace lw::test {

// Installs a fresh platform (see above).
void ResetPlatform();

// True when the tests run on the real Windows API.
bool IsRealWindows();

// The folder of the running executable, with a trailing backslash.
std::string ExeFolder();

// An empty folder of the test's own, with a trailing backslash.
std::string ScratchFolder();

// Test-side helpers built on the seam alone, so they do not lean on the code under test.
void RemoveTree(const std::string& folder);
void DeleteKeyTree(HKey root, const std::string& path);
std::string ReadWholeFile(const std::string& path);

// Another spelling of an existing folder (with a trailing backslash) that reaches the same
// folder: under Wine its short (8.3) form, on the simulation a drive mapped onto it.
std::string OtherSpelling(const std::string& folder);

#ifndef _WIN32
SimPlatform& Sim();
#endif

class PlatformTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetPlatform();
    ResetApplicationTerminate();
  }
};

}  // namespace lw::test

// A test that only the simulation can stage.
#ifdef _WIN32
#define LW_SIM_ONLY() GTEST_SKIP() << "needs the simulation"
#else
#define LW_SIM_ONLY() (void)0
#endif
