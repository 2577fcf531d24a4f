// content.xml of an .ods, zipped with its mimetype so the parser is reached.
#include "fuzz/fuzz_files.h"
#include "support/raw_containers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string content(reinterpret_cast<const char*>(data), size);
  fuzz::ReadWholeWorkbook(test_support::RawZip(
      {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"}, {"content.xml", content}}));
  return 0;
}
