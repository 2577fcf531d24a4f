#include "support/biff_writer.h"

#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-utils.h>

#include <cstring>
#include <stdexcept>

namespace test_support {

std::string U8(std::uint8_t v) { return std::string(1, static_cast<char>(v)); }
std::string U16(std::uint16_t v) { return U8(v & 0xFF) + U8(v >> 8); }
std::string U32(std::uint32_t v) { return U16(v & 0xFFFF) + U16(v >> 16); }
std::string F64(double v) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &v, sizeof v);
  return U32(static_cast<std::uint32_t>(bits)) + U32(static_cast<std::uint32_t>(bits >> 32));
}

std::string Biff8String(const std::string& latin1, bool lengthIs16Bit) {
  const auto n = static_cast<std::uint16_t>(latin1.size());
  return (lengthIs16Bit ? U16(n) : U8(static_cast<std::uint8_t>(n))) + U8(0) + latin1;
}

BiffStream& BiffStream::Record(std::uint16_t type, const std::string& payload) {
  bytes_ += U16(type) + U16(static_cast<std::uint16_t>(payload.size())) + payload;
  return *this;
}

std::string Biff8Workbook(const std::string& globalRecords, const std::string& sheetName,
                          const std::string& sheetRecords) {
  const std::string bofGlobals = U16(0x0600) + U16(0x0005) + std::string(12, '\0');
  const std::string bofSheet = U16(0x0600) + U16(0x0010) + std::string(12, '\0');
  BiffStream globals;
  globals.Record(0x0809, bofGlobals);
  globals.bytes() += globalRecords;
  const std::size_t boundSheetAt = globals.size() + 4;
  globals.Record(0x0085, U32(0) + U8(0) + U8(0) + Biff8String(sheetName, false));
  globals.Record(0x000A, "");
  const std::string offset = U32(static_cast<std::uint32_t>(globals.size()));
  globals.bytes().replace(boundSheetAt, 4, offset);
  BiffStream sheet;
  sheet.Record(0x0809, bofSheet);
  sheet.bytes() += sheetRecords;
  sheet.Record(0x000A, "");
  return globals.bytes() + sheet.bytes();
}

void WriteOle2(const std::string& path, const std::string& streamName, const std::string& stream) {
  WriteOle2(path, {{streamName, stream}});
}

void WriteOle2(const std::string& path,
               const std::vector<std::pair<std::string, std::string>>& streams,
               unsigned sectorSize) {
  gsf_init();
  GError* error = nullptr;
  GsfOutput* file = gsf_output_stdio_new(path.c_str(), &error);
  if (file == nullptr) throw std::runtime_error("cannot create " + path);
  GsfOutfile* ole = gsf_outfile_msole_new_full(file, sectorSize, 64);
  for (const auto& [name, bytes] : streams) {
    GsfOutput* child = gsf_outfile_new_child(ole, name.c_str(), FALSE);
    gsf_output_write(child, bytes.size(), reinterpret_cast<const guint8*>(bytes.data()));
    gsf_output_close(child);
    g_object_unref(child);
  }
  gsf_output_close(GSF_OUTPUT(ole));
  g_object_unref(ole);
  g_object_unref(file);
}

}  // namespace test_support
