#pragma once
// A census of the start-up items on the machine, for the tests that fail an operation half-way
// and then ask whether every item survived somewhere. It reads through the seam alone, so it
// does not trust the code under test to tell where things are.
//
// Counted: each value of the Run key of HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER, and of the
// program key's "Run" and "RunDisabled" keys (values with empty data, blank names and the
// program's own "LAUNCHWARD" are not items); each file of the user's, the All Users and the
// alternate Startup folder and of the shortcut store. Uses SharedSpecialFolders(), so the
// special-paths unit must be initialised.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/WinConst.h"

namespace lw::test {

struct CensusValue {
  HKey root = 0;
  std::string key;  // path from the root, without a leading backslash
  std::string name;
  std::string data;        // the text up to its first zero
  std::uint32_t view = 0;  // the registry view it was read in (0: the program's own)
};

struct CensusFile {
  std::string folder;  // with a trailing backslash
  std::string name;
  std::string content;
};

struct ItemCensus {
  std::vector<CensusValue> runValues;
  std::vector<CensusFile> files;
};

// A Run key counted besides the usual ones (another user's, mounted by the test).
struct CensusRunKey {
  HKey root;
  std::string key;         // path from the root, without a leading backslash
  std::uint32_t view = 0;  // kKeyWow64_64Key for the machine's other view; 0: the program's
};

// extraFolders: Startup folders counted besides the usual ones (another user's), each with a
// trailing backslash.
ItemCensus TakeItemCensus(const std::vector<CensusRunKey>& extraRunKeys = {},
                          const std::vector<std::string>& extraFolders = {});

// Succeeds when every item of before is still whole now:
// - a run value: a value with the same data in the Run key of either root or in the store's
//   "Run" or "RunDisabled" key, named as it was, or with a user prefix added or dropped
//   ("bob_" + name for name, and the reverse) or the 64-bit view's mark (" (64-bit)");
// - a file: a file of the same name and content in one of the Startup folders or the store.
// The failure message names every item that is lost.
::testing::AssertionResult NothingLost(const ItemCensus& before,
                                       const std::vector<CensusRunKey>& extraRunKeys = {},
                                       const std::vector<std::string>& extraFolders = {});

// Every value of a Run key (the store's keys aside) that is in one census and not in the other
// (by place, view, name and data), one line each ("- " gone, "+ " come), for tests that ask
// which Run keys an operation changed.
std::vector<std::string> RunValueChanges(const ItemCensus& before, const ItemCensus& now);

// Stricter: every item of before is also where the program will see it again, so that it is not
// kept but forgotten. A run value is in a system Run key (the next take-over pass finds it), in
// "RunDisabled", or in "Run" under a name that "RunSort" lists; a file is in a Startup folder,
// or in the store under a file name that "StartupSort" or "StartupDisable" lists. The extra
// Run keys and folders are counted as TakeItemCensus counts them.
::testing::AssertionResult EveryItemListed(const ItemCensus& before,
                                           const std::vector<CensusRunKey>& extraRunKeys = {},
                                           const std::vector<std::string>& extraFolders = {});

}  // namespace lw::test
