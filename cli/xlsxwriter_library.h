#pragma once
// libxlsxwriter, loaded when `export` runs: it brings libminizip along, and
// binds its symbols at load time, which would otherwise slow every start of
// zembra-tp for a command that rarely runs.
#include <xlsxwriter.h>

#include <string>

namespace zembra_cli {

struct XlsxWriterLibrary {
  decltype(&workbook_new) workbookNew;
  decltype(&workbook_add_worksheet) addWorksheet;
  decltype(&worksheet_write_string) writeString;
  decltype(&worksheet_write_number) writeNumber;
  decltype(&workbook_close) workbookClose;

  // Null, with the reason in *problem, when it cannot be loaded.
  static const XlsxWriterLibrary* Get(std::string* problem);
};

}  // namespace zembra_cli
