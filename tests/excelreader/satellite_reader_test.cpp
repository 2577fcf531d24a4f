// The import of channel workbooks: which sheets count, how rows become
// satellites and TPs, every range and limit, and what the report says, with
// the image and the report compared byte for byte.
#include <gtest/gtest.h>

#include "ExcelReader/source/SatelliteReader.h"
#include "ExcelReader/source/TpImport.h"
#include "report/LogStd.h"
#include "support/channel_workbook.h"
#include "support/temp_dir.h"
#include "support/zip_writer.h"

namespace {

using namespace test_support;

ChannelRow Sat(const std::string& name, const std::string& lo1 = "9750",
               const std::string& lo2 = "10600") {
  return {"#" + name, "19.2E", lo1, lo2};
}
ChannelRow Tp(const std::string& fre, const std::string& rate = "27500",
              const std::string& polar = "H") {
  return {"", fre, rate, polar};
}
std::string Line(int line, const std::string& message) {
  return "line[" + std::to_string(line) + "] " + message;
}

class SatelliteImport : public ::testing::Test {
 protected:
  void SetUp() override { report_testing::ResetReportState(dir_.dir()); }
  void TearDown() override { report_testing::ResetReportState(""); }

  struct Result {
    ImportOutcome outcome;
    std::string image;   // empty when no image was built
    std::string report;  // today's report file
  };

  Result Import(const std::vector<ChannelTable>& tables) {
    const std::string path = (dir_.path() / "channels.xlsx").string();
    WriteChannelWorkbook(path, tables);
    return ImportPath(path);
  }
  Result ImportPath(const std::string& path) {
    CBuffer image;
    Result result{ImportWorkbook(path, image), {}, {}};
    if (image.m_pData != nullptr)
      result.image.assign(reinterpret_cast<char*>(image.m_pData), image.m_nSize);
    result.report = ReadFileBytes(CLogStd::GetReportPath());
    return result;
  }

  TempDir dir_;
};

TEST_F(SatelliteImport, AGoodWorkbookGivesItsImageAndNoReport) {
  const auto r =
      Import({{"Ku", {Sat("Astra 1KR"), Tp("10729", "22000", "V"), Tp("11720", "27500", "h")}}});
  EXPECT_TRUE(r.outcome.good);
  EXPECT_EQ(r.image, ImageBytes({{9750, 10600, 0, 2, "Astra 1KR"}},
                                {{10729, 'V', 22000}, {11720, 'H', 27500}}));
  EXPECT_EQ(r.report, "");
}

TEST_F(SatelliteImport, TablesQualifyByTheirFourColumnsWhateverTheirCaseAndSpacing) {
  ChannelTable odd{"Odd", {Sat("Odd"), Tp("3840")}};
  odd.header = {" progname(satename)", "FRE(LONGITUDE) ", "\tSymbolRate(LocalFre1)",
                "polar(localfre2)"};
  ChannelTable missing{"Missing", {Sat("Lost")}};
  missing.header = {"ProgName(SateName)", "Fre(Longitude)", "SymbolRate(LocalFre1)", "Polar"};
  const auto r = Import({missing, odd});
  EXPECT_TRUE(r.outcome.good);
  EXPECT_EQ(r.image, ImageBytes({{9750, 10600, 0, 1, "Odd"}}, {{3840, 'H', 27500}}));
  EXPECT_EQ(r.report, "") << "a table without the columns is passed over silently";
}

TEST_F(SatelliteImport, NoQualifyingTableIsAGoodImportWithNothingInIt) {
  ChannelTable notes{"Notes", {{"text"}}};
  notes.header = {"Remarks"};
  const auto r = Import({notes});
  EXPECT_TRUE(r.outcome.good);
  EXPECT_TRUE(r.outcome.noSatellite());
  EXPECT_EQ(r.image, ImageBytes({}, {}));
  EXPECT_EQ(r.report, "");
}

TEST_F(SatelliteImport, EmptyValueCellsWarnPerCellAndSkipTheRow) {
  const auto r = Import(
      {{"S", {Sat("A"), {"x", "", "", ""}, Tp("3840"), {"#B", "100E", "5150", ""}, Tp("3860")}}});
  EXPECT_TRUE(r.outcome.good);
  EXPECT_EQ(r.report,
            ReportBytes({{kWarning, Line(3, "\"Fre(Longitude)\" Has invalid Data")},
                         {kWarning, Line(3, "\"SymbolRate(LocalFre1)\" Has invalid Data")},
                         {kWarning, Line(3, "\"Polar(LocalFre2)\" Has invalid Data")},
                         {kWarning, Line(5, "\"Polar(LocalFre2)\" Has invalid Data")}}));
  // The skipped satellite row leaves both TPs with the satellite before it.
  EXPECT_EQ(r.image,
            ImageBytes({{9750, 10600, 0, 2, "A"}}, {{3840, 'H', 27500}, {3860, 'H', 27500}}));
}

TEST_F(SatelliteImport, AStrayValueFarDownWarnsForEveryEmptyRowInBetween) {
  // Every empty row before the stray value is a row with three empty cells.
  std::vector<ChannelRow> rows = {Sat("A")};
  rows.resize(1 + 1500, ChannelRow{"", "", "", ""});
  rows.push_back(Tp("3840"));
  const auto r = Import({{"S", rows}});
  EXPECT_TRUE(r.outcome.good);
  std::vector<Entry> expected;
  for (int line = 3; line <= 1502; ++line) {
    for (const char* column : {"Fre(Longitude)", "SymbolRate(LocalFre1)", "Polar(LocalFre2)"}) {
      expected.push_back(
          {kWarning, Line(line, "\"" + std::string(column) + "\" Has invalid Data")});
    }
  }
  EXPECT_EQ(r.report, ReportBytes(expected));
  // The outcome keeps the first entries only, and counts them all.
  EXPECT_EQ(r.outcome.entryCount, 4500u);
  ASSERT_EQ(r.outcome.entries.size(), ImportOutcome::kEntriesKept);
  EXPECT_EQ(r.outcome.entries.back().message, expected[ImportOutcome::kEntriesKept - 1].message);
}

TEST_F(SatelliteImport, SatelliteNamesAndTheirBytes) {
  const auto r = Import({{"S",
                          {{"ABC#DEF#GHI", "1", "5000", "11300"},
                           {"ends with#", "not a number", "5150", "5150"},
                           {"# leading space", "x", "5150", "5150"},
                           Sat("ElevenBytes"),
                           Sat("TwelveBytes!"),
                           Sat("TwentyBytesOfNameXYZ")}}});
  EXPECT_TRUE(r.outcome.good);
  EXPECT_EQ(r.image, ImageBytes({{5000, 11300, 0, 0, "DEF#GHI"},
                                 {5150, 5150, 0, 0, ""},
                                 {5150, 5150, 0, 0, " leading spa"},
                                 {9750, 10600, 0, 0, "ElevenBytes"},
                                 {9750, 10600, 0, 0, "TwelveBytes!"},
                                 {9750, 10600, 0, 0, "TwentyBytesO"}},
                                {}));
}

TEST_F(SatelliteImport, EveryRangeBoundAndThePolarityLetters) {
  const auto r = Import({{"S",
                          {Sat("Low", "4999", "11301"),                          // line 2: both out
                           Sat("Edge", "5000", "11300"),                         // line 3
                           Tp("1200", "1", "v"), Tp("14500", "45000", "H"),      // lines 4, 5
                           Tp("1199", "27500", "H"), Tp("14501", "27500", "H"),  // 6, 7
                           Tp("3840", "0", "H"), Tp("3840", "45001", "H"),       // 8, 9
                           Tp("99999", "-1", "X"),                               // 10: all three
                           Tp("10600.9", "27500.99", "V")}}});  // 11: fractions drop
  EXPECT_FALSE(r.outcome.good);
  EXPECT_TRUE(r.image.empty());
  EXPECT_EQ(r.report, ReportBytes({{kError, Line(2, "SymbolRate(LocalFre1) is valid")},
                                   {kError, Line(2, "Polar(LocalFre2) is valid")},
                                   {kError, Line(6, "Fre(Longitude) is valid")},
                                   {kError, Line(7, "Fre(Longitude) is valid")},
                                   {kError, Line(8, "SymbolRate(LocalFre1) is valid")},
                                   {kError, Line(9, "SymbolRate(LocalFre1) is valid")},
                                   {kError, Line(10, "Fre(Longitude) is valid")},
                                   {kError, Line(10, "Polar(LocalFre2) is valid")},
                                   {kError, Line(10, "SymbolRate(LocalFre1) is valid")}}));
}

TEST_F(SatelliteImport, NumbersReadAsStrtolReadsThem) {
  const auto r =
      Import({{"S", {Sat("A", "'  5150abc", "'+10600"), Tp("10600.9", "'27500 kS", "V")}}});
  EXPECT_TRUE(r.outcome.good);
  EXPECT_EQ(r.image, ImageBytes({{5150, 10600, 0, 1, "A"}}, {{10600, 'V', 27500}}));
  EXPECT_EQ(ReadNumber("99999999999"), INT32_MAX);
  EXPECT_EQ(ReadNumber("-99999999999"), INT32_MIN);
  EXPECT_EQ(ReadNumber("H"), 0);
}

TEST_F(SatelliteImport, TheTwentyFirstTpOfASatelliteIsRefusedAndTheImportStillGood) {
  std::vector<ChannelRow> rows = {Sat("Full")};
  for (int i = 0; i < 22; ++i) rows.push_back(Tp(std::to_string(10700 + i)));
  rows.push_back(Sat("Next"));
  rows.push_back(Tp("3840"));
  const auto r = Import({{"S", rows}});
  EXPECT_TRUE(r.outcome.good);
  EXPECT_EQ(r.report, ReportBytes({{kError, Line(23, "TP is out of range")},
                                   {kError, Line(24, "TP is out of range")}}));
  std::vector<TpRecord> tps;
  for (int i = 0; i < 20; ++i) tps.push_back({static_cast<std::uint16_t>(10700 + i), 'H', 27500});
  tps.push_back({3840, 'H', 27500});
  EXPECT_EQ(r.image, ImageBytes({{9750, 10600, 0, 20, "Full"}, {9750, 10600, 20, 1, "Next"}}, tps));
}

TEST_F(SatelliteImport, The110thSatelliteIsRefusedAndTheRestOfItsTableSkipped) {
  std::vector<ChannelRow> rows;
  std::vector<SatRecord> expected;
  for (int i = 0; i < 112; ++i) {
    rows.push_back(Sat("S" + std::to_string(i)));
    if (i < 109) expected.push_back({9750, 10600, 0, 0, "S" + std::to_string(i)});
  }
  const auto r = Import({{"S", rows}});
  EXPECT_TRUE(r.outcome.good);
  EXPECT_EQ(r.report, ReportBytes({{kError, Line(111, "Data is out of range")}}));
  EXPECT_EQ(r.image, ImageBytes(expected, {}));
}

TEST_F(SatelliteImport, TwentyOneSatellitesOfTwentyTpsFillTheImage) {
  std::vector<ChannelRow> rows;
  std::vector<SatRecord> sats;
  std::vector<TpRecord> tps;
  for (int s = 0; s < 21; ++s) {
    rows.push_back(Sat("Sat" + std::to_string(s)));
    sats.push_back({9750, 10600, static_cast<std::uint16_t>(20 * s),
                    s < 20 ? std::uint16_t{20} : std::uint16_t{1}, "Sat" + std::to_string(s)});
    for (int t = 0; t < 20; ++t) {
      rows.push_back(Tp(std::to_string(10700 + t)));
      if (s < 20 || t == 0) tps.push_back({static_cast<std::uint16_t>(10700 + t), 'H', 27500});
    }
  }
  const auto r = Import({{"S", rows}});
  EXPECT_TRUE(r.outcome.good);
  EXPECT_EQ(r.outcome.satellites, 21u);
  EXPECT_EQ(r.outcome.tps, 401u);
  EXPECT_EQ(r.outcome.recordBytes(), 1982u);
  // The 21st satellite is line 2 + 20 * 21 = 422; its second TP is line 424.
  EXPECT_EQ(r.report, ReportBytes({{kError, Line(424, "ALL Data is out of range")}}));
  EXPECT_EQ(r.image, ImageBytes(sats, tps));
}

TEST_F(SatelliteImport, TpsBeforeTheFirstSatelliteBelongToNone) {
  const auto r = Import({{"S", {Tp("3840"), Tp("3860"), Sat("A"), Tp("3880")}}});
  EXPECT_TRUE(r.outcome.good);
  EXPECT_EQ(r.image, ImageBytes({{9750, 10600, 2, 1, "A"}},
                                {{3840, 'H', 27500}, {3860, 'H', 27500}, {3880, 'H', 27500}}));
}

TEST_F(SatelliteImport, AFirstTableWithTpsOnlyFails) {
  const auto r = Import({{"TPs", {Tp("3840"), Tp("3860")}}, {"Sats", {Sat("A")}}});
  EXPECT_FALSE(r.outcome.good);
  EXPECT_EQ(r.report, ReportBytes({{kError, "The Count of satllite is too much!"}}));
}

TEST_F(SatelliteImport, TpBookkeepingRunsOnAcrossTables) {
  const auto r = Import({{"One", {Sat("A"), Tp("3840"), Tp("3860"), Tp("3880")}},
                         {"Two", {Tp("3900"), Sat("B"), Tp("11000"), Tp("11100")}}});
  EXPECT_TRUE(r.outcome.good);
  EXPECT_EQ(r.image, ImageBytes({{9750, 10600, 0, 4, "A"}, {9750, 10600, 4, 2, "B"}},
                                {{3840, 'H', 27500},
                                 {3860, 'H', 27500},
                                 {3880, 'H', 27500},
                                 {3900, 'H', 27500},
                                 {11000, 'H', 27500},
                                 {11100, 'H', 27500}}));
}

TEST_F(SatelliteImport, AValueFailureReportsTheWholeTableAndStopsAfterIt) {
  const auto r = Import(
      {{"One", {Sat("A"), Tp("99"), Tp("3840"), Tp("3860", "0")}}, {"Two", {Sat("B", "1")}}});
  EXPECT_FALSE(r.outcome.good);
  EXPECT_EQ(r.report, ReportBytes({{kError, Line(3, "Fre(Longitude) is valid")},
                                   {kError, Line(5, "SymbolRate(LocalFre1) is valid")}}));
}

TEST_F(SatelliteImport, AWorkbookThatCannotBeOpened) {
  for (const std::string& path :
       {(dir_.path() / "missing.xlsx").string(), std::string("/etc/hostname")}) {
    const auto r = ImportPath(path);
    EXPECT_FALSE(r.outcome.good) << path;
    EXPECT_EQ(r.report, ReportBytes({{kError, "Open excel file failed!"}})) << path;
  }
}

TEST_F(SatelliteImport, ADamagedSheetEndsTheReadWithTheProviderError) {
  XlsxLayout layout;
  layout.sheets = {
      {"S",
       "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>ProgName(SateName)</t></is></c>"
       "<c r=\"B1\" t=\"inlineStr\"><is><t>Fre(Longitude)</t></is></c>"
       "<c r=\"C1\" t=\"inlineStr\"><is><t>SymbolRate(LocalFre1)</t></is></c>"
       "<c r=\"D1\" t=\"inlineStr\"><is><t>Polar(LocalFre2)</t></is></c></row>"
       "<row r=\"2\"><c r=\"A2\"><v>oops</v></c></row>",
       "", ""}};
  const std::string path = (dir_.path() / "damaged.xlsx").string();
  WriteXlsx(path, layout);
  const auto r = ImportPath(path);
  EXPECT_FALSE(r.outcome.good);
  EXPECT_EQ(
      r.report,
      ReportBytes(
          {{kError,
            "Com error Description: The sheet 'S' cannot be read: cell A2 holds 'oops', which "
            "is no number (part 'xl/worksheets/sheet1.xml', line 1, column 404).\r\n "
            "Message:Unspecified error"}}));
}

TEST_F(SatelliteImport, AfterASatelliteRefusedForCapacityLaterTpsBelongToNoSatellite) {
  // 109 satellites fill the image; the 110th is refused and ends its table.
  // The TPs of the next table must not be counted to satellite 109, whose
  // two TPs stay its own.
  std::vector<ChannelRow> rows;
  std::vector<SatRecord> sats;
  for (int i = 0; i < 108; ++i) {
    rows.push_back(Sat("S" + std::to_string(i)));
    sats.push_back({9750, 10600, 0, 0, "S" + std::to_string(i)});
  }
  rows.push_back(Sat("Last"));
  rows.push_back(Tp("3840"));
  rows.push_back(Tp("3860"));
  rows.push_back(Sat("Refused"));
  sats.push_back({9750, 10600, 0, 2, "Last"});
  const auto r = Import({{"Many", rows}, {"More", {Tp("3880"), Sat("Again"), Tp("3900")}}});
  // 109 * 18 + 2 * 4 = 1970 bytes; "Refused" would need 1970 + 38 < 2000.
  EXPECT_TRUE(r.outcome.good);
  EXPECT_EQ(r.report, ReportBytes({{kError, Line(113, "Data is out of range")},
                                   {kError, Line(2, "Data is out of range")},
                                   {kError, Line(3, "Data is out of range")}}));
  EXPECT_EQ(r.image, ImageBytes(sats, {{3840, 'H', 27500}, {3860, 'H', 27500}}));
}

}  // namespace
