#include "workbook/zip_archive.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "workbook/error.h"
#include "workbook/text_util.h"

namespace workbook {
namespace {

constexpr std::uint64_t kDefaultMaxMemberBytes = std::uint64_t{1} << 30;
std::uint64_t g_maxMemberBytes = kDefaultMaxMemberBytes;

constexpr std::uint32_t kLocalHeader = 0x04034b50;
constexpr std::uint32_t kCentralHeader = 0x02014b50;
constexpr std::uint32_t kEndOfDirectory = 0x06054b50;
constexpr std::uint32_t kZip64Locator = 0x07064b50;
constexpr std::uint32_t kZip64EndOfDirectory = 0x06064b50;
constexpr std::size_t kEndOfDirectorySize = 22;
constexpr std::size_t kCentralHeaderSize = 46;
constexpr std::size_t kLocalHeaderSize = 30;
constexpr std::uint16_t kZip64ExtraId = 0x0001;
constexpr std::uint16_t kFlagEncrypted = 0x0001;
constexpr std::uint16_t kStored = 0;
constexpr std::uint16_t kDeflated = 8;
// Compressed input is read in growing chunks: a column listing needs only
// the start of a sheet, a whole read profits from large reads.
constexpr std::size_t kFirstChunk = 4096;
constexpr std::size_t kLargestChunk = 64 * 1024;

[[noreturn]] void ThrowBrokenContainer(const std::string& what) {
  ThrowDamaged("the ZIP container is damaged: " + what);
}

struct Directory {
  std::uint64_t entries = 0;
  std::uint64_t size = 0;
  std::uint64_t offset = 0;
};

// The end-of-central-directory record found at recordAt (and the ZIP64
// records it leads to): where the central directory lies.
Directory ReadEndRecord(const ByteSource& file, const unsigned char* record,
                        std::uint64_t recordAt) {
  if (Le16(record + 4) != 0 || Le16(record + 6) != 0) {
    ThrowBrokenContainer("it spans several disks");
  }
  Directory directory{Le16(record + 10), Le32(record + 12), Le32(record + 16)};
  std::uint64_t directoryEnd = recordAt;
  const bool zip64 =
      directory.entries == 0xFFFF || directory.size == 0xFFFFFFFF || directory.offset == 0xFFFFFFFF;
  unsigned char locator[20];
  if (zip64 && recordAt >= sizeof locator &&
      file.ReadExactAt(recordAt - sizeof locator, sizeof locator, locator) &&
      Le32(locator) == kZip64Locator) {
    const std::uint64_t zip64At = Le64(locator + 8);
    unsigned char zip64Record[56];
    if (!file.ReadExactAt(zip64At, sizeof zip64Record, zip64Record) ||
        Le32(zip64Record) != kZip64EndOfDirectory) {
      ThrowBrokenContainer("its ZIP64 end record is missing");
    }
    directory = {Le64(zip64Record + 32), Le64(zip64Record + 40), Le64(zip64Record + 48)};
    directoryEnd = zip64At;
  }
  if (directory.offset > directoryEnd || directory.size > directoryEnd - directory.offset) {
    ThrowBrokenContainer("its central directory lies outside the file");
  }
  return directory;
}

// The central directory, found through the end record searched from the
// end of the file past a comment of up to 64 KiB. Nothing when there is none.
std::optional<Directory> FindDirectory(const ByteSource& file) {
  const std::uint64_t fileSize = file.size();
  if (fileSize < kEndOfDirectorySize) return std::nullopt;
  // Almost every archive ends in its end record, without a comment: the
  // last 4 KiB are read first, the whole reach of a comment only if needed.
  std::vector<unsigned char> tail;
  for (const std::size_t reach : {std::size_t{4096}, kEndOfDirectorySize + 0xFFFF}) {
    const std::size_t tailSize = static_cast<std::size_t>(std::min<std::uint64_t>(fileSize, reach));
    if (tailSize <= tail.size()) break;  // the file is shorter than the first reach
    const std::uint64_t tailStart = fileSize - tailSize;
    tail.resize(tailSize);
    if (!file.ReadExactAt(tailStart, tailSize, tail.data())) return std::nullopt;
    for (std::size_t at = tailSize - kEndOfDirectorySize + 1; at-- > 0;) {
      if (Le32(tail.data() + at) == kEndOfDirectory) {
        return ReadEndRecord(file, tail.data() + at, tailStart + at);
      }
    }
  }
  return std::nullopt;
}

// Applies the ZIP64 extra field: the 64-bit values of the fields whose
// 32-bit slots hold 0xFFFFFFFF, in their fixed order.
void ApplyZip64Extra(const unsigned char* extra, std::size_t length, ZipArchive::Entry& entry) {
  std::uint64_t* fields[] = {&entry.size, &entry.compressedSize, &entry.localHeaderOffset};
  while (length >= 4) {
    const std::uint16_t id = Le16(extra);
    const std::size_t dataSize = std::min<std::size_t>(Le16(extra + 2), length - 4);
    if (id == kZip64ExtraId) {
      std::size_t used = 0;
      for (std::uint64_t* field : fields) {
        if (*field != 0xFFFFFFFF) continue;
        if (used + 8 > dataSize) ThrowBrokenContainer("a ZIP64 extra field is too short");
        *field = Le64(extra + 4 + used);
        used += 8;
      }
      return;
    }
    extra += 4 + dataSize;
    length -= 4 + dataSize;
  }
}

std::vector<ZipArchive::Entry> ReadDirectory(const ByteSource& file, const Directory& directory) {
  if (directory.entries > directory.size / kCentralHeaderSize) {
    ThrowBrokenContainer("its central directory is too short for its " +
                         std::to_string(directory.entries) + " entries");
  }
  std::vector<unsigned char> bytes(static_cast<std::size_t>(directory.size));
  if (!file.ReadExactAt(directory.offset, bytes.size(), bytes.data())) {
    ThrowBrokenContainer("its central directory cannot be read");
  }
  std::vector<ZipArchive::Entry> entries;
  entries.reserve(static_cast<std::size_t>(directory.entries));
  std::size_t at = 0;
  for (std::uint64_t i = 0; i < directory.entries; ++i) {
    const unsigned char* header = bytes.data() + at;
    if (bytes.size() - at < kCentralHeaderSize || Le32(header) != kCentralHeader) {
      ThrowBrokenContainer("entry " + std::to_string(i + 1) +
                           " of its central directory is broken");
    }
    const std::size_t nameLength = Le16(header + 28);
    const std::size_t extraLength = Le16(header + 30);
    const std::size_t commentLength = Le16(header + 32);
    const std::size_t recordSize = kCentralHeaderSize + nameLength + extraLength + commentLength;
    if (bytes.size() - at < recordSize) {
      ThrowBrokenContainer("entry " + std::to_string(i + 1) + " runs past its central directory");
    }
    ZipArchive::Entry entry;
    entry.flags = Le16(header + 8);
    entry.method = Le16(header + 10);
    entry.crc = Le32(header + 16);
    entry.compressedSize = Le32(header + 20);
    entry.size = Le32(header + 24);
    entry.localHeaderOffset = Le32(header + 42);
    entry.name.assign(reinterpret_cast<const char*>(header + kCentralHeaderSize), nameLength);
    ApplyZip64Extra(header + kCentralHeaderSize + nameLength, extraLength, entry);
    entries.push_back(std::move(entry));
    at += recordSize;
  }
  return entries;
}

}  // namespace

std::uint64_t MaxMemberBytes() { return g_maxMemberBytes; }

namespace testing {
void SetMaxMemberBytes(std::uint64_t cap) {
  g_maxMemberBytes = cap != 0 ? cap : kDefaultMaxMemberBytes;
}
}  // namespace testing

std::unique_ptr<ZipArchive> ZipArchive::Open(std::shared_ptr<const ByteSource> source) {
  const std::optional<Directory> directory = FindDirectory(*source);
  if (!directory) {
    unsigned char head[4];
    if (source->ReadExactAt(0, sizeof head, head) && Le32(head) == kLocalHeader) {
      ThrowBrokenContainer("its central directory is missing (the file may be cut short)");
    }
    return nullptr;
  }
  std::vector<Entry> entries = ReadDirectory(*source, *directory);
  return std::unique_ptr<ZipArchive>(new ZipArchive(std::move(source), std::move(entries)));
}

std::optional<std::uint64_t> ZipArchive::Find(const std::string& name) const {
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (EqualsIgnoringCase(entries_[i].name, name)) return i;
  }
  return std::nullopt;
}

std::unique_ptr<ZipMember> ZipArchive::OpenMember(std::uint64_t index,
                                                  const std::string& name) const {
  const Entry& entry = entries_.at(static_cast<std::size_t>(index));
  const std::string part = "the part '" + name + "' ";
  if (entry.flags & kFlagEncrypted) throw Error(Error::Kind::Unsupported, part + "is encrypted");
  if (entry.method != kStored && entry.method != kDeflated) {
    throw Error(Error::Kind::Unsupported,
                part + "is compressed with method " + std::to_string(entry.method) +
                    ", which this tool does not read (only stored and deflated parts)");
  }
  unsigned char header[kLocalHeaderSize];
  if (!source_->ReadExactAt(entry.localHeaderOffset, sizeof header, header) ||
      Le32(header) != kLocalHeader) {
    ThrowDamaged(part + "cannot be read: its local header is missing");
  }
  const std::uint64_t dataOffset =
      entry.localHeaderOffset + kLocalHeaderSize + Le16(header + 26) + Le16(header + 28);
  if (dataOffset > source_->size() || entry.compressedSize > source_->size() - dataOffset) {
    ThrowDamaged(part + "cannot be read: its data runs past the end of the file");
  }
  if (entry.method == kStored && entry.compressedSize != entry.size) {
    ThrowDamaged(part + "cannot be read: it is stored, but its two sizes differ");
  }
  return std::make_unique<ZipMember>(source_, entry, dataOffset, name, MaxMemberBytes());
}

std::optional<std::string> ZipArchive::ReadSmall(const std::string& name, std::size_t limit) const {
  const auto index = Find(name);
  if (!index) return std::nullopt;
  auto member = OpenMember(*index, name);
  std::string text(limit, '\0');
  std::size_t filled = 0;
  while (filled < limit) {
    const std::size_t n = member->Read(text.data() + filled, limit - filled);
    if (n == 0) break;
    filled += n;
  }
  text.resize(filled);
  return text;
}

struct ZipMember::Inflater {
  z_stream stream{};
  Inflater() {
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) throw std::bad_alloc();
  }
  ~Inflater() { inflateEnd(&stream); }
};

ZipMember::ZipMember(std::shared_ptr<const ByteSource> source, const ZipArchive::Entry& entry,
                     std::uint64_t dataOffset, std::string name, std::uint64_t cap)
    : source_(std::move(source)),
      entry_(entry),
      name_(std::move(name)),
      cap_(cap),
      next_(dataOffset),
      left_(entry.compressedSize),
      crc_(static_cast<std::uint32_t>(crc32(0, nullptr, 0))) {
  if (entry_.method == kDeflated) inflater_ = std::make_unique<Inflater>();
}

ZipMember::~ZipMember() = default;

void ZipMember::ThrowDamaged(const std::string& what) const {
  workbook::ThrowDamaged("the part '" + name_ + "' is damaged: " + what);
}

std::size_t ZipMember::Read(char* buffer, std::size_t size) {
  if (ended_ || size == 0) return 0;
  const std::size_t n = entry_.method == kStored ? ReadStored(buffer, size) : Inflate(buffer, size);
  crc_ = static_cast<std::uint32_t>(
      crc32(crc_, reinterpret_cast<const Bytef*>(buffer), static_cast<uInt>(n)));
  total_ += n;
  if (total_ > cap_) {
    throw Error(Error::Kind::TooLarge, "the part '" + name_ + "' inflates to more than " +
                                           std::to_string(cap_) +
                                           " bytes; the file looks like a zip bomb");
  }
  if (total_ > entry_.size) {
    ThrowDamaged("it inflates to more than the " + std::to_string(entry_.size) +
                 " bytes its directory entry states");
  }
  if (ended_) {
    if (total_ != entry_.size) {
      ThrowDamaged("it inflates to " + std::to_string(total_) + " bytes, not the " +
                   std::to_string(entry_.size) + " its directory entry states");
    }
    if (crc_ != entry_.crc) ThrowDamaged("its CRC-32 does not match");
  }
  return n;
}

std::size_t ZipMember::ReadStored(char* buffer, std::size_t size) {
  const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(size, left_));
  if (source_->ReadAt(next_, want, buffer) != want) ThrowDamaged("the file ends inside its data");
  next_ += want;
  left_ -= want;
  ended_ = left_ == 0;
  return want;
}

void ZipMember::Refill() {
  const std::size_t chunk =
      input_.empty() ? kFirstChunk : std::min(input_.size() * 2, kLargestChunk);
  if (input_.size() < chunk) input_.resize(chunk);
  const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(chunk, left_));
  if (source_->ReadAt(next_, want, input_.data()) != want) {
    ThrowDamaged("the file ends inside its data");
  }
  next_ += want;
  left_ -= want;
  inflater_->stream.next_in = input_.data();
  inflater_->stream.avail_in = static_cast<uInt>(want);
}

std::size_t ZipMember::Inflate(char* buffer, std::size_t size) {
  z_stream& z = inflater_->stream;
  z.next_out = reinterpret_cast<Bytef*>(buffer);
  z.avail_out = static_cast<uInt>(std::min<std::size_t>(size, 1u << 30));
  const uInt wanted = z.avail_out;
  while (z.avail_out > 0 && !ended_) {
    if (z.avail_in == 0 && left_ > 0) Refill();
    const int result = inflate(&z, Z_NO_FLUSH);
    if (result == Z_STREAM_END) {
      ended_ = true;
    } else if (result == Z_BUF_ERROR) {
      if (z.avail_in == 0 && left_ == 0) ThrowDamaged("its compressed data ends too early");
    } else if (result != Z_OK) {
      ThrowDamaged(z.msg != nullptr ? z.msg : "its compressed data cannot be inflated");
    }
  }
  return wanted - z.avail_out;
}

}  // namespace workbook
