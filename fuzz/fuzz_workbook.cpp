// Any bytes as a workbook file: format detection and every reader.
#include "fuzz/fuzz_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::ReadWholeWorkbook(std::string(reinterpret_cast<const char*>(data), size));
  return 0;
}
