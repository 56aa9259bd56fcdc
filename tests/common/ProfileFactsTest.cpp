// What the program relies on from the profile-file (INI) functions: round trips, defaults,
// the trimming and unquoting of values, and the file they write.

#include <string>

#include "support/TestEnv.h"

namespace lw::test {
namespace {

class ProfileFacts : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    file = ScratchFolder() + "facts.ini";
  }

  std::string Get(const std::string& section, const std::string& key,
                  const std::string& defaultValue = "<default>") {
    return Files().GetPrivateProfileString(section, key, defaultValue, file);
  }

  std::string file;
};

TEST_F(ProfileFacts, WrittenValuesReadBackAndTheFileIsPlainText) {
  EXPECT_TRUE(Files().WritePrivateProfileString("Options", "cbHide", "1", file));
  EXPECT_TRUE(Files().WritePrivateProfileString("Options", "txtIntPause", "5000", file));
  EXPECT_TRUE(Files().WritePrivateProfileString("Options", "cbHide", "0", file));
  EXPECT_EQ(Get("Options", "cbHide"), "0");
  EXPECT_EQ(Get("options", "CBHIDE"), "0");
  EXPECT_EQ(Get("Options", "txtIntPause"), "5000");
  EXPECT_EQ(ReadWholeFile(file), "[Options]\r\ncbHide=0\r\ntxtIntPause=5000\r\n");

  // Values with odd characters and a value longer than any first guess at a buffer.
  const std::string odd = "C:\\Program Files\\x.exe -a=b;c %TEMP% caf\xc3\xa9";
  EXPECT_TRUE(Files().WritePrivateProfileString("Options", "odd", odd, file));
  EXPECT_EQ(Get("Options", "odd"), odd);
  const std::string longValue(5000, 'L');
  EXPECT_TRUE(Files().WritePrivateProfileString("Options", "long", longValue, file));
  EXPECT_EQ(Get("Options", "long"), longValue);
}

TEST_F(ProfileFacts, MissingFilesSectionsAndKeysGiveTheDefault) {
  EXPECT_EQ(Get("Options", "cbHide"), "<default>");
  EXPECT_EQ(Files().GetFileAttributes(file), kInvalidFileAttributes);  // reading creates nothing
  ASSERT_TRUE(Files().WritePrivateProfileString("Options", "cbHide", "1", file));
  EXPECT_EQ(Get("Other", "cbHide"), "<default>");
  EXPECT_EQ(Get("Options", "missing"), "<default>");
  EXPECT_EQ(Get("Options", "missing", ""), "");
  // Blanks at the end of the default are dropped.
  EXPECT_EQ(Get("Options", "missing", "  padded  "), "  padded");
}

TEST_F(ProfileFacts, ValuesAreTrimmedAndLoseOneLevelOfQuotes) {
  ASSERT_TRUE(Files().WriteFile(file,
                                "[Options]\r\n"
                                "  spaced  =   value with blanks   \r\n"
                                "quoted=\"in quotes\"\r\n"
                                "single='in single'\r\n"
                                "inner=a \"b\" c\r\n"
                                "half=\"open\r\n"
                                "empty=\r\n"
                                "quotedBlanks=\"  kept  \"\r\n"));
  struct Case {
    const char* key;
    const char* value;
  };
  const Case cases[] = {
      {"spaced", "value with blanks"}, {"quoted", "in quotes"}, {"single", "in single"},
      {"inner", "a \"b\" c"},          {"half", "\"open"},      {"empty", ""},
      {"quotedBlanks", "  kept  "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    EXPECT_EQ(Get("Options", c.key), c.value);
  }
  // A value written with blanks around it reads back without them.
  ASSERT_TRUE(Files().WritePrivateProfileString("Options", "written", "  padded  ", file));
  EXPECT_EQ(Get("Options", "written"), "padded");
}

TEST_F(ProfileFacts, WritingIntoAMissingFolderFails) {
  const std::string missing = ScratchFolder() + "no such folder\\facts.ini";
  Sys().SetLastError(0);
  EXPECT_FALSE(Files().WritePrivateProfileString("Options", "cbHide", "1", missing));
  EXPECT_EQ(Sys().GetLastError(), kErrorPathNotFound);
  EXPECT_EQ(Files().GetPrivateProfileString("Options", "cbHide", "d", missing), "d");
}

}  // namespace
}  // namespace lw::test
