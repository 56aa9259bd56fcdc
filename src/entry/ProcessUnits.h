#pragma once
// The process-wide units, set up before any window exists and released at exit in reverse
// order: the hive privileges, the shared settings registry with the CPU extremes, the special
// paths, the error log file name, the processor-load reader, the item manager. A test brings a
// clean process state up and down with them.

namespace lw {

void InitializeProcessUnits();
void FinalizeProcessUnits();

}  // namespace lw
