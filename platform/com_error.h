#pragma once
// _com_error: the error record a failing call of the workbook layer raises.
// It carries the call's HRESULT and, optionally, error information with a
// description; its message text is made on first request and then kept.
#include <memory>
#include <optional>
#include <string>

#include "platform/hresult.h"
#include "platform/strings.h"

// What IErrorInfo carries for us: the description, in UTF-16 as COM gives it.
struct ErrorInfo {
  std::u16string description;
};

class _com_error {
 public:
  explicit _com_error(HRESULT hr, std::shared_ptr<const ErrorInfo> info = nullptr)
      : hr_(hr), info_(std::move(info)) {}
  // Convenience: error information holding a UTF-8 description.
  _com_error(HRESULT hr, std::string_view utf8Description);

  HRESULT Error() const { return hr_; }
  const ErrorInfo* ErrorInfoRecord() const { return info_.get(); }

  // The error information's description narrowed to the process's character
  // set; empty when there is none.
  CString Description() const;

  // The system's text for the HRESULT without its trailing line break, or
  // "IDispatch error #N" / "Unknown error 0xHHHHHHHH" where the system has
  // none. Made once, then kept with the record.
  const CString& ErrorMessage() const;

 private:
  HRESULT hr_;
  std::shared_ptr<const ErrorInfo> info_;
  mutable std::optional<CString> message_;
};
