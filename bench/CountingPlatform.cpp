#include "CountingPlatform.h"

#include "platform/ForwardingPlatform.h"

namespace lw::bench {

namespace {

class CountingRegistry : public ForwardingRegistry {
 public:
  CountingRegistry(IRegistry& inner, CallCounts& counts)
      : ForwardingRegistry(inner), counts_(counts) {}

 private:
  void Note(const char*) override { ++counts_.registryCalls; }
  CallCounts& counts_;
};

// Files and shortcuts alike: each call on a file counts, and a file changed is noted.
template <class Forwarding, class Inner>
class CountingFileCalls : public Forwarding {
 public:
  CountingFileCalls(Inner& inner, CallCounts& counts) : Forwarding(inner), counts_(counts) {}

 private:
  void NoteRead(const std::string&) override { ++counts_.fileCalls; }
  void NoteChange(const std::string& path) override {
    ++counts_.fileCalls;
    counts_.filesChanged.insert(path);
  }
  CallCounts& counts_;
};

using CountingFiles = CountingFileCalls<ForwardingFiles, IFileSystem>;
using CountingShell = CountingFileCalls<ForwardingShell, IShell>;

}  // namespace

CountingPlatform::CountingPlatform(std::unique_ptr<IPlatform> inner)
    : inner_(std::move(inner)),
      registry_(std::make_unique<CountingRegistry>(inner_->Registry(), counts_)),
      files_(std::make_unique<CountingFiles>(inner_->Files(), counts_)),
      shell_(std::make_unique<CountingShell>(inner_->Shell(), counts_)) {}

CountingPlatform::~CountingPlatform() = default;

IRegistry& CountingPlatform::Registry() { return *registry_; }
IFileSystem& CountingPlatform::Files() { return *files_; }
IShell& CountingPlatform::Shell() { return *shell_; }

}  // namespace lw::bench
