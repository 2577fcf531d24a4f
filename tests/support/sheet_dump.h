#pragma once
// Reads a sheet through the engine into texts that read well in assertions:
// each cell as "n:12345", "d:41704.5", "t:text", "b:1", "e:7" or "" (empty),
// over the table's columns.
#include <string>
#include <vector>

namespace test_support {

struct SheetDump {
  std::vector<std::string> columns;
  std::vector<std::vector<std::string>> rows;  // one per data row, empty rows included
};

SheetDump DumpSheet(const std::string& path, std::size_t sheet = 0);
std::vector<std::string> SheetNames(const std::string& path);

}  // namespace test_support
