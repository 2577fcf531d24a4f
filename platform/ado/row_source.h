#pragma once
// What a Recordset reads its rows from: a worksheet through the workbook
// engine, or rows the provider makes itself (the table schema).
#include <memory>
#include <string>
#include <vector>

#include "platform/variant.h"

namespace workbook {
class Workbook;
}

namespace ado {

class RowSource {
 public:
  virtual ~RowSource() = default;
  // Column names, UTF-8.
  virtual const std::vector<std::string>& Columns() const = 0;
  // Moves to the next row; false when there is none. Raises _com_error.
  virtual bool Next() = 0;
  // The value of a column of the current row.
  virtual CVariant Value(std::size_t column) const = 0;
};

// The rows of one worksheet; raises _com_error when the sheet is damaged.
std::unique_ptr<RowSource> OpenSheetRows(std::shared_ptr<workbook::Workbook> book,
                                         std::size_t sheet);

// Fixed rows of texts.
std::unique_ptr<RowSource> MakeTextRows(std::vector<std::string> columns,
                                        std::vector<std::vector<std::string>> rows);

// A UTF-8 text as a VT_BSTR VARIANT; raises E_OUTOFMEMORY.
CVariant TextVariant(const std::string& utf8);

}  // namespace ado
