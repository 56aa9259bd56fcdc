#pragma once
// The simulated system services.

#include <string>

#include "platform/sim/SimState.h"

namespace lw::sim {

// The name a mutex is known by in the session ("Local\x" and "x" are one mutex).
std::string MutexKey(const std::string& name);

class SimSystem : public ISystem {
 public:
  explicit SimSystem(SimPlatform::State& state) : state_(state) {}

  bool GetVersionEx(OsVersionInfo* info) override;
  std::uint32_t WNetGetUser(std::string* user) override;
  std::uint32_t GetTickCount() override;
  void Sleep(std::uint32_t milliseconds) override;
  std::string ExpandEnvironmentStrings(const std::string& text) override;
  std::string GetWindowsDirectory() override;
  std::string GetSystemDirectory() override;
  std::string GetModuleFileName() override;
  SystemTime GetLocalTime() override;
  std::string FormatShortDate(const SystemTime& time) override;
  std::string FormatLongTime(const SystemTime& time) override;
  std::string FormatMessage(std::uint32_t code) override;
  std::u16string MultiByteToWideChar(const std::string& text) override;
  bool WideCharToMultiByte(std::uint32_t codePage, const std::u16string& wide,
                           std::string* text) override;
  bool GetFileVersionInfo(const std::string& path, FixedFileVersion* version) override;
  Handle CreateMutex(bool initialOwner, const std::string& name) override;
  // Closes mutex, process, thread and job handles alike.
  bool CloseHandle(Handle handle) override;
  // See SimProcess.h: the program finding, the priority-class check, the record and handles.
  bool CreateProcess(const std::string& commandLine, std::uint32_t creationFlags,
                     ProcessInformation* info) override;
  // A process ends as soon as it is waited for; a mutex is owned (SimMutex.cpp).
  std::uint32_t WaitForSingleObject(Handle handle, std::uint32_t milliseconds) override;
  bool GetExitCodeProcess(Handle process, std::uint32_t* exitCode) override;
  bool SetPriorityClass(Handle process, std::uint32_t priorityClass) override;
  std::uint32_t ResumeThread(Handle thread) override;
  // Jobs and a process's priorities (SimJobs.cpp): a process belongs to one job at most (as
  // before Windows 8: a second job is refused with kErrorAccessDenied).
  Handle CreateJobObject(std::uint32_t limitFlags) override;
  bool AssignProcessToJobObject(Handle job, Handle process) override;
  bool QueryJobProcessIds(Handle job, std::vector<std::uint32_t>* ids) override;
  Handle OpenProcess(std::uint32_t access, std::uint32_t processId) override;
  std::uint32_t GetPriorityClass(Handle process) override;
  bool SetProcessIoPriority(Handle process, std::uint32_t priority) override;
  bool SetProcessMemoryPriority(Handle process, std::uint32_t priority) override;
  bool GetSystemTimes(std::uint64_t* idle, std::uint64_t* kernel, std::uint64_t* user) override;
  std::uint32_t GetLastError() override;
  void SetLastError(std::uint32_t code) override;
  std::uint16_t GetNativeProcessorArchitecture() override;
  bool IsWow64Process(bool* wow64) override;
  bool Wow64DisableWow64FsRedirection(Handle* oldValue) override;
  bool Wow64RevertWow64FsRedirection(Handle oldValue) override;
  void ProcessMessages() override;
  // SimMutex.cpp: ownership by the process the calls come from (SimPlatform::AsAnotherProcess).
  Handle CreateMutexWithSddl(bool initialOwner, const std::string& name,
                             const std::string& sddl) override;
  bool ReleaseMutex(Handle mutex) override;

 private:
  // Owns the mutex for the calling process when it is free, or becomes free while the clock
  // runs on for the time given; kWaitTimeout otherwise.
  std::uint32_t WaitForMutex(const std::string& key, std::uint32_t milliseconds);

  SimPlatform::State& state_;
};

}  // namespace lw::sim
