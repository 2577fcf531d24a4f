#pragma once
// An OLE2 compound file (Compound File Binary) and the one stream of it that
// holds a workbook. Every sector number, chain and size the file states is
// checked against the file before it is used: chains that loop or leave the
// file are damage, never a hang or a read out of bounds.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "workbook/byte_source.h"

namespace workbook {

// True when the bytes start with the OLE2 signature.
bool HasOle2Signature(const ByteSource& source);

class OleStream {
 public:
  // Where a piece of the stream lies in the file.
  struct Extent {
    std::uint64_t fileOffset;
    std::uint64_t length;
  };

  // Opens the "Workbook" (BIFF8) or "Book" (BIFF5/7) stream of the file.
  // Throws NotAWorkbook when there is none, Damaged for a broken container.
  static std::unique_ptr<OleStream> OpenWorkbookStream(std::shared_ptr<const ByteSource> source);
  OleStream(std::shared_ptr<const ByteSource> source, std::vector<Extent> extents,
            std::uint64_t size);
  OleStream(const OleStream&) = delete;
  OleStream& operator=(const OleStream&) = delete;

  std::uint64_t size() const { return size_; }
  std::uint64_t tell() const { return position_; }
  void Seek(std::uint64_t offset);
  // Exactly n bytes at the current position into out; throws Damaged when
  // the stream ends first or the file is shorter than its sectors.
  void Read(std::size_t n, std::uint8_t* out);

 private:
  void FillWindow();

  std::shared_ptr<const ByteSource> source_;
  std::vector<Extent> extents_;
  std::vector<std::uint64_t> extentStarts_;  // stream offset of each extent
  std::uint64_t size_;
  std::uint64_t position_ = 0;
  // The stream bytes read ahead: [windowStart_, windowStart_ + window_.size()).
  std::vector<std::uint8_t> window_;
  std::uint64_t windowStart_ = 0;
  std::size_t windowCapacity_ = 0;
};

}  // namespace workbook
