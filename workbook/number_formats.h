#pragma once
// Which number formats show a date or a time, and the date systems.
#include <cstdint>
#include <string_view>

namespace workbook {

// True for the built-in format ids that show a date or time.
bool IsBuiltInDateFormat(std::uint32_t id);

// True when a format code shows a date or time: it holds one of the letters
// d, m, y, h, s outside quoted text, escaped characters, "General" and
// [...] sections, or an elapsed-time section such as [h].
// Only the first section (before ';') counts.
bool IsDateFormatCode(std::string_view code);

// Days from 1 January 1970 to y-m-d in the proleptic Gregorian calendar
// (H. Hinnant's days_from_civil).
constexpr std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

// A serial number of the file's date system to days since 30 December 1899.
// The 1900 system counts 29 February 1900, which never was, so serials
// before 60 are one day later in the OLE count.
double OleDateFromSerial(double serial, bool date1904);

// An ISO 8601 date or date-time text ("2024-03-06", "2024-03-06T12:00:00",
// "12:30:00") to days since 30 December 1899; false when it is not one.
bool OleDateFromIso(std::string_view text, double& out);

}  // namespace workbook
