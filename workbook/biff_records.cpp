#include "workbook/biff_records.h"

#include <iconv.h>

#include <algorithm>
#include <cstring>
#include <iomanip>
#include <sstream>

#include "workbook/error.h"
#include "workbook/text_util.h"

namespace workbook {

namespace {
std::string Hex(std::uint32_t value) {
  std::ostringstream out;
  out << "0x" << std::uppercase << std::hex << std::setw(4) << std::setfill('0') << value;
  return out.str();
}
}  // namespace

bool BiffRecordReader::ReadHeader(std::uint16_t& type, std::uint16_t& length) {
  const std::uint64_t at = stream_.tell();
  if (at >= stream_.size()) return false;
  if (stream_.size() - at < 4) {
    ThrowDamaged("the workbook stream ends inside a record header at offset " + std::to_string(at));
  }
  std::uint8_t header[4];
  stream_.Read(4, header);
  type = static_cast<std::uint16_t>(header[0] | (header[1] << 8));
  length = static_cast<std::uint16_t>(header[2] | (header[3] << 8));
  if (length > biff::kMaxPayload) {
    ThrowDamaged("the record " + Hex(type) + " at offset " + std::to_string(at) + " claims " +
                 std::to_string(length) + " bytes; a record holds at most " +
                 std::to_string(biff::kMaxPayload));
  }
  return true;
}

bool BiffRecordReader::Next(BiffRecord& record, bool joinContinues) {
  record.offset = stream_.tell();
  std::uint16_t length = 0;
  if (!ReadHeader(record.type, length)) return false;
  record.data.resize(length);
  record.continues.clear();
  stream_.Read(length, record.data.data());
  while (joinContinues) {
    const std::uint64_t at = stream_.tell();
    std::uint16_t type = 0;
    if (!ReadHeader(type, length)) break;
    if (type != biff::kContinue) {
      stream_.Seek(at);
      break;
    }
    const std::size_t start = record.data.size();
    record.continues.push_back(start);
    record.data.resize(start + length);
    stream_.Read(length, record.data.data() + start);
  }
  return true;
}

std::string CodePage::ToUtf8(const std::uint8_t* bytes, std::size_t n) const {
  std::string out;
  const bool ascii = std::all_of(bytes, bytes + n, [](std::uint8_t b) { return b < 0x80; });
  if (ascii || id_ == 65001) return std::string(reinterpret_cast<const char*>(bytes), n);
  std::string charset;
  switch (id_) {
    case 367:
      charset = "ASCII";
      break;
    case 10000:
    case 32768:
      charset = "MACINTOSH";
      break;
    case 32769:
      charset = "CP1252";
      break;
    default:
      charset = "CP" + std::to_string(id_);
  }
  iconv_t cd = iconv_open("UTF-8", charset.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) cd = iconv_open("UTF-8", "CP1252");
  if (cd == reinterpret_cast<iconv_t>(-1))
    return std::string(reinterpret_cast<const char*>(bytes), n);
  std::vector<char> in(bytes, bytes + n);
  char* src = in.data();
  std::size_t srcLeft = n;
  char buffer[512];
  while (srcLeft > 0) {
    char* dst = buffer;
    std::size_t dstLeft = sizeof buffer;
    const std::size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    out.append(buffer, static_cast<std::size_t>(dst - buffer));
    if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {  // a byte with no character
      AppendUtf8(out, 0xFFFD);
      ++src;
      --srcLeft;
    }
  }
  iconv_close(cd);
  return out;
}

void BiffCursor::Fail(const std::string& what) const {
  ThrowDamaged("the record " + Hex(record_.type) + " at offset " + std::to_string(record_.offset) +
               " of the workbook stream is damaged: " + what);
}

std::uint8_t BiffCursor::U8() {
  if (left() < 1) Fail("it ends early");
  return record_.data[pos_++];
}

std::uint16_t BiffCursor::U16() {
  if (left() < 2) Fail("it ends early");
  const auto v = static_cast<std::uint16_t>(record_.data[pos_] | (record_.data[pos_ + 1] << 8));
  pos_ += 2;
  return v;
}

std::uint32_t BiffCursor::U32() {
  const std::uint32_t low = U16();
  return low | (std::uint32_t{U16()} << 16);
}

double BiffCursor::F64() {
  if (left() < 8) Fail("it ends early");
  std::uint64_t bits = 0;
  for (int i = 7; i >= 0; --i)
    bits = (bits << 8) | record_.data[pos_ + static_cast<std::size_t>(i)];
  pos_ += 8;
  double value = 0;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

void BiffCursor::Skip(std::size_t n) {
  if (left() < n) Fail("it ends early");
  pos_ += n;
}

std::size_t BiffCursor::NextBoundary() const {
  for (const std::size_t b : record_.continues) {
    if (b > pos_) return b;
  }
  return record_.data.size();
}

std::string BiffCursor::Utf16String(bool lengthIs16Bit) {
  std::size_t chars = lengthIs16Bit ? U16() : U8();
  std::uint8_t flags = U8();
  const std::uint16_t runs = (flags & 0x08) ? U16() : 0;
  const std::uint32_t extBytes = (flags & 0x04) ? U32() : 0;
  std::string out;
  while (chars > 0) {
    if (std::binary_search(record_.continues.begin(), record_.continues.end(), pos_)) {
      flags = U8();  // the characters go on in a CONTINUE record: a new flags byte
    }
    const bool wide = flags & 0x01;
    const std::size_t unit = wide ? 2 : 1;
    const std::size_t room = (NextBoundary() - pos_) / unit;
    if (room == 0) Fail("a string runs past the end of its record");
    const std::size_t take = std::min(room, chars);
    for (std::size_t i = 0; i < take; ++i) {
      char32_t c = record_.data[pos_];
      if (wide) c |= char32_t{record_.data[pos_ + 1]} << 8;
      pos_ += unit;
      if (c >= 0xD800 && c <= 0xDBFF && i + 1 < take) {  // a surrogate pair
        char32_t low = record_.data[pos_] | (char32_t{record_.data[pos_ + 1]} << 8);
        if (low >= 0xDC00 && low <= 0xDFFF) {
          c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
          pos_ += unit;
          ++i;
        }
      }
      AppendUtf8(out, c);
    }
    chars -= take;
  }
  // Rich-text runs and phonetic data are skipped; they may cross a CONTINUE
  // boundary without a flags byte.
  Skip(std::size_t{runs} * 4);
  Skip(extBytes);
  return out;
}

std::string BiffCursor::ByteString(bool lengthIs16Bit, const CodePage& codePage) {
  const std::size_t n = lengthIs16Bit ? U16() : U8();
  if (left() < n) Fail("a string runs past the end of its record");
  std::string out = codePage.ToUtf8(record_.data.data() + pos_, n);
  pos_ += n;
  return out;
}

}  // namespace workbook
