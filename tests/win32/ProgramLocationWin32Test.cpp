// Who may change a file, as Wine reports it, and what the program makes of it; and the libraries
// the program loads only from the system folder.
//
// Wine keeps no security of its own for files: it reports every file and folder as owned by its
// one user (an administrator), who has full control beside SYSTEM, and Everyone reads and runs.
// Setting another DACL succeeds and changes nothing. So under Wine every place counts as one that
// only administrators can change; the places that others can change are staged on the simulation.

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "install/ProgramLocation.h"
#include "platform/Platform.h"
#include "runner/StartupControl.h"
#include "support/win32/LogonFixture.h"

namespace lw::test {
namespace {

class ProgramLocationWin32Test : public PlatformTest {};

bool Holds(const FileSecurity& security, const std::string& sid, std::uint32_t mask) {
  return std::any_of(security.dacl.begin(), security.dacl.end(), [&](const AccessEntry& entry) {
    return entry.type == kAccessAllowedAceType && entry.sid == sid && (entry.mask & mask) == mask;
  });
}

TEST_F(ProgramLocationWin32Test, WineReportsItsUserAsOwnerWithFullControlBesideSystem) {
  std::string programFiles;
  ASSERT_TRUE(Shell().GetSpecialFolderPath(kCsidlProgramFiles, &programFiles));
  for (const std::string& path :
       {programFiles, ExeFolder() + "lw_tests.exe", std::string("C:\\")}) {
    SCOPED_TRACE(path);
    FileSecurity security;
    ASSERT_EQ(Files().GetFileSecurity(path, &security), kErrorSuccess);
    EXPECT_TRUE(security.hasDacl);
    EXPECT_EQ(security.ownerSid.rfind("S-1-5-21-", 0), 0u) << security.ownerSid;
    EXPECT_TRUE(Token().IsAdministratorAccount(security.ownerSid));
    EXPECT_TRUE(Holds(security, security.ownerSid, kFileAllAccess));
    EXPECT_TRUE(Holds(security, kSidLocalSystem, kFileAllAccess));
    EXPECT_TRUE(Holds(security, kSidEveryone, kFileGenericReadExecute));
  }
  EXPECT_EQ(UnsafeProgramPath(ExeFolder() + "lw_tests.exe"), "");
  EXPECT_EQ(UnsafeProgramPath(programFiles + "\\x.exe"), programFiles + "\\x.exe")
      << "a file that is not there has no security to read";
}

TEST_F(ProgramLocationWin32Test, ASecurityThatCannotBeReadIsAnErrorAndLeavesTheOutValue) {
  FileSecurity security;
  security.ownerSid = "unchanged";
  EXPECT_EQ(Files().GetFileSecurity(ExeFolder() + "no such file.exe", &security),
            kErrorFileNotFound);
  EXPECT_EQ(security.ownerSid, "unchanged");
}

TEST_F(ProgramLocationWin32Test, OnlyAnAdministratorsAccountIsOne) {
  for (const char* sid :
       {kSidUsers, kSidAdministrators, kSidEveryone, "S-1-5-21-1-2-3-987654", "not a SID"}) {
    SCOPED_TRACE(sid);
    EXPECT_FALSE(Token().IsAdministratorAccount(sid));
  }
}

// The libraries the executable beside the tests names in its import table, in lower case, as
// read from its file: its headers, its sections, the import directory.
std::vector<std::string> ImportedLibraries(const std::string& path) {
  const std::string image = ReadWholeFile(path);
  std::vector<std::string> names;
  auto at = [&](std::size_t offset, std::size_t size) {
    return offset + size <= image.size() ? image.data() + offset : nullptr;
  };
  IMAGE_DOS_HEADER dos{};
  if (at(0, sizeof dos) == nullptr) return names;
  std::memcpy(&dos, at(0, sizeof dos), sizeof dos);
  const std::size_t headers = static_cast<std::size_t>(dos.e_lfanew);
  IMAGE_NT_HEADERS nt{};
  if (at(headers, sizeof nt) == nullptr) return names;
  std::memcpy(&nt, at(headers, sizeof nt), sizeof nt);
  const std::size_t sections =
      headers + offsetof(IMAGE_NT_HEADERS, OptionalHeader) + nt.FileHeader.SizeOfOptionalHeader;
  // An address of the loaded image, as an offset in the file.
  auto fileOffset = [&](DWORD address) -> std::size_t {
    for (WORD i = 0; i < nt.FileHeader.NumberOfSections; ++i) {
      IMAGE_SECTION_HEADER section{};
      const char* entry = at(sections + i * sizeof section, sizeof section);
      if (entry == nullptr) break;
      std::memcpy(&section, entry, sizeof section);
      if (address >= section.VirtualAddress &&
          address < section.VirtualAddress + section.SizeOfRawData) {
        return address - section.VirtualAddress + section.PointerToRawData;
      }
    }
    return image.size();
  };
  const DWORD imports =
      nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
  for (std::size_t entry = fileOffset(imports);; entry += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
    IMAGE_IMPORT_DESCRIPTOR descriptor{};
    if (at(entry, sizeof descriptor) == nullptr) break;
    std::memcpy(&descriptor, at(entry, sizeof descriptor), sizeof descriptor);
    if (descriptor.Name == 0) break;
    const std::size_t name = fileOffset(descriptor.Name);
    if (name >= image.size()) break;
    std::string text(image.c_str() + name);
    for (char& c : text) c = static_cast<char>(::tolower(static_cast<unsigned char>(c)));
    names.push_back(text);
  }
  return names;
}

// The executable imports only Windows' known DLLs (found by name in the system, never beside
// the program) and Common Controls, which its manifest takes from the side-by-side store. The
// common dialogs are not among them: the program loads them itself when it first shows one.
class ProgramImportsTest : public PlatformTest {};

TEST_F(ProgramImportsTest, OnlyKnownSystemLibrariesAreImported) {
  const std::vector<std::string> allowed = {"advapi32.dll", "comctl32.dll", "gdi32.dll",
                                            "kernel32.dll", "msvcrt.dll",   "ole32.dll",
                                            "oleaut32.dll", "shell32.dll",  "user32.dll"};
  const std::vector<std::string> imported = ImportedLibraries(ExeFolder() + "launchward.exe");
  EXPECT_NE(std::find(imported.begin(), imported.end(), "kernel32.dll"), imported.end())
      << "no import table read";
  for (const std::string& library : imported) {
    EXPECT_NE(std::find(allowed.begin(), allowed.end(), library), allowed.end()) << library;
  }
}

// Libraries planted beside the executable under the names of the system libraries that the
// program loads itself. The planted library notes every load of it; a program that imported it
// at load time would not even start, as the functions it needs are missing.
//
// Wine, left to itself, puts its own library in place of a valid one found beside the program
// (and reports it loaded from there), so the program's processes are told to prefer a library
// that is no Wine one, as Windows always does.
class PlantedLibraryTest : public LogonTest {
 protected:
  void SetUp() override {
    LogonTest::SetUp();
    for (const char* library : {"mpr", "netapi32", "version"}) {
      SetRawString(kHKeyCurrentUser, kWineOverridesKey, library, "native,builtin");
    }
  }
  void TearDown() override {
    DeleteKeyTree(kHKeyCurrentUser, kWineProgramKey);
    LogonTest::TearDown();
  }
  void Plant(const std::string& name) const {
    ASSERT_TRUE(Files().CopyFile(ExeFolder() + "lwplanted.dll", folder + name, false))
        << "lwplanted.dll must lie beside the tests";
  }
  std::string PlantedLog() const { return folder + "planted-log.txt"; }

  // Wine's settings for the program's processes alone.
  static constexpr char kWineProgramKey[] = "Software\\Wine\\AppDefaults\\launchward.exe";
  static constexpr char kWineOverridesKey[] =
      "Software\\Wine\\AppDefaults\\launchward.exe\\DllOverrides";
};

class PlantedSystemLibraryTest : public PlantedLibraryTest,
                                 public ::testing::WithParamInterface<const char*> {};

// The first phase uses both: the user's name (mpr) and whether the program's folder belongs to
// administrators alone (netapi32).
TEST_P(PlantedSystemLibraryTest, IsNeverLoaded) {
  Plant(GetParam());
  ASSERT_EQ(ExitCode(Start("-pre")), 0);
  EXPECT_FALSE(FileThere(PlantedLog())) << ReadWholeFile(PlantedLog());
}

INSTANTIATE_TEST_SUITE_P(PlantedLibrary, PlantedSystemLibraryTest,
                         ::testing::Values("mpr.dll", "netapi32.dll"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           const std::string name = info.param;
                           return name.substr(0, name.find('.'));
                         });

// version.dll, the program's third library of that kind, is Wine's own affair: Wine's user32
// imports it, and Wine looks for what a system library imports in the program's folder first,
// as for the program's own imports. So a version.dll beside any program with windows is loaded
// before that program runs. Windows resolves what its known DLLs (user32 is one) import among
// the known DLLs and in System32 only, and its user32 imports no version.dll.
TEST_F(PlantedLibraryTest, WineLoadsAVersionDllBesideTheProgramForItsOwnUser32) {
  Plant("version.dll");
  driver::ChildProcess process = Start("-unknown");
  // Common Controls ask the planted library for a function it lacks: Wine ends the process
  // with its exception for a missing function before the program's first line.
  constexpr std::int64_t kWineMissingFunction = 0x80000100;
  EXPECT_EQ(ExitCode(process), kWineMissingFunction);
  EXPECT_EQ(ReadWholeFile(PlantedLog()), "version.dll|" + program + "\r\n");
}

}  // namespace
}  // namespace lw::test
