// Which number formats show dates, and the date systems.
#include <gtest/gtest.h>

#include "workbook/number_formats.h"

namespace {

TEST(NumberFormats, DateFormatCodes) {
  struct {
    const char* code;
    bool date;
  } const cases[] = {
      {"yyyy-mm-dd", true},
      {"d/m/yy h:mm", true},
      {"[$-409]mmmm d, yyyy", true},
      {"[Red][<=100]hh:mm:ss", true},
      {"[h]:mm", true},
      {"[ss]", true},
      {"\"Date: \"yyyy", true},
      {"General", false},
      {"0.00", false},
      {"0.00E+00", false},
      {"#,##0.00 \"days\"", false},
      {"\\d0", false},
      {"[Red]0.00;[Blue]-0.00", false},
      {"0;\"m\"", false},
      {"_(* #,##0_);_(* (#,##0)", false},
      {"\"unclosed", false},
  };
  for (const auto& c : cases) EXPECT_EQ(workbook::IsDateFormatCode(c.code), c.date) << c.code;
}

TEST(NumberFormats, BuiltInDateIds) {
  for (unsigned id : {14u, 15u, 22u, 27u, 36u, 45u, 47u, 50u, 58u}) {
    EXPECT_TRUE(workbook::IsBuiltInDateFormat(id)) << id;
  }
  for (unsigned id : {0u, 1u, 13u, 23u, 37u, 44u, 49u, 59u, 164u}) {
    EXPECT_FALSE(workbook::IsBuiltInDateFormat(id)) << id;
  }
}

TEST(NumberFormats, SerialsToOleDates) {
  EXPECT_EQ(workbook::OleDateFromSerial(1, false), 2);        // 1900-01-01
  EXPECT_EQ(workbook::OleDateFromSerial(59.5, false), 60.5);  // 1900-02-28 noon
  EXPECT_EQ(workbook::OleDateFromSerial(61, false), 61);      // 1900-03-01
  EXPECT_EQ(workbook::OleDateFromSerial(41704.5, false), 41704.5);
  EXPECT_EQ(workbook::OleDateFromSerial(0, true), 1462);  // 1904-01-01
}

TEST(NumberFormats, IsoDates) {
  double d = 0;
  ASSERT_TRUE(workbook::OleDateFromIso("2014-03-06", d));
  EXPECT_EQ(d, 41704);
  ASSERT_TRUE(workbook::OleDateFromIso("2014-03-06T12:00:00Z", d));
  EXPECT_EQ(d, 41704.5);
  ASSERT_TRUE(workbook::OleDateFromIso("1899-12-30T06:00:00.000", d));
  EXPECT_EQ(d, 0.25);
  ASSERT_TRUE(workbook::OleDateFromIso("18:00:00", d));
  EXPECT_EQ(d, 0.75);
  for (const char* bad : {"", "2014", "2014-13-01", "2014-03-06T25:00", "noon", "2014-03-06x"}) {
    EXPECT_FALSE(workbook::OleDateFromIso(bad, d)) << bad;
  }
}

}  // namespace
