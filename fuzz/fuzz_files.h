#pragma once
// Helpers of the fuzz targets: inputs are read from memory where the engine
// allows it; the whole import opens workbooks by path, so its input is
// written to a file of this process's own (in /dev/shm when there is one).
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace fuzz {

inline const std::string& PrivateFolder() {
  static const std::string folder = [] {
    std::string pattern = (::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                          std::string("/zembra-fuzz-XXXXXX");
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    return pattern;
  }();
  return folder;
}

inline std::string WriteInput(const std::string& name, const std::uint8_t* data, std::size_t size) {
  const std::string path = PrivateFolder() + "/" + name;
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  return path;
}

// Splits the input at each occurrence of the separator, into at most n parts.
inline std::vector<std::string> SplitParts(const std::uint8_t* data, std::size_t size,
                                           std::size_t n) {
  static const std::string separator = "\n--part--\n";
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (parts.size() + 1 < n) {
    const std::size_t at = input.find(separator, start);
    if (at == std::string::npos) break;
    parts.push_back(input.substr(start, at - start));
    start = at + separator.size();
  }
  parts.push_back(input.substr(start));
  parts.resize(n);
  return parts;
}

// Reads every sheet of the workbook file's bytes, at most a bounded number
// of rows each; the engine's own errors are expected, anything else is not.
void ReadWholeWorkbook(std::string bytes);

}  // namespace fuzz
