#pragma once
// Comma-separated values as spreadsheets and scripts read them: a field that holds a comma, a
// double quote, a line break or a blank at either end goes in double quotes, with every double
// quote in it doubled; records end with CRLF. Text is UTF-8; a file begins with the byte-order
// mark, without which Excel would read it in the system's code page.

#include <string>
#include <vector>

namespace lw {

inline constexpr char kUtf8ByteOrderMark[] = "\xEF\xBB\xBF";

std::string CsvField(const std::string& text);
// The fields joined by commas, and CRLF.
std::string CsvRecord(const std::vector<std::string>& fields);

}  // namespace lw
