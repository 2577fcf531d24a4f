#include "workbook/cell.h"

#include <algorithm>
#include <cstring>

namespace workbook {
namespace {
struct ErrorName {
  std::uint8_t code;
  const char* text;
};
constexpr ErrorName kErrors[] = {
    {0x00, "#NULL!"}, {0x07, "#DIV/0!"}, {0x0F, "#VALUE!"}, {0x17, "#REF!"},
    {0x1D, "#NAME?"}, {0x24, "#NUM!"},   {0x2A, "#N/A"},    {0x2B, "#GETTING_DATA"},
};
}  // namespace

const Cell* Row::Find(std::uint32_t column) const {
  const auto it =
      std::lower_bound(cells.begin(), cells.end(), column,
                       [](const CellAt& c, std::uint32_t col) { return c.column < col; });
  return it != cells.end() && it->column == column ? &it->cell : nullptr;
}

std::uint8_t ErrorCodeFromText(const std::string& text) {
  for (const auto& e : kErrors) {
    if (text == e.text) return e.code;
  }
  return 0x2A;  // anything else reads as #N/A
}

const char* ErrorText(std::uint8_t code) {
  for (const auto& e : kErrors) {
    if (e.code == code) return e.text;
  }
  return "#N/A";
}

}  // namespace workbook
