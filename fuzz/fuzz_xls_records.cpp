// A BIFF record stream put into an OLE2 file as its "Workbook" stream, so
// the record reader and the BIFF parsers are reached past the container.
#include "fuzz/fuzz_files.h"
#include "support/raw_containers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::ReadWholeWorkbook(
      test_support::RawOle2("Workbook", std::string(reinterpret_cast<const char*>(data), size)));
  return 0;
}
