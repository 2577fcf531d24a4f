#pragma once
// The workbook provider behind the tool's database calls: Connection,
// Recordset, Fields and Field with the operations the reader uses, over the
// workbook engine. A workbook opens as a database whose tables are its
// worksheets ("Name$"); a table's columns are named by its header row.
// Failing calls raise _com_error with an HRESULT and a description written
// for an operator; calls through a null reference raise E_POINTER.
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/ado/com_ptr.h"
#include "platform/variant.h"

namespace workbook {
class Workbook;
}

namespace ado {

constexpr std::int32_t adStateClosed = 0;
constexpr std::int32_t adStateOpen = 1;
constexpr std::int32_t adOpenDynamic = 2;
constexpr std::int32_t adLockPessimistic = 2;
constexpr std::int32_t adCmdText = 1;
constexpr std::int32_t adConnectUnspecified = -1;
constexpr std::int32_t adSchemaTables = 20;

// ADO's own error codes.
constexpr HRESULT adErrNoCurrentRecord = MakeHresult(0x800A0BCD);
constexpr HRESULT adErrItemNotFound = MakeHresult(0x800A0CC1);
constexpr HRESULT adErrObjectClosed = MakeHresult(0x800A0E78);
constexpr HRESULT adErrObjectOpen = MakeHresult(0x800A0E79);
// The provider's.
constexpr HRESULT DB_E_ERRORSINCOMMAND = MakeHresult(0x80040E14);
constexpr HRESULT DB_E_NOTABLE = MakeHresult(0x80040E37);

class Recordset;
class Fields;
class Field;
class RowSource;
using RecordsetPtr = ComPtr<Recordset>;
using FieldsPtr = ComPtr<Fields>;
using FieldPtr = ComPtr<Field>;

class Connection {
 public:
  Connection();
  ~Connection();

  // Opens the workbook named by the connection string's Data Source.
  void Open(const std::u16string& connectionString, const std::u16string& userId,
            const std::u16string& password, std::int32_t options);
  std::int32_t GetState();
  void Close();
  // adSchemaTables: one row per worksheet, with the field TABLE_NAME.
  RecordsetPtr OpenSchema(std::int32_t schema, const VARIANT& restrictions,
                          const VARIANT& schemaId);

  // The open workbook; null while closed.
  std::shared_ptr<workbook::Workbook> workbook() const { return workbook_; }

 private:
  std::shared_ptr<workbook::Workbook> workbook_;
};
using ConnectionPtr = ComPtr<Connection>;

class Recordset {
 public:
  Recordset();
  ~Recordset();

  // Source: the SQL text as VT_BSTR, "Select [top N] * From [Table] ".
  // ActiveConnection: VT_DISPATCH holding a Connection*.
  void Open(const VARIANT& source, const VARIANT& activeConnection, std::int32_t cursorType,
            std::int32_t lockType, std::int32_t options);
  VARIANT_BOOL GetEndOfFile();
  // The value of a column of the current row, by name (VT_BSTR; letter case
  // and surrounding white space ignored) or by 0-based number (VT_I4).
  CVariant GetCollect(const VARIANT& index);
  void MoveNext();
  void Close();
  // Returns the HRESULT instead of raising it.
  HRESULT get_Fields(FieldsPtr* fields);

  // Used by the provider itself to open a record set over rows it holds.
  void OpenOn(std::unique_ptr<RowSource> rows, std::int64_t limit);

 private:
  void Position();
  void Advance();
  std::size_t ColumnIndex(const VARIANT& index);
  void RequireOpen() const;

  std::unique_ptr<RowSource> rows_;
  std::vector<std::pair<std::u16string, std::size_t>> lookups_;
  std::int64_t left_ = 0;  // rows still allowed by "top N"
  bool eof_ = true;
  bool positioned_ = true;  // false until the first row has been read
};

class Fields {
 public:
  explicit Fields(std::vector<std::u16string> names) : names_(std::move(names)) {}
  HRESULT get_Count(std::int32_t* count);
  FieldPtr GetItem(const VARIANT& index);

 private:
  std::vector<std::u16string> names_;
};

class Field {
 public:
  explicit Field(std::u16string name) : name_(std::move(name)) {}
  // A new BSTR the caller frees; returns the HRESULT instead of raising it.
  HRESULT get_Name(BSTR* name);

 private:
  std::u16string name_;
};

// Object creation, as CoCreateInstance + OleRun + QueryInterface: S_OK with
// an object, or a failure with none.
HRESULT CreateConnection(ConnectionPtr& out);
HRESULT CreateRecordset(RecordsetPtr& out);
// Start-up of the object runtime; nothing to do here but what tests inject.
HRESULT OleInitialize();

}  // namespace ado
