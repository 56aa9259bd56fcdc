#include "util/Console.h"

namespace lw {

namespace {

IConsole*& Installed() {
  static IConsole* console = nullptr;
  return console;
}

}  // namespace

IConsole* InstallConsole(IConsole* console) {
  IConsole* before = Installed();
  Installed() = console;
  return before;
}

void ToConsole(const std::string& bytes) {
  if (Installed() != nullptr) Installed()->Write(bytes);
}

}  // namespace lw
