// The ZIP and OLE2 container readers on their own: the layouts writers use
// (stored and deflated members, ZIP64, comments; 512- and 4096-byte sectors,
// the mini stream) and the damage they must refuse.
#include <gtest/gtest.h>

#include <functional>

#include "support/biff_writer.h"
#include "support/raw_containers.h"
#include "support/temp_dir.h"
#include "workbook/error.h"
#include "workbook/ole_container.h"
#include "workbook/zip_archive.h"

namespace {

using namespace test_support;
using Kind = workbook::Error::Kind;

using workbook::ByteSource;

std::shared_ptr<const ByteSource> Bytes(const std::string& bytes) {
  return ByteSource::FromMemory(bytes);
}

std::string SheetText() {
  std::string text;
  for (int i = 0; i < 5000; ++i) text += "<row r=\"" + std::to_string(i + 1) + "\"/>";
  return text;
}

std::string ReadMember(const workbook::ZipArchive& zip, const std::string& name) {
  auto member = zip.OpenMember(*zip.Find(name), name);
  std::string out;
  char buffer[1000];  // small reads, so inflating is resumed many times
  while (const std::size_t n = member->Read(buffer, sizeof buffer)) out.append(buffer, n);
  return out;
}

class Containers : public ::testing::Test {
 protected:
  TempDir dir_;
};

TEST_F(Containers, ZipMembersStoredDeflatedWithZip64AndAComment) {
  const std::vector<RawMember> members = {{"mimetype", "application/x-test", false},
                                          {"xl/worksheets/sheet1.xml", SheetText(), true}};
  for (const bool zip64 : {false, true}) {
    for (const std::string& comment : {std::string(), std::string(5000, 'c')}) {
      SCOPED_TRACE(std::string(zip64 ? "zip64" : "zip32") + " comment " +
                   std::to_string(comment.size()));
      const auto zip = workbook::ZipArchive::Open(Bytes(RawZip(members, {zip64, comment})));
      ASSERT_NE(zip, nullptr);
      EXPECT_EQ(zip->ReadSmall("MIMETYPE", 128), "application/x-test");
      EXPECT_EQ(ReadMember(*zip, "xl/worksheets/sheet1.xml"), SheetText());
      EXPECT_FALSE(zip->Find("xl/worksheets/sheet2.xml").has_value());
    }
  }
}

TEST_F(Containers, DamagedZipMembersAreRefused) {
  const std::vector<RawMember> members = {{"s.xml", SheetText(), true}};
  std::size_t central = 0;
  const std::string good = RawZip(members, {}, &central);
  struct Case {
    const char* name;
    std::function<void(std::string&)> damage;
    Kind kind;
    const char* mentions;
  };
  const Case cases[] = {
      {"wrong CRC", [&](std::string& b) { b[central + 16] ^= 1; }, Kind::Damaged, "CRC-32"},
      {"stated size too small", [&](std::string& b) { b.replace(central + 24, 4, U32(100)); },
       Kind::Damaged, "more than the 100 bytes"},
      {"stated size too large",
       [&](std::string& b) { b.replace(central + 24, 4, U32(SheetText().size() + 1)); },
       Kind::Damaged, "not the"},
      {"compressed data cut short", [&](std::string& b) { b.replace(central + 20, 4, U32(40)); },
       Kind::Damaged, "ends too early"},
      {"compressed size past the file",
       [&](std::string& b) { b.replace(central + 20, 4, U32(0x7FFFFFFF)); }, Kind::Damaged,
       "past the end of the file"},
      {"encrypted", [&](std::string& b) { b[central + 8] |= 1; }, Kind::Unsupported, "encrypted"},
      {"bzip2", [&](std::string& b) { b.replace(central + 10, 2, U16(12)); }, Kind::Unsupported,
       "method 12"},
      {"local header gone", [&](std::string& b) { b[0] = 'X'; }, Kind::Damaged, "local header"},
      {"garbage in the deflate stream",
       [&](std::string& b) { b.replace(40, 8, "\xff\xff\xff\xff\xff\xff\xff\xff"); }, Kind::Damaged,
       "s.xml"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string bytes = good;
    c.damage(bytes);
    try {
      const auto zip = workbook::ZipArchive::Open(Bytes(bytes));
      ReadMember(*zip, "s.xml");
      ADD_FAILURE() << "no error";
    } catch (const workbook::Error& e) {
      EXPECT_EQ(e.kind(), c.kind) << e.what();
      EXPECT_NE(std::string(e.what()).find(c.mentions), std::string::npos) << e.what();
    }
  }
}

TEST_F(Containers, BrokenZipDirectoriesAreRefused) {
  std::size_t central = 0;
  const std::string good = RawZip({{"s.xml", "<x/>", false}}, {}, &central);
  const std::size_t end = good.size() - 22;  // the end record
  struct Case {
    const char* name;
    std::function<void(std::string&)> damage;
    const char* mentions;
  };
  const Case cases[] = {
      {"directory past the file", [&](std::string& b) { b.replace(end + 16, 4, U32(1 << 30)); },
       "outside the file"},
      {"more entries than it holds", [&](std::string& b) { b.replace(end + 10, 2, U16(500)); },
       "too short"},
      {"entry signature", [&](std::string& b) { b[central] = 'X'; }, "entry 1"},
      {"several disks", [&](std::string& b) { b.replace(end + 4, 2, U16(1)); }, "disks"},
      {"cut before the directory", [&](std::string& b) { b.resize(central); }, "cut short"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string bytes = good;
    c.damage(bytes);
    try {
      workbook::ZipArchive::Open(Bytes(bytes));
      ADD_FAILURE() << "no error";
    } catch (const workbook::Error& e) {
      EXPECT_EQ(e.kind(), Kind::Damaged) << e.what();
      EXPECT_NE(std::string(e.what()).find(c.mentions), std::string::npos) << e.what();
    }
  }
  EXPECT_EQ(workbook::ZipArchive::Open(Bytes("just some text, no archive")), nullptr);
}

std::string Pattern(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 + i / 251);
  return bytes;
}

TEST_F(Containers, OleWorkbookStreamInEitherSectorSizeAndInTheMiniStream) {
  for (const unsigned sectorSize : {512u, 4096u}) {
    for (const std::size_t size : {std::size_t{300}, std::size_t{70000}}) {
      SCOPED_TRACE(std::to_string(sectorSize) + "-byte sectors, " + std::to_string(size) +
                   "-byte stream");
      const std::string path = dir_.dir() + "w.xls";
      WriteOle2(path, {{"SummaryInformation", Pattern(5000)}, {"Workbook", Pattern(size)}},
                sectorSize);
      auto stream = workbook::OleStream::OpenWorkbookStream(ByteSource::OpenFile(path));
      ASSERT_EQ(stream->size(), size);
      std::string all(size, '\0');
      stream->Read(size, reinterpret_cast<std::uint8_t*>(all.data()));
      EXPECT_EQ(all, Pattern(size));
      stream->Seek(size - 10);
      std::uint8_t tail[10];
      stream->Read(sizeof tail, tail);
      EXPECT_EQ(std::string(reinterpret_cast<char*>(tail), sizeof tail),
                Pattern(size).substr(size - 10));
      EXPECT_THROW(stream->Read(1, tail), workbook::Error);
    }
  }
}

TEST_F(Containers, OleStreamsOutsideTheMiniStreamAndInSectorsOutOfOrder) {
  // The minimal files the fuzz targets wrap their inputs in: one allocation
  // table sector (0), the directory (1), then the stream's sectors 2, 3, 4.
  std::string file = RawOle2("Workbook", Pattern(1500));
  auto read = [](const std::string& bytes) {
    auto stream = workbook::OleStream::OpenWorkbookStream(Bytes(bytes));
    std::string all(stream->size(), '\0');
    stream->Read(all.size(), reinterpret_cast<std::uint8_t*>(all.data()));
    return all;
  };
  EXPECT_EQ(read(file), Pattern(1500));
  // Store the second and third sectors the other way round and chain them
  // 2 -> 4 -> 3: the stream reads the same.
  const auto sector = [](std::size_t n) { return (n + 1) * 512; };
  const std::string third = file.substr(sector(4), 512);
  file.replace(sector(4), 512, file.substr(sector(3), 512));
  file.replace(sector(3), 512, third);
  const std::size_t fat = sector(0);
  file.replace(fat + 4 * 2, 4, U32(4));
  file.replace(fat + 4 * 4, 4, U32(3));
  file.replace(fat + 4 * 3, 4, U32(0xFFFFFFFE));
  EXPECT_EQ(read(file), Pattern(1500));
}

TEST_F(Containers, OleFilesWithoutAWorkbookStream) {
  const std::string path = dir_.dir() + "o.xls";
  WriteOle2(path, {{"Book", Pattern(100)}});  // Excel 5/95 names its stream Book
  EXPECT_EQ(workbook::OleStream::OpenWorkbookStream(ByteSource::OpenFile(path))->size(), 100u);
  WriteOle2(path, {{"EncryptionInfo", Pattern(100)}, {"EncryptedPackage", Pattern(9000)}});
  try {
    workbook::OleStream::OpenWorkbookStream(ByteSource::OpenFile(path));
    ADD_FAILURE() << "an encrypted package opened";
  } catch (const workbook::Error& e) {
    EXPECT_EQ(e.kind(), Kind::Unsupported);
    EXPECT_NE(std::string(e.what()).find("password"), std::string::npos) << e.what();
  }
  WriteOle2(path, {{"WordDocument", Pattern(100)}});
  try {
    workbook::OleStream::OpenWorkbookStream(ByteSource::OpenFile(path));
    ADD_FAILURE() << "a document opened";
  } catch (const workbook::Error& e) {
    EXPECT_EQ(e.kind(), Kind::NotAWorkbook);
  }
}

TEST_F(Containers, DamagedOleFilesAreRefused) {
  const std::string path = dir_.dir() + "w.xls";
  WriteOle2(path, {{"Workbook", Pattern(20000)}});
  const std::string good = ReadFileBytes(path);
  struct Case {
    const char* name;
    std::function<void(std::string&)> damage;
    const char* mentions;
  };
  const std::size_t fat = (std::size_t{static_cast<unsigned char>(good[0x4C])} + 1) * 512;
  const Case cases[] = {
      {"sector size", [](std::string& b) { b.replace(0x1E, 2, U16(10)); }, "sector size"},
      {"allocation table count", [](std::string& b) { b.replace(0x2C, 4, U32(1u << 30)); },
       "allocation table sectors"},
      {"directory outside the file", [](std::string& b) { b.replace(0x30, 4, U32(1u << 20)); },
       "outside the file"},
      {"chain leaves the file",
       [fat](std::string& b) {
         for (std::size_t at = fat; at < fat + 512; at += 4) {
           if (b.compare(at, 4, U32(0xFFFFFFFE)) != 0 && b.compare(at, 4, U32(0xFFFFFFFD)) != 0 &&
               b.compare(at, 4, U32(0xFFFFFFFF)) != 0) {
             b.replace(at, 4, U32(0x00FFFFFF));
           }
         }
       },
       "outside the file"},
      {"cut short", [](std::string& b) { b.resize(b.size() / 2); }, "damaged"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string bytes = good;
    c.damage(bytes);
    try {
      auto stream = workbook::OleStream::OpenWorkbookStream(Bytes(bytes));
      std::string all(stream->size(), '\0');
      stream->Read(all.size(), reinterpret_cast<std::uint8_t*>(all.data()));
      ADD_FAILURE() << "no error";
    } catch (const workbook::Error& e) {
      EXPECT_EQ(e.kind(), Kind::Damaged) << e.what();
      EXPECT_NE(std::string(e.what()).find(c.mentions), std::string::npos) << e.what();
    }
  }
}

}  // namespace
