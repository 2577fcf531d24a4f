#pragma once
// Builds BIFF record streams and OLE2 files around them, so a test can give
// an .xls exactly the records it is about.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace test_support {

std::string U8(std::uint8_t v);
std::string U16(std::uint16_t v);
std::string U32(std::uint32_t v);
std::string F64(double v);
// A BIFF8 string: 16-bit (or 8-bit) length, flags, and 8-bit characters.
std::string Biff8String(const std::string& latin1, bool lengthIs16Bit = true);

class BiffStream {
 public:
  BiffStream& Record(std::uint16_t type, const std::string& payload);
  std::size_t size() const { return bytes_.size(); }
  std::string& bytes() { return bytes_; }

 private:
  std::string bytes_;
};

// A BIFF8 workbook: globals (given records between BOF and BOUNDSHEET/EOF),
// one worksheet named sheetName with the given cell records.
std::string Biff8Workbook(const std::string& globalRecords, const std::string& sheetName,
                          const std::string& sheetRecords);

// Writes an OLE2 compound file with one stream.
void WriteOle2(const std::string& path, const std::string& streamName, const std::string& stream);
// Writes an OLE2 compound file with the given streams in its root storage,
// in sectors of 512 (version 3) or 4096 bytes (version 4).
void WriteOle2(const std::string& path,
               const std::vector<std::pair<std::string, std::string>>& streams,
               unsigned sectorSize = 512);

}  // namespace test_support
