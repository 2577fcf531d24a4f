#pragma once
#include "platform/strings.h"
#include "platform/variant.h"

// The text of one cell value, chosen by its type code alone: numbers in fixed
// printf forms, truth values as TRUE/FALSE, dates as "%Y-%m-%d %H:%M:%S",
// strings narrowed to the process's character set, and "UN_KNOW" or
// "[BLOB]" for what is not converted. The value is not modified.
// Raises _com_error when a DECIMAL or LPSTR/LPWSTR cannot be changed, and
// std::bad_alloc when memory runs out.
CString VariantToText(const VARIANT& value);
