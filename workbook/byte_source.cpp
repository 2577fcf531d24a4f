#include "workbook/byte_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "workbook/error.h"

namespace workbook {
namespace {
[[noreturn]] void ThrowCannotRead(const std::string& what) {
  throw Error(Error::Kind::CannotOpen, "cannot read the file: " + what);
}
}  // namespace

std::shared_ptr<const ByteSource> ByteSource::OpenFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) ThrowCannotRead(std::strerror(errno));
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    const int error = errno;
    ::close(fd);
    ThrowCannotRead(std::strerror(error));
  }
  return std::shared_ptr<const ByteSource>(
      new ByteSource(fd, static_cast<std::uint64_t>(st.st_size), {}));
}

std::shared_ptr<const ByteSource> ByteSource::FromMemory(std::string bytes) {
  const std::uint64_t size = bytes.size();
  return std::shared_ptr<const ByteSource>(new ByteSource(-1, size, std::move(bytes)));
}

ByteSource::~ByteSource() {
  if (fd_ >= 0) ::close(fd_);
}

std::size_t ByteSource::ReadAt(std::uint64_t offset, std::size_t n, void* out) const {
  if (offset >= size_ || n == 0) return 0;
  if (fd_ < 0) {
    const std::size_t piece = static_cast<std::size_t>(std::min<std::uint64_t>(n, size_ - offset));
    std::memcpy(out, bytes_.data() + offset, piece);
    return piece;
  }
  std::size_t done = 0;
  while (done < n && offset + done < size_) {
    const ssize_t got =
        ::pread(fd_, static_cast<char*>(out) + done, n - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) ThrowCannotRead(std::strerror(errno));
    if (got == 0) break;  // the file shrank while it was read
    done += static_cast<std::size_t>(got);
  }
  return done;
}

bool ByteSource::ReadExactAt(std::uint64_t offset, std::size_t n, void* out) const {
  return offset <= size_ && n <= size_ - offset && ReadAt(offset, n, out) == n;
}

}  // namespace workbook
