#pragma once
// The environment that the programs this process starts inherit (Windows only: the
// simulation records its starts itself and needs no variable).

#include <string>

namespace lw::bench {

// Sets (or, with an empty value, removes) a variable of this process's environment.
void SetChildEnvironment(const std::string& name, const std::string& value);

}  // namespace lw::bench
