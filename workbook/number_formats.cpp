#include "workbook/number_formats.h"

#include <cctype>
#include <charconv>
#include <cstdlib>
#include <string>

namespace workbook {

bool IsBuiltInDateFormat(std::uint32_t id) {
  return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) ||
         (id >= 50 && id <= 58) || (id >= 71 && id <= 81);
}

bool IsDateFormatCode(std::string_view code) {
  for (std::size_t i = 0; i < code.size(); ++i) {
    const char c = code[i];
    if (c == ';') return false;
    if (c == '"') {
      const std::size_t close = code.find('"', i + 1);
      if (close == std::string_view::npos) return false;
      i = close;
    } else if (c == '\\' || c == '_' || c == '*') {
      ++i;  // the next character is literal (or a fill/space width)
    } else if (c == '[') {
      const std::size_t close = code.find(']', i + 1);
      if (close == std::string_view::npos) return false;
      const std::string_view inside = code.substr(i + 1, close - i - 1);
      // [h], [mm], [ss]: elapsed time. Anything else: colour, locale, condition.
      if (!inside.empty() && inside.find_first_not_of("hHmMsS") == std::string_view::npos) {
        return true;
      }
      i = close;
    } else {
      switch (std::tolower(static_cast<unsigned char>(c))) {
        case 'd':
        case 'm':
        case 'y':
        case 'h':
        case 's':
          return true;
        case 'g':  // "General" is no date
          if (code.size() - i >= 7 &&
              std::tolower(static_cast<unsigned char>(code[i + 1])) == 'e') {
            i += 6;
          }
          break;
        default:
          break;
      }
    }
  }
  return false;
}

double OleDateFromSerial(double serial, bool date1904) {
  if (date1904) return serial + 1462.0;
  return serial < 60.0 && serial >= 0.0 ? serial + 1.0 : serial;
}

namespace {
bool ReadNumber(std::string_view& text, std::size_t digits, int& out) {
  if (text.size() < digits) return false;
  const auto result = std::from_chars(text.data(), text.data() + digits, out);
  if (result.ec != std::errc() || result.ptr != text.data() + digits) return false;
  text.remove_prefix(digits);
  return true;
}
bool Expect(std::string_view& text, char c) {
  if (text.empty() || text.front() != c) return false;
  text.remove_prefix(1);
  return true;
}
bool ReadTime(std::string_view& text, double& fraction) {
  int h = 0, m = 0, s = 0;
  if (!ReadNumber(text, 2, h) || !Expect(text, ':') || !ReadNumber(text, 2, m)) return false;
  double seconds = 0;
  if (Expect(text, ':')) {
    if (!ReadNumber(text, 2, s)) return false;
    seconds = s;
    if (!text.empty() && text.front() == '.') {  // fractional seconds
      std::size_t n = 1;
      while (n < text.size() && std::isdigit(static_cast<unsigned char>(text[n]))) ++n;
      seconds += std::strtod(std::string(text.substr(0, n)).c_str(), nullptr);
      text.remove_prefix(n);
    }
  }
  if (!text.empty() && (text == "Z" || text.front() == '+' || text.front() == '-')) text = {};
  if (h > 24 || m > 59 || seconds >= 61) return false;
  fraction = (h * 3600.0 + m * 60.0 + seconds) / 86400.0;
  return text.empty();
}
}  // namespace

bool OleDateFromIso(std::string_view text, double& out) {
  std::string_view rest = text;
  double fraction = 0;
  if (rest.size() >= 3 && rest[2] == ':') {  // a time alone
    if (!ReadTime(rest, fraction)) return false;
    out = fraction;
    return true;
  }
  int y = 0, m = 0, d = 0;
  if (!ReadNumber(rest, 4, y) || !Expect(rest, '-') || !ReadNumber(rest, 2, m) ||
      !Expect(rest, '-') || !ReadNumber(rest, 2, d)) {
    return false;
  }
  if (m < 1 || m > 12 || d < 1 || d > 31) return false;
  if (Expect(rest, 'T') && !ReadTime(rest, fraction)) return false;
  if (!rest.empty()) return false;
  const double days =
      static_cast<double>(DaysFromCivil(y, unsigned(m), unsigned(d)) - DaysFromCivil(1899, 12, 30));
  out = days + fraction;
  return true;
}

}  // namespace workbook
