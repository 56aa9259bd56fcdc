#include "platform/sim/SimSystem.h"

#include "platform/sim/SimCalendar.h"
#include "platform/sim/SimCodePages.h"
#include "platform/sim/SimFileTree.h"
#include "platform/sim/SimMessages.h"
#include "platform/sim/SimProcess.h"
#include "platform/sim/SimProcessor.h"

namespace lw::sim {

std::string MutexKey(const std::string& name) {
  // "Local\" names the session's own namespace, where unprefixed names live too.
  const std::string local = "Local\\";
  return name.compare(0, local.size(), local) == 0 ? name.substr(local.size()) : name;
}

bool SimSystem::GetVersionEx(OsVersionInfo* info) {
  if (info == nullptr) {
    state_.system.lastError = kErrorInvalidParameter;
    return false;
  }
  *info = state_.system.version;
  return true;
}

std::uint32_t SimSystem::WNetGetUser(std::string* user) {
  if (state_.system.userError != kErrorSuccess) return state_.system.userError;
  if (user != nullptr) *user = state_.system.user;
  return kErrorSuccess;
}

std::uint32_t SimSystem::GetTickCount() {
  // Wraps to zero after 49.7 days, as the real counter does.
  return static_cast<std::uint32_t>(state_.clock.now);
}

void SimSystem::Sleep(std::uint32_t milliseconds) {
  state_.clock.sleeps.push_back(milliseconds);
  const std::uint64_t until = state_.clock.now + milliseconds;
  state_.RunDueActions(until);
  if (state_.clock.now < until) state_.clock.now = until;
}

std::string SimSystem::ExpandEnvironmentStrings(const std::string& text) {
  // A %NAME% that names no variable is copied as it stands and the scan goes on after its
  // closing '%' ("%%" stays "%%"); a '%' without a closing one is copied with the rest.
  std::string result;
  std::size_t at = 0;
  while (at < text.size()) {
    if (text[at] != '%') {
      const std::size_t next = text.find('%', at);
      const std::size_t end = next == std::string::npos ? text.size() : next;
      result += text.substr(at, end - at);
      at = end;
      continue;
    }
    const std::size_t close = text.find('%', at + 1);
    if (close == std::string::npos) {
      result += text.substr(at);
      break;
    }
    const std::string name = text.substr(at + 1, close - at - 1);
    auto found =
        name.empty() ? state_.system.environment.end() : state_.system.environment.find(Fold(name));
    if (found != state_.system.environment.end()) {
      result += found->second.second;
    } else {
      result += text.substr(at, close - at + 1);
    }
    at = close + 1;
  }
  return result;
}

std::string SimSystem::GetWindowsDirectory() { return state_.system.windowsDirectory; }

std::string SimSystem::GetSystemDirectory() { return state_.system.systemDirectory; }

std::string SimSystem::GetModuleFileName() { return state_.system.moduleFileName; }

SystemTime SimSystem::GetLocalTime() {
  // The local time runs on with the virtual clock from the moment it was set.
  const auto elapsed = static_cast<std::int64_t>(state_.clock.now - state_.system.localTimeTick);
  return MillisecondsToTime(state_.system.localTimeBase + elapsed);
}

std::string SimSystem::FormatShortDate(const SystemTime& time) {
  std::string year = std::to_string(time.year);
  while (year.size() < 4) year = "0" + year;
  return TwoDigits(time.day) + "/" + TwoDigits(time.month) + "/" + year;
}

std::string SimSystem::FormatLongTime(const SystemTime& time) {
  return TwoDigits(time.hour) + ":" + TwoDigits(time.minute) + ":" + TwoDigits(time.second);
}

std::u16string SimSystem::MultiByteToWideChar(const std::string& text) { return Utf16(text); }

bool SimSystem::WideCharToMultiByte(std::uint32_t codePage, const std::u16string& wide,
                                    std::string* text) {
  return FromUtf16(codePage, wide, text);
}

std::string SimSystem::FormatMessage(std::uint32_t code) {
  auto staged = state_.system.messageTexts.find(code);
  if (staged != state_.system.messageTexts.end()) return staged->second;
  std::string text;
  if (!SystemMessageText(code, &text)) {
    state_.system.lastError = kErrorMrMidNotFound;
    return std::string();
  }
  // The call gives at most 256 characters (with its terminating zero).
  if (text.size() > 255) text.resize(255);
  return text;
}

bool SimSystem::GetFileVersionInfo(const std::string& path, FixedFileVersion* version) {
  FilePath parsed;
  std::uint32_t error = ParsePath(state_, path, &parsed);
  FileNode* node = error == kErrorSuccess ? FindNode(state_.files, parsed, &error) : nullptr;
  if (node != nullptr && SharingBlocked(*node)) error = kErrorSharingViolation;
  if (node != nullptr && error == kErrorSuccess && !node->hasVersion) {
    error = kErrorResourceTypeNotFound;
  }
  if (error != kErrorSuccess) {
    state_.system.lastError = error;
    return false;
  }
  if (version != nullptr) *version = node->version;
  return true;
}

Handle SimSystem::CreateMutex(bool initialOwner, const std::string& name) {
  const std::string key = MutexKey(name);
  const std::string global = "Global\\";
  const std::string leaf =
      key.compare(0, global.size(), global) == 0 ? key.substr(global.size()) : key;
  if (leaf.find('\\') != std::string::npos) {
    // The part before the backslash would be an object folder, and there is none.
    state_.system.lastError = kErrorPathNotFound;
    return 0;
  }
  const Handle handle = state_.NewHandle();
  state_.kernelObjects[handle] = KernelObject{KernelObject::Kind::kMutex, key, 0};
  if (key.empty()) {
    state_.system.lastError = kErrorSuccess;
    return handle;
  }
  // Names are compared with their case, as kernel object names are.
  int& open = state_.system.mutexHandles[key];
  const bool exists = open > 0 || state_.system.heldMutexes.count(key) != 0;
  ++open;
  // Asked for ownership, the creator gets it; an opener of an existing mutex does not.
  if (initialOwner && !exists) state_.system.mutexOwners[key] = {state_.system.process, 1};
  state_.system.lastError = exists ? kErrorAlreadyExists : kErrorSuccess;
  return handle;
}

bool SimSystem::CloseHandle(Handle handle) { return state_.CloseKernelHandle(handle); }

bool SimSystem::CreateProcess(const std::string& commandLine, std::uint32_t creationFlags,
                              ProcessInformation* info) {
  StartCostScope cost(state_);
  // The program never means to ask for two priorities at once; such flags are refused rather
  // than read as one of them.
  std::uint32_t error =
      HasSeveralPriorityClasses(creationFlags) ? kErrorInvalidParameter : kErrorSuccess;
  FileNode* program = nullptr;
  if (error == kErrorSuccess) error = FindProgram(state_, commandLine, &program);
  if (error == kErrorSuccess) {
    error = StartImage(state_, *program, commandLine, creationFlags, info);
  }
  if (error == kErrorSuccess) return true;
  state_.system.lastError = error;
  return false;
}

std::uint32_t SimSystem::WaitForSingleObject(Handle handle, std::uint32_t milliseconds) {
  auto found = state_.kernelObjects.find(handle);
  if (found != state_.kernelObjects.end() && found->second.kind == KernelObject::Kind::kMutex) {
    return WaitForMutex(found->second.name, milliseconds);
  }
  if (found == state_.kernelObjects.end() || found->second.kind != KernelObject::Kind::kProcess) {
    state_.system.lastError = kErrorInvalidHandle;
    return kWaitFailed;
  }
  return kWaitObject0;
}

bool SimSystem::GetExitCodeProcess(Handle process, std::uint32_t* exitCode) {
  auto found = state_.kernelObjects.find(process);
  if (found == state_.kernelObjects.end() || found->second.kind != KernelObject::Kind::kProcess) {
    state_.system.lastError = kErrorInvalidHandle;
    return false;
  }
  *exitCode = state_.processes.starts[found->second.start].exitCode;
  return true;
}

bool SimSystem::SetPriorityClass(Handle process, std::uint32_t priorityClass) {
  auto found = state_.kernelObjects.find(process);
  if (found == state_.kernelObjects.end() || found->second.kind != KernelObject::Kind::kProcess) {
    state_.system.lastError = kErrorInvalidHandle;
    return false;
  }
  if (HasSeveralPriorityClasses(priorityClass) || priorityClass == 0) {
    state_.system.lastError = kErrorInvalidParameter;
    return false;
  }
  SimPlatform::ProcessStart& start = state_.processes.starts[found->second.start];
  auto failure = state_.processes.classFailures.find(start.processId);
  if (failure != state_.processes.classFailures.end()) {
    state_.system.lastError = failure->second;
    return false;
  }
  start.priorityClass = priorityClass;
  state_.processes.classChanges.emplace_back(start.processId, priorityClass);
  return true;
}

std::uint32_t SimSystem::ResumeThread(Handle thread) {
  auto found = state_.kernelObjects.find(thread);
  if (found == state_.kernelObjects.end() || found->second.kind != KernelObject::Kind::kThread) {
    state_.system.lastError = kErrorInvalidHandle;
    return kResumeThreadFailed;
  }
  SimPlatform::ProcessStart& start = state_.processes.starts[found->second.start];
  const bool was = start.suspended;
  start.suspended = false;
  return was ? 1 : 0;
}

bool SimSystem::GetSystemTimes(std::uint64_t* idle, std::uint64_t* kernel, std::uint64_t* user) {
  return SystemTimes(state_, idle, kernel, user);
}

std::uint32_t SimSystem::GetLastError() { return state_.system.lastError; }

void SimSystem::SetLastError(std::uint32_t code) { state_.system.lastError = code; }

std::uint16_t SimSystem::GetNativeProcessorArchitecture() {
  return state_.system.windows64 ? kProcessorArchitectureAmd64 : kProcessorArchitectureIntel;
}

bool SimSystem::IsWow64Process(bool* wow64) {
  *wow64 = state_.system.windows64 && !state_.system.process64;
  return true;
}

// Only a 32-bit process on 64-bit Windows has a redirection to switch off.
bool SimSystem::Wow64DisableWow64FsRedirection(Handle* oldValue) {
  if (!state_.system.windows64 || state_.system.process64) {
    state_.system.lastError = kErrorInvalidFunction;
    return false;
  }
  *oldValue = state_.system.fsRedirectionOff ? 1 : 0;
  state_.system.fsRedirectionOff = true;
  return true;
}

bool SimSystem::Wow64RevertWow64FsRedirection(Handle oldValue) {
  if (!state_.system.windows64 || state_.system.process64) {
    state_.system.lastError = kErrorInvalidFunction;
    return false;
  }
  state_.system.fsRedirectionOff = oldValue != 0;
  return true;
}

void SimSystem::ProcessMessages() {
  state_.RunDueActions(state_.clock.now);
  // A copy, so that the action may replace itself.
  std::function<void()> action = state_.clock.onProcessMessages;
  if (action) action();
}

}  // namespace lw::sim
