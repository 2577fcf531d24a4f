// The text of every kind of cell value, by type code.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

#include "ExcelReader/source/VariantToText.h"
#include "platform/com_error.h"

namespace {

template <typename T>
VARIANT Make(VARTYPE vt, T value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = vt;
  std::memcpy(reinterpret_cast<unsigned char*>(&v) + 8, &value, sizeof value);
  return v;
}

VARIANT Decimal(std::uint64_t lo, std::uint8_t scale, bool negative) {
  VARIANT v;
  VariantInit(&v);
  v.decVal.Lo64 = lo;
  v.decVal.scale = scale;
  v.decVal.sign = negative ? DECIMAL_NEG : 0;
  v.vt = VT_DECIMAL;  // written last: it overlays the DECIMAL's first 16 bits
  return v;
}

struct Case {
  const char* name;
  std::function<VARIANT()> make;
  const char* text;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class VariantToTextTest : public ::testing::TestWithParam<Case> {};

TEST_P(VariantToTextTest, GivesTheFixedForm) {
  VARIANT v = GetParam().make();
  EXPECT_EQ(VariantToText(v), GetParam().text) << GetParam().name;
}

const Case kCases[] = {
    {"empty", [] { return Make<int>(VT_EMPTY, 0); }, ""},
    {"null", [] { return Make<int>(VT_NULL, 7); }, ""},
    {"i2_negative", [] { return Make<std::int16_t>(VT_I2, -1); }, "-1"},
    {"i4", [] { return Make<std::int32_t>(VT_I4, -123456); }, "-123456"},
    {"r4_1_5", [] { return Make<float>(VT_R4, 1.5f); }, "1.5000"},
    {"r4_0_1", [] { return Make<float>(VT_R4, 0.1f); }, "0.1000"},
    {"r8_whole", [] { return Make<double>(VT_R8, 12345.0); }, "12345.00000000"},
    {"r8_negative_half", [] { return Make<double>(VT_R8, -0.5); }, "-0.50000000"},
    {"r8_fraction", [] { return Make<double>(VT_R8, 10600.9); }, "10600.90000000"},
    {"r8_huge", [] { return Make<double>(VT_R8, 1e20); }, "100000000000000000000.00000000"},
    {"r8_beyond_integers", [] { return Make<double>(VT_R8, 3.98541e246); },  // printf's digits
     "398540999999999983575272806234826128056899779558283169109565279269725683272926535950229808"
     "227032645826929523315036126334846121485051542461248519823037933316804841110840816704375711"
     "9843980169557347145031103192558976044866746929764724374789911740416.00000000"},
    {"r8_negative_zero", [] { return Make<double>(VT_R8, -0.0); }, "-0.00000000"},
    {"cy_whole", [] { return Make<CY>(VT_CY, CY{30000}); }, "3"},
    {"cy_fraction", [] { return Make<CY>(VT_CY, CY{125000}); }, "12.5"},
    {"cy_negative_small", [] { return Make<CY>(VT_CY, CY{-1}); }, "-0.0001"},
    {"cy_most_negative", [] { return Make<CY>(VT_CY, CY{INT64_MIN}); }, "-922337203685477.5808"},
    {"date_epoch", [] { return Make<double>(VT_DATE, 0.0); }, "1899-12-30 00:00:00"},
    {"date_noon", [] { return Make<double>(VT_DATE, 41704.5); }, "2014-03-06 12:00:00"},
    {"date_negative_fraction", [] { return Make<double>(VT_DATE, -1.25); }, "1899-12-29 06:00:00"},
    {"date_first", [] { return Make<double>(VT_DATE, -657434.0); }, "100-01-01 00:00:00"},
    {"date_last", [] { return Make<double>(VT_DATE, 2958465.0 + 86399.0 / 86400.0); },
     "9999-12-31 23:59:59"},
    {"date_rounds_to_second", [] { return Make<double>(VT_DATE, 1.0 - 0.4 / 86400.0); },
     "1899-12-31 00:00:00"},
    {"date_before_range", [] { return Make<double>(VT_DATE, -657435.0); }, "Invalid DateTime"},
    {"date_after_range", [] { return Make<double>(VT_DATE, 2958466.0); }, "Invalid DateTime"},
    {"date_rounds_past_range", [] { return Make<double>(VT_DATE, 2958465.9999999); },
     "Invalid DateTime"},
    {"date_nan", [] { return Make<double>(VT_DATE, std::nan("")); }, "Invalid DateTime"},
    {"bstr_null", [] { return Make<BSTR>(VT_BSTR, nullptr); }, ""},
    {"bool_true", [] { return Make<VARIANT_BOOL>(VT_BOOL, -1); }, "TRUE"},
    {"bool_one", [] { return Make<VARIANT_BOOL>(VT_BOOL, 1); }, "TRUE"},
    {"bool_false", [] { return Make<VARIANT_BOOL>(VT_BOOL, 0); }, "FALSE"},
    {"decimal_1_5", [] { return Decimal(15, 1, false); }, "1.50000000"},
    {"decimal_negative", [] { return Decimal(25, 2, true); }, "-0.25000000"},
    {"i1_reads_unsigned", [] { return Make<std::int8_t>(VT_I1, -1); }, "255"},
    {"ui1", [] { return Make<std::uint8_t>(VT_UI1, 200); }, "200"},
    {"ui2_max", [] { return Make<std::uint16_t>(VT_UI2, 65535); }, "65535"},
    {"ui4_max_is_signed", [] { return Make<std::uint32_t>(VT_UI4, 4294967295u); }, "-1"},
    {"uint_max_is_signed", [] { return Make<std::uint32_t>(VT_UINT, 4294967295u); }, "-1"},
    {"int", [] { return Make<std::int32_t>(VT_INT, 42); }, "42"},
    {"i8_low_bits_only", [] { return Make<std::int64_t>(VT_I8, 4294967296LL); }, "0"},
    {"i8_negative", [] { return Make<std::int64_t>(VT_I8, -2); }, "-2"},
    {"ui8_low_bits_only", [] { return Make<std::uint64_t>(VT_UI8, 0x1FFFFFFFFull); }, "-1"},
    {"void_hex", [] { return Make<std::uint32_t>(VT_VOID, 255); }, "      ff"},
    {"dispatch", [] { return Make<void*>(VT_DISPATCH, nullptr); }, "UN_KNOW"},
    {"error", [] { return Make<SCODE>(VT_ERROR, 0); }, "UN_KNOW"},
    {"code_15", [] { return Make<int>(15, 0); }, "UN_KNOW"},
    {"hresult", [] { return Make<int>(VT_HRESULT, 0); }, "UN_KNOW"},
    {"code_64", [] { return Make<int>(64, 0); }, "UN_KNOW"},
    {"blob", [] { return Make<int>(VT_BLOB, 0); }, "[BLOB]"},
    {"blob_object", [] { return Make<int>(VT_BLOB_OBJECT, 0); }, "[BLOB]"},
    {"array_of_bytes", [] { return Make<int>(VT_ARRAY | VT_UI1, 0); }, "[BLOB]"},
    {"array_of_i4", [] { return Make<int>(VT_ARRAY | VT_I4, 0); }, "UN_KNOW"},
    {"byref_i4", [] { return Make<int>(VT_BYREF | VT_I4, 0); }, "UN_KNOW"},
    {"lpstr_null", [] { return Make<char*>(VT_LPSTR, nullptr); }, ""},
};

INSTANTIATE_TEST_SUITE_P(AllTypeCodes, VariantToTextTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(VariantToText, StringsStopAtTheirFirstNulAndKeepNonAscii) {
  const char16_t chars[] = u"中星6B\0tail";
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = SysAllocStringLen(chars, 9);
  EXPECT_EQ(VariantToText(v), "中星6B");
  EXPECT_EQ(v.vt, VT_BSTR) << "the value is not modified";
  VariantClear(&v);
}

TEST(VariantToText, NarrowAndWideStringPointers) {
  char narrow[] = "Asia #5";
  char16_t wide[] = u"Türksat";
  VARIANT a = Make<char*>(VT_LPSTR, narrow);
  VARIANT b = Make<char16_t*>(VT_LPWSTR, wide);
  EXPECT_EQ(VariantToText(a), "Asia #5");
  EXPECT_EQ(VariantToText(b), "Türksat");
}

TEST(VariantToText, ADecimalThatCannotBeChangedRaisesComError) {
  VARIANT bad = Decimal(1, 29, false);
  try {
    VariantToText(bad);
    FAIL() << "expected _com_error";
  } catch (const _com_error& e) {
    EXPECT_EQ(e.Error(), E_INVALIDARG);
  }
}

}  // namespace
