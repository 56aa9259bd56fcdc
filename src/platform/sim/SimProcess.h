#pragma once
// The simulated processes: how CreateProcess finds the program a command line names, and what
// starting a file does (staged failures, the start cost on the clock, the record, the
// handles). SimSystem::CreateProcess and SimShell::ShellExecute are built on it; see
// SimProcess.cpp for the rules and the Windows (Wine) behaviour they copy.

#include <cstdint>
#include <string>

#include "platform/sim/SimState.h"

namespace lw::sim {

// Error codes of process starts that the program itself never names.
inline constexpr std::uint32_t kErrorNoAssociation = 1155;

// More than one priority class among the creation flags.
bool HasSeveralPriorityClasses(std::uint32_t creationFlags);

// A program file: an existing file (not a folder) whose name ends in ".exe", ".com", ".bat"
// or ".cmd".
bool IsProgramFile(const FileNode& node);

// The file the name stands for when it is looked up as SearchPath does for CreateProcess:
// ".exe" tried first when the last name has no extension; a name with a folder (or a drive)
// taken from the current folder alone; a bare name searched in the executable's folder, the
// current folder, the system folder, the Windows folder and the folders of %PATH%. Folders
// count as found. Null when nothing is there.
FileNode* SearchProgramName(SimPlatform::State& state, const std::string& name);

// The program a CreateProcess command line names: kErrorSuccess with *program set, or the error
// CreateProcess gives.
std::uint32_t FindProgram(SimPlatform::State& state, const std::string& commandLine,
                          FileNode** program);

// Every CreateProcess and ShellExecute call takes the staged start time on the clock: the
// program starts at the moment of the call, and the call returns that much later, whether or
// not it started anything. One of these lives for the length of each call.
class StartCostScope {
 public:
  explicit StartCostScope(SimPlatform::State& state) : state_(state) {}
  ~StartCostScope() { state_.clock.now += state_.processes.startCost; }
  StartCostScope(const StartCostScope&) = delete;
  StartCostScope& operator=(const StartCostScope&) = delete;

 private:
  SimPlatform::State& state_;
};

// Starts the file (a program, or a document the shell opens): a failure staged for it gives
// its error; otherwise the start is recorded with the clock and, when info is not null, a
// process and a thread handle are handed out in *info. Returns kErrorSuccess or the error.
std::uint32_t StartImage(SimPlatform::State& state, const FileNode& image,
                         const std::string& commandLine, std::uint32_t creationFlags,
                         ProcessInformation* info);

}  // namespace lw::sim
