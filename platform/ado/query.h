#pragma once
// The two texts the provider understands: the connection string and the
// queries "Select [top N] * From [Table]".
#include <cstdint>
#include <optional>
#include <string>

namespace ado {

// The Data Source of a connection string, exactly as it was put in: for the
// tool's own template the text between 'Data Source="' and the last
// '"; Extended Properties=' is taken whole, so a path may hold any
// character, quotes and semicolons included.
std::optional<std::string> DataSourceOf(const std::string& connectionString);

struct SelectQuery {
  std::string table;
  std::int64_t limit = -1;  // "top N"; -1 for all rows
};

// Nothing when the text is not such a query.
std::optional<SelectQuery> ParseSelect(const std::string& sql);

}  // namespace ado
