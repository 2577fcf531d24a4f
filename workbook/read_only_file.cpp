#include "workbook/read_only_file.h"

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

ReadOnlyFile::ReadOnlyFile(const std::string& path)
    : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
  if (fd_ < 0) ThrowCannotRead(std::strerror(errno));
  struct stat st {};
  if (::fstat(fd_, &st) != 0) {
    const int error = errno;
    ::close(fd_);
    ThrowCannotRead(std::strerror(error));
  }
  size_ = static_cast<std::uint64_t>(st.st_size);
}

ReadOnlyFile::~ReadOnlyFile() { ::close(fd_); }

std::size_t ReadOnlyFile::ReadAt(std::uint64_t offset, std::size_t n, void* out) const {
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

bool ReadOnlyFile::ReadExactAt(std::uint64_t offset, std::size_t n, void* out) const {
  return offset <= size_ && n <= size_ - offset && ReadAt(offset, n, out) == n;
}

}  // namespace workbook
