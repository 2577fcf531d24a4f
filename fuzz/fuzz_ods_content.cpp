// content.xml of an .ods, zipped with its mimetype so the parser is reached.
#include "fuzz/fuzz_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = fuzz::PrivateFolder() + "/content.ods";
  const std::string content(reinterpret_cast<const char*>(data), size);
  if (fuzz::WriteZip(path, {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
                            {"content.xml", content}})) {
    fuzz::ReadWholeWorkbook(path);
  }
  return 0;
}
