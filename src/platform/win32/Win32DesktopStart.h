#pragma once
// Starting a file through the desktop's Explorer (see IShell::ShellExecuteThroughDesktop).

#include <string>

namespace lw {

long ShellExecuteThroughDesktop(const std::string& verb, const std::string& file,
                                const std::string& parameters, const std::string& directory,
                                int showCommand);

}  // namespace lw
