// The ZIP and OLE2 container readers on their own: the layouts writers use
// (stored and deflated members, ZIP64, comments; 512- and 4096-byte sectors,
// the mini stream) and the damage they must refuse.
#include <gtest/gtest.h>
#include <zlib.h>

#include <fstream>
#include <functional>

#include "support/biff_writer.h"
#include "support/temp_dir.h"
#include "workbook/error.h"
#include "workbook/ole_container.h"
#include "workbook/zip_archive.h"

namespace {

using namespace test_support;
using Kind = workbook::Error::Kind;

std::string U64(std::uint64_t v) { return U32(static_cast<std::uint32_t>(v)) + U32(v >> 32); }

std::string RawDeflate(const std::string& data) {
  z_stream z{};
  deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&z, data.size()), '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

struct RawMember {
  std::string name;
  std::string data;
  bool deflated;
};

// A ZIP archive written byte by byte, so every field can be set or broken.
// centralAt is where the first central directory entry starts.
struct RawZip {
  std::string bytes;
  std::size_t centralAt = 0;
};

RawZip BuildZip(const std::vector<RawMember>& members, bool zip64, const std::string& comment) {
  RawZip zip;
  std::string central;
  for (const RawMember& m : members) {
    const std::string stored = m.deflated ? RawDeflate(m.data) : m.data;
    const auto crc = static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(m.data.data()), static_cast<uInt>(m.data.size())));
    const std::uint16_t method = m.deflated ? 8 : 0;
    const std::uint32_t size32 = zip64 ? 0xFFFFFFFF : static_cast<std::uint32_t>(m.data.size());
    const std::uint32_t csize32 = zip64 ? 0xFFFFFFFF : static_cast<std::uint32_t>(stored.size());
    const std::string localExtra =
        zip64 ? U16(1) + U16(16) + U64(m.data.size()) + U64(stored.size()) : "";
    const std::uint64_t localAt = zip.bytes.size();
    zip.bytes += U32(0x04034b50) + U16(45) + U16(0) + U16(method) + U32(0) + U32(crc) +
                 U32(csize32) + U32(size32) + U16(static_cast<std::uint16_t>(m.name.size())) +
                 U16(static_cast<std::uint16_t>(localExtra.size())) + m.name + localExtra + stored;
    const std::string centralExtra =
        zip64 ? U16(1) + U16(24) + U64(m.data.size()) + U64(stored.size()) + U64(localAt) : "";
    central += U32(0x02014b50) + U16(45) + U16(45) + U16(0) + U16(method) + U32(0) + U32(crc) +
               U32(csize32) + U32(size32) + U16(static_cast<std::uint16_t>(m.name.size())) +
               U16(static_cast<std::uint16_t>(centralExtra.size())) + U16(0) + U16(0) + U16(0) +
               U32(0) + U32(zip64 ? 0xFFFFFFFF : static_cast<std::uint32_t>(localAt)) + m.name +
               centralExtra;
  }
  zip.centralAt = zip.bytes.size();
  zip.bytes += central;
  const auto count = static_cast<std::uint16_t>(members.size());
  if (zip64) {
    const std::uint64_t recordAt = zip.bytes.size();
    zip.bytes += U32(0x06064b50) + U64(44) + U16(45) + U16(45) + U32(0) + U32(0) + U64(count) +
                 U64(count) + U64(central.size()) + U64(zip.centralAt);
    zip.bytes += U32(0x07064b50) + U32(0) + U64(recordAt) + U32(1);
    zip.bytes += U32(0x06054b50) + U16(0) + U16(0) + U16(0xFFFF) + U16(0xFFFF) + U32(0xFFFFFFFF) +
                 U32(0xFFFFFFFF);
  } else {
    zip.bytes += U32(0x06054b50) + U16(0) + U16(0) + U16(count) + U16(count) +
                 U32(static_cast<std::uint32_t>(central.size())) +
                 U32(static_cast<std::uint32_t>(zip.centralAt));
  }
  zip.bytes += U16(static_cast<std::uint16_t>(comment.size())) + comment;
  return zip;
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
  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = dir_.dir() + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  TempDir dir_;
};

TEST_F(Containers, ZipMembersStoredDeflatedWithZip64AndAComment) {
  const std::vector<RawMember> members = {{"mimetype", "application/x-test", false},
                                          {"xl/worksheets/sheet1.xml", SheetText(), true}};
  for (const bool zip64 : {false, true}) {
    for (const std::string& comment : {std::string(), std::string(300, 'c')}) {
      SCOPED_TRACE(std::string(zip64 ? "zip64" : "zip32") + " comment " +
                   std::to_string(comment.size()));
      const auto zip =
          workbook::ZipArchive::Open(Write("a.zip", BuildZip(members, zip64, comment).bytes));
      ASSERT_NE(zip, nullptr);
      EXPECT_EQ(zip->ReadSmall("MIMETYPE", 128), "application/x-test");
      EXPECT_EQ(ReadMember(*zip, "xl/worksheets/sheet1.xml"), SheetText());
      EXPECT_FALSE(zip->Find("xl/worksheets/sheet2.xml").has_value());
    }
  }
}

TEST_F(Containers, DamagedZipMembersAreRefused) {
  const std::vector<RawMember> members = {{"s.xml", SheetText(), true}};
  const RawZip good = BuildZip(members, false, "");
  const std::size_t central = good.centralAt;
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
    std::string bytes = good.bytes;
    c.damage(bytes);
    try {
      const auto zip = workbook::ZipArchive::Open(Write("d.zip", bytes));
      ReadMember(*zip, "s.xml");
      ADD_FAILURE() << "no error";
    } catch (const workbook::Error& e) {
      EXPECT_EQ(e.kind(), c.kind) << e.what();
      EXPECT_NE(std::string(e.what()).find(c.mentions), std::string::npos) << e.what();
    }
  }
}

TEST_F(Containers, BrokenZipDirectoriesAreRefused) {
  const RawZip good = BuildZip({{"s.xml", "<x/>", false}}, false, "");
  const std::size_t end = good.bytes.size() - 22;  // the end record
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
      {"entry signature", [&](std::string& b) { b[good.centralAt] = 'X'; }, "entry 1"},
      {"several disks", [&](std::string& b) { b.replace(end + 4, 2, U16(1)); }, "disks"},
      {"cut before the directory", [&](std::string& b) { b.resize(good.centralAt); }, "cut short"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string bytes = good.bytes;
    c.damage(bytes);
    try {
      workbook::ZipArchive::Open(Write("d.zip", bytes));
      ADD_FAILURE() << "no error";
    } catch (const workbook::Error& e) {
      EXPECT_EQ(e.kind(), Kind::Damaged) << e.what();
      EXPECT_NE(std::string(e.what()).find(c.mentions), std::string::npos) << e.what();
    }
  }
  EXPECT_EQ(workbook::ZipArchive::Open(Write("text.zip", "just some text, no archive")), nullptr);
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
      auto stream = workbook::OleStream::OpenWorkbookStream(path);
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

TEST_F(Containers, OleFilesWithoutAWorkbookStream) {
  const std::string path = dir_.dir() + "o.xls";
  WriteOle2(path, {{"Book", Pattern(100)}});  // Excel 5/95 names its stream Book
  EXPECT_EQ(workbook::OleStream::OpenWorkbookStream(path)->size(), 100u);
  WriteOle2(path, {{"EncryptionInfo", Pattern(100)}, {"EncryptedPackage", Pattern(9000)}});
  try {
    workbook::OleStream::OpenWorkbookStream(path);
    ADD_FAILURE() << "an encrypted package opened";
  } catch (const workbook::Error& e) {
    EXPECT_EQ(e.kind(), Kind::Unsupported);
    EXPECT_NE(std::string(e.what()).find("password"), std::string::npos) << e.what();
  }
  WriteOle2(path, {{"WordDocument", Pattern(100)}});
  try {
    workbook::OleStream::OpenWorkbookStream(path);
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
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    try {
      auto stream = workbook::OleStream::OpenWorkbookStream(path);
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
