#include "support/sheet_dump.h"

#include <cstdio>

#include "workbook/table.h"

namespace test_support {

namespace {
std::string CellText(const workbook::Cell* cell) {
  if (cell == nullptr) return "";
  char number[64];
  std::snprintf(number, sizeof number, "%.10g", cell->number);
  switch (cell->type) {
    case workbook::CellType::Empty:
      return "";
    case workbook::CellType::Number:
      return std::string("n:") + number;
    case workbook::CellType::Date:
      return std::string("d:") + number;
    case workbook::CellType::Text:
      return "t:" + cell->text;
    case workbook::CellType::Boolean:
      return std::string("b:") + number;
    case workbook::CellType::Error:
      return std::string("e:") + number;
  }
  return "?";
}
}  // namespace

SheetDump DumpSheet(const std::string& path, std::size_t sheet) {
  auto book = workbook::OpenWorkbook(path);
  workbook::TableReader table(book->OpenSheet(sheet));
  SheetDump dump{table.ColumnNames(), {}};
  workbook::Row row;
  while (table.Next(row)) {
    std::vector<std::string> cells;
    for (std::size_t i = 0; i < dump.columns.size(); ++i) {
      cells.push_back(CellText(row.Find(table.FirstColumn() + static_cast<std::uint32_t>(i))));
    }
    dump.rows.push_back(std::move(cells));
  }
  return dump;
}

std::vector<std::string> SheetNames(const std::string& path) {
  std::vector<std::string> names;
  const auto book = workbook::OpenWorkbook(path);
  for (const auto& s : book->Sheets()) names.push_back(s.name);
  return names;
}

}  // namespace test_support
