// The same workbook saved by LibreOffice as .xlsx, .xls and .ods reads the same.
#include <gtest/gtest.h>

#include "support/sheet_dump.h"

namespace {

using Rows = std::vector<std::vector<std::string>>;

const std::string kData = ZEMBRA_TEST_DATA;

TEST(FormatParity, XlsxXlsAndOdsGiveTheSameCells) {
  for (const char* file : {"/parity.xlsx", "/parity.xls", "/parity.ods"}) {
    SCOPED_TRACE(file);
    EXPECT_EQ(test_support::SheetNames(kData + file),
              (std::vector<std::string>{"Cases", "Second sheet"}));
    const auto dump = test_support::DumpSheet(kData + file);
    EXPECT_EQ(dump.columns, (std::vector<std::string>{"Case", "Value", "Extra"}));
    const Rows expected = {
        {"t:integer", "n:12345", ""},
        {"t:fraction", "n:10600.9", ""},
        {"t:negative", "n:-0.5", ""},
        {"t:text", "t:#Astra 19.2E", ""},
        {"t:chinese", "t:#中星6B", ""},
        {"t:accents", "t:Türksat 4A – Ku", ""},
        {"t:spaces", "t:  two  spaces  ", ""},
        {"t:true", "b:1", ""},
        {"t:false", "b:0", ""},
        {"t:date", "d:41704", ""},
        {"t:datetime", "d:41704.52083", ""},
        {"t:formula", "n:10600", ""},
        {"t:formula text", "t:#SatA", ""},
        {"t:formula bool", "b:1", ""},
        {"t:error", "e:7", ""},
        {"t:na", "e:42", ""},
        {"", "", ""},
        {"t:after empty", "", "n:7"},
    };
    EXPECT_EQ(dump.rows, expected);
    EXPECT_EQ(test_support::DumpSheet(kData + file, 1).rows, Rows{{"n:1"}});
  }
}

}  // namespace
