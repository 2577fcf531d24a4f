#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <random>
#include <vector>

namespace platform {
namespace {

std::string Reason(const std::string& doing, const std::string& path) {
  return doing + " '" + path + "': " + std::strerror(errno);
}

// Writes all of data, looping on short writes.
bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

bool FileHoldsExactly(const std::string& path, const void* data, std::size_t size) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  bool same = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
              static_cast<std::uint64_t>(st.st_size) == size;
  std::vector<char> held(same ? size + 1 : 0);
  if (same) {
    // One byte more than expected is asked for, so a file that grew since
    // the size was read does not pass.
    std::size_t got = 0;
    while (got < held.size()) {
      const ssize_t n = ::read(fd, held.data() + got, held.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
    }
    same = got == size && std::memcmp(held.data(), data, size) == 0;
  }
  ::close(fd);
  return same;
}

bool WriteFileAtomically(const std::string& path, const void* data, std::size_t size,
                         std::string* error) {
  const std::filesystem::path target(path);
  std::filesystem::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  struct stat existing {};
  const bool replacing = ::stat(path.c_str(), &existing) == 0;
  if (replacing && S_ISDIR(existing.st_mode)) {
    *error = "cannot write '" + path + "': it is a folder";
    return false;
  }

  std::random_device random;
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
    temp =
        (folder / ("." + target.filename().string() + ".tmp" + std::to_string(random()))).string();
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    *error = Reason("cannot create a file in", folder.string());
    return false;
  }
  bool ok = WriteAll(fd, static_cast<const char*>(data), size);
  if (!ok) *error = Reason("cannot write", temp);
  if (ok && replacing) ::fchmod(fd, existing.st_mode & 07777);
  if (ok && ::fsync(fd) != 0) {
    *error = Reason("cannot flush", temp);
    ok = false;
  }
  if (::close(fd) != 0 && ok) {
    *error = Reason("cannot close", temp);
    ok = false;
  }
  if (ok && ::rename(temp.c_str(), path.c_str()) != 0) {
    *error = Reason("cannot replace", path);
    ok = false;
  }
  if (!ok) {
    ::unlink(temp.c_str());
    return false;
  }
  // Make the rename itself durable.
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}

}  // namespace platform
