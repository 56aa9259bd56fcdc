#pragma once
// The simulated registry (see SimRegistry.cpp for how it behaves).

#include <string>
#include <vector>

#include "platform/sim/SimState.h"

namespace lw::sim {

class SimRegistry : public IRegistry {
 public:
  explicit SimRegistry(SimPlatform::State& state) : state_(state) {}

  long OpenKeyEx(HKey parent, const std::string& subKey, std::uint32_t access,
                 HKey* result) override;
  long CreateKeyEx(HKey parent, const std::string& subKey, std::uint32_t access, HKey* result,
                   std::uint32_t* disposition) override;
  long CloseKey(HKey key) override;
  long FlushKey(HKey key) override;
  long QueryValueEx(HKey key, const std::string& name, std::uint32_t* type, void* data,
                    std::uint32_t* size) override;
  long SetValueEx(HKey key, const std::string& name, std::uint32_t type, const void* data,
                  std::uint32_t size) override;
  long DeleteValue(HKey key, const std::string& name) override;
  long DeleteKey(HKey parent, const std::string& subKey) override;
  long DeleteKeyEx(HKey parent, const std::string& subKey, std::uint32_t view) override;
  long EnumKeyEx(HKey key, std::uint32_t index, std::string* name) override;
  long EnumValue(HKey key, std::uint32_t index, std::string* name) override;
  long QueryInfoKey(HKey key, RegKeyInfo* info) override;
  long LoadKey(HKey root, const std::string& subKey, const std::string& file) override;
  long UnLoadKey(HKey root, const std::string& subKey) override;
  long SaveKey(HKey key, const std::string& file) override;
  long ConnectRegistry(const std::string& machine, HKey root, HKey* result) override;

 private:
  // What a handle stands for: a key of the stored trees, or the performance-data key.
  struct Target {
    std::shared_ptr<RegNode> node;
    std::uint32_t access = 0;
    bool performance = false;
  };
  long Resolve(HKey key, Target* target) const;
  // Puts the 32-bit view's "Wow6432Node" into a path that reaches below HKEY_LOCAL_MACHINE\SOFTWARE
  // when the access (or the process) asks for that view on 64-bit Windows.
  void Redirect(const RegNode& start, std::vector<std::string>* parts, std::uint32_t access) const;
  HKey NewHandle(std::shared_ptr<RegNode> node, std::uint32_t access);

  SimPlatform::State& state_;
};

}  // namespace lw::sim
