#include "ExcelReader/source/ExcelReader.h"

#include <cstdio>
#include <new>

#include "ExcelReader/source/VariantToText.h"
#include "platform/codepage.h"

unsigned char g_bOleNotStarted = 1;

namespace {

constexpr const char* kConnectionString =
    "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=\"%s\"; Extended "
    "Properties=\"Excel 8.0;HDR=Yes;IMEX=1\"";

std::u16string Widen(const CString& text) {
  try {
    return platform::WideFromNarrow(text);
  } catch (const std::bad_alloc&) {
    throw _com_error(E_OUTOFMEMORY);
  }
}

// Puts one text in place of the single "%s" of a template, unchanged.
CString FillTemplate(const char* templ, const CString& text) {
  CString out(templ);
  const std::size_t at = out.find("%s");
  if (at != CString::npos) out.replace(at, 2, text);
  return out;
}

}  // namespace

CVariant NarrowTextVariant(const CString& text) {
  CVariant v;
  v.get().bstrVal = SysAllocString(Widen(text));
  if (v.get().bstrVal == nullptr) throw _com_error(E_OUTOFMEMORY);
  v.get().vt = VT_BSTR;
  return v;
}

VARIANT ConnectionVariant(ado::Connection* connection) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_DISPATCH;
  v.byref = connection;
  return v;
}

bool CExcelReader::Open(const CString& path) {
  if (g_bOleNotStarted) {
    if (FAILED(ado::OleInitialize())) {
      m_nError = 1;
      return false;
    }
    g_bOleNotStarted = 0;
  }
  m_pConnection.Release();
  if (ado::CreateConnection(m_pConnection) != S_OK) {
    m_nError = 2;
    return false;
  }
  const CString connectionString = FillTemplate(kConnectionString, path);
  try {
    m_pConnection->Open(Widen(connectionString), Widen(""), Widen(""), ado::adConnectUnspecified);
  } catch (const _com_error&) {
    return false;
  }
  return true;
}

void CExcelReader::Close() {
  if (!m_pConnection) return;
  try {
    if (m_pConnection->GetState() != ado::adStateClosed) m_pConnection->Close();
  } catch (...) {
  }
}

bool CExcelReader::GetTableNames(CStringArray& names) {
  names.clear();
  if (m_pConnection->GetState() == ado::adStateClosed) return false;
  ado::RecordsetPtr schema;
  try {
    VARIANT missing;
    VariantInit(&missing);
    missing.vt = VT_ERROR;
    missing.scode = DISP_E_PARAMNOTFOUND;
    schema = m_pConnection->OpenSchema(ado::adSchemaTables, missing, missing);
  } catch (...) {
    return false;
  }
  const CVariant field = NarrowTextVariant("TABLE_name");
  while (!schema->GetEndOfFile()) {
    const CVariant value = schema->GetCollect(field.get());
    names.push_back(VariantToText(value.get()));
    schema->MoveNext();
  }
  schema->Close();
  schema.Release();
  return true;
}

bool CExcelReader::GetColumnNames(const CString& table, CStringArray& names) {
  names.clear();
  if (m_pConnection->GetState() == ado::adStateClosed) return false;
  ado::RecordsetPtr recordset;
  if (ado::CreateRecordset(recordset) != S_OK) return false;
  const CString sql = FillTemplate("Select top 1 * From [%s] ", table);
  try {
    const CVariant source = NarrowTextVariant(sql);
    recordset->Open(source.get(), ConnectionVariant(m_pConnection.get()), ado::adOpenDynamic,
                    ado::adLockPessimistic, ado::adCmdText);
  } catch (const _com_error&) {
    recordset.Release();
    return false;
  }
  ado::FieldsPtr fields;
  if (FAILED(recordset->get_Fields(&fields))) {
    recordset->Close();
    recordset.Release();
    return false;
  }
  std::int32_t count = 0;
  if (FAILED(fields->get_Count(&count))) {
    fields.Release();
    recordset->Close();
    recordset.Release();
    return false;
  }
  for (std::int32_t i = 0; i < count; ++i) {
    VARIANT index;
    VariantInit(&index);
    index.vt = VT_I4;
    index.lVal = i;
    ado::FieldPtr item = fields->GetItem(index);
    BSTR name = nullptr;
    (void)item->get_Name(&name);  // a name that cannot be read stays empty
    item.Release();
    names.push_back(name != nullptr ? platform::NarrowFromWide(name) : CString());
    SysFreeString(name);
  }
  fields.Release();
  recordset->Close();
  recordset.Release();
  return true;
}
