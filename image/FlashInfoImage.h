#pragma once
// The flash info image: exactly 2048 bytes, a 32-byte header
//   0   "info" (no terminating zero)   4  12 zero bytes
//   16  satellite count, u16           18 TP count, u16
//   20  8 zero bytes ...               up to 31
// then the satellite records, then the TP records, packed without gaps, and
// zeros up to the end. Numbers are little-endian.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/Buffer.h"
#include "image/FlashRecords.h"

constexpr std::size_t kFlashInfoImageSize = 2048;
constexpr std::size_t kFlashInfoHeaderSize = 32;
constexpr std::size_t kFlashRecordAreaSize = kFlashInfoImageSize - kFlashInfoHeaderSize;

// Replaces the buffer's content with the image of the two record lists, in
// list order. False when the records would not fit the record area (which
// the reader's capacity limits rule out; the buffer is then left as it was)
// or when the 2048 bytes cannot be had (the buffer is then left empty).
bool BuildFlashInfoImage(CBuffer& buffer, const std::vector<SatelliteInfo*>& satellites,
                         const std::vector<TpInfo*>& tps);
