#pragma once
// BIFF records: the one reader that owns the awkward parts of the format.
// It reads a record's header and payload with every length checked against
// what is left, joins the CONTINUE records that follow a record when asked
// (keeping where each one began, since a string split there repeats its
// flags byte), and hands out payloads through a bounds-checked cursor.
#include <cstdint>
#include <string>
#include <vector>

#include "workbook/ole_container.h"

namespace workbook {

namespace biff {
constexpr std::uint16_t kFormula = 0x0006;
constexpr std::uint16_t kEof = 0x000A;
constexpr std::uint16_t kDateMode = 0x0022;
constexpr std::uint16_t kFilePass = 0x002F;
constexpr std::uint16_t kContinue = 0x003C;
constexpr std::uint16_t kCodePage = 0x0042;
constexpr std::uint16_t kBoundSheet = 0x0085;
constexpr std::uint16_t kMulRk = 0x00BD;
constexpr std::uint16_t kRString = 0x00D6;
constexpr std::uint16_t kXf = 0x00E0;
constexpr std::uint16_t kSst = 0x00FC;
constexpr std::uint16_t kLabelSst = 0x00FD;
constexpr std::uint16_t kDimensions = 0x0200;
constexpr std::uint16_t kNumber = 0x0203;
constexpr std::uint16_t kLabel = 0x0204;
constexpr std::uint16_t kBoolErr = 0x0205;
constexpr std::uint16_t kString = 0x0207;
constexpr std::uint16_t kRk = 0x027E;
constexpr std::uint16_t kFormat = 0x041E;
constexpr std::uint16_t kBof = 0x0809;
constexpr std::uint16_t kBofBiff2 = 0x0009;
constexpr std::uint16_t kBofBiff3 = 0x0209;
constexpr std::uint16_t kBofBiff4 = 0x0409;
constexpr std::size_t kMaxPayload = 8224;
}  // namespace biff

struct BiffRecord {
  std::uint16_t type = 0;
  std::uint64_t offset = 0;  // of the record header in the stream
  std::vector<std::uint8_t> data;
  std::vector<std::size_t> continues;  // payload offsets where a CONTINUE began
};

class BiffRecordReader {
 public:
  explicit BiffRecordReader(OleStream& stream) : stream_(stream) {}
  // The next record; false at the end of the stream. With joinContinues,
  // the CONTINUE records after it become part of its payload.
  bool Next(BiffRecord& record, bool joinContinues = false);
  void Seek(std::uint64_t offset) { stream_.Seek(offset); }

 private:
  bool ReadHeader(std::uint16_t& type, std::uint16_t& length);
  OleStream& stream_;
};

// Decodes byte strings of a BIFF5/7 file's code page.
class CodePage {
 public:
  void Set(std::uint16_t id) { id_ = id; }
  std::string ToUtf8(const std::uint8_t* bytes, std::size_t n) const;

 private:
  std::uint16_t id_ = 1252;
};

// A bounds-checked view of one record's payload.
class BiffCursor {
 public:
  explicit BiffCursor(const BiffRecord& record) : record_(record) {}

  std::size_t pos() const { return pos_; }
  std::size_t left() const { return record_.data.size() - pos_; }
  std::uint8_t U8();
  std::uint16_t U16();
  std::uint32_t U32();
  double F64();
  void Skip(std::size_t n);

  // A BIFF8 string: 8- or 16-bit length, flags, optional rich-text and
  // phonetic blocks; character data split by a CONTINUE boundary restarts
  // with a new flags byte.
  std::string Utf16String(bool lengthIs16Bit);
  // A BIFF5/7 string: 8- or 16-bit length and bytes of the code page.
  std::string ByteString(bool lengthIs16Bit, const CodePage& codePage);

  [[noreturn]] void Fail(const std::string& what) const;

 private:
  std::size_t NextBoundary() const;
  const BiffRecord& record_;
  std::size_t pos_ = 0;
};

}  // namespace workbook
