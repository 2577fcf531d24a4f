#include <new>

#include "platform/ado/ado.h"
#include "platform/ado/faults.h"
#include "platform/ado/query.h"
#include "platform/ado/raise.h"
#include "platform/ado/row_source.h"
#include "platform/codepage.h"
#include "workbook/error.h"
#include "workbook/workbook.h"

namespace ado {
namespace {

void Check(Call call) { CheckInjected(static_cast<int>(call)); }

std::string OpenFailure(const std::string& path, const workbook::Error& e) {
  switch (e.kind()) {
    case workbook::Error::Kind::CannotOpen:
      return "Cannot open the workbook '" + path + "': " + e.what() + ".";
    case workbook::Error::Kind::NotAWorkbook:
      return "'" + path + "' is not a workbook: " + e.what() + ".";
    case workbook::Error::Kind::Unsupported:
      return "The workbook '" + path + "' cannot be read: " + e.what() + ".";
    case workbook::Error::Kind::Damaged:
    case workbook::Error::Kind::TooLarge:
      break;
  }
  return "The workbook '" + path + "' is damaged: " + e.what() + ".";
}

}  // namespace

Connection::Connection() = default;
Connection::~Connection() = default;

void Connection::Open(const std::u16string& connectionString, const std::u16string&,
                      const std::u16string&, std::int32_t) {
  Check(Call::ConnectionOpen);
  if (workbook_) Raise(adErrObjectOpen, "Operation is not allowed when the object is open.");
  const std::string text = platform::NarrowFromWide(connectionString);
  const std::optional<std::string> path = DataSourceOf(text);
  if (!path) Raise(E_FAIL, "The connection string names no Data Source.");
  try {
    workbook_ = workbook::OpenWorkbook(*path);
  } catch (const workbook::Error& e) {
    Raise(E_FAIL, OpenFailure(*path, e));
  } catch (const std::bad_alloc&) {
    Raise(E_OUTOFMEMORY, "Not enough memory to open the workbook '" + *path + "'.");
  }
}

std::int32_t Connection::GetState() {
  Check(Call::ConnectionState);
  return workbook_ ? adStateOpen : adStateClosed;
}

void Connection::Close() {
  Check(Call::ConnectionClose);
  if (!workbook_) Raise(adErrObjectClosed, "Operation is not allowed when the object is closed.");
  workbook_.reset();
}

RecordsetPtr Connection::OpenSchema(std::int32_t schema, const VARIANT&, const VARIANT&) {
  Check(Call::OpenSchema);
  if (!workbook_) Raise(adErrObjectClosed, "Operation is not allowed when the object is closed.");
  if (schema != adSchemaTables) Raise(E_NOTIMPL, "Only the table schema is provided.");
  std::vector<std::vector<std::string>> rows;
  for (const auto& sheet : workbook_->Sheets()) rows.push_back({sheet.name + "$", "TABLE"});
  auto recordset = std::make_shared<Recordset>();
  recordset->OpenOn(MakeTextRows({"TABLE_NAME", "TABLE_TYPE"}, std::move(rows)), -1);
  return recordset;
}

HRESULT CreateConnection(ConnectionPtr& out) {
  out.Release();
  if (const HRESULT hr = InjectedFailure(Call::CreateConnection); FAILED(hr)) return hr;
  out = std::make_shared<Connection>();
  return S_OK;
}

HRESULT CreateRecordset(RecordsetPtr& out) {
  out.Release();
  if (const HRESULT hr = InjectedFailure(Call::CreateRecordset); FAILED(hr)) return hr;
  out = std::make_shared<Recordset>();
  return S_OK;
}

HRESULT OleInitialize() { return InjectedFailure(Call::OleInitialize); }

}  // namespace ado
