#include "platform/codepage.h"

#include "workbook/text_util.h"

#include <iconv.h>
#include <langinfo.h>

#include <bit>
#include <cerrno>
#include <cstring>
#include <vector>

namespace platform {
namespace {

constexpr char16_t kReplacement = 0xFFFD;
constexpr const char* kUtf16Host =
    std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

bool IsUtf8Name(const std::string& set) { return set == "UTF-8" || set == "utf8" || set == "UTF8"; }

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

void AppendUtf16(std::u16string& out, char32_t cp) {
  if (cp < 0x10000) {
    out += static_cast<char16_t>(cp);
  } else {
    cp -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (cp >> 10));
    out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
  }
}

// Owns one iconv descriptor.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts as much as it can; returns false at an input sequence that
  // cannot be converted (in_left then still holds it).
  bool Run(char*& in, std::size_t& in_left, std::string& out) {
    char buffer[256];
    while (in_left > 0) {
      char* dst = buffer;
      std::size_t dst_left = sizeof buffer;
      const std::size_t rc = iconv(cd_, &in, &in_left, &dst, &dst_left);
      out.append(buffer, static_cast<std::size_t>(dst - buffer));
      if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) return false;
    }
    return true;
  }

 private:
  iconv_t cd_;
};

}  // namespace

std::string NarrowCharset() {
  const char* codeset = nl_langinfo(CODESET);
  if (codeset == nullptr || *codeset == '\0' || std::strcmp(codeset, "ANSI_X3.4-1968") == 0 ||
      std::strcmp(codeset, "ASCII") == 0) {
    return "UTF-8";
  }
  return codeset;
}

std::string Utf8FromUtf16(std::u16string_view wide) {
  std::string out;
  out.reserve(wide.size());
  for (std::size_t i = 0; i < wide.size(); ++i) {
    const char16_t c = wide[i];
    if (IsHighSurrogate(c) && i + 1 < wide.size() && IsLowSurrogate(wide[i + 1])) {
      workbook::AppendUtf8(out, 0x10000 + ((char32_t{c} - 0xD800) << 10) + (wide[i + 1] - 0xDC00));
      ++i;
    } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
      workbook::AppendUtf8(out, kReplacement);
    } else {
      workbook::AppendUtf8(out, c);
    }
  }
  return out;
}

std::u16string Utf16FromUtf8(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  std::size_t i = 0;
  while (i < utf8.size()) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    int extra = 0;
    char32_t cp = 0;
    char32_t min = 0;
    if (lead < 0x80) {
      out += static_cast<char16_t>(lead);
      ++i;
      continue;
    } else if ((lead & 0xE0) == 0xC0) {
      extra = 1, cp = lead & 0x1F, min = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      extra = 2, cp = lead & 0x0F, min = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      extra = 3, cp = lead & 0x07, min = 0x10000;
    } else {
      out += kReplacement;
      ++i;
      continue;
    }
    int taken = 0;
    while (taken < extra && i + 1 + taken < utf8.size() &&
           (static_cast<unsigned char>(utf8[i + 1 + taken]) & 0xC0) == 0x80) {
      cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + 1 + taken]) & 0x3F);
      ++taken;
    }
    if (taken < extra || cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      out += kReplacement;
      i += 1 + taken;
      continue;
    }
    AppendUtf16(out, cp);
    i += 1 + extra;
  }
  return out;
}

namespace {
// The common case, a UTF-8 locale, without building the charset's name.
bool LocaleIsUtf8() {
  const char* codeset = nl_langinfo(CODESET);
  return codeset == nullptr || *codeset == '\0' || std::strcmp(codeset, "UTF-8") == 0 ||
         std::strcmp(codeset, "ANSI_X3.4-1968") == 0 || std::strcmp(codeset, "ASCII") == 0;
}
}  // namespace

CString NarrowFromWide(std::u16string_view wide) {
  return LocaleIsUtf8() ? Utf8FromUtf16(wide) : NarrowFromWide(wide, NarrowCharset());
}

std::u16string WideFromNarrow(std::string_view narrow) {
  return LocaleIsUtf8() ? Utf16FromUtf8(narrow) : WideFromNarrow(narrow, NarrowCharset());
}

CString NarrowFromWide(std::u16string_view wide, const std::string& charset) {
  if (IsUtf8Name(charset)) return Utf8FromUtf16(wide);
  Converter conv(charset.c_str(), kUtf16Host);
  if (!conv.ok()) return Utf8FromUtf16(wide);
  std::vector<char16_t> units(wide.begin(), wide.end());
  char* in = reinterpret_cast<char*>(units.data());
  std::size_t in_left = units.size() * sizeof(char16_t);
  std::string out;
  while (!conv.Run(in, in_left, out)) {
    // Skip the one character (one or two UTF-16 units) that has no narrow form.
    const auto* unit = reinterpret_cast<const char16_t*>(in);
    std::size_t skip = sizeof(char16_t);
    if (in_left >= 2 * sizeof(char16_t) && IsHighSurrogate(unit[0]) && IsLowSurrogate(unit[1])) {
      skip *= 2;
    }
    skip = std::min(skip, in_left);
    in += skip;
    in_left -= skip;
    out += '?';
  }
  return out;
}

std::u16string WideFromNarrow(std::string_view narrow, const std::string& charset) {
  if (IsUtf8Name(charset)) return Utf16FromUtf8(narrow);
  Converter conv(kUtf16Host, charset.c_str());
  if (!conv.ok()) return Utf16FromUtf8(narrow);
  std::string bytes(narrow);
  char* in = bytes.data();
  std::size_t in_left = bytes.size();
  std::string out;
  std::u16string wide;
  auto flush = [&] {
    wide.append(reinterpret_cast<const char16_t*>(out.data()), out.size() / sizeof(char16_t));
    out.clear();
  };
  while (!conv.Run(in, in_left, out)) {
    flush();
    wide += kReplacement;
    ++in;
    --in_left;
  }
  flush();
  return wide;
}

}  // namespace platform
