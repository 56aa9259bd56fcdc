// Version text of real files: a system library, and the program itself (its version resource).

#include <cctype>

#include "support/TestEnv.h"
#include "util/FileVersion.h"

namespace lw {
namespace {

bool IsThreePartVersion(const std::string& text) {
  int dots = 0;
  bool digitBefore = false;
  for (char c : text) {
    if (c == '.') {
      if (!digitBefore) return false;
      ++dots;
      digitBefore = false;
    } else if (std::isdigit(static_cast<unsigned char>(c))) {
      digitBefore = true;
    } else {
      return false;
    }
  }
  return dots == 2 && digitBefore;
}

class FileVersionWin32Test : public test::PlatformTest {};

TEST_F(FileVersionWin32Test, SystemLibraryHasAThreePartVersion) {
  std::string text = GetFileVersionString(Sys().GetSystemDirectory() + "\\kernel32.dll");
  EXPECT_TRUE(IsThreePartVersion(text)) << text;
}

TEST_F(FileVersionWin32Test, TheProgramCarriesTheProjectsVersion) {
  EXPECT_EQ(GetFileVersionString(test::ExeFolder() + "launchward.exe"), LW_PROJECT_VERSION);
}

}  // namespace
}  // namespace lw
