#pragma once
// Jobs and a process's priorities for the real platform's ISystem (see Platform.h for each
// call's contract).

#include <cstdint>
#include <vector>

#include "platform/Platform.h"

namespace lw::win32 {

Handle CreateJobObject(std::uint32_t limitFlags);
bool AssignProcessToJobObject(Handle job, Handle process);
bool QueryJobProcessIds(Handle job, std::vector<std::uint32_t>* ids);
Handle OpenProcess(std::uint32_t access, std::uint32_t processId);
std::uint32_t GetPriorityClass(Handle process);
bool SetProcessIoPriority(Handle process, std::uint32_t priority);
bool SetProcessMemoryPriority(Handle process, std::uint32_t priority);

}  // namespace lw::win32
