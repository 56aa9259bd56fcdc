// lwstandin: a stand-in start-up program for the logon benchmark. It does what start-up programs
// do when they come up, in a given amount, and then ends (an updater) or stays alive and idle (a
// tray program):
//
//   lwstandin.exe <name> <cpu ms> <disk MB> <memory MB> [stay]
//
//   memory  commits the megabytes and writes to every page of them (kept while it stays);
//   disk    writes a file of that size in 1 MB blocks, flushes it to the disk, reads it back and
//           deletes it (in the folder of the work log);
//   cpu     a busy loop until its thread has used that much processor time (its own time, not
//           the clock's: on a busy machine the same work takes longer, as it would).
//
// When the work is done it appends "<name>|<started us>|<done us>\r\n" to the file named by
// LW_BENCH_WORK_LOG (the performance counter in microseconds). A program that stays then waits
// for the benchmark's end-of-logon event (ten minutes at most, so that none outlives a
// benchmark that died). Exit code 0, or 1 when an argument or a step failed.
//
// For the class emulation (LW_BENCH_CLASS_LOG set) a thread notes the program's name and its
// priority class in that file when it starts and each time the class changes (looked at every
// 20 ms), so that the benchmark's Linux side can renice it.

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "LogonProtocol.h"
#include "probe/AppendLine.h"

namespace lw::bench {
namespace {

constexpr std::size_t kMegabyte = 1024 * 1024;
constexpr std::size_t kPageSize = 4096;
// Rounds of work between two looks at the thread's processor time.
constexpr std::uint32_t kRoundsPerCheck = 200000;

std::uint64_t ThreadCpuMicroseconds() {
  FILETIME created{}, exited{}, kernel{}, user{};
  if (!::GetThreadTimes(::GetCurrentThread(), &created, &exited, &kernel, &user)) return 0;
  const auto value = [](const FILETIME& t) {
    return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 10;
  };
  return value(kernel) + value(user);
}

volatile std::uint32_t sink = 0;

void BurnCpu(std::uint64_t milliseconds) {
  const std::uint64_t until = ThreadCpuMicroseconds() + milliseconds * 1000;
  while (ThreadCpuMicroseconds() < until) sink = sink + SpinWork(kRoundsPerCheck);
}

// Committed and written page by page; null when the memory was refused.
void* TouchMemory(std::size_t megabytes) {
  if (megabytes == 0) return nullptr;
  auto* memory = static_cast<volatile char*>(
      ::VirtualAlloc(nullptr, megabytes * kMegabyte, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  if (memory == nullptr) return nullptr;
  for (std::size_t at = 0; at < megabytes * kMegabyte; at += kPageSize) memory[at] = 1;
  return const_cast<char*>(memory);
}

bool WriteAll(HANDLE file, const std::vector<char>& block, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    DWORD written = 0;
    if (!::WriteFile(file, block.data(), static_cast<DWORD>(block.size()), &written, nullptr) ||
        written != block.size()) {
      return false;
    }
  }
  return ::FlushFileBuffers(file) != 0;
}

bool ReadAll(HANDLE file, std::vector<char>& block) {
  for (;;) {
    DWORD read = 0;
    if (!::ReadFile(file, block.data(), static_cast<DWORD>(block.size()), &read, nullptr)) {
      return false;
    }
    if (read == 0) return true;
  }
}

bool DiskWork(const std::string& folder, const std::string& name, std::size_t megabytes) {
  if (megabytes == 0) return true;
  const std::string path =
      folder + "standin-" + name + "-" + std::to_string(::GetCurrentProcessId()) + ".tmp";
  std::vector<char> block(kMegabyte, static_cast<char>(name.size()));
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_TEMPORARY, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = WriteAll(file, block, megabytes);
  ok = ok && ::SetFilePointer(file, 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER;
  ok = ok && ReadAll(file, block);
  ::CloseHandle(file);
  return ::DeleteFileA(path.c_str()) != 0 && ok;
}

std::string WorkLog() {
  char buffer[MAX_PATH * 2] = {};
  const DWORD length = ::GetEnvironmentVariableA(kWorkLogVariable, buffer, sizeof buffer);
  return length > 0 && length < sizeof buffer ? std::string(buffer, length) : std::string();
}

std::string Variable(const char* name) {
  char buffer[MAX_PATH * 2] = {};
  const DWORD length = ::GetEnvironmentVariableA(name, buffer, sizeof buffer);
  return length > 0 && length < sizeof buffer ? std::string(buffer, length) : std::string();
}

// Reports the class until the program ends (the thread is detached: it ends with the process).
// The Linux side finds the process by its command line (Wine gives a program's Linux process the
// Windows program's path and arguments): its name is the stand-in's first argument.
void ReportClasses(const std::string& log, const std::string& name) {
  std::thread([log, name] {
    DWORD reported = 0;
    for (;;) {
      const DWORD now = ::GetPriorityClass(::GetCurrentProcess());
      if (now != reported && AppendLine(log, name + " " + std::to_string(now) + "\n")) {
        reported = now;
      }
      ::Sleep(20);
    }
  }).detach();
}

bool Number(const char* text, std::uint64_t* value) {
  char* end = nullptr;
  const unsigned long long parsed = std::strtoull(text, &end, 10);
  if (end == text || *end != '\0') return false;
  *value = parsed;
  return true;
}

int Run(int argc, char** argv) {
  const std::uint64_t started = NowMicroseconds();
  std::uint64_t cpuMs = 0, diskMb = 0, memoryMb = 0;
  const std::string log = WorkLog();
  if (argc < 5 || argc > 6 || log.empty() || !Number(argv[2], &cpuMs) ||
      !Number(argv[3], &diskMb) || !Number(argv[4], &memoryMb) ||
      (argc == 6 && std::string(argv[5]) != "stay")) {
    return 1;
  }
  const std::string name = argv[1];
  const std::string classLog = Variable(kClassLogVariable);
  if (!classLog.empty()) ReportClasses(classLog, name);
  const bool stays = argc == 6;
  // Opened before the work, so that an end set while it works is not missed.
  HANDLE end = ::CreateEventA(nullptr, TRUE, FALSE, kLogonEndEvent);
  void* memory = TouchMemory(memoryMb);
  const std::string folder = log.substr(0, log.find_last_of('\\') + 1);
  bool ok = (memoryMb == 0 || memory != nullptr) && DiskWork(folder, name, diskMb);
  BurnCpu(cpuMs);
  ok = AppendLine(log, name + "|" + std::to_string(started) + "|" +
                           std::to_string(NowMicroseconds()) + (ok ? "" : "|failed") + "\r\n") &&
       ok;
  if (stays && end != nullptr) ::WaitForSingleObject(end, kLongestLifeMs);
  if (memory != nullptr) ::VirtualFree(memory, 0, MEM_RELEASE);
  if (end != nullptr) ::CloseHandle(end);
  return ok ? 0 : 1;
}

}  // namespace
}  // namespace lw::bench

// A GUI program, as start-up programs are: a console one would get a console window of its own.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return lw::bench::Run(__argc, __argv); }
