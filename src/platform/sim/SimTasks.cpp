#include "platform/sim/SimTasks.h"

namespace lw::sim {

namespace {

constexpr long kEInvalidArg = static_cast<long>(0x80070057u);

}  // namespace

long SimTasks::RegisterTask(const std::string& name, const std::string& xml,
                            const std::string& /*userId*/, int /*logonType*/) {
  if (name.empty() || xml.empty()) return kEInvalidArg;
  // A task that runs for every user of the machine is the machine's: a standard-rights token
  // may not make one.
  if (state_.files.standardRights) return HResultFromWin32(kErrorAccessDenied);
  state_.system.tasks[Fold(name)] = {name, xml};
  return kSOk;
}

long SimTasks::GetTaskXml(const std::string& name, std::string* xml) {
  auto found = state_.system.tasks.find(Fold(name));
  if (found == state_.system.tasks.end()) return HResultFromWin32(kErrorFileNotFound);
  *xml = found->second.second;
  return kSOk;
}

long SimTasks::DeleteTask(const std::string& name) {
  auto found = state_.system.tasks.find(Fold(name));
  if (found == state_.system.tasks.end()) return HResultFromWin32(kErrorFileNotFound);
  if (state_.files.standardRights) return HResultFromWin32(kErrorAccessDenied);
  state_.system.tasks.erase(found);
  return kSOk;
}

}  // namespace lw::sim
