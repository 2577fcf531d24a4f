#include "workbook/ole_container.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "workbook/error.h"
#include "workbook/text_util.h"

namespace workbook {
namespace {

constexpr unsigned char kOle2Signature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
constexpr std::size_t kHeaderSize = 512;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kNoStream = 0xFFFFFFFF;
constexpr std::uint64_t kWholeChain = ~std::uint64_t{0};
constexpr std::size_t kHeaderDifatEntries = 109;
constexpr std::size_t kDirectoryEntrySize = 128;
constexpr std::uint8_t kStreamEntry = 2;
constexpr std::uint8_t kRootEntry = 5;
// The stream is read ahead in growing windows: the globals of a small
// workbook fit the first, a big sheet is read in large pieces.
constexpr std::size_t kFirstWindow = 8 * 1024;
constexpr std::size_t kLargestWindow = 64 * 1024;

[[noreturn]] void ThrowBrokenContainer(const std::string& what) {
  ThrowDamaged("the OLE2 container is damaged: " + what);
}

struct DirectoryEntry {
  std::string name;  // ASCII letters kept, anything else as '?'
  std::uint8_t type = 0;
  std::uint32_t left = kNoStream, right = kNoStream, child = kNoStream;
  std::uint32_t start = 0;
  std::uint64_t size = 0;
};

class CompoundFile {
 public:
  explicit CompoundFile(const ByteSource& file) : file_(file) {
    ReadHeader();
    ReadFat();
    ReadDirectory();
  }

  // The stream entry of that name among the root storage's children.
  std::optional<DirectoryEntry> FindRootStream(const char* name) const {
    std::vector<bool> seen(directory_.size());
    std::vector<std::uint32_t> pending = {directory_[0].child};
    while (!pending.empty()) {
      const std::uint32_t id = pending.back();
      pending.pop_back();
      if (id == kNoStream) continue;
      if (id >= directory_.size()) {
        ThrowBrokenContainer("its directory refers to entry " + std::to_string(id) + " of only " +
                             std::to_string(directory_.size()));
      }
      if (seen[id]) continue;  // a tree that loops: every entry is looked at once
      seen[id] = true;
      const DirectoryEntry& entry = directory_[id];
      if (entry.type == kStreamEntry && EqualsIgnoringCase(entry.name, name)) return entry;
      pending.push_back(entry.left);
      pending.push_back(entry.right);
    }
    return std::nullopt;
  }

  // Where the bytes of a stream lie in the file.
  std::vector<OleStream::Extent> StreamExtents(const DirectoryEntry& entry) const {
    std::vector<OleStream::Extent> extents;
    const auto add = [&extents](std::uint64_t offset, std::uint64_t length) {
      if (!extents.empty() && extents.back().fileOffset + extents.back().length == offset) {
        extents.back().length += length;
      } else {
        extents.push_back({offset, length});
      }
    };
    if (entry.size < miniCutoff_) {
      const DirectoryEntry& root = directory_[0];
      const std::vector<std::uint32_t> container =
          Chain(fat_, root.start, kWholeChain, "the mini stream");
      const std::vector<std::uint32_t> miniFat = ReadMiniFat();
      for (const std::uint32_t mini :
           Chain(miniFat, entry.start, SectorsFor(entry.size, kMiniSectorSize), "a stream")) {
        const std::uint64_t at = std::uint64_t{mini} * kMiniSectorSize;
        if (at / sectorSize_ >= container.size()) {
          ThrowBrokenContainer("mini sector " + std::to_string(mini) +
                               " lies past the end of the mini stream");
        }
        add(SectorOffset(container[at / sectorSize_]) + at % sectorSize_, kMiniSectorSize);
      }
    } else {
      for (const std::uint32_t sector :
           Chain(fat_, entry.start, SectorsFor(entry.size, sectorSize_), "the workbook stream")) {
        add(SectorOffset(sector), sectorSize_);
      }
    }
    return extents;
  }

 private:
  static constexpr std::uint64_t kMiniSectorSize = 64;

  static std::uint64_t SectorsFor(std::uint64_t bytes, std::uint64_t sectorSize) {
    return bytes / sectorSize + (bytes % sectorSize != 0);
  }
  std::uint64_t SectorOffset(std::uint32_t sector) const {
    return (std::uint64_t{sector} + 1) * sectorSize_;
  }

  // The first `needed` sectors of a chain, or all of it. A chain that
  // leaves the table, ends early or loops is damage.
  std::vector<std::uint32_t> Chain(const std::vector<std::uint32_t>& table, std::uint32_t start,
                                   std::uint64_t needed, const char* what) const {
    std::vector<std::uint32_t> chain;
    std::vector<bool> used(table.size());
    for (std::uint32_t sector = start; sector != kEndOfChain && chain.size() < needed;
         sector = table[sector]) {
      if (sector >= table.size()) {
        ThrowBrokenContainer(std::string("the sector chain of ") + what + " leads to sector " +
                             std::to_string(sector) + ", outside the file");
      }
      if (used[sector]) ThrowBrokenContainer(std::string("the sector chain of ") + what + " loops");
      used[sector] = true;
      chain.push_back(sector);
    }
    if (needed != kWholeChain && chain.size() < needed) {
      ThrowBrokenContainer(std::string("the sector chain of ") + what + " ends after " +
                           std::to_string(chain.size()) + " of its " + std::to_string(needed) +
                           " sectors");
    }
    return chain;
  }

  void ReadSector(std::uint32_t sector, unsigned char* out, const char* what) const {
    if (!file_.ReadExactAt(SectorOffset(sector), sectorSize_, out)) {
      ThrowBrokenContainer(std::string("the file ends before sector ") + std::to_string(sector) +
                           " of " + what);
    }
  }

  // The table of a chain of sectors, each holding 32-bit sector numbers.
  std::vector<std::uint32_t> ReadTable(const std::vector<std::uint32_t>& sectors,
                                       const char* what) const {
    std::vector<std::uint32_t> table(sectors.size() * (sectorSize_ / 4));
    std::vector<unsigned char> bytes(sectorSize_);
    for (std::size_t i = 0; i < sectors.size(); ++i) {
      ReadSector(sectors[i], bytes.data(), what);
      for (std::size_t j = 0; j < sectorSize_ / 4; ++j) {
        table[i * (sectorSize_ / 4) + j] = Le32(bytes.data() + 4 * j);
      }
    }
    return table;
  }

  void ReadHeader() {
    if (!file_.ReadExactAt(0, kHeaderSize, header_)) {
      ThrowBrokenContainer("its header is cut short");
    }
    const std::uint16_t shift = Le16(header_ + 0x1E);
    if (Le16(header_ + 0x1C) != 0xFFFE || (shift != 9 && shift != 12) ||
        Le16(header_ + 0x20) != 6) {
      ThrowBrokenContainer("its header states no sector size this format has");
    }
    majorVersion_ = Le16(header_ + 0x1A);
    sectorSize_ = std::size_t{1} << shift;
    miniCutoff_ = Le32(header_ + 0x38);
    // Sectors that fit in the file: no chain or table can be longer.
    sectorsInFile_ = file_.size() / sectorSize_;
  }

  void ReadFat() {
    const std::uint32_t fatSectors = Le32(header_ + 0x2C);
    if (fatSectors > sectorsInFile_) {
      ThrowBrokenContainer("its header states " + std::to_string(fatSectors) +
                           " allocation table sectors, more than the file holds");
    }
    std::vector<std::uint32_t> fatChain;
    for (std::size_t i = 0; i < kHeaderDifatEntries && fatChain.size() < fatSectors; ++i) {
      fatChain.push_back(Le32(header_ + 0x4C + 4 * i));
    }
    std::uint32_t difat = Le32(header_ + 0x44);
    std::vector<unsigned char> bytes(sectorSize_);
    for (std::uint64_t hops = 0; fatChain.size() < fatSectors; ++hops) {
      if (difat >= sectorsInFile_ || hops > sectorsInFile_) {
        ThrowBrokenContainer("the list of its allocation table sectors is broken");
      }
      ReadSector(difat, bytes.data(), "the allocation table list");
      for (std::size_t j = 0; j + 1 < sectorSize_ / 4 && fatChain.size() < fatSectors; ++j) {
        fatChain.push_back(Le32(bytes.data() + 4 * j));
      }
      difat = Le32(bytes.data() + sectorSize_ - 4);
    }
    for (const std::uint32_t sector : fatChain) {
      if (sector >= sectorsInFile_) {
        ThrowBrokenContainer("an allocation table sector lies outside the file");
      }
    }
    fat_ = ReadTable(fatChain, "the allocation table");
  }

  std::vector<std::uint32_t> ReadMiniFat() const {
    // A file without a mini stream has an empty chain here.
    return ReadTable(Chain(fat_, Le32(header_ + 0x3C), kWholeChain, "the mini allocation table"),
                     "the mini allocation table");
  }

  void ReadDirectory() {
    const std::vector<std::uint32_t> sectors =
        Chain(fat_, Le32(header_ + 0x30), kWholeChain, "the directory");
    std::vector<unsigned char> bytes(sectorSize_);
    for (const std::uint32_t sector : sectors) {
      ReadSector(sector, bytes.data(), "the directory");
      for (std::size_t at = 0; at + kDirectoryEntrySize <= sectorSize_; at += kDirectoryEntrySize) {
        directory_.push_back(ParseEntry(bytes.data() + at));
      }
    }
    if (directory_.empty() || directory_[0].type != kRootEntry) {
      ThrowBrokenContainer("its directory has no root entry");
    }
  }

  DirectoryEntry ParseEntry(const unsigned char* bytes) const {
    DirectoryEntry entry;
    const std::size_t nameBytes = std::min<std::size_t>(Le16(bytes + 64), 64);
    for (std::size_t i = 0; i + 1 < nameBytes; i += 2) {
      const std::uint16_t unit = Le16(bytes + i);
      if (unit == 0) break;
      entry.name += unit < 0x80 ? static_cast<char>(unit) : '?';
    }
    entry.type = bytes[66];
    entry.left = Le32(bytes + 68);
    entry.right = Le32(bytes + 72);
    entry.child = Le32(bytes + 76);
    entry.start = Le32(bytes + 116);
    // Version 3 files leave the upper half of the size undefined.
    entry.size = majorVersion_ == 3 ? Le32(bytes + 120) : Le64(bytes + 120);
    return entry;
  }

  const ByteSource& file_;
  unsigned char header_[kHeaderSize] = {};
  std::uint16_t majorVersion_ = 3;
  std::size_t sectorSize_ = 512;
  std::uint64_t miniCutoff_ = 4096;
  std::uint64_t sectorsInFile_ = 0;
  std::vector<std::uint32_t> fat_;
  std::vector<DirectoryEntry> directory_;
};

}  // namespace

bool HasOle2Signature(const ByteSource& source) {
  unsigned char head[sizeof kOle2Signature] = {};
  return source.ReadExactAt(0, sizeof head, head) &&
         std::memcmp(head, kOle2Signature, sizeof head) == 0;
}

std::unique_ptr<OleStream> OleStream::OpenWorkbookStream(std::shared_ptr<const ByteSource> source) {
  const CompoundFile compound(*source);
  std::optional<DirectoryEntry> stream = compound.FindRootStream("Workbook");
  if (!stream) stream = compound.FindRootStream("Book");
  if (!stream) {
    if (compound.FindRootStream("EncryptedPackage")) {
      throw Error(Error::Kind::Unsupported, "the workbook is protected with a password");
    }
    throw Error(Error::Kind::NotAWorkbook,
                "the file is an OLE2 compound file without a workbook stream (not an Excel file)");
  }
  std::vector<Extent> extents = compound.StreamExtents(*stream);
  return std::make_unique<OleStream>(std::move(source), std::move(extents), stream->size);
}

OleStream::OleStream(std::shared_ptr<const ByteSource> source, std::vector<Extent> extents,
                     std::uint64_t size)
    : source_(std::move(source)), extents_(std::move(extents)), size_(size) {
  std::uint64_t start = 0;
  for (const Extent& extent : extents_) {
    extentStarts_.push_back(start);
    start += extent.length;
  }
}

void OleStream::Seek(std::uint64_t offset) {
  if (offset > size_) {
    ThrowDamaged("a record offset " + std::to_string(offset) + " lies past the end of the " +
                 std::to_string(size_) + "-byte workbook stream");
  }
  position_ = offset;
}

void OleStream::Read(std::size_t n, std::uint8_t* out) {
  if (n > size_ - position_) {
    ThrowDamaged("the workbook stream ends inside a record at offset " + std::to_string(position_));
  }
  while (n > 0) {
    if (position_ < windowStart_ || position_ >= windowStart_ + window_.size()) FillWindow();
    const std::size_t at = static_cast<std::size_t>(position_ - windowStart_);
    const std::size_t piece = std::min(n, window_.size() - at);
    std::memcpy(out, window_.data() + at, piece);
    out += piece;
    n -= piece;
    position_ += piece;
  }
}

// Reads the stream from the current position into the window, across as
// many extents as it spans.
void OleStream::FillWindow() {
  windowCapacity_ =
      windowCapacity_ == 0 ? kFirstWindow : std::min(windowCapacity_ * 2, kLargestWindow);
  const std::size_t length =
      static_cast<std::size_t>(std::min<std::uint64_t>(windowCapacity_, size_ - position_));
  window_.resize(length);
  windowStart_ = position_;
  std::size_t extent = static_cast<std::size_t>(
      std::upper_bound(extentStarts_.begin(), extentStarts_.end(), position_) -
      extentStarts_.begin() - 1);
  for (std::size_t filled = 0; filled < length; ++extent) {
    const std::uint64_t into = windowStart_ + filled - extentStarts_[extent];
    const std::size_t piece = static_cast<std::size_t>(
        std::min<std::uint64_t>(length - filled, extents_[extent].length - into));
    if (!source_->ReadExactAt(extents_[extent].fileOffset + into, piece, window_.data() + filled)) {
      ThrowDamaged("the file ends inside the workbook stream (at stream offset " +
                   std::to_string(windowStart_ + filled) + ")");
    }
    filled += piece;
  }
}

}  // namespace workbook
