#include "platform/system_messages.h"

#include <utility>

namespace platform {
namespace {

struct MessageText {
  HRESULT hr;
  const char* text;
};

constexpr MessageText kMessages[] = {
    {E_NOTIMPL, "Not implemented\r\n"},
    {E_POINTER, "Invalid pointer\r\n"},
    {E_FAIL, "Unspecified error\r\n"},
    {E_UNEXPECTED, "Catastrophic failure\r\n"},
    {MakeHresult(0x80070002), "The system cannot find the file specified.\r\n"},
    {MakeHresult(0x80070003), "The system cannot find the path specified.\r\n"},
    {E_ACCESSDENIED, "Access is denied.\r\n"},
    {E_OUTOFMEMORY, "Not enough memory resources are available to complete this operation.\r\n"},
    {E_INVALIDARG, "The parameter is incorrect.\r\n"},
    {DISP_E_PARAMNOTFOUND, "Parameter not found.\r\n"},
    {DISP_E_TYPEMISMATCH, "Type mismatch.\r\n"},
    {DISP_E_BADVARTYPE, "Bad variable type.\r\n"},
    {DISP_E_OVERFLOW, "Out of present range.\r\n"},
    {CO_E_NOTINITIALIZED, "CoInitialize has not been called.\r\n"},
    {REGDB_E_CLASSNOTREG, "Class not registered\r\n"},
};

std::optional<std::string> BuiltInMessage(HRESULT hr) {
  for (const auto& m : kMessages) {
    if (m.hr == hr) return std::string(m.text);
  }
  return std::nullopt;
}

SystemMessageSource& CurrentSource() {
  static SystemMessageSource source = BuiltInMessage;
  return source;
}

}  // namespace

std::optional<std::string> SystemMessage(HRESULT hr) { return CurrentSource()(hr); }

SystemMessageSource SetSystemMessageSource(SystemMessageSource source) {
  if (!source) source = BuiltInMessage;
  return std::exchange(CurrentSource(), std::move(source));
}

}  // namespace platform
