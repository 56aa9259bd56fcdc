#include "platform/sim/SimSystem.h"

// Jobs as Windows keeps them: a process put in a job stays in it with every process it starts
// (unless that one breaks away where the job allows it) until it ends; closing a job ends its
// processes only when the job was made to (kJobObjectLimitKillOnJobClose).

namespace lw::sim {

namespace {

SimPlatform::ProcessStart* ProcessOf(SimPlatform::State& state, Handle handle) {
  auto found = state.kernelObjects.find(handle);
  if (found == state.kernelObjects.end() || found->second.kind != KernelObject::Kind::kProcess) {
    state.system.lastError = kErrorInvalidHandle;
    return nullptr;
  }
  return &state.processes.starts[found->second.start];
}

bool JobOf(SimPlatform::State& state, Handle handle, std::size_t* job) {
  auto found = state.kernelObjects.find(handle);
  if (found == state.kernelObjects.end() || found->second.kind != KernelObject::Kind::kJob) {
    state.system.lastError = kErrorInvalidHandle;
    return false;
  }
  *job = found->second.start;
  return true;
}

}  // namespace

Handle SimSystem::CreateJobObject(std::uint32_t limitFlags) {
  const Handle handle = state_.NewHandle();
  state_.kernelObjects[handle] =
      KernelObject{KernelObject::Kind::kJob, "", 0, state_.processes.jobLimits.size()};
  state_.processes.jobLimits.push_back(limitFlags);
  return handle;
}

bool SimSystem::AssignProcessToJobObject(Handle job, Handle process) {
  std::size_t index = 0;
  SimPlatform::ProcessStart* start = ProcessOf(state_, process);
  if (start == nullptr || !JobOf(state_, job, &index)) return false;
  if (start->job >= 0 && static_cast<std::size_t>(start->job) != index) {
    state_.system.lastError = kErrorAccessDenied;
    return false;
  }
  start->job = static_cast<int>(index);
  return true;
}

bool SimSystem::QueryJobProcessIds(Handle job, std::vector<std::uint32_t>* ids) {
  std::size_t index = 0;
  if (!JobOf(state_, job, &index)) return false;
  std::vector<std::uint32_t> found;
  for (const SimPlatform::ProcessStart& start : state_.processes.starts) {
    if (start.job == static_cast<int>(index) && !start.ended) found.push_back(start.processId);
  }
  *ids = found;
  return true;
}

Handle SimSystem::OpenProcess(std::uint32_t /*access*/, std::uint32_t processId) {
  for (std::size_t index = 0; index < state_.processes.starts.size(); ++index) {
    const SimPlatform::ProcessStart& start = state_.processes.starts[index];
    if (start.processId != processId || start.ended) continue;
    const Handle handle = state_.NewHandle();
    state_.kernelObjects[handle] = KernelObject{KernelObject::Kind::kProcess, "", 0, index};
    return handle;
  }
  state_.system.lastError = kErrorInvalidParameter;
  return 0;
}

std::uint32_t SimSystem::GetPriorityClass(Handle process) {
  const SimPlatform::ProcessStart* start = ProcessOf(state_, process);
  return start == nullptr ? 0 : start->priorityClass;
}

bool SimSystem::SetProcessIoPriority(Handle process, std::uint32_t priority) {
  SimPlatform::ProcessStart* start = ProcessOf(state_, process);
  if (start == nullptr) return false;
  if (priority > kIoPriorityNormal) {  // higher needs a privilege the program never asks for
    state_.system.lastError = kErrorAccessDenied;
    return false;
  }
  start->ioPriority = priority;
  return true;
}

bool SimSystem::SetProcessMemoryPriority(Handle process, std::uint32_t priority) {
  SimPlatform::ProcessStart* start = ProcessOf(state_, process);
  if (start == nullptr) return false;
  if (priority == 0 || priority > kMemoryPriorityNormal) {
    state_.system.lastError = kErrorInvalidParameter;
    return false;
  }
  start->memoryPriority = priority;
  return true;
}

}  // namespace lw::sim

namespace lw {

int SimPlatform::OpenJobHandleCount() const {
  int count = 0;
  for (const auto& [handle, object] : state_->kernelObjects) {
    if (object.kind == sim::KernelObject::Kind::kJob) ++count;
  }
  return count;
}

std::uint32_t SimPlatform::StartChildProcess(std::uint32_t parentId, const std::string& image,
                                             std::uint32_t creationFlags) {
  auto& starts = state_->processes.starts;
  ProcessStart child{image, image, creationFlags, state_->clock.now, kNormalPriorityClass, false};
  child.parentId = parentId;
  for (const ProcessStart& parent : starts) {
    if (parent.processId != parentId) continue;
    if (parent.priorityClass == kIdlePriorityClass ||
        parent.priorityClass == kBelowNormalPriorityClass) {
      child.priorityClass = parent.priorityClass;
    }
    const bool mayLeave =
        parent.job >= 0 && (state_->processes.jobLimits[static_cast<std::size_t>(parent.job)] &
                            kJobObjectLimitBreakawayOk) != 0;
    if (!((creationFlags & kCreateBreakawayFromJob) != 0 && mayLeave)) child.job = parent.job;
  }
  for (std::uint32_t each :
       {kNormalPriorityClass, kIdlePriorityClass, kHighPriorityClass, kRealtimePriorityClass,
        kBelowNormalPriorityClass, kAboveNormalPriorityClass}) {
    if ((creationFlags & each) != 0) child.priorityClass = each;
  }
  child.processId = state_->processes.nextId;
  state_->processes.nextId += 8;
  starts.push_back(child);
  return child.processId;
}

void SimPlatform::EndProcess(std::uint32_t processId) {
  for (ProcessStart& start : state_->processes.starts) {
    if (start.processId == processId) start.ended = true;
  }
}

void SimPlatform::FailPriorityClassChange(std::uint32_t processId, std::uint32_t error) {
  if (error == kErrorSuccess) {
    state_->processes.classFailures.erase(processId);
  } else {
    state_->processes.classFailures[processId] = error;
  }
}

std::vector<std::pair<std::uint32_t, std::uint32_t>> SimPlatform::PriorityClassChanges() const {
  return state_->processes.classChanges;
}

}  // namespace lw
