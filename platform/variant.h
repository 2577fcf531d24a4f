#pragma once
// VARIANT: a type code and a value, laid out as OLE Automation lays it out.
// The value field holds integers and truth values in its low bytes, reals as
// IEEE floats, currency as a scaled 64-bit integer, strings as BSTRs; a
// DECIMAL occupies the whole VARIANT, its first 16 bits overlaying the type.
#include <cstdint>
#include <cstring>

#include "platform/bstr.h"
#include "platform/hresult.h"

using VARTYPE = std::uint16_t;
using VARIANT_BOOL = std::int16_t;
using SCODE = std::int32_t;
using DATE = double;

constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;

enum : VARTYPE {
  VT_EMPTY = 0,
  VT_NULL = 1,
  VT_I2 = 2,
  VT_I4 = 3,
  VT_R4 = 4,
  VT_R8 = 5,
  VT_CY = 6,
  VT_DATE = 7,
  VT_BSTR = 8,
  VT_DISPATCH = 9,
  VT_ERROR = 10,
  VT_BOOL = 11,
  VT_VARIANT = 12,
  VT_UNKNOWN = 13,
  VT_DECIMAL = 14,
  VT_I1 = 16,
  VT_UI1 = 17,
  VT_UI2 = 18,
  VT_UI4 = 19,
  VT_I8 = 20,
  VT_UI8 = 21,
  VT_INT = 22,
  VT_UINT = 23,
  VT_VOID = 24,
  VT_HRESULT = 25,
  VT_LPSTR = 30,
  VT_LPWSTR = 31,
  VT_BLOB = 65,
  VT_BLOB_OBJECT = 70,
  VT_ARRAY = 0x2000,
  VT_BYREF = 0x4000,
};

// Currency: a 64-bit integer scaled by 10000.
struct CY {
  std::int64_t int64;
};

struct DECIMAL {
  std::uint16_t wReserved;
  std::uint8_t scale;  // powers of ten to divide by, 0 to 28
  std::uint8_t sign;   // 0x80 for negative
  std::uint32_t Hi32;
  std::uint64_t Lo64;
};
constexpr std::uint8_t DECIMAL_NEG = 0x80;

struct VARIANT {
  union {
    struct {
      VARTYPE vt;
      std::uint16_t wReserved1;
      std::uint16_t wReserved2;
      std::uint16_t wReserved3;
      union {
        std::int64_t llVal;
        std::uint64_t ullVal;
        std::int32_t lVal;
        std::int16_t iVal;
        std::uint8_t bVal;
        float fltVal;
        double dblVal;
        VARIANT_BOOL boolVal;
        SCODE scode;
        CY cyVal;
        DATE date;
        BSTR bstrVal;
        char* pszVal;
        char16_t* pwszVal;
        void* byref;
      };
    };
    DECIMAL decVal;
  };
};
static_assert(sizeof(DECIMAL) == 16);
static_assert(sizeof(VARIANT) == 16 || sizeof(void*) > 8);

// Reads the value field as T, whatever member was written last.
template <typename T>
T VariantValueAs(const VARIANT& v) {
  static_assert(sizeof(T) <= sizeof(v.ullVal));
  T value;
  std::memcpy(&value, reinterpret_cast<const unsigned char*>(&v) + 8, sizeof(T));
  return value;
}

void VariantInit(VARIANT* v);
// Frees what the VARIANT owns (a BSTR) and leaves it VT_EMPTY.
HRESULT VariantClear(VARIANT* v);
// Deep copy (a BSTR is duplicated). dest is cleared first.
HRESULT VariantCopy(VARIANT* dest, const VARIANT* src);

// Owns one VARIANT and clears it on destruction, as _variant_t does.
class CVariant {
 public:
  CVariant() { VariantInit(&v_); }
  ~CVariant() { VariantClear(&v_); }
  CVariant(const CVariant& other);
  CVariant& operator=(const CVariant& other);
  CVariant(CVariant&& other) noexcept;
  CVariant& operator=(CVariant&& other) noexcept;

  VARIANT& get() { return v_; }
  const VARIANT& get() const { return v_; }
  VARIANT* ptr() { return &v_; }

 private:
  VARIANT v_;
};
