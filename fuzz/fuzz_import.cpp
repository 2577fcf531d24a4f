// The whole import from a file's bytes: workbook access, the satellite
// reader with its report, and the image.
#include "ExcelReader/source/TpImport.h"
#include "fuzz/fuzz_files.h"
#include "report/LogStd.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool initialised = [] {
    report_testing::ResetReportState(fuzz::PrivateFolder() + "/");
    return true;
  }();
  (void)initialised;
  CBuffer image;
  ImportWorkbook(fuzz::WriteInput("import", data, size), image);
  return 0;
}
