// Listing a sheet's columns reads no more than its first rows: on a sheet of
// 1,000,000 rows it must cost under 1 % of reading every row.
#include <benchmark/benchmark.h>
#include <xlsxwriter.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "ExcelReader/source/ExcelReader.h"
#include "ExcelReader/source/VariantToText.h"

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

}  // namespace

BENCHMARK_MAIN();
