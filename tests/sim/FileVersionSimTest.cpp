// Version text from staged version resources.

#include "util/FileVersion.h"

#include "support/TestEnv.h"

namespace lw {
namespace {

TEST(FileVersionSimTest, MajorMinorAndReleaseWithoutTheBuild) {
  struct Case {
    FixedFileVersion version;
    const char* text;
  };
  const Case cases[] = {
      {{0x00010003, 0x000406E7, 0x00090009, 0x00090009}, "1.3.4"},
      {{0x00000000, 0x00000000, 0, 0}, "0.0.0"},
      {{0xFFFFFFFF, 0xFFFFFFFF, 0, 0}, "65535.65535.65535"},
      {{0x000A0000, 0x4A610000, 0, 0}, "10.0.19041"},
  };
  for (const Case& c : cases) {
    test::ResetPlatform();
    test::Sim().AddFile("C:\\Tools\\v.exe", "MZ");
    test::Sim().SetFileVersion("C:\\Tools\\v.exe", c.version);
    EXPECT_EQ(GetFileVersionString("C:\\Tools\\v.exe"), c.text);
  }
}

}  // namespace
}  // namespace lw
