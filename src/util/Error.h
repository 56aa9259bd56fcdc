#pragma once
// The program's one error class: a failure inside the store or the registry layer, carrying
// the text that the user is shown. Window event dispatch catches it and shows the text in a
// message box; the window stays open.

#include <stdexcept>
#include <string>

namespace lw {

class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace lw
