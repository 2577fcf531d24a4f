#include "platform/oleaut.h"

#include <cmath>
#include <string>

#include "platform/codepage.h"
#include "workbook/number_formats.h"

namespace {

// The inverse of workbook::DaysFromCivil (H. Hinnant's civil_from_days).
void CivilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2);
}

constexpr std::int64_t kOleEpoch = workbook::DaysFromCivil(1899, 12, 30);
constexpr std::int64_t kFirstDay = workbook::DaysFromCivil(100, 1, 1);
constexpr std::int64_t kLastDay = workbook::DaysFromCivil(9999, 12, 31);

}  // namespace

HRESULT VarBstrFromCy(CY value, std::uint32_t, std::uint32_t, BSTR* out) {
  const bool negative = value.int64 < 0;
  // Magnitude in unsigned arithmetic, so the most negative value works too.
  const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(value.int64)
                                           : static_cast<std::uint64_t>(value.int64);
  std::string text = negative ? "-" : "";
  text += std::to_string(magnitude / 10000);
  std::string fraction = std::to_string(magnitude % 10000);
  fraction.insert(0, 4 - fraction.size(), '0');
  while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
  if (!fraction.empty()) text += "." + fraction;
  *out = SysAllocString(platform::Utf16FromUtf8(text));
  return *out == nullptr ? E_OUTOFMEMORY : S_OK;
}

HRESULT VarUdateFromDate(DATE date, std::uint32_t, UDATE* out) {
  if (!(date >= kMinDate && date < kMaxDateExclusive)) return E_INVALIDARG;
  // The whole part counts days; the fraction's magnitude is the time of day.
  const double whole = std::trunc(date);
  auto day = static_cast<std::int64_t>(whole);
  auto seconds = static_cast<std::int64_t>(std::llround(std::fabs(date - whole) * 86400.0));
  if (seconds >= 86400) {  // rounded up to the next midnight
    seconds -= 86400;
    day += 1;
  }
  const std::int64_t days = kOleEpoch + day;
  if (days < kFirstDay || days > kLastDay) return E_INVALIDARG;
  std::int64_t year = 0;
  unsigned month = 0;
  unsigned dayOfMonth = 0;
  CivilFromDays(days, year, month, dayOfMonth);
  out->wYear = static_cast<std::uint16_t>(year);
  out->wMonth = static_cast<std::uint16_t>(month);
  out->wDay = static_cast<std::uint16_t>(dayOfMonth);
  // 1970-01-01 was a Thursday.
  out->wDayOfWeek = static_cast<std::uint16_t>(((days % 7) + 7 + 4) % 7);
  out->wDayOfYear = static_cast<std::uint16_t>(days - workbook::DaysFromCivil(year, 1, 1) + 1);
  out->wHour = static_cast<std::uint16_t>(seconds / 3600);
  out->wMinute = static_cast<std::uint16_t>(seconds / 60 % 60);
  out->wSecond = static_cast<std::uint16_t>(seconds % 60);
  out->wMilliseconds = 0;
  return S_OK;
}

HRESULT VarR8FromDec(const DECIMAL* value, double* out) {
  if (value->scale > 28 || (value->sign != 0 && value->sign != DECIMAL_NEG)) return E_INVALIDARG;
  double magnitude =
      static_cast<double>(value->Hi32) * 18446744073709551616.0 + static_cast<double>(value->Lo64);
  magnitude /= std::pow(10.0, value->scale);
  *out = value->sign == DECIMAL_NEG ? -magnitude : magnitude;
  return S_OK;
}

HRESULT VariantChangeType(VARIANT* dest, const VARIANT* src, std::uint16_t, VARTYPE vt) {
  if (dest == nullptr || src == nullptr) return E_INVALIDARG;
  if (src->vt == vt) return VariantCopy(dest, src);
  VARIANT result;
  VariantInit(&result);
  if (vt == VT_R8 && src->vt == VT_DECIMAL) {
    const HRESULT hr = VarR8FromDec(&src->decVal, &result.dblVal);
    if (FAILED(hr)) return hr;
  } else if (vt == VT_BSTR && (src->vt == VT_LPSTR || src->vt == VT_LPWSTR)) {
    std::u16string wide;
    if (src->vt == VT_LPSTR && src->pszVal != nullptr) {
      wide = platform::WideFromNarrow(src->pszVal);
    } else if (src->vt == VT_LPWSTR && src->pwszVal != nullptr) {
      wide = src->pwszVal;
    }
    result.bstrVal = SysAllocString(wide);
    if (result.bstrVal == nullptr) return E_OUTOFMEMORY;
  } else {
    return DISP_E_TYPEMISMATCH;
  }
  result.vt = vt;
  VariantClear(dest);
  *dest = result;
  return S_OK;
}
