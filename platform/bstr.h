#pragma once
// BSTR: a length-prefixed UTF-16 string on the heap, laid out as OLE lays it
// out (a 32-bit byte count before the characters, a NUL after them), so a
// BSTR may hold NUL characters and still knows its length.
#include <cstdint>
#include <string_view>

using BSTR = char16_t*;

// Null when memory cannot be had.
BSTR SysAllocStringLen(const char16_t* chars, std::uint32_t length);
BSTR SysAllocString(std::u16string_view text);
void SysFreeString(BSTR text);
// Number of characters; 0 for a null BSTR.
std::uint32_t SysStringLen(const char16_t* text);
