#include "image/FlashInfoDecoder.h"

#include <algorithm>
#include <cstring>

#include "image/FlashInfoImage.h"

namespace {

// The ranges and limits of the import.
constexpr int kLocalFreMin = 5000, kLocalFreMax = 11300;
constexpr int kFreMin = 1200, kFreMax = 14500;
constexpr int kSymbolRateMin = 1, kSymbolRateMax = 45000;
constexpr int kMaxTpsPerSatellite = 20;
constexpr int kCapacity = 2000;

class Checker {
 public:
  Checker(const std::uint8_t* data, std::size_t size, DecodedImage& image)
      : data_(data), size_(size), image_(image) {}

  void Run() {
    image_.size = size_;
    if (size_ != kFlashInfoImageSize) {
      Find(0, "the file has " + std::to_string(size_) + " bytes, not " +
                  std::to_string(kFlashInfoImageSize));
    }
    if (size_ < kFlashInfoHeaderSize) {
      Find(0, "the file is too short for the 32-byte header");
      return;
    }
    if (std::memcmp(data_, "info", 4) != 0) Find(0, "the file does not start with \"info\"");
    CheckZero(4, 16, "reserved header bytes");
    CheckZero(20, 32, "reserved header bytes");
    image_.satelliteCount = Load16(16);
    image_.tpCount = Load16(18);
    const std::size_t end =
        32 + 18 * std::size_t{image_.satelliteCount} + 4 * std::size_t{image_.tpCount};
    if (end > kFlashInfoImageSize - 32) {
      Find(16, "the header counts " + std::to_string(image_.satelliteCount) + " satellites and " +
                   std::to_string(image_.tpCount) + " TPs, whose records would run to offset " +
                   std::to_string(end) + ", past offset 2016");
    }
    ReadRecords();
    CheckSatellites();
    CheckTps();
    CheckCapacity();
    CheckZero(std::min(end, size_), size_, "bytes after the records");
  }

 private:
  std::uint16_t Load16(std::size_t at) const {
    return static_cast<std::uint16_t>(data_[at] | (data_[at + 1] << 8));
  }

  void Find(std::size_t offset, std::string message) {
    image_.findings.push_back({offset, std::move(message)});
  }

  void CheckZero(std::size_t from, std::size_t to, const char* what) {
    for (std::size_t i = from; i < to && i < size_; ++i) {
      if (data_[i] != 0) {
        Find(i, std::string(what) + " are not zero");
        return;
      }
    }
  }

  void ReadRecords() {
    for (std::size_t k = 0; k < image_.satelliteCount && image_.SatelliteOffset(k) + 18 <= size_;
         ++k) {
      SatelliteInfo s;
      std::memcpy(s.bytes.data(), data_ + image_.SatelliteOffset(k), 18);
      image_.satellites.push_back(s);
    }
    if (image_.satellites.size() < image_.satelliteCount) return;
    for (std::size_t j = 0; j < image_.tpCount && image_.TpOffset(j) + 4 <= size_; ++j) {
      TpInfo t;
      std::memcpy(t.bytes.data(), data_ + image_.TpOffset(j), 4);
      image_.tps.push_back(t);
    }
  }

  void CheckRange(std::size_t offset, const std::string& what, int value, int low, int high) {
    if (value < low || value > high) {
      Find(offset, what + " " + std::to_string(value) + " is outside " + std::to_string(low) +
                       " to " + std::to_string(high));
    }
  }

  void CheckSatellites() {
    std::size_t expectedIndex = 0;
    for (std::size_t k = 0; k < image_.satellites.size(); ++k) {
      const SatelliteInfo& s = image_.satellites[k];
      const std::size_t at = image_.SatelliteOffset(k);
      const std::string name = "satellite " + std::to_string(k + 1);
      CheckRange(at, name + ": local frequency 1", s.localFre1(), kLocalFreMin, kLocalFreMax);
      CheckRange(at + 2, name + ": local frequency 2", s.localFre2(), kLocalFreMin, kLocalFreMax);
      if (s.tpCount() > kMaxTpsPerSatellite) {
        Find(at + 4, name + " has " + std::to_string(s.tpCount()) + " TPs, more than 20");
      }
      const std::size_t first = s.tpIndex(), last = first + s.tpCount();
      if (last > image_.tpCount) {
        Find(at + 4, name + ": its TPs " + std::to_string(first) + " to " +
                         std::to_string(last - 1) + " run past the " +
                         std::to_string(image_.tpCount) + " TPs of the file");
      }
      if (k > 0 && first < expectedIndex) {
        Find(at + 4, name + ": its TPs overlap those of satellite " + std::to_string(k));
      } else if (k > 0 && first > expectedIndex) {
        Find(at + 4, "TPs " + std::to_string(expectedIndex) + " to " + std::to_string(first - 1) +
                         " belong to no satellite");
      }
      expectedIndex = std::max(expectedIndex, last);
    }
    if (image_.satellites.empty() && image_.tpCount > 0) {
      Find(18, "the file has TPs but no satellite, which the import never makes");
    }
    if (!image_.satellites.empty() && expectedIndex < image_.tpCount) {
      Find(image_.TpOffset(expectedIndex), "TPs " + std::to_string(expectedIndex) + " to " +
                                               std::to_string(image_.tpCount - 1) +
                                               " belong to no satellite");
    }
  }

  void CheckTps() {
    for (std::size_t j = 0; j < image_.tps.size(); ++j) {
      const TpInfo& t = image_.tps[j];
      const std::size_t at = image_.TpOffset(j);
      const std::string name = "TP " + std::to_string(j);
      if (t.bytes[1] & 0x80) Find(at + 1, name + ": bit 15 of its frequency word is set");
      CheckRange(at, name + ": frequency", t.fre(), kFreMin, kFreMax);
      CheckRange(at + 2, name + ": symbol rate", t.symbolRate(), kSymbolRateMin, kSymbolRateMax);
    }
  }

  // The import admits a satellite only while 18S + 4T + 38 < 2000 and a TP
  // only while 18S + 4T + 20 < 2000, in the order the rows came.
  void CheckCapacity() {
    const std::size_t leading = LeadingUnassignedTps(image_);
    for (std::size_t j = 0; j < leading && j < image_.tps.size(); ++j) {
      if (4 * static_cast<int>(j) + 20 >= kCapacity) return Exceeded(image_.TpOffset(j));
    }
    for (std::size_t k = 0; k < image_.satellites.size(); ++k) {
      const int index = image_.satellites[k].tpIndex();
      if (18 * static_cast<int>(k) + 4 * index + 38 >= kCapacity)
        return Exceeded(image_.SatelliteOffset(k));
      for (int j = index; j < index + image_.satellites[k].tpCount(); ++j) {
        if (18 * static_cast<int>(k + 1) + 4 * j + 20 >= kCapacity)
          return Exceeded(image_.TpOffset(j));
      }
    }
  }
  void Exceeded(std::size_t offset) {
    Find(offset,
         "the records go past what the import admits (18 per satellite + 4 per TP below 2000)");
  }

  const std::uint8_t* data_;
  std::size_t size_;
  DecodedImage& image_;
};

}  // namespace

DecodedImage DecodeFlashInfoImage(const std::uint8_t* data, std::size_t size) {
  DecodedImage image;
  Checker(data, size, image).Run();
  return image;
}

std::size_t LeadingUnassignedTps(const DecodedImage& image) {
  if (image.satellites.empty()) return image.tps.size();
  return std::min<std::size_t>(image.satellites.front().tpIndex(), image.tps.size());
}
