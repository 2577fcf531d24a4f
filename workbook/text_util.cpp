#include "workbook/text_util.h"

#include <charconv>
#include <cstdlib>

#include "workbook/cell.h"

namespace workbook {

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

namespace {
// The code unit of an escape "_xHHHH_" at text[i], or -1.
int EscapeAt(const std::string& text, std::size_t i) {
  if (i + 7 > text.size() || text[i] != '_' || text[i + 1] != 'x' || text[i + 6] != '_') return -1;
  unsigned value = 0;
  const auto r = std::from_chars(text.data() + i + 2, text.data() + i + 6, value, 16);
  return r.ec == std::errc() && r.ptr == text.data() + i + 6 ? static_cast<int>(value) : -1;
}
}  // namespace

void DecodeOoxmlEscapes(std::string& text) {
  if (text.find("_x") == std::string::npos) return;
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const int unit = EscapeAt(text, i);
    if (unit < 0) {
      out += text[i++];
      continue;
    }
    i += 7;
    char32_t cp = static_cast<char32_t>(unit);
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      const int low = EscapeAt(text, i);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + static_cast<char32_t>(low - 0xDC00);
        i += 7;
      }
    }
    AppendUtf8(out, cp);
  }
  text.swap(out);
}

namespace {
// Reads column letters; false when there are none or too many.
bool ReadColumn(std::string_view& ref, std::uint32_t& column) {
  std::uint32_t value = 0;
  std::size_t n = 0;
  while (n < ref.size() && ((ref[n] >= 'A' && ref[n] <= 'Z') || (ref[n] >= 'a' && ref[n] <= 'z'))) {
    value = value * 26 + static_cast<std::uint32_t>((ref[n] | 0x20) - 'a' + 1);
    if (++n > 3) return false;
  }
  if (n == 0 || value > kMaxColumns) return false;
  column = value - 1;
  ref.remove_prefix(n);
  return true;
}
void SkipDollar(std::string_view& ref) {
  if (!ref.empty() && ref.front() == '$') ref.remove_prefix(1);
}
}  // namespace

bool ParseCellReference(std::string_view ref, std::uint32_t& column, std::uint32_t& row) {
  SkipDollar(ref);
  if (!ReadColumn(ref, column)) return false;
  SkipDollar(ref);
  std::uint64_t number = 0;
  if (!ParseUnsigned(ref, number) || number == 0 || number > kMaxRows) return false;
  row = static_cast<std::uint32_t>(number - 1);
  return true;
}

bool ParseRangeColumns(std::string_view ref, std::uint32_t& first, std::uint32_t& last) {
  const std::size_t colon = ref.find(':');
  std::uint32_t row = 0;
  if (!ParseCellReference(ref.substr(0, colon), first, row)) return false;
  last = first;
  if (colon != std::string_view::npos && !ParseCellReference(ref.substr(colon + 1), last, row)) {
    return false;
  }
  return first <= last;
}

std::string ColumnName(std::uint32_t column) {
  std::string name;
  for (std::uint64_t n = std::uint64_t{column} + 1; n > 0; n = (n - 1) / 26) {
    name.insert(name.begin(), static_cast<char>('A' + (n - 1) % 26));
  }
  return name;
}

bool ParseUnsigned(std::string_view text, std::uint64_t& value) {
  if (text.empty()) return false;
  const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
  return r.ec == std::errc() && r.ptr == text.data() + text.size();
}

bool ParseDouble(std::string_view text, double& value) {
  // from_chars reads the forms writers use, without a copy or the locale;
  // strtod takes the rest (leading blanks, a '+', hexadecimal).
  const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
  if (r.ec == std::errc() && r.ptr == text.data() + text.size()) return true;
  const std::string copy(text);
  char* end = nullptr;
  value = std::strtod(copy.c_str(), &end);
  return end != copy.c_str() && *end == '\0';
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace workbook
