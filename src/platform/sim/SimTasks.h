#pragma once
// The simulated Task Scheduler: the tasks of the root folder by name, with their definitions
// kept as they were registered. Changing them takes an administrator's full token.

#include "platform/sim/SimState.h"

namespace lw::sim {

class SimTasks : public ITaskScheduler {
 public:
  explicit SimTasks(SimPlatform::State& state) : state_(state) {}

  long RegisterTask(const std::string& name, const std::string& xml, const std::string& userId,
                    int logonType) override;
  long GetTaskXml(const std::string& name, std::string* xml) override;
  long DeleteTask(const std::string& name) override;

 private:
  SimPlatform::State& state_;
};

}  // namespace lw::sim
