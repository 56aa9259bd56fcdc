#pragma once
// The system message table of the simulated Windows (English texts, as FormatMessage gives
// them, each ending in CR LF).

#include <cstdint>
#include <string>

namespace lw::sim {

// False for a code the table does not hold.
bool SystemMessageText(std::uint32_t code, std::string* text);

}  // namespace lw::sim
