#include "platform/com_error.h"

#include <cstdio>

#include "platform/codepage.h"
#include "platform/system_messages.h"

_com_error::_com_error(HRESULT hr, std::string_view utf8Description)
    : hr_(hr),
      info_(
          std::make_shared<const ErrorInfo>(ErrorInfo{platform::Utf16FromUtf8(utf8Description)})) {}

CString _com_error::Description() const {
  if (info_ == nullptr) return {};
  return platform::NarrowFromWide(info_->description);
}

const CString& _com_error::ErrorMessage() const {
  if (message_) return *message_;
  if (std::optional<std::string> text = platform::SystemMessage(hr_)) {
    if (text->size() > 1 && text->back() == '\n') {
      text->pop_back();
      if (!text->empty() && text->back() == '\r') text->pop_back();
    }
    message_ = std::move(*text);
    return *message_;
  }
  char buffer[32];
  const auto bits = static_cast<std::uint32_t>(hr_);
  if (bits >= 0x80040200u && bits <= 0x8004FFFFu && bits != 0x80040200u) {
    std::snprintf(buffer, sizeof buffer, "IDispatch error #%d",
                  static_cast<int>(bits - 0x80040200u));
  } else {
    std::snprintf(buffer, sizeof buffer, "Unknown error 0x%0lX", static_cast<unsigned long>(bits));
  }
  message_ = CString(buffer);
  return *message_;
}
