#include "TimingPlatform.h"

#include <chrono>
#include <set>

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

class TimingRegistry : public IRegistry {
 public:
  TimingRegistry(IRegistry& inner, CallTimes& times) : inner_(inner), times_(times) {}

  long OpenKeyEx(HKey parent, const std::string& subKey, std::uint32_t access,
                 HKey* result) override {
    Stopwatch watch(times_, "RegOpenKeyEx");
    return inner_.OpenKeyEx(parent, subKey, access, result);
  }
  long CreateKeyEx(HKey parent, const std::string& subKey, std::uint32_t access, HKey* result,
                   std::uint32_t* disposition) override {
    Stopwatch watch(times_, "RegCreateKeyEx");
    return inner_.CreateKeyEx(parent, subKey, access, result, disposition);
  }
  long CloseKey(HKey key) override {
    Stopwatch watch(times_, "RegCloseKey");
    performanceKeys_.erase(key);
    return inner_.CloseKey(key);
  }
  long FlushKey(HKey key) override {
    Stopwatch watch(times_, "RegFlushKey");
    return inner_.FlushKey(key);
  }
  long QueryValueEx(HKey key, const std::string& name, std::uint32_t* type, void* data,
                    std::uint32_t* size) override {
    Stopwatch watch(times_,
                    IsPerformanceData(key) ? "RegQueryValueEx (perf data)" : "RegQueryValueEx");
    return inner_.QueryValueEx(key, name, type, data, size);
  }
  long SetValueEx(HKey key, const std::string& name, std::uint32_t type, const void* data,
                  std::uint32_t size) override {
    Stopwatch watch(times_, "RegSetValueEx");
    return inner_.SetValueEx(key, name, type, data, size);
  }
  long DeleteValue(HKey key, const std::string& name) override {
    Stopwatch watch(times_, "RegDeleteValue");
    return inner_.DeleteValue(key, name);
  }
  long DeleteKey(HKey parent, const std::string& subKey) override {
    Stopwatch watch(times_, "RegDeleteKey");
    return inner_.DeleteKey(parent, subKey);
  }
  long EnumKeyEx(HKey key, std::uint32_t index, std::string* name) override {
    Stopwatch watch(times_, "RegEnumKeyEx");
    return inner_.EnumKeyEx(key, index, name);
  }
  long EnumValue(HKey key, std::uint32_t index, std::string* name) override {
    Stopwatch watch(times_, "RegEnumValue");
    return inner_.EnumValue(key, index, name);
  }
  long QueryInfoKey(HKey key, RegKeyInfo* info) override {
    Stopwatch watch(times_, "RegQueryInfoKey");
    return inner_.QueryInfoKey(key, info);
  }
  long LoadKey(HKey root, const std::string& subKey, const std::string& file) override {
    Stopwatch watch(times_, "RegLoadKey");
    return inner_.LoadKey(root, subKey, file);
  }
  long UnLoadKey(HKey root, const std::string& subKey) override {
    Stopwatch watch(times_, "RegUnLoadKey");
    return inner_.UnLoadKey(root, subKey);
  }
  long SaveKey(HKey key, const std::string& file) override {
    Stopwatch watch(times_, "RegSaveKey");
    return inner_.SaveKey(key, file);
  }
  long ConnectRegistry(const std::string& machine, HKey root, HKey* result) override {
    Stopwatch watch(times_, "RegConnectRegistry");
    const long status = inner_.ConnectRegistry(machine, root, result);
    if (status == kErrorSuccess && root == kHKeyPerformanceData) performanceKeys_.insert(*result);
    return status;
  }

 private:
  bool IsPerformanceData(HKey key) const {
    return key == kHKeyPerformanceData || performanceKeys_.count(key) != 0;
  }

  IRegistry& inner_;
  CallTimes& times_;
  std::set<HKey> performanceKeys_;  // the handles that ConnectRegistry gave for them
};

class TimingSystem : public ISystem {
 public:
  TimingSystem(ISystem& inner, CallTimes& times, std::uint64_t& sleepAskedMs)
      : inner_(inner), times_(times), sleepAskedMs_(sleepAskedMs) {}

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

  // Quick calls: forwarded as they are.
  bool GetVersionEx(OsVersionInfo* info) override { return inner_.GetVersionEx(info); }
  std::uint32_t WNetGetUser(std::string* user) override { return inner_.WNetGetUser(user); }
  std::uint32_t GetTickCount() override { return inner_.GetTickCount(); }
  std::string ExpandEnvironmentStrings(const std::string& text) override {
    return inner_.ExpandEnvironmentStrings(text);
  }
  std::string GetWindowsDirectory() override { return inner_.GetWindowsDirectory(); }
  std::string GetSystemDirectory() override { return inner_.GetSystemDirectory(); }
  std::string GetModuleFileName() override { return inner_.GetModuleFileName(); }
  SystemTime GetLocalTime() override { return inner_.GetLocalTime(); }
  std::string FormatShortDate(const SystemTime& time) override {
    return inner_.FormatShortDate(time);
  }
  std::string FormatLongTime(const SystemTime& time) override {
    return inner_.FormatLongTime(time);
  }
  std::string FormatMessage(std::uint32_t code) override { return inner_.FormatMessage(code); }
  bool GetFileVersionInfo(const std::string& path, FixedFileVersion* version) override {
    return inner_.GetFileVersionInfo(path, version);
  }
  Handle CreateMutex(bool initialOwner, const std::string& name) override {
    return inner_.CreateMutex(initialOwner, name);
  }
  bool CloseHandle(Handle handle) override { return inner_.CloseHandle(handle); }
  std::uint32_t GetLastError() override { return inner_.GetLastError(); }
  void SetLastError(std::uint32_t code) override { inner_.SetLastError(code); }

 private:
  ISystem& inner_;
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
