#include "report/LogStd.h"

#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <string_view>
#include <system_error>
#include <utility>

#include "platform/module_path.h"

namespace {

namespace fs = std::filesystem;

// The entry block, one placeholder each for background colour, text colour,
// label and message. Lines end in CR LF; on disk each LF gains another CR.
constexpr std::string_view kEntryTemplate =
    "<div style='text-align:center'>\r\n"
    "  <table style='background:#A4FDB6;border:1px solid #000000;width:800px' "
    "cellpadding='1px' cellspacing='1px'>\r\n"
    "    <tr>\r\n"
    "      <td style='width:800px;word-break:break-all;text-align:Left;background-color:%s;"
    "color:%s;font-size:15px;font-weight:bold;border:1px solid #000000;padding:2px' >\r\n"
    "        %s%s      </td>\r\n"
    "    </tr>\r\n"
    "  </table>\r\n"
    "</div><p>\r\n";

// Process-wide state of the report.
struct ReportState {
  CString moduleDirectory;     // ends in '/', empty until found
  bool checkLogFolder = true;  // cleared by the first GetReportPath
  CString logFolder;           // chosen by the first GetReportPath
  CString todaysPath;          // the report file of todaysDate (yyyymmdd)
  int todaysDate = 0;
  ReportListener listener;
  int batches = 0;                 // ReportBatch objects alive
  std::FILE* batchFile = nullptr;  // today's report, open while batches > 0
  CString batchPath;
};

ReportState& State() {
  static ReportState state;
  return state;
}

std::recursive_mutex& ReportLock() {
  static std::recursive_mutex lock;
  return lock;
}

CString GetModuleDirectory() {
  CString& cache = State().moduleDirectory;
  if (cache.empty()) {
    const CString exe = platform::ModuleFileName();
    const std::size_t slash = exe.rfind('/');
    if (slash != CString::npos) cache = exe.substr(0, slash + 1);
  }
  return cache;
}

bool IsWritableFolder(const CString& folder) {
  std::error_code ec;
  return fs::is_directory(folder, ec) && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

// $XDG_STATE_HOME/zembra-tool/Log/, by default ~/.local/state/zembra-tool/Log/.
CString FallbackLogFolder() {
  fs::path base;
  if (const char* state = std::getenv("XDG_STATE_HOME"); state != nullptr && *state == '/') {
    base = state;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    base = fs::path(home) / ".local" / "state";
  } else {
    return {};
  }
  const fs::path folder = base / "zembra-tool" / "Log";
  std::error_code ec;
  fs::create_directories(folder, ec);
  return folder.string() + "/";
}

// Folders of installed programs, which are no place for reports even when
// the user (root) could write there.
bool IsSystemProgramFolder(const CString& folder) {
  for (const char* system : {"/usr/bin/", "/usr/sbin/", "/usr/local/bin/", "/bin/", "/sbin/"}) {
    if (folder == system) return true;
  }
  return false;
}

CString ChooseLogFolder() {
  const CString beside = GetModuleDirectory() + "Log/";
  std::error_code ec;
  if (!IsSystemProgramFolder(GetModuleDirectory())) {
    if (!fs::exists(beside, ec)) fs::create_directory(beside, ec);
    if (IsWritableFolder(beside)) return beside;
  }
  const CString fallback = FallbackLogFolder();
  return !fallback.empty() && IsWritableFolder(fallback) ? fallback : beside;
}

void AppendDecimal(CString& out, std::int32_t value) { out += std::to_string(value); }

void AppendFloat(CString& out, double value) {
  char buffer[64];
  const double narrowed = static_cast<float>(value);
  const int length = std::snprintf(buffer, sizeof buffer, "%f", narrowed);
  if (length < static_cast<int>(sizeof buffer)) {
    out.append(buffer, static_cast<std::size_t>(length));
  } else {  // huge values need more room
    CString wide(static_cast<std::size_t>(length), '\0');
    std::snprintf(wide.data(), wide.size() + 1, "%f", narrowed);
    out += wide;
  }
}

// The entry template cut at its placeholders, its line ends already as they
// reach the disk.
const std::array<CString, 5>& EntryPiecesOnDisk() {
  static const std::array<CString, 5> pieces = [] {
    std::array<CString, 5> out;
    std::size_t piece = 0;
    for (std::size_t i = 0; i < kEntryTemplate.size(); ++i) {
      if (piece + 1 < out.size() && kEntryTemplate.substr(i, 2) == "%s") {
        ++piece;
        ++i;
        continue;
      }
      if (kEntryTemplate[i] == '\n') out[piece] += '\r';
      out[piece] += kEntryTemplate[i];
    }
    return out;
  }();
  return pieces;
}

// Appends the message HTML-escaped, each line feed preceded by a carriage
// return as the text-mode file writes it. Runs of plain bytes are copied
// whole: an import may write millions of entries.
void AppendMessageOnDisk(CString& out, std::string_view text) {
  while (!text.empty()) {
    const std::size_t special = text.find_first_of("&<>\n");
    out.append(text.substr(0, special));
    if (special == std::string_view::npos) break;
    switch (text[special]) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      default:
        out += "\r\n";
    }
    text.remove_prefix(special + 1);
  }
}

}  // namespace

std::string_view ReportEntryTemplate() { return kEntryTemplate; }

CString BuildReportMessage(const char* format, std::span<const ReportArg> args) {
  CString message;
  if (format != nullptr) message.reserve(std::strlen(format) + 32);
  std::size_t next = 0;
  for (const char* p = format; p != nullptr && *p != '\0'; ++p) {
    if (*p != '%') {  // copy the run of text up to the next conversion
      const std::size_t run = std::strcspn(p, "%");
      message.append(p, run);
      p += run - 1;
      continue;
    }
    const char conversion = p[1];
    if (conversion != 'd' && conversion != 's' && conversion != 'f') continue;  // drop the '%'
    ++p;
    if (next >= args.size()) continue;
    const auto& value = args[next++].value();
    if (conversion == 'd' && std::holds_alternative<std::int32_t>(value)) {
      AppendDecimal(message, std::get<std::int32_t>(value));
    } else if (conversion == 's' && std::holds_alternative<const char*>(value)) {
      message += std::get<const char*>(value);
    } else if (conversion == 'f' && std::holds_alternative<double>(value)) {
      AppendFloat(message, std::get<double>(value));
    }
  }
  return message;
}

CString BuildReportBlock(std::int32_t level, const CString& message) {
  std::string_view background = "#ffffff", color = "#000000", label = "Record:";
  if (level == CLogStd::LevelError) {
    background = "#ff0000", color = "#ffffff", label = "Error:";
  } else if (level == CLogStd::LevelWarning) {
    background = "#FFE645", color = "#000000", label = "Warning:";
  }
  const auto& pieces = EntryPiecesOnDisk();
  CString block;
  block.reserve(kEntryTemplate.size() + 16 + message.size() + message.size() / 4);
  block += pieces[0];
  block += background;
  block += pieces[1];
  block += color;
  block += pieces[2];
  block += label;
  block += pieces[3];
  AppendMessageOnDisk(block, message);
  block += pieces[4];
  return block;
}

CLogStd::CLogStd(std::int32_t line, std::int32_t level)
    : m_strFile("./ExcelReader/source/flashInfoReader"), m_nLine(line), m_nLevel(level) {}

CLogStd::~CLogStd() = default;

void CLogStd::WriteText(const char* message) { WriteEntry(message != nullptr ? message : ""); }

namespace {
// Today's report file; the path is built again only when the date changes,
// as an import may write millions of entries. Called with the report lock held.
const CString& TodaysReportPath() {
  ReportState& state = State();
  if (state.checkLogFolder) {
    state.checkLogFolder = false;
    state.logFolder = ChooseLogFolder();
    state.todaysPath.clear();
  }
  int year = 0, month = 0, day = 0;
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (now != static_cast<std::time_t>(-1) && localtime_r(&now, &local) != nullptr) {
    year = local.tm_year + 1900;
    month = local.tm_mon + 1;
    day = local.tm_mday;
  }
  const int date = (year * 100 + month) * 100 + day;
  if (state.todaysPath.empty() || date != state.todaysDate) {
    char name[64];
    std::snprintf(name, sizeof name, "%.4d-%.2d-%.2d.log.html", year, month, day);
    state.todaysPath =
        (state.logFolder.empty() ? GetModuleDirectory() + "Log/" : state.logFolder) + name;
    state.todaysDate = date;
  }
  return state.todaysPath;
}
}  // namespace

CString CLogStd::GetReportPath() {
  std::lock_guard<std::recursive_mutex> guard(ReportLock());
  return TodaysReportPath();
}

void CLogStd::WriteEntry(const CString& message) {
  const CString block = BuildReportBlock(m_nLevel, message);
  {
    std::lock_guard<std::recursive_mutex> guard(ReportLock());
    ReportState& state = State();
    const CString& path = TodaysReportPath();
    if (state.batches == 0) {
      if (std::FILE* file = std::fopen(path.c_str(), "ab")) {
        std::fwrite(block.data(), 1, block.size(), file);
        std::fclose(file);
      }
    } else {
      if (state.batchFile != nullptr && state.batchPath != path) {
        std::fclose(std::exchange(state.batchFile, nullptr));
      }
      if (state.batchFile == nullptr) {
        state.batchFile = std::fopen(path.c_str(), "ab");
        state.batchPath = path;
        // An entry is about 400 bytes: write them out 64 KiB at a time.
        if (state.batchFile != nullptr) std::setvbuf(state.batchFile, nullptr, _IOFBF, 1 << 16);
      }
      if (state.batchFile != nullptr) std::fwrite(block.data(), 1, block.size(), state.batchFile);
    }
  }
  if (State().listener) State().listener(m_nLevel, message);
}

ReportBatch::ReportBatch() {
  std::lock_guard<std::recursive_mutex> guard(ReportLock());
  ++State().batches;
}

ReportBatch::~ReportBatch() {
  std::lock_guard<std::recursive_mutex> guard(ReportLock());
  ReportState& state = State();
  if (--state.batches == 0 && state.batchFile != nullptr) {
    std::fclose(std::exchange(state.batchFile, nullptr));
  }
}

ReportListener SetReportListener(ReportListener listener) {
  return std::exchange(State().listener, std::move(listener));
}

namespace report_testing {
void ResetReportState(const CString& moduleDirectory) {
  ReportState& state = State();
  state.moduleDirectory = moduleDirectory;
  state.checkLogFolder = true;
  state.logFolder.clear();
}
}  // namespace report_testing
