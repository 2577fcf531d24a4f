#pragma once
// A sheet as a table: the header row is the first row that holds a value;
// the columns run over the header's cells and the columns the file declares;
// an empty header cell is named "F" + its 1-based position. Data rows follow
// the header one for one, empty rows included, up to the last row that holds
// a value, so that data row N of a sheet whose header is row 1 is sheet row N.
#include <memory>
#include <string>
#include <vector>

#include "workbook/workbook.h"

namespace workbook {

class TableReader {
 public:
  // Reads up to and including the header row.
  explicit TableReader(std::unique_ptr<SheetCursor> cursor);

  const std::vector<std::string>& ColumnNames() const { return names_; }
  // The sheet column of ColumnNames()[i] is FirstColumn() + i.
  std::uint32_t FirstColumn() const { return first_; }

  // The next data row; false after the last row that holds a value.
  bool Next(Row& row);

 private:
  std::unique_ptr<SheetCursor> cursor_;
  std::vector<std::string> names_;
  std::uint32_t first_ = 0;
  std::uint32_t nextIndex_ = 0;  // sheet index of the next row to give
  Row pending_;
  bool havePending_ = false;
};

// The text a header cell gives its column.
std::string HeaderText(const Cell& cell);

}  // namespace workbook
