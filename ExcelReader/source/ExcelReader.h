#pragma once
// CExcelReader: the connection to one workbook, opened as a database whose
// tables are its worksheets, and the two listings the reader needs: the
// workbook's table names and one table's column names.
#include <cstdint>

#include "platform/ado/ado.h"
#include "platform/strings.h"

// 1 until the first Open that starts the object runtime.
extern unsigned char g_bOleNotStarted;

class CExcelReader {
 public:
  CExcelReader() = default;
  virtual ~CExcelReader() = default;  // releases m_pConnection; does not Close
  CExcelReader(const CExcelReader&) = delete;
  CExcelReader& operator=(const CExcelReader&) = delete;

  // True when the workbook at path was opened. Every provider error is
  // dropped here; m_nError tells two reasons of a false result.
  bool Open(const CString& path);
  // Closes an open connection; raises nothing.
  void Close();
  // The workbook's tables in provider order. False when the connection is
  // closed or the schema query fails; raises _com_error for other failures
  // (E_POINTER when there is no connection object).
  bool GetTableNames(CStringArray& names);
  // The columns of one table in provider order. False when the connection
  // is closed or the table's query or column list fails; raises _com_error
  // for failures while the columns are walked.
  bool GetColumnNames(const CString& table, CStringArray& names);

  ado::ConnectionPtr m_pConnection;
  // Why the last Open failed before it reached the provider: 1 = the object
  // runtime did not start, 2 = no connection object could be created.
  std::int32_t m_nError = 0;
};

// A VT_BSTR VARIANT of a narrow text, widened with the process's character
// set; raises E_OUTOFMEMORY.
CVariant NarrowTextVariant(const CString& text);
// A VT_DISPATCH VARIANT referring to a connection, as ActiveConnection.
VARIANT ConnectionVariant(ado::Connection* connection);
