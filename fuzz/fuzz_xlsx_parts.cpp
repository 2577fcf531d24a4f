// The XML parts of an .xlsx, zipped again so the parsers are reached: the
// input is the sheet, the shared strings, the styles and the workbook part,
// separated by "\n--part--\n".
#include "fuzz/fuzz_files.h"
#include "support/raw_containers.h"

namespace {
const char* kRels =
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
    "officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>";
const char* kWorkbookRels =
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
    "worksheet\" Target=\"worksheets/sheet1.xml\"/>"
    "<Relationship Id=\"rId2\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
    "sharedStrings\" Target=\"sharedStrings.xml\"/>"
    "<Relationship Id=\"rId3\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
    "styles\" Target=\"styles.xml\"/></Relationships>";
const char* kDefaultWorkbook =
    "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><sheets>"
    "<sheet name=\"S\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>";
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto parts = fuzz::SplitParts(data, size, 4);
  fuzz::ReadWholeWorkbook(
      test_support::RawZip({{"_rels/.rels", kRels},
                            {"xl/_rels/workbook.xml.rels", kWorkbookRels},
                            {"xl/workbook.xml", parts[3].empty() ? kDefaultWorkbook : parts[3]},
                            {"xl/worksheets/sheet1.xml", parts[0]},
                            {"xl/sharedStrings.xml", parts[1]},
                            {"xl/styles.xml", parts[2]}}));
  return 0;
}
