#pragma once
// The few OLE Automation conversions the tool uses: currency to text, a date
// to calendar fields, and the type changes DECIMAL -> double and
// LPSTR/LPWSTR -> BSTR.
#include <cstdint>

#include "platform/variant.h"

// Calendar fields of a date, as SYSTEMTIME plus the day of the year.
struct UDATE {
  std::uint16_t wYear;
  std::uint16_t wMonth;      // 1 to 12
  std::uint16_t wDayOfWeek;  // 0 = Sunday
  std::uint16_t wDay;        // 1 to 31
  std::uint16_t wHour;
  std::uint16_t wMinute;
  std::uint16_t wSecond;
  std::uint16_t wMilliseconds;
  std::uint16_t wDayOfYear;  // 1 to 366
};

// The dates a date value can stand for: 1 January 100 to 31 December 9999.
constexpr double kMinDate = -657434.0;
constexpr double kMaxDateExclusive = 2958466.0;

// Currency as a decimal text: an optional minus sign, the whole part, and
// the fraction without trailing zeros ("12.5", "-0.0001", "3"). The decimal
// separator is always '.'. E_OUTOFMEMORY when the string cannot be had.
HRESULT VarBstrFromCy(CY value, std::uint32_t lcid, std::uint32_t flags, BSTR* out);

// Days since 30 December 1899 (the fraction is the time of day, measured
// from midnight whatever the sign of the day) to calendar fields, rounded to
// the second. E_INVALIDARG outside years 100 to 9999 or for NaN.
HRESULT VarUdateFromDate(DATE date, std::uint32_t flags, UDATE* out);

// A DECIMAL as the nearest double; E_INVALIDARG for a scale over 28 or an
// unknown sign byte.
HRESULT VarR8FromDec(const DECIMAL* value, double* out);

// Changes src to type vt into dest (which is cleared first). Supports
// DECIMAL -> R8 and LPSTR/LPWSTR/BSTR -> BSTR, and any type to itself;
// DISP_E_TYPEMISMATCH for other pairs.
HRESULT VariantChangeType(VARIANT* dest, const VARIANT* src, std::uint16_t flags, VARTYPE vt);
