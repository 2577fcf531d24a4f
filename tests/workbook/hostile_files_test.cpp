// Damaged and hostile files end in a clear error, never a crash, a hang or
// unbounded memory.
#include <gtest/gtest.h>

#include <fstream>

#include "support/biff_writer.h"
#include "support/sheet_dump.h"
#include "support/temp_dir.h"
#include "support/zip_writer.h"
#include "workbook/error.h"
#include "workbook/table.h"
#include "workbook/zip_archive.h"

namespace {

using namespace test_support;
using Kind = workbook::Error::Kind;

XlsxLayout OneEmptySheet(const std::string& extraSheets = "") {
  XlsxLayout layout;
  layout.sheets = {{"S", "", "", ""}};
  layout.extraSheets = extraSheets;
  return layout;
}

// Reads every sheet of the file in full; returns the error it ended in.
std::optional<workbook::Error> ReadAll(const std::string& path) {
  try {
    auto book = workbook::OpenWorkbook(path);
    for (std::size_t i = 0; i < book->Sheets().size(); ++i) {
      workbook::TableReader table(book->OpenSheet(i));
      workbook::Row row;
      while (table.Next(row)) {
      }
    }
  } catch (const workbook::Error& e) {
    return e;
  }
  return std::nullopt;
}

void ExpectError(const std::string& path, Kind kind, const std::string& mentions) {
  const auto error = ReadAll(path);
  ASSERT_TRUE(error.has_value()) << "no error for " << path;
  EXPECT_EQ(error->kind(), kind) << error->what();
  EXPECT_NE(std::string(error->what()).find(mentions), std::string::npos) << error->what();
}

class HostileFiles : public ::testing::Test {
 protected:
  std::string PathOf(const std::string& name) { return (dir_.path() / name).string(); }
  std::string WriteSheet(const std::string& sheetData, const std::string& sst = "") {
    const std::string path = PathOf("case.xlsx");
    WriteSimpleXlsx(path, sheetData, sst);
    return path;
  }
  std::string WriteBytes(const std::string& name, const std::string& bytes) {
    const std::string path = PathOf(name);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  TempDir dir_;
};

TEST_F(HostileFiles, FilesThatAreNoWorkbook) {
  ExpectError(PathOf("missing.xlsx"), Kind::CannotOpen, "no file");
  ExpectError(WriteBytes("text.xlsx", "ProgName,Fre\n1,2\n"), Kind::NotAWorkbook, "not a workbook");
  ExpectError(WriteBytes("empty.xls", ""), Kind::NotAWorkbook, "not a workbook");
  const std::string docx = PathOf("letter.docx");
  WriteZip(
      docx,
      {{"_rels/.rels",
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"r\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
        "relationships/officeDocument\" Target=\"word/document.xml\"/></Relationships>"},
       {"word/document.xml", "<document/>"}});
  ExpectError(docx, Kind::NotAWorkbook, "no spreadsheet");
  const std::string folder = PathOf("folder.xlsx");
  std::filesystem::create_directory(folder);
  ExpectError(folder, Kind::CannotOpen, "not a file");
}

TEST_F(HostileFiles, TruncatedAndCorruptedXlsx) {
  WriteSheet("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>");
  std::string bytes = ReadFileBytes(PathOf("case.xlsx"));
  ExpectError(WriteBytes("half.xlsx", bytes.substr(0, bytes.size() / 2)), Kind::Damaged,
              "cut short");
  // Flip bytes inside the compressed data of the members.
  for (std::size_t i = 60; i < bytes.size() / 2; i += 97)
    bytes[i] = static_cast<char>(bytes[i] ^ 0x5A);
  EXPECT_TRUE(ReadAll(WriteBytes("flipped.xlsx", bytes)).has_value());
}

TEST_F(HostileFiles, ZipBombIsStoppedAtTheCap) {
  workbook::testing::SetMaxMemberBytes(1 << 20);
  const std::string rows(4 << 20, ' ');  // inflates far past the lowered cap
  ExpectError(WriteSheet("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>" + rows), Kind::TooLarge,
              "zip bomb");
  workbook::testing::SetMaxMemberBytes(0);
}

TEST_F(HostileFiles, XmlWithADocumentTypeIsRefused) {
  const std::string path = PathOf("laughs.xlsx");
  auto members = XlsxMembers(OneEmptySheet());
  members[2].second =
      "<?xml version=\"1.0\"?><!DOCTYPE lolz [<!ENTITY lol \"lol\"><!ENTITY lol2 "
      "\"&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;\">]><worksheet><sheetData><row><c "
      "t=\"inlineStr\"><is><t>&lol2;</t></is></c></row></sheetData></worksheet>";
  WriteZip(path, members);
  ExpectError(path, Kind::Damaged, "document type declaration");
  members[2].second =
      "<?xml version=\"1.0\"?><!DOCTYPE x SYSTEM \"file:///etc/passwd\"><worksheet/>";
  WriteZip(path, members);
  ExpectError(path, Kind::Damaged, "document type declaration");
}

TEST_F(HostileFiles, DamagedSheetContentSaysWhatAndWhere) {
  struct Case {
    const char* name;
    std::string sheetData;
    const char* mentions;
  };
  std::string deep;
  for (int i = 0; i < 300; ++i) deep += "<x>";
  const Case cases[] = {
      {"sst index past the end", "<row r=\"1\"><c r=\"B1\" t=\"s\"><v>5</v></c></row>",
       "cell B1 refers to shared string 5, past the end of the 1 shared strings"},
      {"sst index not a number", "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>x</v></c></row>",
       "no number"},
      {"number that is none", "<row r=\"1\"><c r=\"C1\"><v>12abc</v></c></row>",
       "cell C1 holds '12abc'"},
      {"rows out of order", "<row r=\"5\"><c><v>1</v></c></row><row r=\"2\"><c><v>1</v></c></row>",
       "row 2 comes after row 5"},
      {"row past the limit", "<row r=\"1048577\"><c><v>1</v></c></row>", "row number"},
      {"bad reference", "<row r=\"1\"><c r=\"1A\"><v>1</v></c></row>", "no cell reference"},
      {"column past XFD", "<row r=\"1\"><c r=\"XFE1\"><v>1</v></c></row>", "no cell reference"},
      {"not well-formed", "<row r=\"1\"><c><v>1</c></row>", "not well-formed"},
      {"nested too deep", deep, "nested more than"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ExpectError(WriteSheet(c.sheetData, "<si><t>only</t></si>"), Kind::Damaged, c.mentions);
    ExpectError(PathOf("case.xlsx"), Kind::Damaged, "xl/worksheets/sheet1.xml");
  }
}

TEST_F(HostileFiles, MissingPartsAndBrokenRelationships) {
  auto members = XlsxMembers(OneEmptySheet());
  members.erase(members.begin() + 2);  // the sheet part
  WriteZip(PathOf("nosheet.xlsx"), members);
  ExpectError(PathOf("nosheet.xlsx"), Kind::Damaged,
              "the part 'xl/worksheets/sheet1.xml' is missing");
  auto dangling = XlsxMembers(OneEmptySheet("<sheet name=\"Lost\" r:id=\"rId99\"/>"));
  WriteZip(PathOf("dangling.xlsx"), dangling);
  ExpectError(PathOf("dangling.xlsx"), Kind::Damaged, "rId99");
}

TEST_F(HostileFiles, AHugeClaimInATinyFileCostsNothingItDoesNotNeed) {
  // 2 KB that claim cell XFD1048576: nothing is sized from the claim.
  XlsxLayout layout;
  layout.sheets = {{"S",
                    "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>h</t></is></c></row>"
                    "<row r=\"1048576\"><c r=\"XFD1048576\"><v>1</v></c></row>",
                    "<dimension ref=\"A1:XFD1048576\"/>", ""}};
  const std::string path = PathOf("claim.xlsx");
  WriteXlsx(path, layout);
  auto book = workbook::OpenWorkbook(path);
  workbook::TableReader table(book->OpenSheet(0));
  EXPECT_EQ(table.ColumnNames().size(), 16384u);
  workbook::Row row;
  std::size_t rows = 0;
  while (table.Next(row)) ++rows;
  EXPECT_EQ(rows, 1048575u);
  EXPECT_EQ(row.cells.size(), 1u);
}

TEST_F(HostileFiles, DamagedXlsRecords) {
  struct Case {
    const char* name;
    std::string globals;
    std::string sheet;
    Kind kind;
    const char* mentions;
  };
  const Case cases[] = {
      {"SST past its CONTINUE records",
       BiffStream().Record(0x00FC, U32(1) + U32(1) + U16(50) + U8(0) + "short").bytes(), "",
       Kind::Damaged, "string runs past the end"},
      {"LABELSST index past the SST", "",
       BiffStream().Record(0x00FD, U16(0) + U16(0) + U16(0) + U32(3)).bytes(), Kind::Damaged,
       "refers to shared string 3"},
      {"record shorter than its cell", "", BiffStream().Record(0x0203, U16(0) + U16(0)).bytes(),
       Kind::Damaged, "ends early"},
      {"cells out of row order", "",
       BiffStream()
           .Record(0x0203, U16(5) + U16(0) + U16(0) + F64(1))
           .Record(0x0203, U16(2) + U16(0) + U16(0) + F64(1))
           .bytes(),
       Kind::Damaged, "follows row 6"},
      {"password protected", BiffStream().Record(0x002F, U16(1) + std::string(52, '\0')).bytes(),
       "", Kind::Unsupported, "password"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = PathOf("case.xls");
    WriteOle2(path, "Workbook", Biff8Workbook(c.globals, "S", c.sheet));
    ExpectError(path, c.kind, c.mentions);
  }
  // A record header that claims more than a record may hold.
  const std::string path = PathOf("cut.xls");
  WriteOle2(path, "Workbook",
            BiffStream().Record(0x0809, U16(0x0600) + U16(0x0005) + std::string(12, '\0')).bytes() +
                U16(0x00FC) + U16(9000));
  ExpectError(path, Kind::Damaged, "claims 9000 bytes");
}

// The sector number of the workbook stream's first sector, from the
// directory of an OLE2 file with 512-byte sectors.
std::uint32_t StreamStartSector(const std::string& file, std::uint32_t& fatSector) {
  auto u32 = [&](std::size_t at) {
    return static_cast<std::uint32_t>(
        static_cast<unsigned char>(file[at]) | static_cast<unsigned char>(file[at + 1]) << 8 |
        static_cast<unsigned char>(file[at + 2]) << 16 |
        static_cast<unsigned>(static_cast<unsigned char>(file[at + 3])) << 24);
  };
  fatSector = u32(0x4C);
  const std::size_t dir = (std::size_t{u32(0x30)} + 1) * 512;
  for (std::size_t entry = dir; entry + 128 <= file.size(); entry += 128) {
    if (file[entry] == 'W' && file[entry + 2] == 'o') return u32(entry + 0x74);
  }
  return 0;
}

TEST_F(HostileFiles, OleSectorChainThatLoopsEndsInAnError) {
  std::string stream = Biff8Workbook(
      "", "S", BiffStream().Record(0x0203, U16(0) + U16(0) + U16(0) + F64(1)).bytes());
  stream += std::string(8192, '\0');  // past the mini-stream size, so regular sectors hold it
  const std::string path = PathOf("loop.xls");
  WriteOle2(path, "Workbook", stream);
  std::string file = ReadFileBytes(path);
  std::uint32_t fatSector = 0;
  const std::uint32_t start = StreamStartSector(file, fatSector);
  // Point the stream's second sector back at its first.
  const std::size_t fat = (std::size_t{fatSector} + 1) * 512;
  const std::size_t entry = fat + 4 * (start + 1);
  file.replace(entry, 4, U32(start));
  ExpectError(WriteBytes("loop.xls", file), Kind::Damaged, "loops");
}

}  // namespace
