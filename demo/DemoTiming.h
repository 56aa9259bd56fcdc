#pragma once
// When the demo items started: the demo program's log read back, shown against the logon's
// start and Launchward's "-go" start, and checked against the order Launchward keeps.

#include <cstdint>
#include <string>
#include <vector>

namespace lw::demo {

struct ItemStart {
  std::string name;
  std::int64_t ms = 0;  // MillisecondsOf the logged time
};

// The log's lines in the order they were written; raises Error for a line of another form.
// Empty when there is no log.
std::vector<ItemStart> ReadStarts(const std::string& logPath);
// Reads the log until it holds count lines or the time is up (the last item may still be
// starting when Launchward ends).
std::vector<ItemStart> WaitForStarts(const std::string& logPath, std::size_t count,
                                     std::uint32_t timeoutMs);

struct LogonTimes {
  std::int64_t logonStartMs = 0;
  std::int64_t goStartMs = 0;
};

// Prints when each item started; then raises Error unless every name of expectedOrder started
// exactly once, in that order, nothing else started, and nothing before "-go".
void ReportStarts(const std::vector<ItemStart>& starts, const LogonTimes& times,
                  const std::vector<std::string>& expectedOrder);

}  // namespace lw::demo
