#pragma once
// The workbook engine: open a file (the format is known by its content),
// list its worksheets, and read one as a stream of sparse rows.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "workbook/cell.h"

namespace workbook {

struct SheetInfo {
  std::string name;  // UTF-8
};

struct ColumnSpan {
  std::uint32_t first;
  std::uint32_t last;
};

// The rows of one sheet as the file stores them: ascending row indexes,
// each with at least one cell that has a value. Rows are read from the file
// as they are asked for.
class SheetCursor {
 public:
  virtual ~SheetCursor() = default;
  // False at the end of the sheet; throws Error on damage.
  virtual bool Next(Row& row) = 0;
  // The columns the file says the sheet uses, when it says so; a hint only.
  virtual std::optional<ColumnSpan> DeclaredColumns() const { return std::nullopt; }
};

class Workbook {
 public:
  virtual ~Workbook() = default;
  // The worksheets in workbook order, hidden ones included; chart sheets and
  // macro sheets are left out.
  virtual const std::vector<SheetInfo>& Sheets() const = 0;
  virtual std::unique_ptr<SheetCursor> OpenSheet(std::size_t index) = 0;
};

// Opens the workbook at path; throws Error when it cannot be read, is not a
// workbook, or is damaged.
std::unique_ptr<Workbook> OpenWorkbook(const std::string& path);
// The same for a workbook file's bytes held in memory.
std::unique_ptr<Workbook> OpenWorkbookBytes(std::string bytes);

}  // namespace workbook
