#pragma once
// ZIP archives and OLE2 compound files written byte by byte, without a
// library: tests can set or break any field, and fuzz targets wrap their
// inputs in a container at almost no cost.
#include <cstddef>
#include <string>
#include <vector>

namespace test_support {

struct RawMember {
  std::string name;
  std::string data;
  bool deflated = false;
};

struct RawZipOptions {
  bool zip64 = false;   // sizes and offsets in ZIP64 extra fields and end records
  std::string comment;  // the archive comment after the end record
};

// The archive; centralAt, when given, receives where the central directory starts.
std::string RawZip(const std::vector<RawMember>& members, const RawZipOptions& options = {},
                   std::size_t* centralAt = nullptr);

// A version 3 compound file whose root storage holds one stream, kept in
// regular sectors whatever its size (the header's mini-stream cutoff is 0).
std::string RawOle2(const std::string& streamName, const std::string& stream);

}  // namespace test_support
