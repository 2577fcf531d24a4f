#include "platform/ado/row_source.h"

#include <new>

#include "platform/ado/raise.h"
#include "platform/codepage.h"
#include "workbook/error.h"
#include "workbook/table.h"

namespace ado {
namespace {

// SCODE of an Excel error value, as CVErr gives it.
constexpr std::uint32_t kExcelErrorBase = 0x800A07D0;

CVariant CellVariant(const workbook::Cell* cell) {
  CVariant v;
  VARIANT& out = v.get();
  if (cell == nullptr) {
    out.vt = VT_NULL;
    return v;
  }
  switch (cell->type) {
    case workbook::CellType::Empty:
      out.vt = VT_NULL;
      break;
    case workbook::CellType::Number:
      out.vt = VT_R8;
      out.dblVal = cell->number;
      break;
    case workbook::CellType::Date:
      out.vt = VT_DATE;
      out.date = cell->number;
      break;
    case workbook::CellType::Boolean:
      out.vt = VT_BOOL;
      out.boolVal = cell->number != 0 ? VARIANT_TRUE : VARIANT_FALSE;
      break;
    case workbook::CellType::Error:
      out.vt = VT_ERROR;
      out.scode = static_cast<SCODE>(kExcelErrorBase + static_cast<std::uint32_t>(cell->number));
      break;
    case workbook::CellType::Text:
      return TextVariant(cell->text);
  }
  return v;
}

class SheetRows : public RowSource {
 public:
  SheetRows(std::shared_ptr<workbook::Workbook> book, std::size_t sheet)
      : book_(std::move(book)), name_(book_->Sheets()[sheet].name) {
    Guard([&] {
      table_ = std::make_unique<workbook::TableReader>(book_->OpenSheet(sheet));
      return true;
    });
  }
  const std::vector<std::string>& Columns() const override { return table_->ColumnNames(); }
  bool Next() override {
    return Guard([&] { return table_->Next(row_); });
  }
  CVariant Value(std::size_t column) const override {
    return CellVariant(row_.Find(table_->FirstColumn() + static_cast<std::uint32_t>(column)));
  }

 private:
  // Turns the engine's errors into the provider's.
  template <typename F>
  bool Guard(F&& f) {
    try {
      return f();
    } catch (const workbook::Error& e) {
      Raise(E_FAIL, "The sheet '" + name_ + "' cannot be read: " + e.what() + ".");
    } catch (const std::bad_alloc&) {
      Raise(E_OUTOFMEMORY, "Not enough memory to read the sheet '" + name_ + "'.");
    }
  }

  std::shared_ptr<workbook::Workbook> book_;  // the cursor reads from it
  std::string name_;
  std::unique_ptr<workbook::TableReader> table_;
  workbook::Row row_;
};

class TextRows : public RowSource {
 public:
  TextRows(std::vector<std::string> columns, std::vector<std::vector<std::string>> rows)
      : columns_(std::move(columns)), rows_(std::move(rows)) {}
  const std::vector<std::string>& Columns() const override { return columns_; }
  bool Next() override { return ++current_ <= rows_.size(); }
  CVariant Value(std::size_t column) const override {
    const auto& row = rows_[current_ - 1];
    if (column >= row.size()) return CellVariant(nullptr);
    return TextVariant(row[column]);
  }

 private:
  std::vector<std::string> columns_;
  std::vector<std::vector<std::string>> rows_;
  std::size_t current_ = 0;  // 1-based; 0 before the first
};

}  // namespace

CVariant TextVariant(const std::string& utf8) {
  CVariant v;
  v.get().bstrVal = SysAllocString(platform::Utf16FromUtf8(utf8));
  if (v.get().bstrVal == nullptr) throw _com_error(E_OUTOFMEMORY);
  v.get().vt = VT_BSTR;
  return v;
}

std::unique_ptr<RowSource> OpenSheetRows(std::shared_ptr<workbook::Workbook> book,
                                         std::size_t sheet) {
  return std::make_unique<SheetRows>(std::move(book), sheet);
}

std::unique_ptr<RowSource> MakeTextRows(std::vector<std::string> columns,
                                        std::vector<std::vector<std::string>> rows) {
  return std::make_unique<TextRows>(std::move(columns), std::move(rows));
}

}  // namespace ado
