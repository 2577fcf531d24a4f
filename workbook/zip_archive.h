#pragma once
// A read-only ZIP archive whose members are read as streams (zlib's raw
// inflate), with a cap on the bytes actually inflated: the sizes a member
// claims are never trusted. Only what .xlsx and .ods packages use is read:
// stored and deflated members, ZIP64 sizes and offsets, one disk.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "workbook/byte_source.h"

namespace workbook {

// Inflated bytes one member may yield before it counts as a zip bomb:
// 1 GiB, far above what a sheet of a million rows inflates to.
std::uint64_t MaxMemberBytes();

namespace testing {
// Lowers (or restores, with 0) the cap, so tests need not inflate 1 GiB.
void SetMaxMemberBytes(std::uint64_t cap);
}  // namespace testing

class ZipMember;

class ZipArchive {
 public:
  // What the central directory says of one member.
  struct Entry {
    std::string name;
    std::uint16_t flags = 0;
    std::uint16_t method = 0;
    std::uint32_t crc = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t size = 0;
    std::uint64_t localHeaderOffset = 0;
  };

  // Nothing when the bytes are no ZIP archive; throws CannotOpen when they
  // cannot be read, Damaged when they are a broken one.
  static std::unique_ptr<ZipArchive> Open(std::shared_ptr<const ByteSource> source);
  ZipArchive(const ZipArchive&) = delete;
  ZipArchive& operator=(const ZipArchive&) = delete;

  // The index of a member by name, letter case ignored as OPC names are.
  std::optional<std::uint64_t> Find(const std::string& name) const;
  // Opens a member for streaming; throws Damaged when it cannot be inflated.
  std::unique_ptr<ZipMember> OpenMember(std::uint64_t index, const std::string& name) const;
  // A whole (small) member, for the mimetype; nothing when absent.
  std::optional<std::string> ReadSmall(const std::string& name, std::size_t limit) const;

 private:
  ZipArchive(std::shared_ptr<const ByteSource> source, std::vector<Entry> entries)
      : source_(std::move(source)), entries_(std::move(entries)) {}
  std::shared_ptr<const ByteSource> source_;
  std::vector<Entry> entries_;
};

class ZipMember {
 public:
  // Starts inflating the member whose data begins at dataOffset.
  ZipMember(std::shared_ptr<const ByteSource> source, const ZipArchive::Entry& entry,
            std::uint64_t dataOffset, std::string name, std::uint64_t cap);
  ~ZipMember();
  ZipMember(const ZipMember&) = delete;
  ZipMember& operator=(const ZipMember&) = delete;

  // Up to size bytes; 0 at the end. Throws Damaged on a broken stream
  // (including a wrong size or CRC at its end) and TooLarge past the cap.
  std::size_t Read(char* buffer, std::size_t size);
  const std::string& name() const { return name_; }

 private:
  std::size_t ReadStored(char* buffer, std::size_t size);
  std::size_t Inflate(char* buffer, std::size_t size);
  void Refill();
  std::size_t Finish(std::size_t n);
  [[noreturn]] void ThrowDamaged(const std::string& what) const;

  std::shared_ptr<const ByteSource> source_;
  ZipArchive::Entry entry_;
  std::string name_;
  std::uint64_t cap_;
  std::uint64_t next_;       // file offset of the next compressed byte
  std::uint64_t left_;       // compressed bytes not yet read from the file
  std::uint64_t total_ = 0;  // bytes handed out
  std::uint32_t crc_ = 0;
  bool ended_ = false;
  std::vector<unsigned char> input_;
  struct Inflater;
  std::unique_ptr<Inflater> inflater_;
};

}  // namespace workbook
