#pragma once
// The machine of the logon benchmark (Windows only): Launchward and the stand-in programs in
// folders of their own under %TEMP%, the twelve stand-ins stored as Launchward's managed items
// (as the take-over leaves them), and what the runner learns per user, forgotten or put back
// between logons. Undone when it goes: the program's keys, the Run and RunOnce values a run
// wrote, the folder.

#include <cstdint>
#include <string>
#include <vector>

namespace lw::bench {

// A stand-in start-up program: its work (see lwstandin.cpp) and whether it stays alive.
struct StandIn {
  const char* name;
  int cpuMs;
  int diskMb;
  int memoryMb;
  bool stays;
};

// The fixed mix, in the order of the Run key.
const std::vector<StandIn>& StandInMix();

// A registry tree as it was: values (name, type, data) and sub-keys.
struct KeySnapshot {
  struct Value {
    std::string name;
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
  };
  std::string path;  // below HKEY_CURRENT_USER
  std::vector<Value> values;
  std::vector<KeySnapshot> keys;
};

class LogonStage {
 public:
  // The build tree's programs: launchward.exe, lwstandin.exe and lwresponse.exe.
  LogonStage(const std::string& launchward, const std::string& standIn, const std::string& probe);
  ~LogonStage();
  LogonStage(const LogonStage&) = delete;
  LogonStage& operator=(const LogonStage&) = delete;

  std::string LaunchwardCommand() const;  // "-go", the second phase of a logon
  const std::string& LaunchwardFolder() const { return launchwardFolder_; }
  std::string ItemCommand(const StandIn& item) const;
  std::string ProbeCommand(const std::string& output, std::uint32_t rounds) const;
  const std::string& Folder() const { return root_; }
  const std::string& WorkLog() const { return workLog_; }

  // A first logon: nothing learnt for this user.
  void ForgetLearning();
  KeySnapshot SaveLearning() const;
  void RestoreLearning(const KeySnapshot& learnt);

  // Ends the stand-ins that stay (the end-of-logon event), waits until no stand-in runs (ending
  // any that would not), and empties the work log: the next logon starts cold.
  void EndLogon();

 private:
  std::string root_;
  std::string launchwardFolder_;
  std::string launchward_;
  std::string standIn_;
  std::string probe_;
  std::string workLog_;
  void* endEvent_ = nullptr;
};

}  // namespace lw::bench
