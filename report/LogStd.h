#pragma once
// CLogStd writes one entry of the import report: a coloured HTML block
// appended to today's report file, "Log/YYYY-MM-DD.log.html" beside the
// program. An entry is written by constructing a CLogStd with the reporting
// line and a level, calling WriteText or WriteFormat once, and destroying it.
// Writing never fails outward: an entry that cannot be written is dropped.
#include <array>
#include <concepts>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "platform/strings.h"

// One argument of CLogStd::WriteFormat: an integer for "%d", a byte string
// for "%s", a double for "%f".
class ReportArg {
 public:
  template <std::integral T>
  ReportArg(T value) : value_(static_cast<std::int32_t>(value)) {}
  ReportArg(double value) : value_(value) {}
  ReportArg(const char* text) : value_(text != nullptr ? text : "") {}
  ReportArg(const CString& text) : value_(text.c_str()) {}

  const std::variant<std::int32_t, const char*, double>& value() const { return value_; }

 private:
  std::variant<std::int32_t, const char*, double> value_;
};

// Builds a report message from a format that knows "%d", "%s" and "%f" only:
// "%f" narrows its double to float first; "%" before any other byte is
// dropped and consumes nothing; a trailing "%" is dropped. A conversion whose
// argument is missing or of another kind writes nothing.
CString BuildReportMessage(const char* format, std::span<const ReportArg> args);

// The entry block as written by the program: four "%s" placeholders for
// background colour, text colour, label and message; lines end in CR LF.
std::string_view ReportEntryTemplate();

// The HTML block of one entry as it reaches the disk (every line feed
// preceded by a carriage return), with the message HTML-escaped.
CString BuildReportBlock(std::int32_t level, const CString& message);

class CLogStd {
 public:
  enum : std::int32_t { LevelError = 1, LevelWarning = 2 };

  CLogStd(std::int32_t line, std::int32_t level);
  virtual ~CLogStd();
  CLogStd(const CLogStd&) = delete;
  CLogStd& operator=(const CLogStd&) = delete;

  void WriteText(const char* message);

  template <typename... Args>
  void WriteFormat(const char* format, const Args&... args) {
    const std::array<ReportArg, sizeof...(Args)> list{ReportArg(args)...};
    WriteEntry(BuildReportMessage(format, list));
  }

  // Full path of today's report file. The first call of a run makes sure
  // the "Log" folder exists; when it cannot be created or written beside the
  // program, or the program is installed in a system folder such as
  // /usr/bin, the report goes to $XDG_STATE_HOME/zembra-tool/Log/ instead.
  static CString GetReportPath();

 private:
  void WriteEntry(const CString& message);

  CString m_strFile;
  std::int32_t m_nLine;
  std::int32_t m_nLevel;
};

// While a batch lives, today's report stays open and entries are appended
// through one buffer instead of opening, appending and closing the file for
// each; the file is complete on disk when the last batch ends. An import
// that writes a million entries takes seconds instead of minutes.
class ReportBatch {
 public:
  ReportBatch();
  ~ReportBatch();
  ReportBatch(const ReportBatch&) = delete;
  ReportBatch& operator=(const ReportBatch&) = delete;
};

// Called for every entry written (level, message), whether or not it reached
// the file; front ends use it to count or echo entries. Returns the previous
// listener.
using ReportListener = std::function<void(std::int32_t level, const CString& message)>;
ReportListener SetReportListener(ReportListener listener);

namespace report_testing {
// Starts the process-wide report state afresh as if the program lived in
// moduleDirectory (ending in '/'): the Log folder is looked for again.
void ResetReportState(const CString& moduleDirectory);
}  // namespace report_testing
