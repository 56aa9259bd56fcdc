// Fields as spreadsheets and scripts read them back.

#include "util/Csv.h"

#include <gtest/gtest.h>

namespace lw::test {
namespace {

TEST(CsvTest, FieldsAreQuotedOnlyWhenTheyMustBe) {
  struct Case {
    const char* text;
    const char* field;
  };
  const Case cases[] = {
      {"", ""},
      {"Tool", "Tool"},
      {"C:\\Program Files\\x.exe /a", "C:\\Program Files\\x.exe /a"},
      {"a,b", "\"a,b\""},
      {"Say \"hi\"", "\"Say \"\"hi\"\"\""},
      {"two\r\nlines", "\"two\r\nlines\""},
      {"one\nline", "\"one\nline\""},
      {" padded ", "\" padded \""},
      {"Caf\xC3\xA9", "Caf\xC3\xA9"},
  };
  for (const Case& c : cases) EXPECT_EQ(CsvField(c.text), c.field) << c.text;
}

TEST(CsvTest, ARecordEndsWithCrLf) { EXPECT_EQ(CsvRecord({"a", "b,c", ""}), "a,\"b,c\",\r\n"); }

}  // namespace
}  // namespace lw::test
