#pragma once
// Where the running program lives, standing in for GetModuleFileName.
#include "platform/strings.h"

namespace platform {

// Full path of the running executable; empty when it cannot be read.
CString ModuleFileName();

}  // namespace platform
