#pragma once
// A platform that forwards every call to another one and clocks the calls that take time:
// every registry call, and the system calls that wait or start programs (Sleep,
// CreateProcess, SetPriorityClass, ResumeThread, GetSystemTimes, ProcessMessages). The benchmarks
// use it to split the real time of an operation into the time it waited, the time Windows took for
// it and the time of our own code. Files, shell and token calls are forwarded untouched.

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "platform/Platform.h"

namespace lw::bench {

struct CallTime {
  std::uint64_t calls = 0;
  double ms = 0.0;  // real time spent inside the calls
};

// By the Windows function's name ("Sleep", "CreateProcess", "RegOpenKeyEx" ...).
using CallTimes = std::map<std::string, CallTime>;

// The sum over the calls whose name begins with prefix ("Reg": every registry call).
CallTime SumOf(const CallTimes& times, const std::string& prefix);

class TimingPlatform : public IPlatform {
 public:
  explicit TimingPlatform(std::unique_ptr<IPlatform> inner);
  ~TimingPlatform() override;

  IRegistry& Registry() override;
  IToken& Token() override { return inner_->Token(); }
  IFileSystem& Files() override { return inner_->Files(); }
  ISystem& System() override;
  IShell& Shell() override { return inner_->Shell(); }
  ITaskScheduler& Tasks() override { return inner_->Tasks(); }

  IPlatform& Inner() { return *inner_; }

  // Since the last Reset: the timed calls, and the milliseconds asked of Sleep (on the
  // simulation, whose Sleep returns at once, that is the virtual time it waited).
  const CallTimes& Times() const { return times_; }
  std::uint64_t SleepAskedMs() const { return sleepAskedMs_; }
  void Reset();

 private:
  std::unique_ptr<IPlatform> inner_;
  CallTimes times_;
  std::uint64_t sleepAskedMs_ = 0;
  std::unique_ptr<IRegistry> registry_;
  std::unique_ptr<ISystem> system_;
};

}  // namespace lw::bench
