#pragma once
// A file opened for reading at given offsets (pread), shared by the ZIP and
// the OLE2 container readers. Its size is taken once, when it is opened.
#include <cstddef>
#include <cstdint>
#include <string>

namespace workbook {

class ReadOnlyFile {
 public:
  // Throws CannotOpen when the file cannot be opened or its size read.
  explicit ReadOnlyFile(const std::string& path);
  ~ReadOnlyFile();
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

  std::uint64_t size() const { return size_; }
  // Up to n bytes at offset (fewer only at the end of the file); throws
  // CannotOpen when the system fails to read.
  std::size_t ReadAt(std::uint64_t offset, std::size_t n, void* out) const;
  // Exactly n bytes at offset; false when the file ends first.
  bool ReadExactAt(std::uint64_t offset, std::size_t n, void* out) const;

 private:
  int fd_;
  std::uint64_t size_ = 0;
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
