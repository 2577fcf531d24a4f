#include "workbook/workbook.h"

#include <filesystem>
#include <system_error>

#include "workbook/error.h"
#include "workbook/ods_reader.h"
#include "workbook/ole_container.h"
#include "workbook/xls_reader.h"
#include "workbook/xlsx_reader.h"
#include "workbook/zip_archive.h"

namespace workbook {

std::unique_ptr<Workbook> OpenWorkbook(const std::string& path) {
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  if (ec || !std::filesystem::exists(status)) {
    throw Error(Error::Kind::CannotOpen, "there is no file '" + path + "'");
  }
  if (!std::filesystem::is_regular_file(status)) {
    throw Error(Error::Kind::CannotOpen, "'" + path + "' is not a file");
  }
  if (HasOle2Signature(path)) return OpenXls(path);
  if (std::unique_ptr<ZipArchive> zip = ZipArchive::Open(path)) {
    if (const auto mime = zip->ReadSmall("mimetype", 128); mime && *mime == kOdsMimeType) {
      return OpenOds(std::move(zip));
    }
    return OpenXlsx(std::move(zip));
  }
  throw Error(Error::Kind::NotAWorkbook,
              "the file is not a workbook this tool reads (.xlsx, .xls or .ods)");
}

}  // namespace workbook
