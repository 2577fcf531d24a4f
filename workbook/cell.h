#pragma once
// Typed cells and sparse rows, as every format reader yields them.
#include <cstdint>
#include <string>
#include <vector>

namespace workbook {

enum class CellType : std::uint8_t { Empty, Number, Date, Text, Boolean, Error };

struct Cell {
  CellType type = CellType::Empty;
  // Number: the value. Date: days since 30 December 1899 (the OLE date),
  // whatever date system the file uses. Boolean: 0 or 1. Error: the BIFF
  // error code (0x07 #DIV/0!, 0x2A #N/A, ...).
  double number = 0;
  std::string text;  // Text: UTF-8

  static Cell Number(double v) { return {CellType::Number, v, {}}; }
  static Cell Date(double v) { return {CellType::Date, v, {}}; }
  static Cell Boolean(bool v) { return {CellType::Boolean, v ? 1.0 : 0.0, {}}; }
  static Cell ErrorCode(std::uint8_t code) { return {CellType::Error, double(code), {}}; }
  // An empty text counts as no value.
  static Cell Text(std::string v) {
    return v.empty() ? Cell{} : Cell{CellType::Text, 0, std::move(v)};
  }
};

struct CellAt {
  std::uint32_t column;  // 0-based
  Cell cell;
};

// One sheet row: its 0-based index and its cells with a value, in ascending
// column order.
struct Row {
  std::uint32_t index = 0;
  std::vector<CellAt> cells;

  const Cell* Find(std::uint32_t column) const;
};

// Limits of the formats, which every reader enforces on what a file claims.
constexpr std::uint32_t kMaxRows = 1048576;
constexpr std::uint32_t kMaxColumns = 16384;

// BIFF error codes by their text, and back.
std::uint8_t ErrorCodeFromText(const std::string& text);
const char* ErrorText(std::uint8_t code);

}  // namespace workbook
