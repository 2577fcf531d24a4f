#pragma once
// Raising provider errors as _com_error with a description for an operator.
#include <string>

#include "platform/com_error.h"

namespace ado {

[[noreturn]] void Raise(HRESULT hr, const std::string& utf8Description);
// Raises hr when a test injected a failure for the call.
void CheckInjected(int call);

}  // namespace ado
