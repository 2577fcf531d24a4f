#include "image/FlashInfoImage.h"

#include <cstring>

bool BuildFlashInfoImage(CBuffer& buffer, const std::vector<SatelliteInfo*>& satellites,
                         const std::vector<TpInfo*>& tps) {
  const std::uint8_t zeros[CBuffer::kBlockSize] = {};
  const std::size_t recordBytes =
      satellites.size() * sizeof(SatelliteInfo) + tps.size() * sizeof(TpInfo);
  if (recordBytes > kFlashRecordAreaSize) return false;
  buffer.Clear();
  for (std::size_t i = 0; i < kFlashInfoImageSize / CBuffer::kBlockSize; ++i) {
    if (!buffer.Append(zeros)) {
      buffer.Clear();
      return false;
    }
  }
  std::uint8_t* image = buffer.m_pData;
  std::memcpy(image, "info", 4);
  flash_detail::Store16(image + 16, static_cast<std::uint16_t>(satellites.size()));
  flash_detail::Store16(image + 18, static_cast<std::uint16_t>(tps.size()));
  flash_detail::Store16(image + 20, 0);
  flash_detail::Store16(image + 22, 0);
  std::uint8_t* out = image + kFlashInfoHeaderSize;
  for (const SatelliteInfo* satellite : satellites) {
    std::memcpy(out, satellite->bytes.data(), sizeof(SatelliteInfo));
    out += sizeof(SatelliteInfo);
  }
  for (const TpInfo* tp : tps) {
    std::memcpy(out, tp->bytes.data(), sizeof(TpInfo));
    out += sizeof(TpInfo);
  }
  return true;
}
