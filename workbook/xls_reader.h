#pragma once
// .xls: BIFF8 (Excel 97 to 2003) and BIFF5/7 (Excel 5 and 95) workbooks in
// an OLE2 compound file.
#include <memory>
#include <string>

#include "workbook/byte_source.h"
#include "workbook/workbook.h"

namespace workbook {

std::unique_ptr<Workbook> OpenXls(std::shared_ptr<const ByteSource> source);

}  // namespace workbook
