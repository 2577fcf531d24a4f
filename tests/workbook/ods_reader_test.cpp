// OpenDocument spreadsheets: what content.xml can say, and what it must not
// be able to do.
#include <gtest/gtest.h>

#include "support/sheet_dump.h"
#include "support/temp_dir.h"
#include "support/zip_writer.h"
#include "workbook/error.h"
#include "workbook/table.h"

namespace {

using test_support::DumpSheet;
using test_support::SheetNames;
using Rows = std::vector<std::vector<std::string>>;
using Names = std::vector<std::string>;

class OdsReader : public ::testing::Test {
 protected:
  // An .ods whose spreadsheet holds the given tables (their XML).
  std::string Write(const std::string& tables) {
    const std::string path = (dir_.path() / "case.ods").string();
    test_support::WriteZip(
        path,
        {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
         {"content.xml",
          "<?xml version=\"1.0\"?><office:document-content "
          "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
          "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
          "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
          "xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\" "
          "xmlns:calcext=\"urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0\">"
          "<office:body><office:spreadsheet>" +
              tables + "</office:spreadsheet></office:body></office:document-content>"}});
    return path;
  }
  TempDir dir_;
};

std::string Cell(const std::string& attributes, const std::string& content = "") {
  return "<table:table-cell " + attributes + ">" + content + "</table:table-cell>";
}
std::string Text(const std::string& text) {
  return Cell("office:value-type=\"string\"", "<text:p>" + text + "</text:p>");
}

TEST_F(OdsReader, ValueTypesAndTexts) {
  const auto path = Write(
      "<table:table table:name=\"Kinds\"><table:table-row>" +
      Cell("office:value-type=\"string\" table:number-columns-repeated=\"9\"",
           "<text:p>h</text:p>") +
      "</table:table-row><table:table-row>" +
      Cell("office:value-type=\"float\" office:value=\"10600.9\"", "<text:p>10,600.90</text:p>") +
      Cell("office:value-type=\"percentage\" office:value=\"0.25\"") +
      Cell("office:value-type=\"currency\" office:currency=\"EUR\" office:value=\"-3.5\"") +
      Cell("office:value-type=\"date\" office:date-value=\"2014-03-06T12:00:00\"") +
      Cell("office:value-type=\"time\" office:time-value=\"PT18H00M00S\"") +
      Cell("office:value-type=\"boolean\" office:boolean-value=\"true\"") +
      Cell("table:formula=\"of:=1/0\" office:value-type=\"string\" office:string-value=\"\" "
           "calcext:value-type=\"error\"",
           "<text:p>#DIV/0!</text:p>") +
      Cell("table:formula=\"of:=NA()\"", "<text:p>#N/A</text:p>") +
      Cell("table:formula=\"of:=&quot;a&quot;\" office:value-type=\"string\" "
           "office:string-value=\"#Sat\"",
           "<text:p>shown</text:p>") +
      "</table:table-row></table:table>");
  EXPECT_EQ(SheetNames(path), Names{"Kinds"});
  EXPECT_EQ(DumpSheet(path).rows, (Rows{{"n:10600.9", "n:0.25", "n:-3.5", "d:41704.5", "d:0.75",
                                         "b:1", "e:7", "e:42", "t:#Sat"}}));
}

TEST_F(OdsReader, TextWithSpacesTabsLineBreaksParagraphsButNoComments) {
  const auto path =
      Write("<table:table table:name=\"T\"><table:table-row>" +
            Cell("office:value-type=\"string\"",
                 "<text:p>a<text:s/>b<text:s text:c=\"3\"/>c<text:tab/>d<text:line-break/>e "
                 "<text:span>span</text:span></text:p><text:p>second</text:p>"
                 "<office:annotation><text:p>a comment</text:p></office:annotation>") +
            Text("中星 &amp; Türksat") + "</table:table-row></table:table>");
  EXPECT_EQ(DumpSheet(path).columns, (Names{"a b   c\td\ne span\nsecond", "中星 & Türksat"}));
}

TEST_F(OdsReader, RepeatedRowsAndColumnsCostNothingWhileEmpty) {
  const std::string wideEmpty = "<table:table-cell table:number-columns-repeated=\"16384\"/>";
  const auto path = Write(
      "<table:table table:name=\"Hidden\" table:display=\"false\" table:protected=\"true\">"
      "<table:table-row table:number-rows-repeated=\"2\">" +
      wideEmpty +
      "</table:table-row>"
      "<table:table-row>" +
      Cell("table:number-columns-repeated=\"2\"") + Text("x") + Text("y") +
      "</table:table-row>"
      "<table:table-row>" +
      Cell("table:number-columns-repeated=\"3\"") +
      Cell("office:value-type=\"float\" office:value=\"7\" table:number-columns-repeated=\"2\"") +
      wideEmpty +
      "</table:table-row>"
      "<table:table-row table:number-rows-repeated=\"3\">" +
      Cell("") + wideEmpty +
      "</table:table-row>"
      "<table:table-row table:number-rows-repeated=\"2\">" +
      Cell("table:number-columns-repeated=\"2\"") +
      Cell("office:value-type=\"float\" office:value=\"1\"") +
      "</table:table-row>"
      "<table:table-row table:number-rows-repeated=\"1048000\">" +
      wideEmpty +
      "</table:table-row>"
      "</table:table>");
  EXPECT_EQ(SheetNames(path), Names{"Hidden"});
  const auto dump = DumpSheet(path);
  EXPECT_EQ(dump.columns, (Names{"x", "y"}));
  EXPECT_EQ(dump.rows, (Rows{{"", "n:7"}, {"", ""}, {"", ""}, {"", ""}, {"n:1", ""}, {"n:1", ""}}));
}

TEST_F(OdsReader, CoveredCellsAndTablesInDrawingsAreNoSheets) {
  const auto path = Write(
      "<table:table table:name=\"Merged\"><table:table-row>" +
      Cell("table:number-columns-spanned=\"2\" office:value-type=\"string\"",
           "<text:p>wide</text:p><draw:frame><table:table table:name=\"inner\"/></draw:frame>") +
      "<table:covered-table-cell/>" + Text("next") +
      "</table:table-row></table:table>"
      "<table:table table:name=\"Second\"/>");
  EXPECT_EQ(SheetNames(path), (Names{"Merged", "Second"}));
  EXPECT_EQ(DumpSheet(path).columns, (Names{"wide", "F2", "next"}));
}

TEST_F(OdsReader, HostileContentEndsInAnErrorOrCostsNothing) {
  struct Case {
    const char* name;
    std::string tables;
    const char* mentions;
  };
  const std::string huge = Cell(
      "office:value-type=\"float\" office:value=\"1\" table:number-columns-repeated=\"16384\"");
  const Case cases[] = {
      {"a repeated value in every cell of a million rows",
       "<table:table table:name=\"T\"><table:table-row table:number-rows-repeated=\"1048576\">" +
           huge + "</table:table-row></table:table>",
       "repeats its cells"},
      {"a number that is none",
       "<table:table table:name=\"T\"><table:table-row>" +
           Cell("office:value-type=\"float\" office:value=\"1e\"") +
           "</table:table-row></table:table>",
       "a number cell holds '1e'"},
      {"a date that is none",
       "<table:table table:name=\"T\"><table:table-row>" +
           Cell("office:value-type=\"date\" office:date-value=\"soon\"") +
           "</table:table-row></table:table>",
       "'soon' is no date"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      DumpSheet(Write(c.tables));
      ADD_FAILURE() << "no error";
    } catch (const workbook::Error& e) {
      EXPECT_NE(std::string(e.what()).find(c.mentions), std::string::npos) << e.what();
    }
  }
  const std::string path = (dir_.path() / "dtd.ods").string();
  test_support::WriteZip(
      path, {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
             {"content.xml", "<?xml version=\"1.0\"?><!DOCTYPE x [<!ENTITY a \"aaaa\">]><x/>"}});
  EXPECT_THROW(workbook::OpenWorkbook(path), workbook::Error);
}

}  // namespace
