#include "util/Csv.h"

namespace lw {

std::string CsvField(const std::string& text) {
  const bool quote = text.find_first_of(",\"\r\n") != std::string::npos ||
                     (!text.empty() && (text.front() == ' ' || text.back() == ' '));
  if (!quote) return text;
  std::string field = "\"";
  for (const char c : text) {
    if (c == '"') field += '"';
    field += c;
  }
  return field + "\"";
}

std::string CsvRecord(const std::vector<std::string>& fields) {
  std::string record;
  for (std::size_t index = 0; index < fields.size(); ++index) {
    if (index > 0) record += ',';
    record += CsvField(fields[index]);
  }
  return record + "\r\n";
}

}  // namespace lw
