#pragma once
// Narrowing and widening between UTF-16 and the process's narrow character
// set (the locale's LC_CTYPE character set; the plain C/POSIX locale counts
// as UTF-8). This stands in for the ANSI code page of the Windows build.
#include <string>
#include <string_view>

#include "platform/strings.h"

namespace platform {

// The narrow character set's name as iconv knows it.
std::string NarrowCharset();

// A character the narrow set cannot represent becomes '?'; in UTF-8, a lone
// surrogate becomes U+FFFD.
CString NarrowFromWide(std::u16string_view wide);
// A byte sequence that is not valid in the narrow set becomes U+FFFD.
std::u16string WideFromNarrow(std::string_view narrow);

// The same, for a character set named as iconv names it.
CString NarrowFromWide(std::u16string_view wide, const std::string& charset);
std::u16string WideFromNarrow(std::string_view narrow, const std::string& charset);

// Conversions between UTF-8 and UTF-16 independent of the locale, for the
// workbook formats, which store UTF-8 or UTF-16 themselves.
std::string Utf8FromUtf16(std::u16string_view wide);
std::u16string Utf16FromUtf8(std::string_view utf8);

}  // namespace platform
