#include "ExcelReader/source/VariantToText.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <new>
#include <string>

#include "platform/codepage.h"
#include "platform/com_error.h"
#include "platform/oleaut.h"

namespace {

template <typename... Args>
CString Printf(const char* format, Args... args) {
  const int length = std::snprintf(nullptr, 0, format, args...);
  if (length <= 0) return {};
  CString text(static_cast<std::size_t>(length), '\0');
  std::snprintf(text.data(), text.size() + 1, format, args...);
  return text;
}

CString Decimal(std::int32_t value) { return std::to_string(value); }

// printf's "%.Nf": to_chars gives the same correctly rounded digits, faster.
CString Fixed(double value, int decimals) {
  // Whole numbers, most cells of a channel list, without a float conversion.
  // The range test comes first: converting a larger double to an integer
  // is undefined.
  if (value > -1e15 && value < 1e15 && value == std::trunc(value) &&
      !(value == 0 && std::signbit(value))) {
    CString text = std::to_string(static_cast<std::int64_t>(value));
    text += '.';
    text.append(static_cast<std::size_t>(decimals), '0');
    return text;
  }
  char buffer[400];  // the largest double has 309 digits before the point
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (result.ec != std::errc()) return Printf(decimals == 8 ? "%.8f" : "%.4f", value);
  return CString(buffer, result.ptr);
}

// A UTF-16 string up to its first NUL, narrowed; a null string gives "".
CString NarrowUpToNul(const char16_t* text) {
  if (text == nullptr) return {};
  return platform::NarrowFromWide(std::u16string_view(text));
}

CString DateText(DATE date) {
  UDATE fields{};
  if (FAILED(VarUdateFromDate(date, 0, &fields))) return "Invalid DateTime";
  std::tm tm{};
  tm.tm_sec = fields.wSecond;
  tm.tm_min = fields.wMinute;
  tm.tm_hour = fields.wHour;
  tm.tm_mday = fields.wDay;
  tm.tm_mon = fields.wMonth - 1;
  tm.tm_year = fields.wYear - 1900;
  tm.tm_wday = fields.wDayOfWeek;
  tm.tm_yday = fields.wDayOfYear - 1;
  tm.tm_isdst = 0;
  char buffer[256];
  const std::size_t length = std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &tm);
  return CString(buffer, length);
}

CString CurrencyText(CY value) {
  BSTR text = nullptr;
  if (FAILED(VarBstrFromCy(value, 0x400, 0, &text))) throw std::bad_alloc();
  CString narrow = platform::NarrowFromWide(std::u16string_view(text, SysStringLen(text)));
  SysFreeString(text);
  return narrow;
}

CString ChangedText(const VARIANT& value, VARTYPE to) {
  CVariant changed;
  const HRESULT hr = VariantChangeType(changed.ptr(), &value, 0, to);
  if (FAILED(hr)) throw _com_error(hr);
  return to == VT_R8 ? Fixed(changed.get().dblVal, 8) : NarrowUpToNul(changed.get().bstrVal);
}

}  // namespace

CString VariantToText(const VARIANT& value) {
  switch (value.vt) {
    case VT_EMPTY:
    case VT_NULL:
      return {};
    case VT_I2:
      return Decimal(VariantValueAs<std::int16_t>(value));
    case VT_I4:
    case VT_UI4:
    case VT_I8:  // only the low 32 bits count
    case VT_UI8:
    case VT_INT:
    case VT_UINT:
      return Decimal(VariantValueAs<std::int32_t>(value));
    case VT_I1:
    case VT_UI1:
      return Decimal(VariantValueAs<std::uint8_t>(value));
    case VT_UI2:
      return Decimal(VariantValueAs<std::uint16_t>(value));
    case VT_R4:
      return Fixed(static_cast<double>(VariantValueAs<float>(value)), 4);
    case VT_R8:
      return Fixed(VariantValueAs<double>(value), 8);
    case VT_CY:
      return CurrencyText(VariantValueAs<CY>(value));
    case VT_DATE:
      return DateText(VariantValueAs<DATE>(value));
    case VT_BSTR:
      return NarrowUpToNul(VariantValueAs<BSTR>(value));
    case VT_BOOL:
      return VariantValueAs<VARIANT_BOOL>(value) == 0 ? "FALSE" : "TRUE";
    case VT_DECIMAL:
      return ChangedText(value, VT_R8);
    case VT_VOID:
      return Printf("%8x", static_cast<unsigned>(VariantValueAs<std::uint32_t>(value)));
    case VT_LPSTR:
    case VT_LPWSTR:
      return ChangedText(value, VT_BSTR);
    case VT_BLOB:
    case VT_BLOB_OBJECT:
    case VT_ARRAY | VT_UI1:
      return "[BLOB]";
    default:
      return "UN_KNOW";
  }
}
