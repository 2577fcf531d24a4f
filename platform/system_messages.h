#pragma once
// System message texts for HRESULTs, standing in for FormatMessage: our own
// table of the codes the tool can meet, each text ending in "\r\n" as the
// system's texts do. Tests may replace the source.
#include <functional>
#include <optional>
#include <string>

#include "platform/hresult.h"

namespace platform {

using SystemMessageSource = std::function<std::optional<std::string>(HRESULT)>;

// The text for hr, or nothing when the source has none.
std::optional<std::string> SystemMessage(HRESULT hr);

// Replaces the source (an empty function restores the built-in table) and
// returns the previous one.
SystemMessageSource SetSystemMessageSource(SystemMessageSource source);

}  // namespace platform
