#pragma once
// Small text helpers shared by the format readers.
#include <cstdint>
#include <string>
#include <string_view>

namespace workbook {

void AppendUtf8(std::string& out, char32_t codePoint);

// Decodes OOXML's "_xHHHH_" escapes (UTF-16 code units, "_x005F_" being the
// underscore itself) in place.
void DecodeOoxmlEscapes(std::string& text);

// "B7" -> column 1, row 6 (0-based); false when it is no cell reference or
// lies past the format's limits.
bool ParseCellReference(std::string_view ref, std::uint32_t& column, std::uint32_t& row);

// "A1:D10" -> the column span; false when it is not one.
bool ParseRangeColumns(std::string_view ref, std::uint32_t& first, std::uint32_t& last);

// Column letters for messages: 0 -> "A", 27 -> "AB".
std::string ColumnName(std::uint32_t column);

// A whole number as strtod reads it in the C locale ("1.5", "-2E3", " +7",
// "0x1p4"); false when anything is left over or there is no number.
bool ParseDouble(std::string_view text, double& value);

// ASCII letter case ignored, as OPC part names and OLE2 entry names compare.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

// A whole unsigned decimal number; false for anything else or an overflow.
bool ParseUnsigned(std::string_view text, std::uint64_t& value);

}  // namespace workbook
