#include "platform/bstr.h"

#include <cstdlib>
#include <cstring>
#include <limits>

namespace {
constexpr std::size_t kPrefix = sizeof(std::uint32_t);
}

BSTR SysAllocStringLen(const char16_t* chars, std::uint32_t length) {
  const std::size_t bytes = std::size_t{length} * sizeof(char16_t);
  if (bytes > std::numeric_limits<std::uint32_t>::max()) return nullptr;
  auto* block = static_cast<unsigned char*>(std::malloc(kPrefix + bytes + sizeof(char16_t)));
  if (block == nullptr) return nullptr;
  const auto byteCount = static_cast<std::uint32_t>(bytes);
  std::memcpy(block, &byteCount, kPrefix);
  auto* text = reinterpret_cast<char16_t*>(block + kPrefix);
  if (chars != nullptr && length > 0)
    std::memcpy(text, chars, bytes);
  else if (length > 0)
    std::memset(text, 0, bytes);
  text[length] = u'\0';
  return text;
}

BSTR SysAllocString(std::u16string_view text) {
  if (text.size() > std::numeric_limits<std::uint32_t>::max()) return nullptr;
  return SysAllocStringLen(text.data(), static_cast<std::uint32_t>(text.size()));
}

void SysFreeString(BSTR text) {
  if (text != nullptr) std::free(reinterpret_cast<unsigned char*>(text) - kPrefix);
}

std::uint32_t SysStringLen(const char16_t* text) {
  if (text == nullptr) return 0;
  std::uint32_t bytes = 0;
  std::memcpy(&bytes, reinterpret_cast<const unsigned char*>(text) - kPrefix, kPrefix);
  return bytes / sizeof(char16_t);
}
