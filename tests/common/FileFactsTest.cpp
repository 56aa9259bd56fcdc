// What the program relies on from the file functions: error codes, attributes and the way
// FindFirstFile lists a folder. These run on the simulation and on Windows (under Wine).

#include <algorithm>
#include <string>
#include <vector>

#include "support/TestEnv.h"
#include "util/Text.h"

namespace lw::test {
namespace {

class FileFacts : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    dir = ScratchFolder() + "files";
    ASSERT_TRUE(Files().CreateDirectory(dir));
    ASSERT_TRUE(Files().WriteFile(dir + "\\a.txt", "alpha"));
  }

  // The names FindFirstFile/FindNextFile give for the pattern, sorted; the find handle is
  // always closed.
  std::vector<std::string> List(const std::string& pattern) {
    std::vector<std::string> names;
    FindData data;
    Handle find = Files().FindFirstFile(pattern, &data);
    if (find == kInvalidHandle) return names;
    do {
      names.push_back(data.fileName);
    } while (Files().FindNextFile(find, &data));
    EXPECT_EQ(Sys().GetLastError(), kErrorNoMoreFiles);
    EXPECT_TRUE(Files().FindClose(find));
    std::sort(names.begin(), names.end());
    return names;
  }

  std::string dir;
};

TEST_F(FileFacts, FailuresGiveTheirErrorCodes) {
  const std::string missingDir = dir + "\\no such folder";
  struct Case {
    const char* what;
    bool (*call)(const std::string& dir, const std::string& missingDir);
    std::uint32_t error;
  };
  const Case cases[] = {
      {"copy onto an existing file with failIfExists",
       [](const std::string& d, const std::string&) {
         Files().WriteFile(d + "\\b.txt", "bravo");
         return Files().CopyFile(d + "\\a.txt", d + "\\b.txt", true);
       },
       kErrorFileExists},
      {"copy into a missing folder",
       [](const std::string& d, const std::string& m) {
         return Files().CopyFile(d + "\\a.txt", m + "\\a.txt", false);
       },
       kErrorPathNotFound},
      {"copy of a missing file",
       [](const std::string& d, const std::string&) {
         return Files().CopyFile(d + "\\missing.txt", d + "\\c.txt", false);
       },
       kErrorFileNotFound},
      {"delete a missing file",
       [](const std::string& d, const std::string&) {
         return Files().DeleteFile(d + "\\missing.txt");
       },
       kErrorFileNotFound},
      {"delete in a missing folder",
       [](const std::string&, const std::string& m) { return Files().DeleteFile(m + "\\x"); },
       kErrorPathNotFound},
      {"create an existing folder",
       [](const std::string& d, const std::string&) { return Files().CreateDirectory(d); },
       kErrorAlreadyExists},
      {"create a folder in a missing folder",
       [](const std::string&, const std::string& m) {
         return Files().CreateDirectory(m + "\\sub");
       },
       kErrorPathNotFound},
      {"remove a folder that is not empty",
       [](const std::string& d, const std::string&) { return Files().RemoveDirectory(d); },
       kErrorDirNotEmpty},
      {"read a missing file",
       [](const std::string& d, const std::string&) {
         std::string bytes = "kept";
         bool ok = Files().ReadFile(d + "\\missing.txt", &bytes);
         EXPECT_EQ(bytes, "kept");
         return ok;
       },
       kErrorFileNotFound},
      {"write into a missing folder",
       [](const std::string&, const std::string& m) { return Files().WriteFile(m + "\\x", "x"); },
       kErrorPathNotFound},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Sys().SetLastError(0);
    EXPECT_FALSE(c.call(dir, missingDir));
    EXPECT_EQ(Sys().GetLastError(), c.error);
  }
  EXPECT_EQ(ReadWholeFile(dir + "\\b.txt"), "bravo");
}

TEST_F(FileFacts, AttributesOfFilesFoldersAndMissingPaths) {
  EXPECT_EQ(Files().GetFileAttributes(dir + "\\missing.txt"), kInvalidFileAttributes);
  EXPECT_EQ(Sys().GetLastError(), kErrorFileNotFound);
  EXPECT_EQ(Files().GetFileAttributes(dir + "\\no such folder\\x.txt"), kInvalidFileAttributes);
  EXPECT_EQ(Sys().GetLastError(), kErrorPathNotFound);

  EXPECT_NE(Files().GetFileAttributes(dir) & kFileAttributeDirectory, 0u);
  EXPECT_NE(Files().GetFileAttributes(dir + "\\") & kFileAttributeDirectory, 0u);
  std::uint32_t file = Files().GetFileAttributes(dir + "\\a.txt");
  ASSERT_NE(file, kInvalidFileAttributes);
  EXPECT_EQ(file & kFileAttributeDirectory, 0u);
  // Names are case-insensitive.
  EXPECT_EQ(Files().GetFileAttributes(dir + "\\A.TXT"), file);

  ASSERT_TRUE(Files().SetFileAttributes(dir + "\\a.txt", kFileAttributeReadOnly));
  EXPECT_NE(Files().GetFileAttributes(dir + "\\a.txt") & kFileAttributeReadOnly, 0u);
  // A read-only file is not deleted until its attribute is cleared. (Windows refuses to
  // write it too; Wine run as root does not, so that is not pinned here.)
  EXPECT_FALSE(Files().DeleteFile(dir + "\\a.txt"));
  EXPECT_EQ(Sys().GetLastError(), kErrorAccessDenied);
  ASSERT_TRUE(Files().SetFileAttributes(dir + "\\a.txt", kFileAttributeNormal));
  EXPECT_TRUE(Files().DeleteFile(dir + "\\a.txt"));
  EXPECT_EQ(Files().GetFileAttributes(dir + "\\a.txt"), kInvalidFileAttributes);
}

TEST_F(FileFacts, CopyWriteAppendAndRead) {
  EXPECT_TRUE(Files().CopyFile(dir + "\\a.txt", dir + "\\copy.txt", true));
  EXPECT_EQ(ReadWholeFile(dir + "\\copy.txt"), "alpha");
  ASSERT_TRUE(Files().WriteFile(dir + "\\b.txt", "bravo"));
  EXPECT_TRUE(Files().CopyFile(dir + "\\b.txt", dir + "\\copy.txt", false));
  EXPECT_EQ(ReadWholeFile(dir + "\\copy.txt"), "bravo");

  // WriteFile replaces the whole content; AppendFile adds, creating the file when missing.
  ASSERT_TRUE(Files().WriteFile(dir + "\\a.txt", "x"));
  EXPECT_EQ(ReadWholeFile(dir + "\\a.txt"), "x");
  ASSERT_TRUE(Files().AppendFile(dir + "\\log.txt", "one\r\n"));
  ASSERT_TRUE(Files().AppendFile(dir + "\\log.txt", "two\r\n"));
  EXPECT_EQ(ReadWholeFile(dir + "\\log.txt"), "one\r\ntwo\r\n");

  const std::string binary("\0\xff\r\n\x1a end", 8);
  ASSERT_TRUE(Files().WriteFile(dir + "\\bin", binary));
  EXPECT_EQ(ReadWholeFile(dir + "\\bin"), binary);
  ASSERT_TRUE(Files().WriteFile(dir + "\\empty", ""));
  std::string bytes = "kept";
  EXPECT_TRUE(Files().ReadFile(dir + "\\empty", &bytes));
  EXPECT_EQ(bytes, "");
}

TEST_F(FileFacts, FindListsDotEntriesAndMatchesPatterns) {
  ASSERT_TRUE(Files().WriteFile(dir + "\\b.lnk", "b"));
  ASSERT_TRUE(Files().CreateDirectory(dir + "\\sub"));

  EXPECT_EQ(List(dir + "\\*"), (std::vector<std::string>{".", "..", "a.txt", "b.lnk", "sub"}));
  EXPECT_EQ(List(dir + "\\*.lnk"), std::vector<std::string>{"b.lnk"});
  EXPECT_EQ(List(dir + "\\*.*"), (std::vector<std::string>{".", "..", "a.txt", "b.lnk", "sub"}));
  EXPECT_EQ(List(dir + "\\sub\\*"), (std::vector<std::string>{".", ".."}));

  // A name in another script comes back whole: 80 Chinese characters are 240 bytes of UTF-8 (a
  // Linux file system under Wine holds no more than 255 bytes a name).
  std::string longName;
  for (int i = 0; i < 80; ++i) longName += "\xe4\xb8\xad";
  longName += ".lnk";
  ASSERT_TRUE(Files().WriteFile(dir + "\\sub\\" + longName, "c"));
  EXPECT_EQ(List(dir + "\\sub\\*.lnk"), std::vector<std::string>{longName});

  FindData data;
  data.fileName = "kept";
  Handle find = Files().FindFirstFile(dir + "\\a.txt", &data);
  ASSERT_NE(find, kInvalidHandle);
  EXPECT_EQ(data.fileName, "a.txt");
  EXPECT_EQ(data.size, 5u);
  EXPECT_EQ(data.attributes & kFileAttributeDirectory, 0u);
  Files().FindClose(find);

  // Nothing matches: an invalid handle and "file not found"; a missing folder: "path not
  // found". The find data stay as they were.
  data.fileName = "kept";
  EXPECT_EQ(Files().FindFirstFile(dir + "\\*.none", &data), kInvalidHandle);
  EXPECT_EQ(Sys().GetLastError(), kErrorFileNotFound);
  EXPECT_EQ(Files().FindFirstFile(dir + "\\no such folder\\*", &data), kInvalidHandle);
  EXPECT_EQ(Sys().GetLastError(), kErrorPathNotFound);
  EXPECT_EQ(data.fileName, "kept");
}

// A file's id is the file, whatever path reaches it: equal under another spelling (a short
// name, a mapped drive) and in any letter case, different for a copy; a missing file has none.
TEST_F(FileFacts, FileIdNamesOneFileWhateverTheSpelling) {
  const std::string folder = dir + "\\Long Folder Name\\";
  ASSERT_TRUE(Files().CreateDirectory(folder.substr(0, folder.size() - 1)));
  ASSERT_TRUE(Files().WriteFile(folder + "Long File Name.lnk", "link"));
  ASSERT_TRUE(Files().CopyFile(folder + "Long File Name.lnk", folder + "copy.lnk", true));
  FileId id;
  ASSERT_TRUE(Files().GetFileId(folder + "Long File Name.lnk", &id));
  for (const std::string& path :
       {OtherSpelling(folder) + "Long File Name.lnk", LowerCase(folder) + "LONG FILE NAME.LNK"}) {
    FileId same;
    ASSERT_TRUE(Files().GetFileId(path, &same)) << path;
    EXPECT_TRUE(same == id) << path;
  }
  FileId copy;
  ASSERT_TRUE(Files().GetFileId(folder + "copy.lnk", &copy));
  EXPECT_FALSE(copy == id);

  FileId unchanged = id;
  EXPECT_FALSE(Files().GetFileId(folder + "missing.lnk", &unchanged));
  EXPECT_EQ(Sys().GetLastError(), kErrorFileNotFound);
  EXPECT_TRUE(unchanged == id);
}

// A file put in another's place in one step: the other's bytes are gone, the source name is
// free, and a missing target is no obstacle. (A read-only target: Windows refuses it, Wine
// replaces it; the program copes with either, so neither is pinned.)
TEST_F(FileFacts, MoveFileReplacingPutsAFileInAnothersPlaceInOneStep) {
  const std::string a = dir + "\\a.txt";
  const std::string b = dir + "\\b.txt";
  const std::string c = dir + "\\c.txt";
  ASSERT_TRUE(Files().WriteFile(b, "bravo"));
  ASSERT_TRUE(Files().MoveFileReplacing(a, b));
  EXPECT_EQ(ReadWholeFile(b), "alpha");
  EXPECT_EQ(Files().GetFileAttributes(a), kInvalidFileAttributes);

  ASSERT_TRUE(Files().MoveFileReplacing(b, c));
  EXPECT_EQ(ReadWholeFile(c), "alpha");
  EXPECT_EQ(Files().GetFileAttributes(b), kInvalidFileAttributes);
}

}  // namespace
}  // namespace lw::test
