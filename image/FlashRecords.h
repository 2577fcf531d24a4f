#pragma once
// The two record formats of the flash info image, byte for byte as the
// receiver reads them: packed, 16-bit numbers little-endian, bit fields at
// fixed bit positions. The bytes are kept as bytes and the fields are read
// and written through shifts, so the layout does not depend on the compiler
// or the host's byte order.
#include <array>
#include <cstdint>
#include <string_view>

namespace flash_detail {
inline std::uint16_t Load16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline void Store16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v & 0xFF);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
}  // namespace flash_detail

// One satellite, 18 bytes:
//   0-1  localFre1            unsigned 16-bit
//   2-3  localFre2            unsigned 16-bit
//   4-5  tpIndex (bits 0-9), tpCount (bits 10-15)
//   6-17 sateName             zero-terminated only when shorter than 12 bytes
struct SatelliteInfo {
  static constexpr std::size_t kNameBytes = 12;
  std::array<std::uint8_t, 18> bytes{};

  std::uint16_t localFre1() const { return flash_detail::Load16(&bytes[0]); }
  std::uint16_t localFre2() const { return flash_detail::Load16(&bytes[2]); }
  std::uint16_t tpIndex() const { return flash_detail::Load16(&bytes[4]) & 0x3FF; }
  std::uint16_t tpCount() const { return flash_detail::Load16(&bytes[4]) >> 10; }
  std::string_view sateName() const;

  void setLocalFre1(std::uint16_t v) { flash_detail::Store16(&bytes[0], v); }
  void setLocalFre2(std::uint16_t v) { flash_detail::Store16(&bytes[2], v); }
  void setTpIndex(std::uint16_t v) {
    flash_detail::Store16(&bytes[4], static_cast<std::uint16_t>((v & 0x3FF) | (tpCount() << 10)));
  }
  void setTpCount(std::uint16_t v) {
    flash_detail::Store16(&bytes[4], static_cast<std::uint16_t>(tpIndex() | ((v & 0x3F) << 10)));
  }
  // The name's first 12 bytes; a shorter name is followed by one zero byte.
  void setSateName(std::string_view name);
};
static_assert(sizeof(SatelliteInfo) == 18);

// One transponder, 4 bytes:
//   0-1  fre (bits 0-13), polar (bit 14: 0 = H, 1 = V), bit 15 always 0
//   2-3  symbolRate           unsigned 16-bit
struct TpInfo {
  std::array<std::uint8_t, 4> bytes{};

  std::uint16_t fre() const { return flash_detail::Load16(&bytes[0]) & 0x3FFF; }
  std::uint8_t polar() const { return (flash_detail::Load16(&bytes[0]) >> 14) & 1; }
  std::uint16_t symbolRate() const { return flash_detail::Load16(&bytes[2]); }

  // Bit 15 is always written as 0.
  void setFreAndPolar(std::uint16_t fre, std::uint8_t polar) {
    flash_detail::Store16(&bytes[0],
                          static_cast<std::uint16_t>((fre & 0x3FFF) | ((polar & 1) << 14)));
  }
  void setSymbolRate(std::uint16_t v) { flash_detail::Store16(&bytes[2], v); }
};
static_assert(sizeof(TpInfo) == 4);
