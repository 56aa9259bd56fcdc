#include "util/CommandLine.h"

#include "util/ExecutablePath.h"
#include "util/Text.h"

namespace lw {

CommandParts SplitProgram(const std::string& command) {
  CommandParts parts;
  std::string line = TrimBlanks(command);
  if (!line.empty() && line.front() == '"') {
    std::string::size_type close = line.find('"', 1);
    if (close != std::string::npos) {
      parts.program = line.substr(1, close - 1);
      parts.arguments = TrimBlanks(line.substr(close + 1));
      parts.quoted = true;
      return parts;
    }
    line.erase(0, 1);
  }
  parts.program = ExtractExePath(line);
  if (parts.program.empty()) parts.program = line.substr(0, line.find(' '));
  parts.arguments = TrimBlanks(line.substr(parts.program.size()));
  return parts;
}

std::string JoinProgram(const std::string& program, const std::string& arguments, bool quote) {
  std::string line =
      quote || program.find(' ') != std::string::npos ? "\"" + program + "\"" : program;
  if (!arguments.empty()) line += " " + arguments;
  return line;
}

std::string QuoteProgramPart(const std::string& command) {
  const CommandParts parts = SplitProgram(command);
  if (parts.quoted || parts.program.find(' ') == std::string::npos) return command;
  return JoinProgram(parts.program, parts.arguments, true);
}

}  // namespace lw
