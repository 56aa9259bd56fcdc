#include "TimingPlatform.h"

#include <chrono>
#include <set>

#include "platform/ForwardingPlatform.h"

// Each clocked call is wrapped in a stopwatch that notes its time when the call returns. The
// caller of a failed system call reads GetLastError right after it, so the stopwatch of a
// system call keeps the last error as the call left it. Queries of the performance data (a
// whole snapshot of the system each time) are noted apart from the other value queries.

namespace lw::bench {

namespace {

using Clock = std::chrono::steady_clock;

class Stopwatch {
 public:
  Stopwatch(CallTimes& times, const char* name, ISystem* keepLastError = nullptr)
      : times_(times), name_(name), system_(keepLastError), start_(Clock::now()) {}
  ~Stopwatch() {
    const Clock::time_point end = Clock::now();
    const std::uint32_t lastError = system_ != nullptr ? system_->GetLastError() : 0;
    CallTime& time = times_[name_];
    ++time.calls;
    time.ms += std::chrono::duration<double, std::milli>(end - start_).count();
    if (system_ != nullptr) system_->SetLastError(lastError);
  }
  Stopwatch(const Stopwatch&) = delete;
  Stopwatch& operator=(const Stopwatch&) = delete;

 private:
  CallTimes& times_;
  const char* name_;
  ISystem* system_;
  Clock::time_point start_;
};

// Times every registry call between the forwarding hooks.
class TimingRegistry : public ForwardingRegistry {
 public:
  TimingRegistry(IRegistry& inner, CallTimes& times) : ForwardingRegistry(inner), times_(times) {}

  long CloseKey(HKey key) override {
    performanceKeys_.erase(key);
    return ForwardingRegistry::CloseKey(key);
  }
  long QueryValueEx(HKey key, const std::string& name, std::uint32_t* type, void* data,
                    std::uint32_t* size) override {
    performanceQuery_ = key == kHKeyPerformanceData || performanceKeys_.count(key) != 0;
    return ForwardingRegistry::QueryValueEx(key, name, type, data, size);
  }
  long ConnectRegistry(const std::string& machine, HKey root, HKey* result) override {
    const long status = ForwardingRegistry::ConnectRegistry(machine, root, result);
    if (status == kErrorSuccess && root == kHKeyPerformanceData) performanceKeys_.insert(*result);
    return status;
  }

 private:
  void Note(const char*) override { start_ = Clock::now(); }
  void Noted(const char* call) override {
    const Clock::time_point end = Clock::now();
    CallTime& time = times_[performanceQuery_ ? "RegQueryValueEx (perf data)" : call];
    performanceQuery_ = false;
    ++time.calls;
    time.ms += std::chrono::duration<double, std::milli>(end - start_).count();
  }

  CallTimes& times_;
  std::set<HKey> performanceKeys_;  // the handles that ConnectRegistry gave for them
  bool performanceQuery_ = false;
  Clock::time_point start_;
};

class TimingSystem : public ForwardingSystem {
 public:
  TimingSystem(ISystem& inner, CallTimes& times, std::uint64_t& sleepAskedMs)
      : ForwardingSystem(inner), times_(times), sleepAskedMs_(sleepAskedMs) {}

  void Sleep(std::uint32_t milliseconds) override {
    sleepAskedMs_ += milliseconds;
    Stopwatch watch(times_, "Sleep", &inner_);
    inner_.Sleep(milliseconds);
  }
  bool CreateProcess(const std::string& commandLine, std::uint32_t creationFlags,
                     ProcessInformation* info) override {
    Stopwatch watch(times_, "CreateProcess", &inner_);
    return inner_.CreateProcess(commandLine, creationFlags, info);
  }
  bool SetPriorityClass(Handle process, std::uint32_t priorityClass) override {
    Stopwatch watch(times_, "SetPriorityClass", &inner_);
    return inner_.SetPriorityClass(process, priorityClass);
  }
  std::uint32_t ResumeThread(Handle thread) override {
    Stopwatch watch(times_, "ResumeThread", &inner_);
    return inner_.ResumeThread(thread);
  }
  bool GetSystemTimes(std::uint64_t* idle, std::uint64_t* kernel, std::uint64_t* user) override {
    Stopwatch watch(times_, "GetSystemTimes", &inner_);
    return inner_.GetSystemTimes(idle, kernel, user);
  }
  void ProcessMessages() override {
    Stopwatch watch(times_, "ProcessMessages", &inner_);
    inner_.ProcessMessages();
  }

 private:
  CallTimes& times_;
  std::uint64_t& sleepAskedMs_;
};

}  // namespace

TimingPlatform::TimingPlatform(std::unique_ptr<IPlatform> inner)
    : inner_(std::move(inner)),
      registry_(std::make_unique<TimingRegistry>(inner_->Registry(), times_)),
      system_(std::make_unique<TimingSystem>(inner_->System(), times_, sleepAskedMs_)) {}

TimingPlatform::~TimingPlatform() = default;

IRegistry& TimingPlatform::Registry() { return *registry_; }
ISystem& TimingPlatform::System() { return *system_; }

CallTime SumOf(const CallTimes& times, const std::string& prefix) {
  CallTime sum;
  for (const auto& [name, time] : times) {
    if (name.compare(0, prefix.size(), prefix) != 0) continue;
    sum.calls += time.calls;
    sum.ms += time.ms;
  }
  return sum;
}

void TimingPlatform::Reset() {
  times_.clear();
  sleepAskedMs_ = 0;
}

}  // namespace lw::bench
