// Version text of files with and without a version resource.

#include "util/FileVersion.h"

#include "support/TestEnv.h"

namespace lw {
namespace {

class FileVersionTest : public test::PlatformTest {};

TEST_F(FileVersionTest, FileWithoutVersionResourceGivesEmpty) {
  std::string plain = test::ScratchFolder() + "plain.exe";
  ASSERT_TRUE(Files().WriteFile(plain, "not a program"));
  EXPECT_EQ(GetFileVersionString(plain), "");
  EXPECT_EQ(GetFileVersionString(test::ScratchFolder() + "missing.dll"), "");
  EXPECT_EQ(GetFileVersionString(""), "");
}

}  // namespace
}  // namespace lw
