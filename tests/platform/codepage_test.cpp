// Narrowing and widening through the locale's character set.
#include <gtest/gtest.h>

#include "platform/codepage.h"

namespace {

TEST(Codepage, PlainCLocaleCountsAsUtf8) {
  EXPECT_EQ(platform::NarrowCharset(), "UTF-8");
  EXPECT_EQ(platform::NarrowFromWide(u"Ku 中星 €"), "Ku 中星 €");
  EXPECT_EQ(platform::WideFromNarrow("Ku 中星 €"), u"Ku 中星 €");
  EXPECT_EQ(platform::NarrowFromWide(u"\U0001F4E1"), "\U0001F4E1");
}

TEST(Codepage, BrokenSequencesBecomeReplacementCharacters) {
  EXPECT_EQ(platform::WideFromNarrow("a\xff"
                                     "b"),
            u"a\uFFFDb");
  EXPECT_EQ(platform::WideFromNarrow("\xe4\xb8"), u"\uFFFD");
  const char16_t lone[] = {u'a', 0xD800, u'b'};
  EXPECT_EQ(platform::NarrowFromWide(std::u16string_view(lone, 3)),
            "a\xEF\xBF\xBD"
            "b");
}

TEST(Codepage, OtherCharsetsReplaceWhatTheyCannotHold) {
  EXPECT_EQ(platform::NarrowFromWide(u"Türksat 中", "ISO-8859-1"), "T\xfcrksat ?");
  EXPECT_EQ(platform::NarrowFromWide(u"中星\U0001F4E1", "GBK"), "\xd6\xd0\xd0\xc7?");
  EXPECT_EQ(platform::WideFromNarrow("\xd6\xd0\xd0\xc7", "GBK"), u"中星");
  EXPECT_EQ(platform::WideFromNarrow("a\x81", "GBK"), u"a\uFFFD");
}

}  // namespace
