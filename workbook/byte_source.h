#pragma once
// The bytes of a workbook file, read at given offsets: a file on disk (read
// with pread) or a copy held in memory. Shared by the ZIP and the OLE2
// container readers; its size is taken once, when it is opened.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace workbook {

class ByteSource {
 public:
  // Throws CannotOpen when the file cannot be opened or its size read.
  static std::shared_ptr<const ByteSource> OpenFile(const std::string& path);
  static std::shared_ptr<const ByteSource> FromMemory(std::string bytes);
  ~ByteSource();
  ByteSource(const ByteSource&) = delete;
  ByteSource& operator=(const ByteSource&) = delete;

  std::uint64_t size() const { return size_; }
  // Up to n bytes at offset (fewer only at the end); throws CannotOpen when
  // the system fails to read.
  std::size_t ReadAt(std::uint64_t offset, std::size_t n, void* out) const;
  // Exactly n bytes at offset; false when the source ends first.
  bool ReadExactAt(std::uint64_t offset, std::size_t n, void* out) const;

 private:
  ByteSource(int fd, std::uint64_t size, std::string bytes)
      : fd_(fd), size_(size), bytes_(std::move(bytes)) {}
  int fd_;  // -1 for bytes in memory
  std::uint64_t size_;
  std::string bytes_;
};

// Little-endian fields of the container formats, read from a byte buffer.
inline std::uint16_t Le16(const unsigned char* p) {
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}
inline std::uint32_t Le32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
inline std::uint64_t Le64(const unsigned char* p) {
  return Le32(p) | static_cast<std::uint64_t>(Le32(p + 4)) << 32;
}

}  // namespace workbook
