// The engine on its own: listing a sheet's columns reads no more than its
// first rows (on a sheet of 1,000,000 rows it must cost under 1 % of reading
// every row), and the rate at which .xlsx and .xls rows are read.
#include <benchmark/benchmark.h>
#include <xlsxwriter.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "ExcelReader/source/ExcelReader.h"
#include "ExcelReader/source/VariantToText.h"
#include "support/biff_writer.h"
#include "workbook/table.h"

namespace {

constexpr int kRows = 1000000;

// The workbook is made once per run, in the temporary folder.
const std::string& BigWorkbook() {
  static const std::string path = [] {
    const std::string file =
        (std::filesystem::temp_directory_path() / "zembra-bench-1m-rows.xlsx").string();
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    lxw_workbook* wb = workbook_new_opt(file.c_str(), &options);
    lxw_worksheet* ws = workbook_add_worksheet(wb, "Channels");
    const char* headers[] = {"ProgName(SateName)", "Fre(Longitude)", "SymbolRate(LocalFre1)",
                             "Polar(LocalFre2)"};
    for (lxw_col_t c = 0; c < 4; ++c) worksheet_write_string(ws, 0, c, headers[c], nullptr);
    for (lxw_row_t r = 1; r <= kRows; ++r) {
      worksheet_write_string(ws, r, 0, "TP", nullptr);
      worksheet_write_number(ws, r, 1, 10700 + r % 1000, nullptr);
      worksheet_write_number(ws, r, 2, 27500, nullptr);
      worksheet_write_string(ws, r, 3, r % 2 ? "H" : "V", nullptr);
    }
    workbook_close(wb);
    return file;
  }();
  return path;
}

// An .xls of 65,535 rows (BIFF8's limit) of the same four columns.
const std::string& BigXls() {
  static const std::string path = [] {
    using namespace test_support;
    const std::string file =
        (std::filesystem::temp_directory_path() / "zembra-bench-64k-rows.xls").string();
    BiffStream cells;
    const char* headers[] = {"ProgName(SateName)", "Fre(Longitude)", "SymbolRate(LocalFre1)",
                             "Polar(LocalFre2)"};
    for (std::uint16_t c = 0; c < 4; ++c) {
      cells.Record(0x0204, U16(0) + U16(c) + U16(0) + Biff8String(headers[c]));  // LABEL
    }
    for (std::uint16_t r = 1; r != 0; ++r) {
      cells.Record(0x0204, U16(r) + U16(0) + U16(0) + Biff8String("TP"));
      cells.Record(0x0203, U16(r) + U16(1) + U16(0) + F64(10700 + r % 1000));  // NUMBER
      cells.Record(0x0203, U16(r) + U16(2) + U16(0) + F64(27500));
      cells.Record(0x0204, U16(r) + U16(3) + U16(0) + Biff8String(r % 2 ? "H" : "V"));
    }
    WriteOle2(file, "Workbook", Biff8Workbook("", "Channels", cells.bytes()));
    return file;
  }();
  return path;
}

// Every row of the first sheet through the engine's table reader.
void EngineRows(benchmark::State& state, const std::string& path) {
  std::size_t rows = 0;
  for (auto _ : state) {
    auto book = workbook::OpenWorkbook(path);
    workbook::TableReader table(book->OpenSheet(0));
    workbook::Row row;
    while (table.Next(row)) ++rows;
  }
  state.counters["rows/s"] =
      benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsRate);
}
void XlsxRows(benchmark::State& state) { EngineRows(state, BigWorkbook()); }
void XlsRows(benchmark::State& state) { EngineRows(state, BigXls()); }

void ListColumns(benchmark::State& state) {
  CExcelReader reader;
  reader.Open(BigWorkbook());
  CStringArray names;
  for (auto _ : state) {
    reader.GetColumnNames("Channels$", names);
    benchmark::DoNotOptimize(names);
  }
}

void ReadAllRows(benchmark::State& state) {
  CExcelReader reader;
  reader.Open(BigWorkbook());
  const CVariant sql = NarrowTextVariant("Select * From [Channels$] ");
  const CVariant column = NarrowTextVariant("Fre(Longitude)");
  for (auto _ : state) {
    ado::RecordsetPtr rows;
    ado::CreateRecordset(rows);
    rows->Open(sql.get(), ConnectionVariant(reader.m_pConnection.get()), 2, 2, 1);
    std::size_t count = 0;
    while (!rows->GetEndOfFile()) {
      benchmark::DoNotOptimize(VariantToText(rows->GetCollect(column.get()).get()));
      rows->MoveNext();
      ++count;
    }
    state.counters["rows"] = static_cast<double>(count);
  }
}

BENCHMARK(ListColumns)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadAllRows)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(XlsxRows)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(XlsRows)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
