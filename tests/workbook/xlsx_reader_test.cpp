// .xlsx files as Excel, LibreOffice and libxlsxwriter write them, and the
// parts of the format a hand-made fixture shows best.
#include <gtest/gtest.h>
#include <xlsxwriter.h>

#include "support/sheet_dump.h"
#include "support/temp_dir.h"
#include "support/zip_writer.h"
#include "workbook/error.h"
#include "workbook/workbook.h"

namespace {

using test_support::DumpSheet;
using test_support::SheetNames;
using test_support::XlsxLayout;
using Rows = std::vector<std::vector<std::string>>;
using Names = std::vector<std::string>;

class XlsxReader : public ::testing::Test {
 protected:
  std::string Write(const XlsxLayout& layout) {
    const std::string path = (dir_.path() / "case.xlsx").string();
    test_support::WriteXlsx(path, layout);
    return path;
  }
  std::string WriteSimple(const std::string& sheetData, const std::string& sst = "") {
    XlsxLayout layout;
    layout.sheets = {{"Sheet1", sheetData, "", ""}};
    layout.sharedStrings = sst;
    return Write(layout);
  }
  TempDir dir_;
};

TEST_F(XlsxReader, ReadsWhatLibxlsxwriterWrites) {
  const std::string path = (dir_.path() / "real.xlsx").string();
  lxw_workbook* wb = workbook_new(path.c_str());
  lxw_worksheet* ws = workbook_add_worksheet(wb, "Ku band");
  lxw_format* date = workbook_add_format(wb);
  format_set_num_format(date, "yyyy-mm-dd hh:mm");
  worksheet_write_string(ws, 0, 0, "ProgName(SateName)", nullptr);
  worksheet_write_string(ws, 0, 1, "Fre(Longitude)", nullptr);
  worksheet_write_string(ws, 1, 0, "#中星6B", nullptr);
  worksheet_write_number(ws, 1, 1, 10600.9, nullptr);
  worksheet_write_boolean(ws, 2, 0, 1, nullptr);
  lxw_datetime when = {2014, 3, 6, 12, 0, 0};
  worksheet_write_datetime(ws, 2, 1, &when, date);
  worksheet_write_formula_num(ws, 3, 0, "=5000+150", nullptr, 5150);
  worksheet_write_formula_str(ws, 3, 1, "=\"V\"", nullptr, "V");
  ASSERT_EQ(workbook_close(wb), LXW_NO_ERROR);

  EXPECT_EQ(SheetNames(path), Names{"Ku band"});
  const auto dump = DumpSheet(path);
  EXPECT_EQ(dump.columns, (Names{"ProgName(SateName)", "Fre(Longitude)"}));
  EXPECT_EQ(dump.rows, (Rows{{"t:#中星6B", "n:10600.9"}, {"b:1", "d:41704.5"}, {"n:5150", "t:V"}}));
}

TEST_F(XlsxReader, StringsSharedInlineRichPhoneticAndEscaped) {
  const std::string sst =
      "<si><t>plain</t></si>"
      "<si><r><t>ri</t></r><r><rPr><b/></rPr><t>ch</t></r></si>"
      "<si><t>漢字</t><rPh sb=\"0\" eb=\"2\"><t>かんじ</t></rPh><phoneticPr fontId=\"1\"/></si>"
      "<si><t xml:space=\"preserve\"> a_x000D__x000A_b _x005F_x0041_ _xD83D__xDCE1_</t></si>";
  const auto path = WriteSimple(
      "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"s\"><v>1</v></c>"
      "<c r=\"C1\" t=\"s\"><v>2</v></c><c r=\"D1\" t=\"s\"><v>3</v></c></row>"
      "<row r=\"2\"><c r=\"A2\" t=\"inlineStr\"><is><t>in</t></is></c>"
      "<c r=\"B2\" t=\"inlineStr\"><is><r><t>li</t></r><r><t>ne</t></r></is></c>"
      "<c r=\"C2\" t=\"str\"><f>A2</f><v>formula_x0020_text</v></c>"
      "<c r=\"D2\" t=\"s\"><v></v></c></row>",
      sst);
  const auto dump = DumpSheet(path);
  EXPECT_EQ(dump.columns, (Names{"plain", "rich", "漢字", " a\r\nb _x0041_ \U0001F4E1"}));
  EXPECT_EQ(dump.rows, (Rows{{"t:in", "t:line", "t:formula text", ""}}));
}

TEST_F(XlsxReader, NumbersBooleansErrorsAndDatesByFormat) {
  XlsxLayout layout;
  layout.numFmts =
      "<numFmt numFmtId=\"164\" formatCode=\"[Red]&quot;Date: &quot;yyyy\\-mm\\-dd\"/>"
      "<numFmt numFmtId=\"165\" formatCode=\"&quot;d&quot;0.00\"/>"
      "<numFmt numFmtId=\"166\" formatCode=\"0.00E+00\"/>"
      "<numFmt numFmtId=\"167\" formatCode=\"[h]:mm\"/>"
      "<numFmt numFmtId=\"168\" formatCode=\"[$-409]General\"/>";
  layout.cellXfNumFmts = {0, 14, 164, 165, 166, 167, 168, 22};
  layout.sheets = {
      {"S",
       "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>h</t></is></c></row>"
       "<row r=\"2\"><c r=\"A2\"><v>12345</v></c><c r=\"B2\" t=\"n\"><v>-0.5</v></c>"
       "<c r=\"C2\" t=\"b\"><v>1</v></c><c r=\"D2\" t=\"b\"><v>0</v></c>"
       "<c r=\"E2\" t=\"e\"><v>#DIV/0!</v></c><c r=\"F2\" t=\"e\"><v>#N/A</v></c>"
       "<c r=\"G2\" t=\"d\"><v>2014-03-06T12:00:00</v></c></row>"
       "<row r=\"3\"><c r=\"A3\" s=\"1\"><v>41704</v></c><c r=\"B3\" s=\"2\"><v>41704.5</v></c>"
       "<c r=\"C3\" s=\"3\"><v>2</v></c><c r=\"D3\" s=\"4\"><v>3</v></c>"
       "<c r=\"E3\" s=\"5\"><v>1.5</v></c><c r=\"F3\" s=\"6\"><v>4</v></c>"
       "<c r=\"G3\" s=\"7\"><v>10</v></c><c r=\"H3\" s=\"99\"><v>5</v></c></row>",
       "<dimension ref=\"A1:H3\"/>", ""}};
  const auto dump = DumpSheet(Write(layout));
  EXPECT_EQ(dump.rows,
            (Rows{{"n:12345", "n:-0.5", "b:1", "b:0", "e:7", "e:42", "d:41704.5", ""},
                  {"d:41704", "d:41704.5", "n:2", "n:3", "d:2.5", "n:4", "d:11", "n:5"}}));
  EXPECT_EQ(dump.columns[1], "F2") << "an empty header cell is named F + its position";
}

TEST_F(XlsxReader, The1904DateSystemShiftsDates) {
  XlsxLayout layout;
  layout.date1904 = true;
  layout.cellXfNumFmts = {0, 14};
  layout.sheets = {
      {"S",
       "<row r=\"1\"><c r=\"A1\" s=\"1\"><v>0</v></c><c r=\"B1\" s=\"1\"><v>40242</v></c></row>"
       "<row r=\"2\"><c r=\"A2\" s=\"1\"><v>1</v></c></row>",
       "", ""}};
  const auto dump = DumpSheet(Write(layout));
  EXPECT_EQ(dump.columns, (Names{"1462", "41704"}));
  EXPECT_EQ(dump.rows, (Rows{{"d:1463", ""}}));
}

TEST_F(XlsxReader, RowsAndCellsWithoutReferencesFollowTheirPredecessors) {
  const auto dump = DumpSheet(WriteSimple(
      "<row><c t=\"inlineStr\"><is><t>a</t></is></c><c t=\"inlineStr\"><is><t>b</t></is></c></row>"
      "<row><c><v>1</v></c><c r=\"D2\"><v>4</v></c><c><v>5</v></c></row>"
      "<row r=\"5\"><c r=\"B5\"><v>2</v></c></row><row><c><v>6</v></c></row>"));
  EXPECT_EQ(dump.columns, (Names{"a", "b"}));
  EXPECT_EQ(dump.rows, (Rows{{"n:1", ""}, {"", ""}, {"", ""}, {"", "n:2"}, {"n:6", ""}}));
}

TEST_F(XlsxReader, HeaderIsTheFirstRowWithAValueAndTrailingEmptyRowsDoNotCount) {
  XlsxLayout layout;
  layout.sheets = {
      {"S",
       "<row r=\"1\" ht=\"20\"/><row r=\"3\"><c r=\"C3\" t=\"inlineStr\"><is><t>x</t></is></c>"
       "<c r=\"D3\" s=\"0\"/></row>"
       "<row r=\"4\"><c r=\"B4\"><v>1</v></c></row><row r=\"7\"><c r=\"C7\"><v>2</v></c></row>"
       "<row r=\"8\"><c r=\"C8\" s=\"0\"/></row><row r=\"9\" ht=\"20\"/>",
       "<dimension ref=\"B1:E9\"/>", ""}};
  const auto dump = DumpSheet(Write(layout));
  EXPECT_EQ(dump.columns, (Names{"F1", "x", "F3", "F4"}));
  EXPECT_EQ(dump.rows,
            (Rows{{"n:1", "", "", ""}, {"", "", "", ""}, {"", "", "", ""}, {"", "n:2", "", ""}}));
}

TEST_F(XlsxReader, StrictNamespacesAndAbsoluteTargets) {
  XlsxLayout layout;
  layout.strict = true;
  layout.absoluteTargets = true;
  layout.sheets = {{"Strict",
                    "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c></row><row r=\"2\"><c "
                    "r=\"A2\"><v>7</v></c></row>",
                    "", ""}};
  layout.sharedStrings = "<si><t>head</t></si>";
  const auto path = Write(layout);
  EXPECT_EQ(SheetNames(path), Names{"Strict"});
  EXPECT_EQ(DumpSheet(path).rows, Rows{{"n:7"}});
}

TEST_F(XlsxReader, SheetsInWorkbookOrderHiddenIncludedChartSheetsLeftOut) {
  XlsxLayout layout;
  layout.sheets = {{"Zeta", "", "", ""}, {"Alpha", "", "", "hidden"}};
  layout.extraSheets = "<sheet name=\"Chart1\" sheetId=\"9\" r:id=\"rIdC\"/>";
  layout.extraWorkbookRels =
      "<Relationship Id=\"rIdC\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
      "relationships/chartsheet\" Target=\"chartsheets/sheet1.xml\"/>";
  EXPECT_EQ(SheetNames(Write(layout)), (Names{"Zeta", "Alpha"}));
}

TEST_F(XlsxReader, EmptySheetHasNoColumnsAndNoRows) {
  const auto dump = DumpSheet(WriteSimple(""));
  EXPECT_TRUE(dump.columns.empty());
  EXPECT_TRUE(dump.rows.empty());
}

}  // namespace
