#pragma once
// The numeric values of the Windows constants the program uses. Portable code names them
// from here so that it never needs <windows.h>; the Win32 seam checks each one against the
// system headers at compile time.

#include <cstddef>
#include <cstdint>

namespace lw {

// A handle as the seam passes it: registry keys, find handles, mutexes, tokens.
using Handle = std::uintptr_t;
using HKey = std::uintptr_t;

inline constexpr Handle kInvalidHandle = static_cast<Handle>(-1);

// Predefined registry roots (stored as integers in the program key).
inline constexpr HKey kHKeyClassesRoot = 0x80000000u;
inline constexpr HKey kHKeyCurrentUser = 0x80000001u;
inline constexpr HKey kHKeyLocalMachine = 0x80000002u;
inline constexpr HKey kHKeyUsers = 0x80000003u;
inline constexpr HKey kHKeyPerformanceData = 0x80000004u;
inline constexpr HKey kHKeyCurrentConfig = 0x80000005u;
inline constexpr HKey kHKeyDynData = 0x80000006u;

// Registry access masks.
inline constexpr std::uint32_t kKeyQueryValue = 0x0001;
inline constexpr std::uint32_t kKeySetValue = 0x0002;
inline constexpr std::uint32_t kKeyCreateSubKey = 0x0004;
inline constexpr std::uint32_t kKeyEnumerateSubKeys = 0x0008;
inline constexpr std::uint32_t kKeyNotify = 0x0010;
inline constexpr std::uint32_t kKeyWow64_64Key = 0x0100;
inline constexpr std::uint32_t kKeyWow64_32Key = 0x0200;
inline constexpr std::uint32_t kKeyRead = 0x20019;
inline constexpr std::uint32_t kKeyWrite = 0x20006;
// READ_CONTROL | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS: a read without notification rights.
inline constexpr std::uint32_t kKeyReadNoNotify = 0x20009;
inline constexpr std::uint32_t kKeyAllAccess = 0xF003F;

// Registry value types.
inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;
inline constexpr std::uint32_t kRegQword = 11;

// RegCreateKeyEx dispositions.
inline constexpr std::uint32_t kRegCreatedNewKey = 1;
inline constexpr std::uint32_t kRegOpenedExistingKey = 2;

// Code pages.
inline constexpr std::uint32_t kCodePageOem437 = 437;
inline constexpr std::uint32_t kCodePageUtf8 = 65001;

// System error codes.
inline constexpr std::uint32_t kErrorSuccess = 0;
inline constexpr std::uint32_t kErrorInvalidFunction = 1;
inline constexpr std::uint32_t kErrorFileNotFound = 2;
inline constexpr std::uint32_t kErrorPathNotFound = 3;
inline constexpr std::uint32_t kErrorAccessDenied = 5;
inline constexpr std::uint32_t kErrorInvalidHandle = 6;
inline constexpr std::uint32_t kErrorNotEnoughMemory = 8;
inline constexpr std::uint32_t kErrorNoMoreFiles = 18;
inline constexpr std::uint32_t kErrorSharingViolation = 32;
inline constexpr std::uint32_t kErrorFileExists = 80;
inline constexpr std::uint32_t kErrorInvalidParameter = 87;
inline constexpr std::uint32_t kErrorProcNotFound = 127;
inline constexpr std::uint32_t kErrorDirNotEmpty = 145;
inline constexpr std::uint32_t kErrorBadPathname = 161;
inline constexpr std::uint32_t kErrorAlreadyExists = 183;
inline constexpr std::uint32_t kErrorBadExeFormat = 193;
inline constexpr std::uint32_t kErrorMoreData = 234;
inline constexpr std::uint32_t kErrorNoMoreItems = 259;
inline constexpr std::uint32_t kErrorBadKey = 1010;
inline constexpr std::uint32_t kErrorCantOpen = 1011;
inline constexpr std::uint32_t kErrorCantRead = 1012;
inline constexpr std::uint32_t kErrorCantWrite = 1013;
inline constexpr std::uint32_t kErrorNotRegistryFile = 1017;
inline constexpr std::uint32_t kErrorKeyDeleted = 1018;
inline constexpr std::uint32_t kErrorNotAllAssigned = 1300;
inline constexpr std::uint32_t kErrorNoSuchPrivilege = 1313;
inline constexpr std::uint32_t kErrorPrivilegeNotHeld = 1314;
inline constexpr std::uint32_t kErrorNotLoggedOn = 1245;
inline constexpr std::uint32_t kErrorNoNetwork = 1222;
// The user answered No to the elevation prompt (ShellExecuteEx with "runas").
inline constexpr std::uint32_t kErrorCancelled = 1223;

// File attributes.
inline constexpr std::uint32_t kFileAttributeReadOnly = 0x01;
inline constexpr std::uint32_t kFileAttributeHidden = 0x02;
inline constexpr std::uint32_t kFileAttributeSystem = 0x04;
inline constexpr std::uint32_t kFileAttributeDirectory = 0x10;
inline constexpr std::uint32_t kFileAttributeArchive = 0x20;
inline constexpr std::uint32_t kFileAttributeNormal = 0x80;
inline constexpr std::uint32_t kInvalidFileAttributes = 0xFFFFFFFFu;

// Shell folder ids (CSIDL_*).
inline constexpr int kCsidlPrograms = 2;
inline constexpr int kCsidlStartup = 7;
inline constexpr int kCsidlCommonStartup = 24;
inline constexpr int kCsidlAppData = 26;
inline constexpr int kCsidlAltStartup = 29;
inline constexpr int kCsidlProgramFiles = 38;
inline constexpr int kCsidlCommonAltStartup = 30;

// Process priority classes.
inline constexpr std::uint32_t kNormalPriorityClass = 0x20;
inline constexpr std::uint32_t kIdlePriorityClass = 0x40;
inline constexpr std::uint32_t kHighPriorityClass = 0x80;
inline constexpr std::uint32_t kRealtimePriorityClass = 0x100;
inline constexpr std::uint32_t kBelowNormalPriorityClass = 0x4000;
inline constexpr std::uint32_t kAboveNormalPriorityClass = 0x8000;
// Process creation flags.
inline constexpr std::uint32_t kCreateSuspended = 0x4;
inline constexpr std::uint32_t kCreateNewProcessGroup = 0x200;
inline constexpr std::uint32_t kCreateBreakawayFromJob = 0x01000000;
// Job objects: a process of the job may leave it when it asks (CreateProcess with
// kCreateBreakawayFromJob); closing the last handle to the job ends every process in it.
inline constexpr std::uint32_t kJobObjectLimitBreakawayOk = 0x800;
inline constexpr std::uint32_t kJobObjectLimitKillOnJobClose = 0x2000;
// OpenProcess rights.
inline constexpr std::uint32_t kProcessSetInformation = 0x0200;
inline constexpr std::uint32_t kProcessQueryInformation = 0x0400;
inline constexpr std::uint32_t kProcessQueryLimitedInformation = 0x1000;
// A process's I/O priority (IO_PRIORITY_HINT) and memory priority (MEMORY_PRIORITY_...).
inline constexpr std::uint32_t kIoPriorityVeryLow = 0;
inline constexpr std::uint32_t kIoPriorityLow = 1;
inline constexpr std::uint32_t kIoPriorityNormal = 2;
inline constexpr std::uint32_t kMemoryPriorityLow = 2;
inline constexpr std::uint32_t kMemoryPriorityNormal = 5;
// ResumeThread's result when it fails.
inline constexpr std::uint32_t kResumeThreadFailed = 0xFFFFFFFFu;
// The size of the STARTUPINFOA record: 68 bytes in the 32-bit program (and the simulation),
// 104 in a 64-bit build of the tests.
#ifdef _WIN64
inline constexpr std::uint32_t kStartupInfoSize = 104;
#else
inline constexpr std::uint32_t kStartupInfoSize = 68;
#endif

// WaitForSingleObject's results, and GetExitCodeProcess's code of a process that still runs.
inline constexpr std::uint32_t kWaitObject0 = 0;
inline constexpr std::uint32_t kWaitTimeout = 258;
inline constexpr std::uint32_t kWaitFailed = 0xFFFFFFFFu;
inline constexpr std::uint32_t kWaitAbandoned = 0x80;
inline constexpr std::uint32_t kErrorNotOwner = 288;
inline constexpr std::uint32_t kStillActive = 259;

// ShowWindow commands.
inline constexpr int kSwShowNormal = 1;
// ShellExecute results: above this value the call succeeded.
inline constexpr std::intptr_t kShellExecuteSuccessAbove = 32;

// Performance data: the Processor object, its "% Processor Time" counter, and the instance
// count of an object without instances.
inline constexpr std::uint32_t kPerfProcessorObject = 238;
inline constexpr std::uint32_t kPerfProcessorTimeCounter = 6;
inline constexpr std::int32_t kPerfNoInstances = -1;

// Process token.
inline constexpr std::uint32_t kTokenAdjustPrivileges = 0x20;
inline constexpr std::uint32_t kTokenQuery = 0x08;
inline constexpr std::uint32_t kSePrivilegeEnabled = 0x02;

// GetVersionEx platform ids.
inline constexpr std::uint32_t kVerPlatformWin32Windows = 1;
inline constexpr std::uint32_t kVerPlatformWin32Nt = 2;

// GetNativeSystemInfo's processor architectures (PROCESSOR_ARCHITECTURE_*): the machine's own,
// whatever the calling process is built for.
inline constexpr std::uint16_t kProcessorArchitectureIntel = 0;
inline constexpr std::uint16_t kProcessorArchitectureIa64 = 6;
inline constexpr std::uint16_t kProcessorArchitectureAmd64 = 9;
inline constexpr std::uint16_t kProcessorArchitectureArm64 = 12;

inline constexpr std::uint32_t kMaxPath = 260;
// The longest registry value name, in characters; RegSetValueEx refuses a longer one
// (kErrorInvalidParameter).
inline constexpr std::size_t kMaxValueNameLength = 16383;

// COM results (HRESULT bit patterns, held in a long as the seam returns them) and the
// shell-link path flags.
inline constexpr long kSOk = 0;
inline constexpr long kEFail = static_cast<long>(0x80004005u);
// HRESULT_FROM_WIN32 of a Windows error code.
constexpr long HResultFromWin32(std::uint32_t code) {
  return code == 0 ? 0 : static_cast<long>((code & 0xFFFFu) | 0x80070000u);
}
// Task Scheduler: TASK_LOGON_GROUP, the logon type of a task that runs for every member of
// a group.
inline constexpr int kTaskLogonGroup = 4;
inline constexpr std::uint32_t kSlgpShortPath = 1;
inline constexpr std::uint32_t kSlgpUncPriority = 2;
inline constexpr std::uint32_t kSlgpRawPath = 4;

// --- Who may change a file: ACE types and flags, access rights and well-known SIDs ---------
inline constexpr std::uint8_t kAccessAllowedAceType = 0;
inline constexpr std::uint8_t kAccessDeniedAceType = 1;
inline constexpr std::uint8_t kAccessAllowedObjectAceType = 5;
inline constexpr std::uint8_t kAccessDeniedObjectAceType = 6;
inline constexpr std::uint8_t kAccessDeniedCallbackAceType = 10;
inline constexpr std::uint8_t kAccessDeniedCallbackObjectAceType = 12;
inline constexpr std::uint8_t kObjectInheritAce = 0x01;
inline constexpr std::uint8_t kContainerInheritAce = 0x02;
inline constexpr std::uint8_t kInheritOnlyAce = 0x08;
inline constexpr std::uint32_t kFileWriteData = 0x0002;   // a folder: FILE_ADD_FILE
inline constexpr std::uint32_t kFileAppendData = 0x0004;  // a folder: FILE_ADD_SUBDIRECTORY
inline constexpr std::uint32_t kFileWriteEa = 0x0010;
inline constexpr std::uint32_t kFileDeleteChild = 0x0040;
inline constexpr std::uint32_t kFileWriteAttributes = 0x0100;
inline constexpr std::uint32_t kDelete = 0x00010000;
inline constexpr std::uint32_t kWriteDac = 0x00040000;
inline constexpr std::uint32_t kWriteOwner = 0x00080000;
inline constexpr std::uint32_t kMaximumAllowed = 0x02000000;
inline constexpr std::uint32_t kGenericAll = 0x10000000;
inline constexpr std::uint32_t kGenericWrite = 0x40000000;
inline constexpr std::uint32_t kFileAllAccess = 0x001F01FF;
inline constexpr std::uint32_t kFileGenericReadExecute = 0x001200A9;
inline constexpr char kSidAdministrators[] = "S-1-5-32-544";
inline constexpr char kSidUsers[] = "S-1-5-32-545";
inline constexpr char kSidLocalSystem[] = "S-1-5-18";
inline constexpr char kSidAuthenticatedUsers[] = "S-1-5-11";
inline constexpr char kSidEveryone[] = "S-1-1-0";
inline constexpr char kSidCreatorOwner[] = "S-1-3-0";
inline constexpr char kSidOwnerRights[] = "S-1-3-4";
inline constexpr char kSidTrustedInstaller[] =
    "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
// -----------------------------------------------------------------------------------------

}  // namespace lw
