#include <cctype>
#include <cstring>

#include "platform/ado/ado.h"
#include "platform/ado/faults.h"
#include "platform/ado/query.h"
#include "platform/ado/raise.h"
#include "platform/ado/row_source.h"
#include "platform/codepage.h"
#include "workbook/workbook.h"

namespace ado {
namespace {

void Check(Call call) { CheckInjected(static_cast<int>(call)); }

std::string Trimmed(const std::string& s) {
  const auto space = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
  std::size_t b = 0, e = s.size();
  while (b < e && space(s[b])) ++b;
  while (e > b && space(s[e - 1])) --e;
  return s.substr(b, e - b);
}

bool EqualsNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

// The sheet a table name ("Name$", or "'Name$'") stands for.
std::optional<std::size_t> FindSheet(const workbook::Workbook& book, std::string table) {
  if (table.size() >= 2 && table.front() == '\'' && table.back() == '\'') {
    table = table.substr(1, table.size() - 2);
  }
  if (table.empty() || table.back() != '$') return std::nullopt;
  table.pop_back();
  const auto& sheets = book.Sheets();
  for (std::size_t i = 0; i < sheets.size(); ++i) {
    if (sheets[i].name == table) return i;
  }
  for (std::size_t i = 0; i < sheets.size(); ++i) {
    if (EqualsNoCase(sheets[i].name, table)) return i;
  }
  return std::nullopt;
}

[[noreturn]] void RaiseNoCurrentRecord() {
  Raise(adErrNoCurrentRecord,
        "Either BOF or EOF is True, or the current record has been deleted. Requested operation "
        "requires a current record.");
}

}  // namespace

Recordset::Recordset() = default;
Recordset::~Recordset() = default;

void Recordset::Open(const VARIANT& source, const VARIANT& activeConnection, std::int32_t,
                     std::int32_t, std::int32_t) {
  Check(Call::RecordsetOpen);
  if (rows_) Raise(adErrObjectOpen, "Operation is not allowed when the object is open.");
  if (source.vt != VT_BSTR || activeConnection.vt != VT_DISPATCH) {
    Raise(E_INVALIDARG, "A record set opens from a query text on a connection.");
  }
  auto* connection = static_cast<Connection*>(activeConnection.byref);
  if (connection == nullptr) Raise(E_POINTER, "The record set has no connection.");
  const std::shared_ptr<workbook::Workbook> book = connection->workbook();
  if (!book) Raise(adErrObjectClosed, "Operation is not allowed when the object is closed.");
  const std::string sql = platform::NarrowFromWide(
      source.bstrVal != nullptr ? std::u16string_view(source.bstrVal) : u"");
  const std::optional<SelectQuery> query = ParseSelect(sql);
  if (!query) Raise(DB_E_ERRORSINCOMMAND, "Syntax error in the query '" + sql + "'.");
  const std::optional<std::size_t> sheet = FindSheet(*book, query->table);
  if (!sheet) {
    Raise(DB_E_NOTABLE, "The workbook has no sheet for the table '" + query->table +
                            "'. Make sure the sheet exists and its name is spelled correctly.");
  }
  OpenOn(OpenSheetRows(book, *sheet), query->limit);
}

void Recordset::OpenOn(std::unique_ptr<RowSource> rows, std::int64_t limit) {
  rows_ = std::move(rows);
  lookups_.clear();
  left_ = limit < 0 ? INT64_MAX : limit;
  eof_ = false;
  positioned_ = false;  // the first row is read when it is first asked for
}

void Recordset::Position() {
  if (positioned_) return;
  positioned_ = true;
  Advance();
}

void Recordset::Advance() {
  if (left_ <= 0 || !rows_->Next()) {
    eof_ = true;
    return;
  }
  --left_;
}

void Recordset::RequireOpen() const {
  if (!rows_) Raise(adErrObjectClosed, "Operation is not allowed when the object is closed.");
}

VARIANT_BOOL Recordset::GetEndOfFile() {
  Check(Call::RecordsetEof);
  RequireOpen();
  Position();
  return eof_ ? VARIANT_TRUE : VARIANT_FALSE;
}

std::size_t Recordset::ColumnIndex(const VARIANT& index) {
  const auto& columns = rows_->Columns();
  if (index.vt == VT_I4 || index.vt == VT_I2) {
    const std::int32_t n = index.vt == VT_I4 ? index.lVal : index.iVal;
    if (n >= 0 && static_cast<std::size_t>(n) < columns.size()) return static_cast<std::size_t>(n);
  } else if (index.vt == VT_BSTR) {
    const std::u16string_view key(index.bstrVal, SysStringLen(index.bstrVal));
    // A reader asks for the same few names row after row.
    for (const auto& [name, column] : lookups_) {
      if (name.size() == key.size() &&
          std::memcmp(name.data(), key.data(), key.size() * sizeof(char16_t)) == 0) {
        return column;
      }
    }
    const std::string wanted = Trimmed(platform::Utf8FromUtf16(key));
    for (std::size_t i = 0; i < columns.size(); ++i) {
      if (EqualsNoCase(Trimmed(columns[i]), wanted)) {
        lookups_.emplace_back(std::u16string(key), i);
        return i;
      }
    }
  }
  Raise(adErrItemNotFound,
        "Item cannot be found in the collection corresponding to the requested name or ordinal.");
}

CVariant Recordset::GetCollect(const VARIANT& index) {
  Check(Call::RecordsetCollect);
  RequireOpen();
  const std::size_t column = ColumnIndex(index);
  Position();
  if (eof_) RaiseNoCurrentRecord();
  return rows_->Value(column);
}

void Recordset::MoveNext() {
  Check(Call::RecordsetMoveNext);
  RequireOpen();
  Position();
  if (eof_) RaiseNoCurrentRecord();
  Advance();
}

void Recordset::Close() {
  Check(Call::RecordsetClose);
  RequireOpen();
  rows_.reset();
  lookups_.clear();
  eof_ = true;
}

HRESULT Recordset::get_Fields(FieldsPtr* fields) {
  if (const HRESULT hr = InjectedFailure(Call::RecordsetFields); FAILED(hr)) return hr;
  if (!rows_) return adErrObjectClosed;
  std::vector<std::u16string> names;
  for (const auto& name : rows_->Columns()) names.push_back(platform::Utf16FromUtf8(name));
  *fields = std::make_shared<Fields>(std::move(names));
  return S_OK;
}

HRESULT Fields::get_Count(std::int32_t* count) {
  if (const HRESULT hr = InjectedFailure(Call::FieldsCount); FAILED(hr)) return hr;
  *count = static_cast<std::int32_t>(names_.size());
  return S_OK;
}

FieldPtr Fields::GetItem(const VARIANT& index) {
  Check(Call::FieldsItem);
  if (index.vt != VT_I4 || index.lVal < 0 ||
      static_cast<std::size_t>(index.lVal) >= names_.size()) {
    Raise(adErrItemNotFound,
          "Item cannot be found in the collection corresponding to the requested name or ordinal.");
  }
  return std::make_shared<Field>(names_[static_cast<std::size_t>(index.lVal)]);
}

HRESULT Field::get_Name(BSTR* name) {
  if (const HRESULT hr = InjectedFailure(Call::FieldName); FAILED(hr)) return hr;
  *name = SysAllocString(name_);
  return *name == nullptr ? E_OUTOFMEMORY : S_OK;
}

}  // namespace ado
