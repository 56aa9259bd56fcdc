// The simulated file system's staging (locked files, folders that refuse writes, versions) and
// the behaviour tests lean on: the running executable, find handles, relative paths and the
// exact text the profile functions write.

#include <string>
#include <vector>

#include "support/TestEnv.h"

namespace lw::test {
namespace {

std::vector<std::string> Names(const std::string& pattern) {
  std::vector<std::string> names;
  FindData data;
  Handle find = Files().FindFirstFile(pattern, &data);
  if (find == kInvalidHandle) return names;
  do {
    names.push_back(data.fileName);
  } while (Files().FindNextFile(find, &data));
  Files().FindClose(find);
  return names;
}

using SimFilesTest = PlatformTest;

TEST_F(SimFilesTest, ALockedFileCanBeNeitherReadNorChanged) {
  const std::string file = ScratchFolder() + "held.ini";
  const std::string other = ScratchFolder() + "other.txt";
  Sim().AddFile(file, "[s]\r\nk=v\r\n");
  Sim().AddFile(other, "o");
  Sim().LockFile(file);
  std::string bytes = "untouched";
  const struct {
    const char* title;
    bool result;
  } refused[] = {
      {"read", Files().ReadFile(file, &bytes)},
      {"write", Files().WriteFile(file, "x")},
      {"append", Files().AppendFile(file, "x")},
      {"delete", Files().DeleteFile(file)},
      {"copy from", Files().CopyFile(file, ScratchFolder() + "copy.txt", false)},
      {"copy onto", Files().CopyFile(other, file, false)},
      {"profile write", Files().WritePrivateProfileString("s", "k", "new", file)},
  };
  for (const auto& c : refused) {
    SCOPED_TRACE(c.title);
    EXPECT_FALSE(c.result);
  }
  EXPECT_EQ(Sys().GetLastError(), 32u);
  EXPECT_EQ(bytes, "untouched");
  EXPECT_EQ(Files().GetPrivateProfileString("s", "k", "default", file), "default");
  Sim().LockFile(file, false);
  EXPECT_EQ(Files().GetPrivateProfileString("s", "k", "default", file), "v");
  EXPECT_TRUE(Files().DeleteFile(file));
}

TEST_F(SimFilesTest, AFolderThatRefusesWritesRefusesThemAllTheWayDown) {
  const std::string folder = ScratchFolder() + "ro";
  Sim().AddFile(folder + "\\sub\\kept.txt", "kept");
  Sim().AddFile(ScratchFolder() + "source.txt", "s");
  Sim().DenyFolderWrites(folder);
  const struct {
    const char* title;
    bool result;
  } refused[] = {
      {"create folder", Files().CreateDirectory(folder + "\\new")},
      {"new file", Files().WriteFile(folder + "\\new.txt", "x")},
      {"rewrite file below", Files().WriteFile(folder + "\\sub\\kept.txt", "x")},
      {"delete file below", Files().DeleteFile(folder + "\\sub\\kept.txt")},
      {"copy into", Files().CopyFile(ScratchFolder() + "source.txt", folder + "\\c.txt", false)},
      {"attributes", Files().SetFileAttributes(folder + "\\sub\\kept.txt", kFileAttributeHidden)},
      {"profile", Files().WritePrivateProfileString("s", "k", "v", folder + "\\o.ini")},
  };
  for (const auto& c : refused) {
    SCOPED_TRACE(c.title);
    EXPECT_FALSE(c.result);
  }
  EXPECT_EQ(Sys().GetLastError(), 5u);
  EXPECT_EQ(ReadWholeFile(folder + "\\sub\\kept.txt"), "kept");
  EXPECT_EQ(Names(folder + "\\*"), (std::vector<std::string>{".", "..", "sub"}));
  Sim().DenyFolderWrites(folder, false);
  EXPECT_TRUE(Files().WriteFile(folder + "\\new.txt", "x"));
}

TEST_F(SimFilesTest, TheRunningExecutableIsReadableButNotWritable) {
  const std::string exe = Sys().GetModuleFileName();
  EXPECT_EQ(Files().GetFileAttributes(exe), kFileAttributeArchive);
  EXPECT_TRUE(Files().CopyFile(exe, ScratchFolder() + "copy.exe", true));
  EXPECT_FALSE(Files().WriteFile(exe, "x"));
  EXPECT_EQ(Sys().GetLastError(), 32u);
  EXPECT_FALSE(Files().DeleteFile(exe));
  EXPECT_EQ(Sys().GetLastError(), 5u);
  FixedFileVersion version;
  ASSERT_TRUE(Sys().GetFileVersionInfo(ScratchFolder() + "copy.exe", &version));
  EXPECT_EQ(version.fileVersionMS, 0x00010000u);  // a copy keeps its version resource
}

TEST_F(SimFilesTest, VersionsAreStagedAndGoWithTheContent) {
  const std::string file = ScratchFolder() + "tool.exe";
  Sim().AddFile(file, "MZ");
  FixedFileVersion version{0x00010003, 0x000406E7, 0x00010003, 0x000406E7};
  FixedFileVersion read{9, 9, 9, 9};
  EXPECT_FALSE(Sys().GetFileVersionInfo(file, &read));
  EXPECT_EQ(Sys().GetLastError(), 1813u);
  EXPECT_FALSE(Sys().GetFileVersionInfo(ScratchFolder() + "none.exe", &read));
  EXPECT_EQ(Sys().GetLastError(), 2u);
  EXPECT_EQ(read.fileVersionMS, 9u);
  Sim().SetFileVersion(file, version);
  ASSERT_TRUE(Sys().GetFileVersionInfo(file, &read));
  EXPECT_EQ(read.fileVersionLS, 0x000406E7u);
  ASSERT_TRUE(Files().WriteFile(file, "rewritten"));
  EXPECT_FALSE(Sys().GetFileVersionInfo(file, &read));
  EXPECT_THROW(Sim().SetFileVersion(ScratchFolder() + "none.exe", version), std::invalid_argument);
}

TEST_F(SimFilesTest, FindListsDotsThenNamesInWindowsOrderAndCountsItsHandles) {
  Sim().AddFile(ScratchFolder() + "b.txt", "12345");
  Sim().AddFile(ScratchFolder() + "A.lnk", "", kFileAttributeHidden | kFileAttributeArchive);
  Sim().AddFile(ScratchFolder() + "c.TXT");
  Sim().AddFile(ScratchFolder() + "page.html");
  Sim().AddFolder(ScratchFolder() + "_Sub");
  EXPECT_EQ(Names(ScratchFolder() + "*"),
            (std::vector<std::string>{".", "..", "A.lnk", "b.txt", "c.TXT", "page.html", "_Sub"}));
  EXPECT_EQ(Names(ScratchFolder() + "*.txt"), (std::vector<std::string>{"b.txt", "c.TXT"}));
  EXPECT_EQ(Names(ScratchFolder() + "?.*"),
            (std::vector<std::string>{".", "..", "A.lnk", "b.txt", "c.TXT"}));
  EXPECT_EQ(Names(ScratchFolder() + "*.htm"), (std::vector<std::string>{"page.html"}));
  EXPECT_EQ(Names(ScratchFolder() + "_sub"), (std::vector<std::string>{"_Sub"}));
  const std::vector<std::string> root = Names("C:\\*");
  ASSERT_FALSE(root.empty());
  EXPECT_NE(root.front(), ".");  // a drive's root has no "." and ".."

  FindData data;
  Handle find = Files().FindFirstFile(ScratchFolder() + "b*", &data);
  ASSERT_NE(find, kInvalidHandle);
  EXPECT_EQ(data.size, 5u);
  EXPECT_EQ(Sim().OpenFindCount(), 1);
  FindData kept = data;
  EXPECT_FALSE(Files().FindNextFile(find, &data));
  EXPECT_EQ(Sys().GetLastError(), 18u);
  EXPECT_EQ(data.fileName, kept.fileName);
  EXPECT_TRUE(Files().FindClose(find));
  EXPECT_FALSE(Files().FindClose(find));
  EXPECT_EQ(Sim().OpenFindCount(), 0);
}

TEST_F(SimFilesTest, PathsAreResolvedAsWin32Does) {
  Sim().AddFile("rel.txt", "beside the exe");  // the current folder is the executable's
  EXPECT_EQ(ReadWholeFile(ExeFolder() + "REL.TXT"), "beside the exe");
  EXPECT_EQ(ReadWholeFile("c:/program files/launchward/./lwtest-scratch/../rel.txt."),
            "beside the exe");
  EXPECT_EQ(Files().GetFileAttributes("D:\\x.txt"), kInvalidFileAttributes);
  EXPECT_EQ(Sys().GetLastError(), 3u);
  EXPECT_EQ(Files().GetFileAttributes(ScratchFolder() + "a*.txt"), kInvalidFileAttributes);
  EXPECT_EQ(Sys().GetLastError(), 123u);
  // A bare profile name means the Windows folder.
  ASSERT_TRUE(Files().WritePrivateProfileString("s", "k", "v", "lw.ini"));
  EXPECT_EQ(ReadWholeFile(Sys().GetWindowsDirectory() + "\\lw.ini"), "[s]\r\nk=v\r\n");
}

TEST_F(SimFilesTest, ProfileWritesKeepTheRestOfTheFileAsItWas) {
  const std::string ini = ScratchFolder() + "options.ini";
  ASSERT_TRUE(Files().WritePrivateProfileString("Options", "cbHide", "1", ini));
  EXPECT_EQ(ReadWholeFile(ini), "[Options]\r\ncbHide=1\r\n");
  ASSERT_TRUE(Files().WritePrivateProfileString("options", "txtPause", "500", ini));
  ASSERT_TRUE(Files().WritePrivateProfileString("Window", "Left", "10", ini));
  ASSERT_TRUE(Files().WritePrivateProfileString("OPTIONS", "CBHIDE", "0", ini));
  EXPECT_EQ(ReadWholeFile(ini), "[Options]\r\ncbHide=0\r\ntxtPause=500\r\n[Window]\r\nLeft=10\r\n");

  // A hand-written file: its comments, blank lines and spacing survive a write elsewhere.
  Sim().AddFile(ini, "; mine\n[A]\n  x = \"quoted value\" \n\n[B]\ny='one'\n");
  ASSERT_TRUE(Files().WritePrivateProfileString("a", "z", "new", ini));
  EXPECT_EQ(ReadWholeFile(ini), "; mine\n[A]\n  x = \"quoted value\" \nz=new\r\n\n[B]\ny='one'\n");
  EXPECT_EQ(Files().GetPrivateProfileString("A", "X", "d", ini), "quoted value");
  EXPECT_EQ(Files().GetPrivateProfileString("B", "y", "d", ini), "one");
  EXPECT_EQ(Files().GetPrivateProfileString("B", "x", "fallback  ", ini), "fallback");
  EXPECT_FALSE(Files().WritePrivateProfileString("A", "k", "v", ScratchFolder() + "no\\o.ini"));
  EXPECT_EQ(Sys().GetLastError(), 3u);
}

TEST_F(SimFilesTest, HiddenAndReadOnlyFilesRefuseBeingReplaced) {
  const std::string hidden = ScratchFolder() + "hidden.txt";
  const std::string readOnly = ScratchFolder() + "ro.txt";
  Sim().AddFile(hidden, "h", kFileAttributeHidden);
  Sim().AddFile(readOnly, "r", kFileAttributeReadOnly);
  EXPECT_FALSE(Files().WriteFile(hidden, "x"));  // CREATE_ALWAYS over a hidden file
  EXPECT_EQ(Sys().GetLastError(), 5u);
  EXPECT_TRUE(Files().AppendFile(hidden, "+"));
  EXPECT_EQ(ReadWholeFile(hidden), "h+");
  for (bool result : {Files().WriteFile(readOnly, "x"), Files().DeleteFile(readOnly),
                      Files().CopyFile(hidden, readOnly, false)}) {
    EXPECT_FALSE(result);
    EXPECT_EQ(Sys().GetLastError(), 5u);
  }
  ASSERT_TRUE(Files().CopyFile(readOnly, ScratchFolder() + "copy.txt", true));
  EXPECT_EQ(Files().GetFileAttributes(ScratchFolder() + "copy.txt"), kFileAttributeReadOnly);
}

}  // namespace
}  // namespace lw::test
