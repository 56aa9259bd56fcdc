#pragma once
// Reads CSV text the way a script's CSV reader does (RFC 4180: fields split by commas, records
// ended by CRLF, quoted fields may hold commas, doubled quotes and line breaks). The text ends
// with a CRLF; a byte order mark is the caller's to strip.

#include <string>
#include <vector>

namespace lw::test {

inline std::vector<std::vector<std::string>> ParseCsv(const std::string& text) {
  std::vector<std::vector<std::string>> records(1);
  std::string field;
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        field += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      records.back().push_back(field);
      field.clear();
    } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      records.back().push_back(field);
      field.clear();
      records.emplace_back();
      ++i;
    } else {
      field += c;
    }
  }
  records.pop_back();  // after the last CRLF
  return records;
}

}  // namespace lw::test
