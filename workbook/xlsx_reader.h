#pragma once
// .xlsx (Office Open XML spreadsheets, transitional and strict): the
// workbook part, its relationships, shared strings, styles and sheets, all
// parsed as streams.
#include <memory>

#include "workbook/workbook.h"
#include "workbook/zip_archive.h"

namespace workbook {

// Throws NotAWorkbook when the archive holds no spreadsheet.
std::unique_ptr<Workbook> OpenXlsx(std::unique_ptr<ZipArchive> zip);

}  // namespace workbook
