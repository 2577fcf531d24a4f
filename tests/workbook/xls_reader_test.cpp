// BIFF records as Excel writes them, each shown by a crafted workbook.
#include <gtest/gtest.h>

#include "support/biff_writer.h"
#include "support/sheet_dump.h"
#include "support/temp_dir.h"
#include "workbook/error.h"

namespace {

using namespace test_support;
using Rows = std::vector<std::vector<std::string>>;
using Names = std::vector<std::string>;

std::string Cell(std::uint16_t row, std::uint16_t col, std::uint16_t xf = 0) {
  return U16(row) + U16(col) + U16(xf);
}

class XlsReader : public ::testing::Test {
 protected:
  std::string Write(const std::string& stream, const std::string& streamName = "Workbook") {
    const std::string path = (dir_.path() / "case.xls").string();
    WriteOle2(path, streamName, stream);
    return path;
  }
  TempDir dir_;
};

TEST_F(XlsReader, CellRecordsOfEveryKind) {
  BiffStream globals;
  globals.Record(0x041E, U16(164) + U16(10) + U8(0) + "yyyy-mm-dd");  // FORMAT
  globals.Record(0x00E0, U16(0) + U16(0) + std::string(16, '\0'));    // XF 0: General
  globals.Record(0x00E0, U16(0) + U16(164) + std::string(16, '\0'));  // XF 1: custom date
  globals.Record(0x00E0, U16(0) + U16(14) + std::string(16, '\0'));   // XF 2: built-in date
  globals.Record(0x00FC, U32(2) + U32(2) + Biff8String("Case") + Biff8String("Value"));  // SST
  BiffStream sheet;
  sheet.Record(0x0200, U32(0) + U32(4) + U16(0) + U16(4));  // DIMENSIONS: A..D
  sheet.Record(0x00FD, Cell(0, 0) + U32(0)).Record(0x00FD, Cell(0, 1) + U32(1));
  sheet.Record(0x0203, Cell(1, 0) + F64(10600.9));                                 // NUMBER
  sheet.Record(0x027E, Cell(1, 1) + U32((5150u << 2) | 2));                        // RK integer
  sheet.Record(0x00BD, U16(2) + U16(0) + U16(0) + U32((123u << 2) | 3) + U16(2) +  // MULRK
                           U32(0x40E45D00u) + U16(1));  // 1.23 and the double 41704 as a date
  sheet.Record(0x0205, Cell(2, 2) + U8(1) + U8(0));     // BOOLERR true
  sheet.Record(0x0205, Cell(2, 3) + U8(0x07) + U8(1));  // BOOLERR #DIV/0!
  const std::string stringResult = U8(0) + U8(0) + U8(0) + U8(0) + U8(0) + U8(0) + U16(0xFFFF);
  sheet.Record(0x0006, Cell(3, 0) + stringResult + U16(0) + U32(0) + U16(0));  // FORMULA -> text
  sheet.Record(0x04BC, std::string(8, '\0'));  // a shared formula between FORMULA and STRING
  sheet.Record(0x0207, Biff8String("#Sat"));   // STRING
  sheet.Record(0x0006, Cell(3, 1, 2) + F64(41704.5) + U16(0) + U32(0) + U16(0));  // FORMULA -> date
  sheet.Record(0x0006, Cell(3, 2) + U8(1) + U8(0) + U8(1) + U8(0) + U8(0) + U8(0) + U16(0xFFFF) +
                           U16(0) + U32(0) + U16(0));  // FORMULA -> boolean
  sheet.Record(0x0006, Cell(3, 3) + U8(3) + std::string(5, '\0') + U16(0xFFFF) + U16(0) + U32(0) +
                           U16(0));                         // FORMULA -> empty string
  sheet.Record(0x0201, Cell(4, 0));                         // BLANK
  sheet.Record(0x0204, Cell(5, 0) + Biff8String("label"));  // LABEL
  const auto path = Write(Biff8Workbook(globals.bytes(), "Cells", sheet.bytes()));
  EXPECT_EQ(SheetNames(path), Names{"Cells"});
  const auto dump = DumpSheet(path);
  EXPECT_EQ(dump.columns, (Names{"Case", "Value", "F3", "F4"}));
  EXPECT_EQ(dump.rows, (Rows{{"n:10600.9", "n:5150", "", ""},
                             {"n:1.23", "d:41704", "b:1", "e:7"},
                             {"t:#Sat", "d:41704.5", "b:1", ""},
                             {"", "", "", ""},
                             {"t:label", "", "", ""}}));
}

TEST_F(XlsReader, SharedStringsSplitAcrossContinueRecords) {
  // "ABCDEF": three 8-bit characters, then a CONTINUE that starts with a new
  // flags byte and carries the rest as 16-bit characters; then "中星" whole
  // in the CONTINUE, and a rich string whose runs cross the next boundary.
  BiffStream globals;
  globals.Record(0x00FC, U32(3) + U32(3) + U16(6) + U8(0) + "ABC");
  globals.Record(0x003C, U8(1) + U16('D') + U16('E') + U16('F') + U16(2) + U8(1) + U16(0x4E2D) +
                             U16(0x661F) + U16(1) + U8(0x08) + U16(1) + "x" + U16(0));
  globals.Record(0x003C, U16(0));  // the rest of the rich-text run
  BiffStream sheet;
  sheet.Record(0x00FD, Cell(0, 0) + U32(0)).Record(0x00FD, Cell(0, 1) + U32(1));
  sheet.Record(0x00FD, Cell(0, 2) + U32(2));
  const auto dump = DumpSheet(Write(Biff8Workbook(globals.bytes(), "S", sheet.bytes())));
  EXPECT_EQ(dump.columns, (Names{"ABCDEF", "中星", "x"}));
}

TEST_F(XlsReader, DateMode1904) {
  BiffStream globals;
  globals.Record(0x0022, U16(1));
  globals.Record(0x00E0, U16(0) + U16(14) + std::string(16, '\0'));
  BiffStream sheet;
  sheet.Record(0x0203, Cell(0, 0) + F64(0));
  EXPECT_EQ(DumpSheet(Write(Biff8Workbook(globals.bytes(), "S", sheet.bytes()))).columns,
            Names{"1462"});
}

TEST_F(XlsReader, Biff5WithItsCodePage) {
  // Excel 95: byte strings in the workbook's code page (here 1251, Cyrillic).
  const std::string bof = U16(0x0500) + U16(0x0005) + U32(0);
  BiffStream globals;
  globals.Record(0x0809, bof);
  globals.Record(0x0042, U16(1251));
  const std::size_t patchAt = globals.size() + 4;
  globals.Record(0x0085, U32(0) + U8(0) + U8(0) + U8(4) + "\xCB\xE8\xF1\xF2");  // "Лист"
  globals.Record(0x000A, "");
  globals.bytes().replace(patchAt, 4, U32(static_cast<std::uint32_t>(globals.size())));
  BiffStream sheet;
  sheet.Record(0x0809, U16(0x0500) + U16(0x0010) + U32(0));
  sheet.Record(0x0204, Cell(0, 0) + U16(5) + "\xD1\xEF\xF3\xF2\xED");  // "Спутн"
  sheet.Record(0x000A, "");
  const auto path = Write(globals.bytes() + sheet.bytes(), "Book");
  EXPECT_EQ(SheetNames(path), Names{"Лист"});
  EXPECT_EQ(DumpSheet(path).columns, Names{"Спутн"});
}

TEST_F(XlsReader, ChartSheetsAreLeftOutAndEmbeddedChartsSkipped) {
  BiffStream sheet;
  sheet.Record(0x0809, U16(0x0600) + U16(0x0020) + std::string(12, '\0'));  // embedded chart
  sheet.Record(0x0203, Cell(0, 5) + F64(99));  // a chart's own record, not a cell of the sheet
  sheet.Record(0x000A, "");
  sheet.Record(0x0203, Cell(0, 0) + F64(1));
  BiffStream globals;
  globals.Record(0x0085, U32(0) + U8(0) + U8(2) + Biff8String("Chart1", false));
  const auto path = Write(Biff8Workbook(globals.bytes(), "Data", sheet.bytes()));
  EXPECT_EQ(SheetNames(path), Names{"Data"});
  EXPECT_EQ(DumpSheet(path).columns, Names{"1"});
}

}  // namespace
