// Workbook access: opening, the two listings, closing, and the provider
// behind them, on real files and with injected failures.
#include <gtest/gtest.h>

#include "ExcelReader/source/ExcelReader.h"
#include "ExcelReader/source/VariantToText.h"
#include "platform/ado/faults.h"
#include "support/temp_dir.h"
#include "support/zip_writer.h"

namespace {

using test_support::XlsxLayout;
using Names = CStringArray;

HRESULT ErrorOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const _com_error& e) {
    return e.Error();
  }
  return S_OK;
}

class ExcelReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    XlsxLayout layout;
    layout.sheets = {
        {"Ku band",
         "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>ProgName(SateName)</t></is></c>"
         "<c r=\"C1\" t=\"inlineStr\"><is><t> Fre(Longitude) </t></is></c></row>"
         "<row r=\"2\"><c r=\"A2\" t=\"inlineStr\"><is><t>#Astra</t></is></c><c "
         "r=\"C2\"><v>19.2</v></c></row>"
         "<row r=\"3\"><c r=\"A3\"><v>11</v></c></row>",
         "", ""},
        {"Notes", "", "", "hidden"},
    };
    book_ = (dir_.path() / "channels.xlsx").string();
    test_support::WriteXlsx(book_, layout);
  }
  void TearDown() override { ado::testing::ClearFailures(); }

  TempDir dir_;
  std::string book_;
};

TEST_F(ExcelReaderTest, ListsTablesAndColumns) {
  CExcelReader reader;
  ASSERT_TRUE(reader.Open(book_));
  Names tables{"stale"};
  ASSERT_TRUE(reader.GetTableNames(tables));
  EXPECT_EQ(tables, (Names{"Ku band$", "Notes$"}));
  Names columns;
  ASSERT_TRUE(reader.GetColumnNames("Ku band$", columns));
  EXPECT_EQ(columns, (Names{"ProgName(SateName)", "F2", " Fre(Longitude) "}));
  ASSERT_TRUE(reader.GetColumnNames("Notes$", columns));
  EXPECT_TRUE(columns.empty());
  reader.Close();
  reader.Close();
  EXPECT_FALSE(reader.GetTableNames(tables));
  EXPECT_TRUE(tables.empty());
}

TEST_F(ExcelReaderTest, AWorkbookThatCannotBeOpenedGivesFalseResultsAndRaisesNothing) {
  for (const std::string& path :
       {(dir_.path() / "missing.xlsx").string(), std::string("/etc/hostname")}) {
    CExcelReader reader;
    reader.m_nError = 42;
    EXPECT_FALSE(reader.Open(path)) << path;
    EXPECT_EQ(reader.m_nError, 42);
    Names tables{"stale"};
    EXPECT_FALSE(reader.GetTableNames(tables));
    EXPECT_TRUE(tables.empty());
    reader.Close();
  }
}

TEST_F(ExcelReaderTest, PathsWithBlanksQuotesAndSemicolonsOpen) {
  const auto odd = dir_.path() / "Ku \"band\"; 2024.xlsx";
  std::filesystem::copy_file(book_, odd);
  CExcelReader reader;
  EXPECT_TRUE(reader.Open(odd.string()));
  EXPECT_TRUE(reader.Open(odd.string())) << "a second Open starts from a new connection";
  Names tables;
  EXPECT_TRUE(reader.GetTableNames(tables));
  EXPECT_EQ(tables.size(), 2u);
}

TEST_F(ExcelReaderTest, WorkbookWithoutSheetsHasNoTables) {
  const std::string empty = (dir_.path() / "empty.xlsx").string();
  test_support::WriteXlsx(empty, XlsxLayout{});
  CExcelReader reader;
  ASSERT_TRUE(reader.Open(empty));
  Names tables{"stale"};
  EXPECT_TRUE(reader.GetTableNames(tables));
  EXPECT_TRUE(tables.empty());
}

TEST_F(ExcelReaderTest, UnknownTablesGiveFalseAndAnEmptyList) {
  CExcelReader reader;
  ASSERT_TRUE(reader.Open(book_));
  for (const char* table : {"Nothing$", "Ku band", "Ku]band$", "Ku band$] x"}) {
    Names columns{"stale"};
    EXPECT_FALSE(reader.GetColumnNames(table, columns)) << table;
    EXPECT_TRUE(columns.empty()) << table;
  }
  Names columns;
  EXPECT_TRUE(reader.GetColumnNames("KU BAND$", columns)) << "table names ignore letter case";
}

TEST_F(ExcelReaderTest, StartUpAndCreationFailures) {
  g_bOleNotStarted = 1;
  ado::testing::FailCall(ado::Call::OleInitialize, E_FAIL);
  CExcelReader reader;
  EXPECT_FALSE(reader.Open(book_));
  EXPECT_EQ(reader.m_nError, 1);
  EXPECT_EQ(g_bOleNotStarted, 1) << "the next Open tries again";
  EXPECT_TRUE(reader.Open(book_));
  EXPECT_EQ(g_bOleNotStarted, 0);

  ado::testing::FailCall(ado::Call::CreateConnection, REGDB_E_CLASSNOTREG);
  CExcelReader noConnection;
  EXPECT_FALSE(noConnection.Open(book_));
  EXPECT_EQ(noConnection.m_nError, 2);
  Names tables;
  EXPECT_EQ(ErrorOf([&] { noConnection.GetTableNames(tables); }), E_POINTER);
  EXPECT_EQ(ErrorOf([&] { noConnection.GetColumnNames("Ku band$", tables); }), E_POINTER);
  noConnection.Close();
}

TEST_F(ExcelReaderTest, ListingFailuresAsTheProviderReportsThem) {
  CExcelReader reader;
  ASSERT_TRUE(reader.Open(book_));
  Names names{"stale"};
  ado::testing::FailCall(ado::Call::OpenSchema, E_FAIL);
  EXPECT_FALSE(reader.GetTableNames(names));
  EXPECT_TRUE(names.empty());

  ado::testing::FailCall(ado::Call::RecordsetMoveNext, E_UNEXPECTED);
  EXPECT_EQ(ErrorOf([&] { reader.GetTableNames(names); }), E_UNEXPECTED);
  EXPECT_EQ(names, Names{"Ku band$"}) << "the names read so far stay";

  for (const auto call :
       {ado::Call::CreateRecordset, ado::Call::RecordsetFields, ado::Call::FieldsCount}) {
    ado::testing::FailCall(call, E_FAIL);
    names = {"stale"};
    EXPECT_FALSE(reader.GetColumnNames("Ku band$", names));
    EXPECT_TRUE(names.empty());
  }
  ado::testing::FailCall(ado::Call::FieldsItem, E_FAIL, 1);
  EXPECT_EQ(ErrorOf([&] { reader.GetColumnNames("Ku band$", names); }), E_FAIL);
  EXPECT_EQ(names, Names{"ProgName(SateName)"});

  ado::testing::FailCall(ado::Call::FieldName, E_FAIL, 1);
  EXPECT_TRUE(reader.GetColumnNames("Ku band$", names));
  EXPECT_EQ(names, (Names{"ProgName(SateName)", "", " Fre(Longitude) "}));

  ado::testing::FailCall(ado::Call::RecordsetClose, E_FAIL);
  EXPECT_EQ(ErrorOf([&] { reader.GetColumnNames("Ku band$", names); }), E_FAIL);
}

// The record-set calls the satellite reader makes on the same connection.
TEST_F(ExcelReaderTest, RowsByColumnNameUntilEof) {
  CExcelReader reader;
  ASSERT_TRUE(reader.Open(book_));
  ado::RecordsetPtr rows;
  ASSERT_EQ(ado::CreateRecordset(rows), S_OK);
  const CVariant sql = NarrowTextVariant("Select * From [Ku band$] ");
  rows->Open(sql.get(), ConnectionVariant(reader.m_pConnection.get()), ado::adOpenDynamic,
             ado::adLockPessimistic, ado::adCmdText);
  const CVariant name = NarrowTextVariant("progname(satename)");
  const CVariant fre = NarrowTextVariant("Fre(Longitude)");
  std::vector<std::string> seen;
  while (!rows->GetEndOfFile()) {
    seen.push_back(VariantToText(rows->GetCollect(name.get()).get()) + "|" +
                   VariantToText(rows->GetCollect(fre.get()).get()));
    rows->MoveNext();
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"#Astra|19.20000000", "11.00000000|"}));
  EXPECT_EQ(ErrorOf([&] { rows->MoveNext(); }), ado::adErrNoCurrentRecord);
  EXPECT_EQ(ErrorOf([&] { rows->GetCollect(name.get()); }), ado::adErrNoCurrentRecord);
  const CVariant unknown = NarrowTextVariant("Polar(LocalFre2)");
  EXPECT_EQ(ErrorOf([&] { rows->GetCollect(unknown.get()); }), ado::adErrItemNotFound);
}

TEST_F(ExcelReaderTest, DamageFoundWhileReadingRowsIsRaisedWithWhatAndWhere) {
  test_support::WriteSimpleXlsx(book_,
                                "<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>"
                                "<row r=\"2\"><c r=\"A2\"><v>2</v></c></row>"
                                "<row r=\"3\"><c r=\"A3\" t=\"s\"><v>9</v></c></row>");
  CExcelReader reader;
  ASSERT_TRUE(reader.Open(book_));
  ado::RecordsetPtr rows;
  ASSERT_EQ(ado::CreateRecordset(rows), S_OK);
  const CVariant sql = NarrowTextVariant("Select * From [Sheet1$] ");
  rows->Open(sql.get(), ConnectionVariant(reader.m_pConnection.get()), 2, 2, 1);
  ASSERT_FALSE(rows->GetEndOfFile());
  try {
    rows->MoveNext();
    FAIL() << "expected _com_error";
  } catch (const _com_error& e) {
    EXPECT_EQ(e.Error(), E_FAIL);
    EXPECT_NE(e.Description().find(
                  "The sheet 'Sheet1' cannot be read: cell A3 refers to shared string 9"),
              std::string::npos)
        << e.Description();
    EXPECT_EQ(e.ErrorMessage(), "Unspecified error");
  }
}

}  // namespace
