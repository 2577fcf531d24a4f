#pragma once
// Reading a TP file back: the 2048-byte image decoded into its records, and
// every way in which it differs from an image the import can make, each
// with the offset where it shows.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "image/FlashRecords.h"

struct ImageFinding {
  std::size_t offset;
  std::string message;
};

struct DecodedImage {
  std::size_t size = 0;
  std::uint16_t satelliteCount = 0;  // as the header says
  std::uint16_t tpCount = 0;
  std::vector<SatelliteInfo> satellites;  // the records that lie inside the file
  std::vector<TpInfo> tps;
  std::vector<ImageFinding> findings;

  bool valid() const { return findings.empty(); }
  std::size_t recordBytes() const { return 18 * satellites.size() + 4 * tps.size(); }
  // Offsets of the records.
  std::size_t SatelliteOffset(std::size_t k) const { return 32 + 18 * k; }
  std::size_t TpOffset(std::size_t j) const {
    return 32 + 18 * std::size_t{satelliteCount} + 4 * j;
  }
};

// Decodes any bytes; never fails, the findings say what is wrong.
DecodedImage DecodeFlashInfoImage(const std::uint8_t* data, std::size_t size);

// The TPs before the first satellite's range belong to no satellite.
std::size_t LeadingUnassignedTps(const DecodedImage& image);
