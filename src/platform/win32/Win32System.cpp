#include "platform/win32/Win32System.h"

#include "platform/win32/Win32Api.h"
#include "platform/win32/Win32Messages.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/win32/Win32Handle.h"
#include "platform/win32/Win32ProcessPriority.h"
#include "platform/win32/Win32SystemLibrary.h"
#include "platform/win32/Win32Text.h"

namespace lw {

// The values the portable code passes to CreateProcess, checked against the system's.
static_assert(kCreateNewProcessGroup == CREATE_NEW_PROCESS_GROUP);
static_assert(kCreateSuspended == CREATE_SUSPENDED);
static_assert(kResumeThreadFailed == static_cast<DWORD>(-1));
static_assert(kErrorBadExeFormat == ERROR_BAD_EXE_FORMAT);
static_assert(kStartupInfoSize == sizeof(STARTUPINFOA));
static_assert(kProcessorArchitectureAmd64 == PROCESSOR_ARCHITECTURE_AMD64);
static_assert(kProcessorArchitectureIa64 == PROCESSOR_ARCHITECTURE_IA64);
static_assert(kErrorInvalidFunction == ERROR_INVALID_FUNCTION);
static_assert(kWaitAbandoned == WAIT_ABANDONED);
static_assert(kErrorNotOwner == ERROR_NOT_OWNER);

namespace {

SYSTEMTIME ToWindows(const SystemTime& time) {
  SYSTEMTIME result{};
  result.wYear = time.year;
  result.wMonth = time.month;
  result.wDayOfWeek = time.dayOfWeek;
  result.wDay = time.day;
  result.wHour = time.hour;
  result.wMinute = time.minute;
  result.wSecond = time.second;
  result.wMilliseconds = time.milliseconds;
  return result;
}

// A kernel32 function looked up by name; null where this Windows lacks it.
template <class F>
F Kernel32(const char* name) {
  HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
  return kernel == nullptr
             ? nullptr
             : reinterpret_cast<F>(reinterpret_cast<void (*)()>(::GetProcAddress(kernel, name)));
}

std::uint64_t ToUint64(const FILETIME& time) {
  return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

class Win32System : public ISystem {
 public:
  bool GetVersionEx(OsVersionInfo* info) override {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof(version);
    if (!::GetVersionExA(&version)) return false;
    info->majorVersion = version.dwMajorVersion;
    info->minorVersion = version.dwMinorVersion;
    info->buildNumber = version.dwBuildNumber;
    info->platformId = version.dwPlatformId;
    info->csdVersion = version.szCSDVersion;
    return true;
  }

  std::uint32_t WNetGetUser(std::string* user) override {
    const MprFunctions& mpr = MprLibrary();
    if (mpr.error != ERROR_SUCCESS) return mpr.error;
    std::vector<char> buffer(UNLEN + 1);
    for (;;) {
      DWORD size = static_cast<DWORD>(buffer.size());
      DWORD status = mpr.wNetGetUser(nullptr, buffer.data(), &size);
      if (status == NO_ERROR) {
        *user = buffer.data();
        return status;
      }
      if (status != ERROR_MORE_DATA || size <= buffer.size() || size > kLargestText) {
        return status;
      }
      buffer.resize(size);
    }
  }

  std::uint32_t GetTickCount() override { return ::GetTickCount(); }

  void Sleep(std::uint32_t milliseconds) override { ::Sleep(milliseconds); }

  // The returned size counts the zero; a result that does not fit asks for a bigger buffer.
  std::string ExpandEnvironmentStrings(const std::string& text) override {
    std::vector<char> buffer(std::max<std::size_t>(text.size() + 1, MAX_PATH));
    for (;;) {
      DWORD size = static_cast<DWORD>(buffer.size());
      DWORD needed = ::ExpandEnvironmentStringsA(text.c_str(), buffer.data(), size);
      if (needed == 0) return text;
      if (needed <= size) return std::string(buffer.data(), strnlen(buffer.data(), size));
      if (needed > kLargestText) return text;
      buffer.resize(needed);
    }
  }

  std::string GetWindowsDirectory() override {
    return GrowingText(
        MAX_PATH, [](char* buffer, DWORD size) { return ::GetWindowsDirectoryA(buffer, size); });
  }

  std::string GetSystemDirectory() override {
    return GrowingText(
        MAX_PATH, [](char* buffer, DWORD size) { return ::GetSystemDirectoryA(buffer, size); });
  }

  // GetModuleFileName returns the size itself when the path was cut.
  std::string GetModuleFileName() override {
    return GrowingText(MAX_PATH, [](char* buffer, DWORD size) {
      return ::GetModuleFileNameA(nullptr, buffer, size);
    });
  }

  SystemTime GetLocalTime() override {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    SystemTime result;
    result.year = now.wYear;
    result.month = now.wMonth;
    result.dayOfWeek = now.wDayOfWeek;
    result.day = now.wDay;
    result.hour = now.wHour;
    result.minute = now.wMinute;
    result.second = now.wSecond;
    result.milliseconds = now.wMilliseconds;
    return result;
  }

  // Asked with a zero size first, the format calls give the size they need (with the zero).
  std::string FormatShortDate(const SystemTime& time) override {
    SYSTEMTIME when = ToWindows(time);
    int needed = ::GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &when, nullptr, nullptr, 0);
    if (needed <= 0) return std::string();
    std::vector<char> buffer(needed);
    int length = ::GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &when, nullptr,
                                  buffer.data(), needed);
    return length > 0 ? std::string(buffer.data()) : std::string();
  }

  std::string FormatLongTime(const SystemTime& time) override {
    SYSTEMTIME when = ToWindows(time);
    int needed = ::GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &when, nullptr, nullptr, 0);
    if (needed <= 0) return std::string();
    std::vector<char> buffer(needed);
    int length = ::GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &when, nullptr, buffer.data(), needed);
    return length > 0 ? std::string(buffer.data()) : std::string();
  }

  std::string FormatMessage(std::uint32_t code) override {
    // Sized by the call: a message in UTF-8 may take several bytes a character.
    char* buffer = nullptr;
    DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text = buffer != nullptr ? std::string(buffer, length) : std::string();
    if (buffer != nullptr) ::LocalFree(buffer);
    return text;
  }

  std::u16string MultiByteToWideChar(const std::string& text) override {
    std::wstring wide;
    if (FAILED(WideFromText(text, &wide))) return std::u16string();
    return std::u16string(wide.begin(), wide.end());
  }

  bool WideCharToMultiByte(std::uint32_t codePage, const std::u16string& wide,
                           std::string* text) override {
    text->clear();
    if (wide.empty()) return true;
    const auto* units = reinterpret_cast<const wchar_t*>(wide.data());
    const int count = static_cast<int>(wide.size());
    // UTF-8 carries every character and takes neither flag nor default-character question.
    const bool utf8 = codePage == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* askDefault = utf8 ? nullptr : &usedDefault;
    const int length =
        ::WideCharToMultiByte(codePage, flags, units, count, nullptr, 0, nullptr, askDefault);
    if (length <= 0 || usedDefault) return false;
    text->assign(static_cast<std::size_t>(length), '\0');
    return ::WideCharToMultiByte(codePage, flags, units, count, text->data(), length, nullptr,
                                 askDefault) == length &&
           !usedDefault;
  }

  bool GetFileVersionInfo(const std::string& path, FixedFileVersion* version) override {
    const VersionFunctions& library = VersionLibrary();
    if (library.error != ERROR_SUCCESS) {
      ::SetLastError(library.error);
      return false;
    }
    DWORD ignored = 0;
    DWORD size = library.getFileVersionInfoSize(path.c_str(), &ignored);
    if (size == 0) return false;
    std::vector<BYTE> block(size);
    if (!library.getFileVersionInfo(path.c_str(), 0, size, block.data())) return false;
    void* fixed = nullptr;
    UINT length = 0;
    if (!library.verQueryValue(block.data(), "\\", &fixed, &length)) return false;
    VS_FIXEDFILEINFO info{};
    if (fixed == nullptr || length < sizeof(info)) {
      ::SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
      return false;
    }
    std::memcpy(&info, fixed, sizeof(info));
    if (info.dwSignature != VS_FFI_SIGNATURE) {
      ::SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
      return false;
    }
    version->fileVersionMS = info.dwFileVersionMS;
    version->fileVersionLS = info.dwFileVersionLS;
    version->productVersionMS = info.dwProductVersionMS;
    version->productVersionLS = info.dwProductVersionLS;
    return true;
  }

  Handle CreateMutex(bool initialOwner, const std::string& name) override {
    return FromHandle(::CreateMutexA(nullptr, initialOwner ? TRUE : FALSE,
                                     name.empty() ? nullptr : name.c_str()));
  }

  Handle CreateMutexWithSddl(bool initialOwner, const std::string& name,
                             const std::string& sddl) override {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1,
                                                                &descriptor, nullptr)) {
      return 0;
    }
    SECURITY_ATTRIBUTES attributes{};
    attributes.nLength = sizeof(attributes);
    attributes.lpSecurityDescriptor = descriptor;
    HANDLE mutex = ::CreateMutexA(&attributes, initialOwner ? TRUE : FALSE,
                                  name.empty() ? nullptr : name.c_str());
    // The last error of the creation is what the caller reads.
    const DWORD error = ::GetLastError();
    ::LocalFree(descriptor);
    ::SetLastError(error);
    return FromHandle(mutex);
  }

  bool ReleaseMutex(Handle mutex) override { return ::ReleaseMutex(ToHandle(mutex)) != FALSE; }

  // Mutexes, and the process and thread handles CreateProcess hands out.
  bool CloseHandle(Handle handle) override { return ::CloseHandle(ToHandle(handle)) != FALSE; }

  bool SetPriorityClass(Handle process, std::uint32_t priorityClass) override {
    return ::SetPriorityClass(ToHandle(process), priorityClass) != FALSE;
  }

  std::uint32_t ResumeThread(Handle thread) override { return ::ResumeThread(ToHandle(thread)); }

  Handle CreateJobObject(std::uint32_t limitFlags) override {
    return win32::CreateJobObject(limitFlags);
  }
  bool AssignProcessToJobObject(Handle job, Handle process) override {
    return win32::AssignProcessToJobObject(job, process);
  }
  bool QueryJobProcessIds(Handle job, std::vector<std::uint32_t>* ids) override {
    return win32::QueryJobProcessIds(job, ids);
  }
  Handle OpenProcess(std::uint32_t access, std::uint32_t processId) override {
    return win32::OpenProcess(access, processId);
  }
  std::uint32_t GetPriorityClass(Handle process) override {
    return win32::GetPriorityClass(process);
  }
  bool SetProcessIoPriority(Handle process, std::uint32_t priority) override {
    return win32::SetProcessIoPriority(process, priority);
  }
  bool SetProcessMemoryPriority(Handle process, std::uint32_t priority) override {
    return win32::SetProcessMemoryPriority(process, priority);
  }

  std::uint32_t WaitForSingleObject(Handle handle, std::uint32_t milliseconds) override {
    return ::WaitForSingleObject(ToHandle(handle), milliseconds);
  }

  bool GetExitCodeProcess(Handle process, std::uint32_t* exitCode) override {
    DWORD code = 0;
    if (!::GetExitCodeProcess(ToHandle(process), &code)) return false;
    *exitCode = code;
    return true;
  }

  // CreateProcessA may write into the command line, so it gets a copy of its own.
  bool CreateProcess(const std::string& commandLine, std::uint32_t creationFlags,
                     ProcessInformation* info) override {
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, creationFlags, nullptr,
                          nullptr, &startup, &process)) {
      return false;
    }
    if (info == nullptr) {
      // Nobody to hand the handles to: they would stay open for the life of the program.
      ScopedHandle processHandle(process.hProcess);
      ScopedHandle threadHandle(process.hThread);
      return true;
    }
    info->process = FromHandle(process.hProcess);
    info->thread = FromHandle(process.hThread);
    info->processId = process.dwProcessId;
    info->threadId = process.dwThreadId;
    return true;
  }

  bool GetSystemTimes(std::uint64_t* idle, std::uint64_t* kernel, std::uint64_t* user) override {
    FILETIME idleTime{};
    FILETIME kernelTime{};
    FILETIME userTime{};
    // Looked up when needed: Windows before XP SP1 has no GetSystemTimes, and a static import
    // would keep the program from loading there at all.
    using GetSystemTimesFn = BOOL(WINAPI*)(LPFILETIME, LPFILETIME, LPFILETIME);
    static const auto getSystemTimes = reinterpret_cast<GetSystemTimesFn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "GetSystemTimes")));
    if (getSystemTimes == nullptr) {
      ::SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
      return false;
    }
    if (!getSystemTimes(&idleTime, &kernelTime, &userTime)) return false;
    *idle = ToUint64(idleTime);
    *kernel = ToUint64(kernelTime);
    *user = ToUint64(userTime);
    return true;
  }

  std::uint32_t GetLastError() override { return ::GetLastError(); }

  void SetLastError(std::uint32_t code) override { ::SetLastError(code); }

  // These calls came with Windows XP (and XP SP2 for IsWow64Process); the program also runs
  // where kernel32 lacks them, so they are looked up instead of imported.
  std::uint16_t GetNativeProcessorArchitecture() override {
    SYSTEM_INFO info{};
    if (auto native = Kernel32<void(WINAPI*)(LPSYSTEM_INFO)>("GetNativeSystemInfo")) {
      native(&info);
    } else {
      ::GetSystemInfo(&info);
    }
    return info.wProcessorArchitecture;
  }

  bool IsWow64Process(bool* wow64) override {
    auto call = Kernel32<BOOL(WINAPI*)(HANDLE, PBOOL)>("IsWow64Process");
    BOOL result = FALSE;
    if (call != nullptr && !call(::GetCurrentProcess(), &result)) return false;
    *wow64 = result != FALSE;
    return true;
  }

  bool Wow64DisableWow64FsRedirection(Handle* oldValue) override {
    auto call = Kernel32<BOOL(WINAPI*)(PVOID*)>("Wow64DisableWow64FsRedirection");
    if (call == nullptr) {
      ::SetLastError(ERROR_INVALID_FUNCTION);
      return false;
    }
    PVOID old = nullptr;
    if (!call(&old)) return false;
    *oldValue = reinterpret_cast<Handle>(old);
    return true;
  }

  bool Wow64RevertWow64FsRedirection(Handle oldValue) override {
    auto call = Kernel32<BOOL(WINAPI*)(PVOID)>("Wow64RevertWow64FsRedirection");
    if (call == nullptr) {
      ::SetLastError(ERROR_INVALID_FUNCTION);
      return false;
    }
    return call(reinterpret_cast<PVOID>(oldValue)) != FALSE;
  }

  // A WM_QUIT found here is posted again, so that the message loop that owns the program
  // still sees it and ends.
  void ProcessMessages() override {
    MSG message{};
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        ::PostQuitMessage(static_cast<int>(message.wParam));
        return;
      }
      DispatchWindowMessage(message);
    }
  }
};

}  // namespace

std::unique_ptr<ISystem> MakeWin32System() { return std::make_unique<Win32System>(); }

}  // namespace lw
