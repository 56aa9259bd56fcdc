// Where the program may run with administrator rights: the judgement of owners and DACLs over
// the executable, its folder and the folders above, on the simulated Windows 10 defaults and on
// staged securities.

#include "install/ProgramLocation.h"

#include <string>
#include <vector>

#include "support/TestEnv.h"
#include "util/Error.h"

namespace lw::test {
namespace {

const std::string kAppFolder = "C:\\Apps\\Launchward";
const std::string kApp = kAppFolder + "\\launchward.exe";
constexpr char kStandardUser[] = "S-1-5-21-7-7-7-1001";
constexpr char kAdminUser[] = "S-1-5-21-7-7-7-500";
constexpr std::uint32_t kModify = 0x001301BF;
constexpr std::uint8_t kInherit = kObjectInheritAce | kContainerInheritAce;

FileSecurity AdminOnly(std::vector<AccessEntry> extra = {},
                       const std::string& owner = kSidAdministrators) {
  FileSecurity security;
  security.ownerSid = owner;
  security.dacl = {{kAccessAllowedAceType, kInherit, kFileAllAccess, kSidAdministrators},
                   {kAccessAllowedAceType, kInherit, kFileAllAccess, kSidLocalSystem},
                   {kAccessAllowedAceType, kInherit, kFileGenericReadExecute, kSidUsers}};
  for (const AccessEntry& entry : extra) security.dacl.push_back(entry);
  return security;
}

class ProgramLocationSimTest : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    Sim().AddFile(kApp, "MZ program");
    Sim().SetAdministratorAccount(kAdminUser);
  }
};

TEST_F(ProgramLocationSimTest, OnlyPlacesNoStandardUserCanChangeAreSafe) {
  struct Case {
    const char* name;
    std::vector<std::pair<std::string, FileSecurity>> staged;
    std::string unsafe;  // what the judgement names; empty: safe
  };
  FileSecurity nullDacl = AdminOnly();
  nullDacl.hasDacl = false;
  const Case cases[] = {
      // A new folder under C:\ gives every signed-in user modify rights.
      {"a new folder under the drive's root", {}, kApp},
      {"admin-only folders", {{"C:\\Apps", AdminOnly()}}, ""},
      {"users may write in the folder",
       {{"C:\\Apps", AdminOnly()},
        {kAppFolder, AdminOnly({{kAccessAllowedAceType, 0, kFileWriteData, kSidUsers}})}},
       kAppFolder},
      {"authenticated users modify the folder",
       {{"C:\\Apps", AdminOnly()},
        {kAppFolder, AdminOnly({{kAccessAllowedAceType, 0, kModify, kSidAuthenticatedUsers}})}},
       kAppFolder},
      {"everyone has full control of the executable",
       {{"C:\\Apps", AdminOnly()},
        {kApp, AdminOnly({{kAccessAllowedAceType, 0, kGenericAll, kSidEveryone}})}},
       kApp},
      {"the file is writable, the folder is not",
       {{"C:\\Apps", AdminOnly()},
        {kApp, AdminOnly({{kAccessAllowedAceType, 0, kFileAppendData, kSidUsers}})}},
       kApp},
      {"a NULL DACL", {{"C:\\Apps", AdminOnly()}, {kAppFolder, nullDacl}}, kAppFolder},
      {"a standard user owns the folder",
       {{"C:\\Apps", AdminOnly()}, {kAppFolder, AdminOnly({}, kStandardUser)}},
       kAppFolder},
      {"a standard owner limited to reading by OWNER RIGHTS",
       {{"C:\\Apps", AdminOnly()},
        {kAppFolder,
         AdminOnly({{kAccessAllowedAceType, 0, kFileGenericReadExecute, kSidOwnerRights}},
                   kStandardUser)}},
       ""},
      {"an administrator's account owns and changes it",
       {{"C:\\Apps", AdminOnly()},
        {kAppFolder,
         AdminOnly({{kAccessAllowedAceType, 0, kFileAllAccess, kAdminUser}}, kAdminUser)}},
       ""},
      {"users' rights only for what is created below",
       {{"C:\\Apps", AdminOnly()},
        {kApp, AdminOnly()},
        {kAppFolder,
         AdminOnly({{kAccessAllowedAceType, kInherit | kInheritOnlyAce, kGenericAll, kSidUsers},
                    {kAccessAllowedAceType, 0, kFileAllAccess, kSidCreatorOwner}})}},
       ""},
      {"a denial does not make up for a right allowed",
       {{"C:\\Apps", AdminOnly()},
        {kAppFolder, AdminOnly({{kAccessDeniedAceType, 0, kFileAllAccess, kStandardUser},
                                {kAccessAllowedAceType, 0, kFileWriteData, kSidUsers}})}},
       kAppFolder},
      {"users may delete what the folder above holds",
       {{"C:\\Apps", AdminOnly({{kAccessAllowedAceType, 0, kFileDeleteChild, kSidUsers}})},
        {kAppFolder, AdminOnly()}},
       "C:\\Apps"},
      {"users may only add folders to the folder above",
       {{"C:\\Apps", AdminOnly({{kAccessAllowedAceType, 0, kFileAppendData, kSidUsers}})},
        {kAppFolder, AdminOnly()}},
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetPlatform();
    Sim().AddFile(kApp, "MZ program");
    Sim().SetAdministratorAccount(kAdminUser);
    for (const auto& [path, security] : c.staged) Sim().SetFileSecurity(path, security);
    EXPECT_EQ(UnsafeProgramPath(kApp), c.unsafe);
  }
}

TEST_F(ProgramLocationSimTest, AnUnreadableSecurityIsUnsafe) {
  Sim().SetFileSecurity("C:\\Apps", AdminOnly());
  EXPECT_EQ(UnsafeProgramPath(kApp), "");
  for (const std::string& path : {kApp, kAppFolder, std::string("C:\\Apps")}) {
    SCOPED_TRACE(path);
    Sim().SetFileSecurityUnreadable(path);
    EXPECT_EQ(UnsafeProgramPath(kApp), path);
    Sim().SetFileSecurityUnreadable(path, false);
  }
}

TEST_F(ProgramLocationSimTest, ProgramFilesIsSafeAndTheCopyThereIsChecked) {
  EXPECT_EQ(UnsafeProgramPath("C:\\Program Files\\Launchward\\launchward.exe"), "");
  EXPECT_EQ(UnsafeProgramPath("C:\\WINDOWS\\system32\\notepad.exe"), "");
  Sim().SetModuleFileName(kApp);
  // Another process holds the copy there (another session runs it): it is not replaced, and
  // Install is told why.
  Sim().LockFile("C:\\Program Files\\Launchward\\launchward.exe");
  EXPECT_THROW(CopySelfToProgramFiles(), Error);

  // The Program Files folder the shell names for the build (here a 32-bit one's).
  Sim().AddFolder("C:\\Program Files (x86)");
  Sim().SetSpecialFolder(kCsidlProgramFiles, "C:\\Program Files (x86)");
  const std::string target = "C:\\Program Files (x86)\\Launchward\\launchward.exe";
  EXPECT_EQ(CopySelfToProgramFiles(), target);
  std::string copy;
  ASSERT_TRUE(Files().ReadFile(target, &copy));
  EXPECT_EQ(copy, "MZ program");
  EXPECT_EQ(UnsafeProgramPath(target), "");
}

}  // namespace
}  // namespace lw::test
