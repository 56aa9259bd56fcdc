#pragma once
// The organisation's policies: values that an administrator (Group Policy, Intune, a script
// run as SYSTEM) writes under HKEY_LOCAL_MACHINE\SOFTWARE\Policies\Tallowmere\Launchward. They
// override the options and the default pauses, and add rules of their own: only administrators
// may open Edit and Restore, a list of Run values and shortcuts that are never taken over, and
// a list of items that always start first.
//
// Only the machine's hive is read, never the user's: a standard user can write their own
// SOFTWARE\Policies, and must not be able to steer what the program does with everyone's
// start-up items. The policies are read once per run of the program (ReloadPolicies, at the
// start); a value of the wrong type or out of range is left out as if it were not there, with a
// line in the error log, so that bad data never applies half a setting.
//
// PolicyValues() is the one table of every value read below the key; the administrative
// template shipped beside the program (policy/launchward.admx) names exactly these.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace lw {

inline constexpr char kOrganisationPolicyKey[] = "\\SOFTWARE\\Policies\\Tallowmere\\Launchward";

// Policies of their own (the options' policies bear the names in PolicyValues()).
inline constexpr char kPolicyAdminOnlyEditRestore[] = "AdministratorsOnlyEditRestore";
// Sub-keys whose string values, whatever their names, are the list's entries.
inline constexpr char kPolicyNeverTakeOver[] = "NeverTakeOver";
inline constexpr char kPolicyStartFirst[] = "StartFirst";

enum class PolicyType {
  kNumber,  // a REG_DWORD value in the policy key, within [minimum, maximum]
  kList,    // a sub-key of the policy key whose REG_SZ values are the entries
};

struct PolicyValue {
  const char* name;  // the value's name, or the list's sub-key
  PolicyType type;
  std::int32_t minimum;
  std::int32_t maximum;
  // The option control it overrides (a check box: 0 unchecked, 1 checked; an edit: its
  // number); empty for a rule of its own.
  const char* option;
};

// Every value the program reads below kOrganisationPolicyKey.
const std::vector<PolicyValue>& PolicyValues();

class Policies {
 public:
  // The number of a kNumber policy; false when it is not set (or was left out as bad).
  bool Number(const std::string& name, std::int32_t* value) const;
  // The entries of a kList policy, in the order of their value names (empty when not set).
  const std::vector<std::string>& List(const std::string& name) const;
  // The option's value set by a policy (see PolicyValue::option); false when none sets it.
  bool OptionValue(const std::string& option, std::int32_t* value) const;
  bool SetsOption(const std::string& option) const;

  // The policy key read afresh; bad values are logged and left out.
  static Policies Read();

 private:
  std::map<std::string, std::int32_t> numbers_;
  std::map<std::string, std::vector<std::string>> lists_;
};

// The policies this run of the program follows: read once, with the options (CreateOptions
// reads them, FreeOptions forgets them; none apply outside that span). ReloadPolicies reads
// them again (a test that plants values).
const Policies& SharedPolicies();
void ReloadPolicies();
void ForgetPolicies();

// Edit and Restore are for administrators only by policy, and the account the program acts for
// is not an administrator (a member of the Administrators group).
bool PolicyKeepsEditAndRestoreFromUser();
inline constexpr char kMsgPolicyAdminsOnly[] =
    "Your organisation allows only administrators to open Edit and Restore.";

// A Run value's or a shortcut's name in the never-take-over list (a shortcut matches by its file
// name, with or without ".lnk"); compared as Windows compares names.
bool PolicyNeverTakesOver(const std::string& name);

}  // namespace lw
