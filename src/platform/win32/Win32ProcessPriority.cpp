#include "platform/win32/Win32ProcessPriority.h"

#include "platform/win32/Win32Api.h"

#include <cstddef>

#include "platform/win32/Win32Handle.h"

// The I/O priority has no documented Win32 call of its own: NtSetInformationProcess with
// ProcessIoPriority is what Windows' own background mode uses, and is there since Vista. The
// memory priority came with Windows 8 (SetProcessInformation). Both are looked up by name, so
// that an older Windows only misses them.

namespace lw::win32 {

static_assert(kJobObjectLimitBreakawayOk == JOB_OBJECT_LIMIT_BREAKAWAY_OK);
static_assert(kJobObjectLimitKillOnJobClose == JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE);
static_assert(kCreateBreakawayFromJob == CREATE_BREAKAWAY_FROM_JOB);
static_assert(kProcessSetInformation == PROCESS_SET_INFORMATION);
static_assert(kProcessQueryInformation == PROCESS_QUERY_INFORMATION);
static_assert(kProcessQueryLimitedInformation == PROCESS_QUERY_LIMITED_INFORMATION);
static_assert(kErrorProcNotFound == ERROR_PROC_NOT_FOUND);

namespace {

constexpr ULONG kProcessIoPriorityClass = 33;   // PROCESSINFOCLASS ProcessIoPriority
constexpr int kProcessMemoryPriorityClass = 0;  // PROCESS_INFORMATION_CLASS ProcessMemoryPriority

template <class F>
F SystemFunction(const char* module, const char* name) {
  HMODULE loaded = ::GetModuleHandleA(module);
  return loaded == nullptr
             ? nullptr
             : reinterpret_cast<F>(reinterpret_cast<void (*)()>(::GetProcAddress(loaded, name)));
}

}  // namespace

Handle CreateJobObject(std::uint32_t limitFlags) {
  HANDLE job = ::CreateJobObjectA(nullptr, nullptr);
  if (job == nullptr) return 0;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = limitFlags;
  if (!::SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof(limits))) {
    const DWORD error = ::GetLastError();
    ::CloseHandle(job);
    ::SetLastError(error);
    return 0;
  }
  return FromHandle(job);
}

bool AssignProcessToJobObject(Handle job, Handle process) {
  return ::AssignProcessToJobObject(ToHandle(job), ToHandle(process)) != FALSE;
}

// The list has room for as many ids as the job says it holds; a job that gained processes
// between the two calls is asked again with more room.
bool QueryJobProcessIds(Handle job, std::vector<std::uint32_t>* ids) {
  std::size_t room = 16;
  for (int attempt = 0; attempt < 8; ++attempt, room *= 4) {
    std::vector<unsigned char> buffer(offsetof(JOBOBJECT_BASIC_PROCESS_ID_LIST, ProcessIdList) +
                                      room * sizeof(ULONG_PTR));
    auto* list = reinterpret_cast<JOBOBJECT_BASIC_PROCESS_ID_LIST*>(buffer.data());
    if (!::QueryInformationJobObject(ToHandle(job), JobObjectBasicProcessIdList, list,
                                     static_cast<DWORD>(buffer.size()), nullptr)) {
      if (::GetLastError() == ERROR_MORE_DATA) continue;
      return false;
    }
    if (list->NumberOfAssignedProcesses > list->NumberOfProcessIdsInList) continue;
    std::vector<std::uint32_t> found;
    for (DWORD i = 0; i < list->NumberOfProcessIdsInList; ++i) {
      found.push_back(static_cast<std::uint32_t>(list->ProcessIdList[i]));
    }
    *ids = found;
    return true;
  }
  ::SetLastError(ERROR_MORE_DATA);
  return false;
}

Handle OpenProcess(std::uint32_t access, std::uint32_t processId) {
  return FromHandle(::OpenProcess(access, FALSE, processId));
}

std::uint32_t GetPriorityClass(Handle process) { return ::GetPriorityClass(ToHandle(process)); }

bool SetProcessIoPriority(Handle process, std::uint32_t priority) {
  using SetInformation = LONG(NTAPI*)(HANDLE, ULONG, PVOID, ULONG);
  using StatusToError = ULONG(NTAPI*)(LONG);
  const auto set = SystemFunction<SetInformation>("ntdll.dll", "NtSetInformationProcess");
  const auto toError = SystemFunction<StatusToError>("ntdll.dll", "RtlNtStatusToDosError");
  if (set == nullptr) {
    ::SetLastError(ERROR_PROC_NOT_FOUND);
    return false;
  }
  ULONG value = priority;
  const LONG status = set(ToHandle(process), kProcessIoPriorityClass, &value, sizeof(value));
  if (status >= 0) return true;
  ::SetLastError(toError != nullptr ? toError(status) : ERROR_INVALID_FUNCTION);
  return false;
}

bool SetProcessMemoryPriority(Handle process, std::uint32_t priority) {
  using SetInformation = BOOL(WINAPI*)(HANDLE, int, LPVOID, DWORD);
  const auto set = SystemFunction<SetInformation>("kernel32.dll", "SetProcessInformation");
  if (set == nullptr) {
    ::SetLastError(ERROR_PROC_NOT_FOUND);
    return false;
  }
  ULONG memoryPriority = priority;  // MEMORY_PRIORITY_INFORMATION
  return set(ToHandle(process), kProcessMemoryPriorityClass, &memoryPriority,
             sizeof(memoryPriority)) != FALSE;
}

}  // namespace lw::win32
