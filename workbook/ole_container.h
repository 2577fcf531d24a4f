#pragma once
// An OLE2 compound file (libgsf) and the one stream of it that holds a
// workbook. libgsf reports some damage only through GLib critical messages;
// those are caught here and turned into errors.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

typedef struct _GsfInput GsfInput;

namespace workbook {

// True when the file starts with the OLE2 signature.
bool HasOle2Signature(const std::string& path);

class OleStream {
 public:
  // Opens the "Workbook" (BIFF8) or "Book" (BIFF5/7) stream of the file.
  // Throws NotAWorkbook when there is none, Damaged for a broken container.
  static std::unique_ptr<OleStream> OpenWorkbookStream(const std::string& path);
  ~OleStream();
  OleStream(const OleStream&) = delete;
  OleStream& operator=(const OleStream&) = delete;

  std::uint64_t size() const { return size_; }
  std::uint64_t tell() const;
  void Seek(std::uint64_t offset);
  // Exactly n bytes at the current position into out; throws Damaged when
  // the stream ends first or the container breaks.
  void Read(std::size_t n, std::uint8_t* out);

 private:
  OleStream(GsfInput* file, void* infile, GsfInput* stream);
  GsfInput* file_;
  void* infile_;
  GsfInput* stream_;
  std::uint64_t size_;
};

}  // namespace workbook
