#pragma once
// .ods (OpenDocument spreadsheets): the tables of content.xml, parsed as a
// stream. Repeated rows and columns cost nothing while they are empty.
#include <memory>

#include "workbook/workbook.h"
#include "workbook/zip_archive.h"

namespace workbook {

constexpr const char* kOdsMimeType = "application/vnd.oasis.opendocument.spreadsheet";

std::unique_ptr<Workbook> OpenOds(std::unique_ptr<ZipArchive> zip);

}  // namespace workbook
