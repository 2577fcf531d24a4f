#include "workbook/ole_container.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <mutex>
#include <utility>

#include "workbook/error.h"
#include "workbook/gsf_library.h"

namespace workbook {
namespace {

constexpr unsigned char kOle2Signature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

// The last critical message or warning libgsf (or GLib under it) logged on
// this thread.
thread_local std::string g_lastGsfMessage;

void CaptureGsfMessage(const gchar*, GLogLevelFlags, const gchar* message, gpointer) {
  if (g_lastGsfMessage.empty()) g_lastGsfMessage = message != nullptr ? message : "unknown";
}

const GsfLibrary& Gsf() {
  const GsfLibrary& gsf = GsfLibrary::Get();
  static std::once_flag once;
  std::call_once(once, [&gsf] {
    gsf.init();
    const auto levels = static_cast<GLogLevelFlags>(G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING);
    for (const char* domain : {"libgsf", "libgsf:msole", "GLib", "GLib-GObject", "GLib-GIO"}) {
      gsf.log_set_handler(domain, levels, CaptureGsfMessage, nullptr);
    }
  });
  return gsf;
}

// Throws when libgsf logged a complaint since the last check.
void CheckGsf(const char* doing) {
  if (g_lastGsfMessage.empty()) return;
  const std::string message = std::exchange(g_lastGsfMessage, {});
  ThrowDamaged(std::string("the OLE2 container is damaged while ") + doing + ": " + message);
}

std::string TakeError(GError* error) {
  std::string text =
      error != nullptr && error->message != nullptr ? error->message : "unknown error";
  if (error != nullptr) GsfLibrary::Get().error_free(error);
  return text;
}

}  // namespace

bool HasOle2Signature(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  unsigned char head[8] = {};
  return in.read(reinterpret_cast<char*>(head), sizeof head) &&
         std::memcmp(head, kOle2Signature, sizeof head) == 0;
}

std::unique_ptr<OleStream> OleStream::OpenWorkbookStream(const std::string& path) {
  const GsfLibrary& gsf = Gsf();
  g_lastGsfMessage.clear();
  GError* error = nullptr;
  GsfInput* file = gsf.input_stdio_new(path.c_str(), &error);
  if (file == nullptr) {
    throw Error(Error::Kind::CannotOpen, "cannot read the file: " + TakeError(error));
  }
  GsfInfile* infile = gsf.infile_msole_new(file, &error);
  if (infile == nullptr) {
    gsf.object_unref(file);
    g_lastGsfMessage.clear();
    ThrowDamaged("the OLE2 container is damaged: " + TakeError(error));
  }
  GsfInput* stream = gsf.infile_child_by_name(infile, "Workbook");
  if (stream == nullptr) stream = gsf.infile_child_by_name(infile, "Book");
  if (stream == nullptr) {
    gsf.object_unref(infile);
    gsf.object_unref(file);
    const bool damaged = !g_lastGsfMessage.empty();
    g_lastGsfMessage.clear();
    if (damaged) ThrowDamaged("the OLE2 container is damaged: its directory cannot be read");
    throw Error(Error::Kind::NotAWorkbook,
                "the file is an OLE2 compound file without a workbook stream (not an Excel file)");
  }
  return std::unique_ptr<OleStream>(new OleStream(file, infile, stream));
}

OleStream::OleStream(GsfInput* file, void* infile, GsfInput* stream)
    : file_(file),
      infile_(infile),
      stream_(stream),
      size_(static_cast<std::uint64_t>(GsfLibrary::Get().input_size(stream))) {}

OleStream::~OleStream() {
  const GsfLibrary& gsf = GsfLibrary::Get();
  gsf.object_unref(stream_);
  gsf.object_unref(infile_);
  gsf.object_unref(file_);
}

std::uint64_t OleStream::tell() const {
  return static_cast<std::uint64_t>(GsfLibrary::Get().input_tell(stream_));
}

void OleStream::Seek(std::uint64_t offset) {
  if (offset > size_ ||
      GsfLibrary::Get().input_seek(stream_, static_cast<gsf_off_t>(offset), G_SEEK_SET)) {
    ThrowDamaged("a record offset " + std::to_string(offset) + " lies past the end of the " +
                 std::to_string(size_) + "-byte workbook stream");
  }
}

void OleStream::Read(std::size_t n, std::uint8_t* out) {
  if (n == 0) return;
  const std::uint64_t at = tell();
  if (n > size_ - std::min(at, size_)) {
    ThrowDamaged("the workbook stream ends inside a record at offset " + std::to_string(at));
  }
  if (GsfLibrary::Get().input_read(stream_, n, out) == nullptr) {
    CheckGsf("reading the workbook stream");
    ThrowDamaged("the workbook stream cannot be read at offset " + std::to_string(at) +
                 " (a sector chain of the OLE2 container is broken)");
  }
  CheckGsf("reading the workbook stream");
}

}  // namespace workbook
