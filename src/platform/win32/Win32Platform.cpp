#include "platform/win32/Win32Platform.h"

#include "platform/win32/Win32Api.h"

#include <taskschd.h>

#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32System.h"
#include "platform/win32/Win32Tasks.h"
#include "platform/win32/Win32Token.h"

namespace lw {

// The portable code names Windows constants by value (WinConst.h); here each value is checked
// against the system headers. The predefined registry roots and INVALID_HANDLE_VALUE are
// pointer casts the compiler cannot compare at compile time: Win32Registry maps the roots by
// name, and the seam tests open keys through them.
static_assert(kKeyQueryValue == KEY_QUERY_VALUE);
static_assert(kKeySetValue == KEY_SET_VALUE);
static_assert(kKeyCreateSubKey == KEY_CREATE_SUB_KEY);
static_assert(kKeyEnumerateSubKeys == KEY_ENUMERATE_SUB_KEYS);
static_assert(kKeyNotify == KEY_NOTIFY);
static_assert(kKeyWow64_64Key == KEY_WOW64_64KEY);
static_assert(kKeyWow64_32Key == KEY_WOW64_32KEY);
static_assert(kKeyRead == KEY_READ);
static_assert(kKeyWrite == KEY_WRITE);
static_assert(kKeyReadNoNotify == (READ_CONTROL | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS));
static_assert(kKeyAllAccess == KEY_ALL_ACCESS);

static_assert(kRegNone == REG_NONE);
static_assert(kRegSz == REG_SZ);
static_assert(kRegExpandSz == REG_EXPAND_SZ);
static_assert(kRegBinary == REG_BINARY);
static_assert(kRegDword == REG_DWORD);
static_assert(kRegMultiSz == REG_MULTI_SZ);
static_assert(kRegQword == REG_QWORD);
static_assert(kRegCreatedNewKey == REG_CREATED_NEW_KEY);
static_assert(kRegOpenedExistingKey == REG_OPENED_EXISTING_KEY);

static_assert(kErrorSuccess == ERROR_SUCCESS);
static_assert(kErrorFileNotFound == ERROR_FILE_NOT_FOUND);
static_assert(kErrorPathNotFound == ERROR_PATH_NOT_FOUND);
static_assert(kErrorAccessDenied == ERROR_ACCESS_DENIED);
static_assert(kErrorInvalidHandle == ERROR_INVALID_HANDLE);
static_assert(kErrorNotEnoughMemory == ERROR_NOT_ENOUGH_MEMORY);
static_assert(kErrorNoMoreFiles == ERROR_NO_MORE_FILES);
static_assert(kErrorSharingViolation == ERROR_SHARING_VIOLATION);
static_assert(kErrorFileExists == ERROR_FILE_EXISTS);
static_assert(kErrorInvalidParameter == ERROR_INVALID_PARAMETER);
static_assert(kErrorDirNotEmpty == ERROR_DIR_NOT_EMPTY);
static_assert(kErrorBadPathname == ERROR_BAD_PATHNAME);
static_assert(kErrorAlreadyExists == ERROR_ALREADY_EXISTS);
static_assert(kErrorMoreData == ERROR_MORE_DATA);
static_assert(kErrorNoMoreItems == ERROR_NO_MORE_ITEMS);
static_assert(kErrorBadKey == ERROR_BADKEY);
static_assert(kErrorCantOpen == ERROR_CANTOPEN);
static_assert(kErrorCantRead == ERROR_CANTREAD);
static_assert(kErrorCantWrite == ERROR_CANTWRITE);
static_assert(kErrorKeyDeleted == ERROR_KEY_DELETED);
static_assert(kErrorNotAllAssigned == ERROR_NOT_ALL_ASSIGNED);
static_assert(kErrorNoSuchPrivilege == ERROR_NO_SUCH_PRIVILEGE);
static_assert(kErrorPrivilegeNotHeld == ERROR_PRIVILEGE_NOT_HELD);
static_assert(kErrorNotLoggedOn == ERROR_NOT_LOGGED_ON);
static_assert(kErrorNoNetwork == ERROR_NO_NETWORK);
static_assert(kErrorCancelled == ERROR_CANCELLED);

static_assert(kFileAttributeReadOnly == FILE_ATTRIBUTE_READONLY);
static_assert(kFileAttributeHidden == FILE_ATTRIBUTE_HIDDEN);
static_assert(kFileAttributeSystem == FILE_ATTRIBUTE_SYSTEM);
static_assert(kFileAttributeDirectory == FILE_ATTRIBUTE_DIRECTORY);
static_assert(kFileAttributeArchive == FILE_ATTRIBUTE_ARCHIVE);
static_assert(kFileAttributeNormal == FILE_ATTRIBUTE_NORMAL);
static_assert(kInvalidFileAttributes == INVALID_FILE_ATTRIBUTES);

static_assert(kCsidlPrograms == CSIDL_PROGRAMS);
static_assert(kCsidlStartup == CSIDL_STARTUP);
static_assert(kCsidlCommonStartup == CSIDL_COMMON_STARTUP);
static_assert(kCsidlAppData == CSIDL_APPDATA);
static_assert(kCsidlAltStartup == CSIDL_ALTSTARTUP);
static_assert(kCsidlCommonAltStartup == CSIDL_COMMON_ALTSTARTUP);

static_assert(kNormalPriorityClass == NORMAL_PRIORITY_CLASS);
static_assert(kIdlePriorityClass == IDLE_PRIORITY_CLASS);
static_assert(kHighPriorityClass == HIGH_PRIORITY_CLASS);
static_assert(kRealtimePriorityClass == REALTIME_PRIORITY_CLASS);
static_assert(kBelowNormalPriorityClass == BELOW_NORMAL_PRIORITY_CLASS);
static_assert(kAboveNormalPriorityClass == ABOVE_NORMAL_PRIORITY_CLASS);

static_assert(kWaitObject0 == WAIT_OBJECT_0);
static_assert(kWaitTimeout == WAIT_TIMEOUT);
static_assert(kWaitFailed == WAIT_FAILED);
static_assert(kStillActive == STILL_ACTIVE);

static_assert(kTokenAdjustPrivileges == TOKEN_ADJUST_PRIVILEGES);
static_assert(kTokenQuery == TOKEN_QUERY);
static_assert(kSePrivilegeEnabled == SE_PRIVILEGE_ENABLED);

static_assert(kVerPlatformWin32Windows == VER_PLATFORM_WIN32_WINDOWS);
static_assert(kVerPlatformWin32Nt == VER_PLATFORM_WIN32_NT);
static_assert(kMaxPath == MAX_PATH);
static_assert(kSOk == S_OK);
static_assert(kEFail == static_cast<long>(E_FAIL));
static_assert(HResultFromWin32(ERROR_FILE_NOT_FOUND) ==
              static_cast<long>(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)));
static_assert(kSlgpShortPath == SLGP_SHORTPATH);
static_assert(kSlgpUncPriority == SLGP_UNCPRIORITY);
static_assert(kSlgpRawPath == SLGP_RAWPATH);
static_assert(kTaskLogonGroup == TASK_LOGON_GROUP);

static_assert(sizeof(HKey) == sizeof(HKEY) && sizeof(Handle) == sizeof(HANDLE));

namespace {

class Win32Platform : public IPlatform {
 public:
  Win32Platform()
      : registry_(MakeWin32Registry()),
        token_(MakeWin32Token()),
        files_(MakeWin32Files()),
        system_(MakeWin32System()),
        shell_(MakeWin32Shell()),
        tasks_(MakeWin32Tasks()) {}

  IRegistry& Registry() override { return *registry_; }
  IToken& Token() override { return *token_; }
  IFileSystem& Files() override { return *files_; }
  ISystem& System() override { return *system_; }
  IShell& Shell() override { return *shell_; }
  ITaskScheduler& Tasks() override { return *tasks_; }

 private:
  std::unique_ptr<IRegistry> registry_;
  std::unique_ptr<IToken> token_;
  std::unique_ptr<IFileSystem> files_;
  std::unique_ptr<ISystem> system_;
  std::unique_ptr<IShell> shell_;
  std::unique_ptr<ITaskScheduler> tasks_;
};

}  // namespace

std::unique_ptr<IPlatform> MakeWin32Platform() { return std::make_unique<Win32Platform>(); }

}  // namespace lw
