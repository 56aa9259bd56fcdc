#pragma once
// The audit of what a PC starts: every item the program keeps, one record each, for the
// "-list" command. Reading only: no lock, no write, no right beyond reading the store (a
// standard user may run it beside a logon or an open edit window).

#include <string>
#include <vector>

namespace lw {

// The fields of a record, in order (the CSV's header).
const std::vector<std::string>& AuditFields();

// Run-key items first (the run order, then disabled, then excluded), then shortcuts (the start
// order, then disabled, then excluded). A field that cannot be read is left empty.
std::vector<std::vector<std::string>> AuditRecords();

// The whole CSV: the byte-order mark, the header and a record per item.
std::string AuditCsv();

}  // namespace lw
