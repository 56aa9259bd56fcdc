#pragma once
// File helpers of the benchmarks that stage a machine in a folder of their own.

#include <string>

namespace lw::bench {

// Deletes a file, or a folder with everything in it; nothing when the path does not exist.
void RemoveTree(const std::string& path);

// The program's keys under both roots and its Run and RunOnce values: what a run leaves behind.
void ClearProgramState();

}  // namespace lw::bench
