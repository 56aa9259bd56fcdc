#pragma once
// A platform that forwards every call to another one and counts them: registry calls, file
// operations (each file a call looks at or changes; a copy is two), and the distinct files
// that were written, copied to or deleted. The benchmarks use it
// to report what an operation costs in system calls, on the simulation and on real Windows
// alike.

#include <cstdint>
#include <memory>
#include <set>
#include <string>

#include "platform/Platform.h"

namespace lw::bench {

struct CallCounts {
  std::uint64_t registryCalls = 0;
  std::uint64_t fileCalls = 0;
  std::set<std::string> filesChanged;
};

class CountingPlatform : public IPlatform {
 public:
  explicit CountingPlatform(std::unique_ptr<IPlatform> inner);
  ~CountingPlatform() override;

  IRegistry& Registry() override;
  IToken& Token() override { return inner_->Token(); }
  IFileSystem& Files() override;
  ISystem& System() override { return inner_->System(); }
  IShell& Shell() override;
  ITaskScheduler& Tasks() override { return inner_->Tasks(); }

  IPlatform& Inner() { return *inner_; }
  CallCounts& Counts() { return counts_; }
  void Reset() { counts_ = CallCounts(); }

 private:
  std::unique_ptr<IPlatform> inner_;
  CallCounts counts_;
  std::unique_ptr<IRegistry> registry_;
  std::unique_ptr<IFileSystem> files_;
  std::unique_ptr<IShell> shell_;
};

}  // namespace lw::bench
