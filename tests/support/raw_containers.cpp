#include "support/raw_containers.h"

#include <zlib.h>

#include <cstdint>

namespace test_support {
namespace {

std::string Le(std::uint64_t value, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i) out += static_cast<char>(value >> (8 * i) & 0xFF);
  return out;
}
std::string L16(std::uint64_t v) { return Le(v, 2); }
std::string L32(std::uint64_t v) { return Le(v, 4); }
std::string L64(std::uint64_t v) { return Le(v, 8); }

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

}  // namespace

std::string RawZip(const std::vector<RawMember>& members, const RawZipOptions& options,
                   std::size_t* centralAt) {
  const bool zip64 = options.zip64;
  std::string zip, central;
  for (const RawMember& m : members) {
    const std::string stored = m.deflated ? RawDeflate(m.data) : m.data;
    const auto crc =
        crc32(0, reinterpret_cast<const Bytef*>(m.data.data()), static_cast<uInt>(m.data.size()));
    const std::uint16_t method = m.deflated ? 8 : 0;
    const std::uint64_t size32 = zip64 ? 0xFFFFFFFF : m.data.size();
    const std::uint64_t csize32 = zip64 ? 0xFFFFFFFF : stored.size();
    const std::string localExtra =
        zip64 ? L16(1) + L16(16) + L64(m.data.size()) + L64(stored.size()) : "";
    const std::uint64_t localAt = zip.size();
    zip += L32(0x04034b50) + L16(45) + L16(0) + L16(method) + L32(0) + L32(crc) + L32(csize32) +
           L32(size32) + L16(m.name.size()) + L16(localExtra.size()) + m.name + localExtra + stored;
    const std::string centralExtra =
        zip64 ? L16(1) + L16(24) + L64(m.data.size()) + L64(stored.size()) + L64(localAt) : "";
    central += L32(0x02014b50) + L16(45) + L16(45) + L16(0) + L16(method) + L32(0) + L32(crc) +
               L32(csize32) + L32(size32) + L16(m.name.size()) + L16(centralExtra.size()) + L16(0) +
               L16(0) + L16(0) + L32(0) + L32(zip64 ? 0xFFFFFFFF : localAt) + m.name + centralExtra;
  }
  const std::uint64_t directoryAt = zip.size();
  if (centralAt != nullptr) *centralAt = directoryAt;
  zip += central;
  const std::uint64_t count = members.size();
  if (zip64) {
    const std::uint64_t recordAt = zip.size();
    zip += L32(0x06064b50) + L64(44) + L16(45) + L16(45) + L32(0) + L32(0) + L64(count) +
           L64(count) + L64(central.size()) + L64(directoryAt);
    zip += L32(0x07064b50) + L32(0) + L64(recordAt) + L32(1);
    zip += L32(0x06054b50) + L16(0) + L16(0) + L16(0xFFFF) + L16(0xFFFF) + L32(0xFFFFFFFF) +
           L32(0xFFFFFFFF);
  } else {
    zip += L32(0x06054b50) + L16(0) + L16(0) + L16(count) + L16(count) + L32(central.size()) +
           L32(directoryAt);
  }
  return zip + L16(options.comment.size()) + options.comment;
}

std::string RawOle2(const std::string& streamName, const std::string& stream) {
  constexpr std::size_t kSector = 512, kPerFatSector = kSector / 4;
  constexpr std::uint32_t kFree = 0xFFFFFFFF, kEnd = 0xFFFFFFFE, kFatSector = 0xFFFFFFFD;
  const std::size_t streamSectors = (stream.size() + kSector - 1) / kSector;
  std::size_t fatSectors = 1;
  while (fatSectors * kPerFatSector < fatSectors + 1 + streamSectors) ++fatSectors;
  const std::size_t directory = fatSectors, firstData = fatSectors + 1;

  std::string header = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" + std::string(16, '\0') + L16(0x3E) +
                       L16(3) + L16(0xFFFE) + L16(9) + L16(6) + std::string(6, '\0') + L32(0) +
                       L32(fatSectors) + L32(directory) + L32(0) + L32(0) /* mini cutoff */ +
                       L32(kEnd) + L32(0) + L32(kEnd) + L32(0);
  for (std::size_t i = 0; i < 109; ++i) header += L32(i < fatSectors ? i : kFree);

  std::string fat;
  for (std::size_t i = 0; i < fatSectors * kPerFatSector; ++i) {
    std::uint32_t next = kFree;
    if (i < fatSectors)
      next = kFatSector;
    else if (i == directory)
      next = kEnd;
    else if (i >= firstData && i < firstData + streamSectors)
      next = i + 1 < firstData + streamSectors ? static_cast<std::uint32_t>(i + 1) : kEnd;
    fat += L32(next);
  }

  const auto entry = [](const std::string& name, std::uint8_t type, std::uint32_t child,
                        std::uint32_t start, std::uint64_t size) {
    std::string utf16;
    for (char c : name) utf16 += std::string(1, c) + '\0';
    utf16.resize(64, '\0');
    return utf16 + L16(name.empty() ? 0 : 2 * (name.size() + 1)) + std::string(1, char(type)) +
           std::string(1, '\1') + L32(kFree) + L32(kFree) + L32(child) + std::string(36, '\0') +
           L32(start) + L64(size);
  };
  std::string dir = entry("Root Entry", 5, 1, kEnd, 0) +
                    entry(streamName, 2, kFree, streamSectors ? firstData : kEnd, stream.size()) +
                    entry("", 0, kFree, 0, 0) + entry("", 0, kFree, 0, 0);

  std::string data = stream;
  data.resize(streamSectors * kSector, '\0');
  return header + fat + dir + data;
}

}  // namespace test_support
