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
namespace {

// The format is known by content: the OLE2 signature, or a ZIP archive with
// the OpenDocument mimetype, or any other ZIP archive as a package.
std::unique_ptr<Workbook> OpenFromSource(std::shared_ptr<const ByteSource> source) {
  if (HasOle2Signature(*source)) return OpenXls(std::move(source));
  if (std::unique_ptr<ZipArchive> zip = ZipArchive::Open(std::move(source))) {
    if (const auto mime = zip->ReadSmall("mimetype", 128); mime && *mime == kOdsMimeType) {
      return OpenOds(std::move(zip));
    }
    return OpenXlsx(std::move(zip));
  }
  throw Error(Error::Kind::NotAWorkbook,
              "the file is not a workbook this tool reads (.xlsx, .xls or .ods)");
}

}  // namespace

std::unique_ptr<Workbook> OpenWorkbook(const std::string& path) {
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  if (ec || !std::filesystem::exists(status)) {
    throw Error(Error::Kind::CannotOpen, "there is no file '" + path + "'");
  }
  if (!std::filesystem::is_regular_file(status)) {
    throw Error(Error::Kind::CannotOpen, "'" + path + "' is not a file");
  }
  return OpenFromSource(ByteSource::OpenFile(path));
}

std::unique_ptr<Workbook> OpenWorkbookBytes(std::string bytes) {
  return OpenFromSource(ByteSource::FromMemory(std::move(bytes)));
}

}  // namespace workbook
