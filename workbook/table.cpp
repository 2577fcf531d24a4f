#include "workbook/table.h"

#include <algorithm>
#include <cstdio>

namespace workbook {

std::string HeaderText(const Cell& cell) {
  char buffer[32];
  switch (cell.type) {
    case CellType::Text:
      return cell.text;
    case CellType::Number:
    case CellType::Date:
      std::snprintf(buffer, sizeof buffer, "%.15g", cell.number);
      return buffer;
    case CellType::Boolean:
      return cell.number != 0 ? "TRUE" : "FALSE";
    case CellType::Error:
      return ErrorText(static_cast<std::uint8_t>(cell.number));
    case CellType::Empty:
      break;
  }
  return {};
}

TableReader::TableReader(std::unique_ptr<SheetCursor> cursor) : cursor_(std::move(cursor)) {
  Row header;
  if (!cursor_->Next(header)) return;  // an empty sheet: no columns, no rows
  std::uint32_t first = header.cells.front().column;
  std::uint32_t last = header.cells.back().column;
  if (const auto declared = cursor_->DeclaredColumns()) {
    first = std::min(first, declared->first);
    last = std::max(last, declared->last);
  }
  first_ = first;
  names_.reserve(last - first + 1);
  for (std::uint32_t column = first; column <= last; ++column) {
    const Cell* cell = header.Find(column);
    std::string name = cell != nullptr ? HeaderText(*cell) : std::string();
    if (name.empty()) name = "F" + std::to_string(column - first + 1);
    names_.push_back(std::move(name));
  }
  nextIndex_ = header.index + 1;
}

bool TableReader::Next(Row& row) {
  if (!havePending_) {
    if (names_.empty() || !cursor_->Next(pending_)) return false;
    havePending_ = true;
  }
  if (pending_.index > nextIndex_) {  // a row without values before it
    row.index = nextIndex_++;
    row.cells.clear();
    return true;
  }
  row = std::move(pending_);
  havePending_ = false;
  nextIndex_ = row.index + 1;
  return true;
}

}  // namespace workbook
