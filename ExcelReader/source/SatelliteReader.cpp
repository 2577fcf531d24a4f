#include "ExcelReader/source/SatelliteReader.h"

#include <cctype>
#include <climits>
#include <cstdint>

#include "ExcelReader/source/VariantToText.h"
#include "report/LogStd.h"

const char* const kSatelliteColumns[4] = {"ProgName(SateName)", "Fre(Longitude)",
                                          "SymbolRate(LocalFre1)", "Polar(LocalFre2)"};

namespace {

enum Column { kName, kFre, kSymbolRate, kPolar };

// Records and the image around them: 2016 bytes for records, with room kept
// for the largest record so the image never overflows.
constexpr int kCapacity = 2000;
constexpr int kSatelliteReserve = 38;
constexpr int kTpReserve = 20;
constexpr int kMaxTpsPerSatellite = 20;

bool IsReportSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

CString Trim(const CString& text) {
  std::size_t begin = 0, end = text.size();
  while (begin < end && IsReportSpace(text[begin])) ++begin;
  while (end > begin && IsReportSpace(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

bool EqualsNoCase(const CString& a, const char* b) {
  std::size_t i = 0;
  for (; i < a.size() && b[i] != '\0'; ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return i == a.size() && b[i] == '\0';
}

bool InRange(std::int32_t value, std::int32_t low, std::int32_t high) {
  return value >= low && value <= high;
}

void Error(int line, const char* message) { CLogStd(line, CLogStd::LevelError).WriteText(message); }

template <typename... Args>
void ErrorFormat(int line, const char* format, const Args&... args) {
  CLogStd(line, CLogStd::LevelError).WriteFormat(format, args...);
}

}  // namespace

std::int32_t ReadNumber(const CString& text) {
  std::size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  std::int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > std::int64_t{INT32_MAX} + 1) value = std::int64_t{INT32_MAX} + 1;  // clamped below
  }
  if (negative) value = -value;
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<std::int32_t>(value);
}

int CSatelliteReader::RecordBytes() const {
  return 18 * static_cast<int>(m_vecSatellite.size()) + 4 * static_cast<int>(m_vecTp.size());
}

CSatelliteReader::~CSatelliteReader() {
  for (SatelliteInfo* satellite : m_vecSatellite) delete satellite;
  for (TpInfo* tp : m_vecTp) delete tp;
}

bool CSatelliteReader::IsSatelliteTable(const CString& table) {
  if (!m_pConnection || m_pConnection->GetState() == ado::adStateClosed) return false;
  CStringArray columns;
  GetColumnNames(table, columns);  // a table whose columns cannot be listed has none
  for (const char* required : kSatelliteColumns) {
    bool found = false;
    for (const CString& column : columns) {
      if (EqualsNoCase(Trim(column), required)) {
        found = true;
        break;
      }
    }
    if (!found) return false;
  }
  return true;
}

bool CSatelliteReader::GetSatelliteTables(CStringArray& names) {
  if (!m_pConnection || m_pConnection->GetState() == ado::adStateClosed) return false;
  CStringArray tables;
  if (!GetTableNames(tables)) return false;
  for (const CString& table : tables) {
    if (IsSatelliteTable(table)) names.push_back(table);
  }
  return true;
}

bool CSatelliteReader::ReadAll() {
  CStringArray tables;
  try {
    if (!m_pConnection || m_pConnection->GetState() == ado::adStateClosed) {
      Error(__LINE__, "Open excel file failed!");
      return false;
    }
    if (!GetSatelliteTables(tables)) {
      Error(__LINE__, "Get excel file's tables name failed!");
      return false;
    }
  } catch (const _com_error& e) {
    // The state read or a listing raised: no table can be trusted.
    ErrorFormat(__LINE__, "Com error Description: %s\r\n Message:%s", e.Description(),
                e.ErrorMessage());
    return false;
  }
  ReadState state;
  for (const CString& table : tables) {
    if (!ReadTable(table, state)) return false;
  }
  return true;
}

bool CSatelliteReader::ReadTable(const CString& table, ReadState& state) {
  ado::RecordsetPtr recordset;
  if (ado::CreateRecordset(recordset) != S_OK) {
    Error(__LINE__, "Create ado Recordset failed!");
    return false;
  }
  state.line = 1;
  state.failed = false;
  state.stopTable = false;
  try {
    const CVariant query = NarrowTextVariant("Select * From [" + table + "] ");
    recordset->Open(query.get(), ConnectionVariant(m_pConnection.get()), ado::adOpenDynamic,
                    ado::adLockPessimistic, ado::adCmdText);
    const CVariant columns[4] = {
        NarrowTextVariant(kSatelliteColumns[0]), NarrowTextVariant(kSatelliteColumns[1]),
        NarrowTextVariant(kSatelliteColumns[2]), NarrowTextVariant(kSatelliteColumns[3])};
    while (!recordset->GetEndOfFile()) {
      CString texts[4];
      for (int c = 0; c < 4; ++c)
        texts[c] = Trim(VariantToText(recordset->GetCollect(columns[c].get()).get()));
      ProcessRow(texts, state);
      if (state.stopTable) break;
      recordset->MoveNext();
    }
  } catch (const _com_error& e) {
    ErrorFormat(__LINE__, "Com error Description: %s\r\n Message:%s", e.Description(),
                e.ErrorMessage());
    return false;
  }
  if (state.tpCount != 0 && !m_vecSatellite.empty()) {
    m_vecSatellite.back()->setTpCount(static_cast<std::uint16_t>(state.tpCount));
  }
  if (m_vecSatellite.empty()) {
    Error(__LINE__, "The Count of satllite is too much!");
    return false;
  }
  return !state.failed;
}

void CSatelliteReader::ProcessRow(const CString texts[4], ReadState& state) {
  ++state.line;
  const bool noFre = texts[kFre].empty();
  const bool noSymbolRate = texts[kSymbolRate].empty();
  const bool noPolar = texts[kPolar].empty();
  if (noFre || noSymbolRate || noPolar) {
    if (noFre) {
      CLogStd(__LINE__, CLogStd::LevelWarning)
          .WriteFormat("line[%d] \"Fre(Longitude)\" Has invalid Data", state.line);
    }
    if (noSymbolRate) {
      CLogStd(__LINE__, CLogStd::LevelWarning)
          .WriteFormat("line[%d] \"SymbolRate(LocalFre1)\" Has invalid Data", state.line);
    }
    if (noPolar) {
      CLogStd(__LINE__, CLogStd::LevelWarning)
          .WriteFormat("line[%d] \"Polar(LocalFre2)\" Has invalid Data", state.line);
    }
    return;
  }
  if (texts[kName].find('#') != CString::npos) {
    ProcessSatellite(texts, state);
  } else {
    ProcessTp(texts, state);
  }
}

void CSatelliteReader::ProcessSatellite(const CString texts[4], ReadState& state) {
  // The satellite before this one gets its TP count now, whatever this row's
  // outcome; after a capacity refusal the last accepted satellite already
  // has its count and keeps it.
  if (!m_vecSatellite.empty() && !state.satelliteRefused) {
    m_vecSatellite.back()->setTpCount(static_cast<std::uint16_t>(state.tpCount));
  }
  state.tpCount = 0;

  auto* satellite = new SatelliteInfo();
  satellite->setTpIndex(static_cast<std::uint16_t>(m_vecTp.size()));
  satellite->setSateName(CString(texts[kName].substr(texts[kName].find('#') + 1)));
  bool failed = false;
  const std::int32_t localFre1 = ReadNumber(texts[kSymbolRate]);
  if (!InRange(localFre1, 5000, 11300)) {
    ErrorFormat(__LINE__, "line[%d] SymbolRate(LocalFre1) is valid", state.line);
    failed = true;
  }
  const std::int32_t localFre2 = ReadNumber(texts[kPolar]);
  if (!InRange(localFre2, 5000, 11300)) {
    ErrorFormat(__LINE__, "line[%d] Polar(LocalFre2) is valid", state.line);
    failed = true;
  }
  if (failed) {
    delete satellite;
    state.failed = true;
    return;
  }
  satellite->setLocalFre1(static_cast<std::uint16_t>(localFre1));
  satellite->setLocalFre2(static_cast<std::uint16_t>(localFre2));
  if (RecordBytes() + kSatelliteReserve < kCapacity) {
    m_vecSatellite.push_back(satellite);
    state.satelliteRefused = false;
  } else {
    delete satellite;
    ErrorFormat(__LINE__, "line[%d] Data is out of range", state.line);
    state.satelliteRefused = true;
    state.stopTable = true;
  }
}

void CSatelliteReader::ProcessTp(const CString texts[4], ReadState& state) {
  auto* tp = new TpInfo();
  bool failed = false;
  const std::int32_t fre = ReadNumber(texts[kFre]);
  if (!InRange(fre, 1200, 14500)) {
    ErrorFormat(__LINE__, "line[%d] Fre(Longitude) is valid", state.line);
    failed = true;
  }
  std::uint8_t polar = 0;
  if (EqualsNoCase(texts[kPolar], "H")) {
    polar = 0;
  } else if (EqualsNoCase(texts[kPolar], "V")) {
    polar = 1;
  } else {
    ErrorFormat(__LINE__, "line[%d] Polar(LocalFre2) is valid", state.line);
    failed = true;
  }
  const std::int32_t symbolRate = ReadNumber(texts[kSymbolRate]);
  if (!InRange(symbolRate, 1, 45000)) {
    ErrorFormat(__LINE__, "line[%d] SymbolRate(LocalFre1) is valid", state.line);
    failed = true;
  }
  if (failed) {
    delete tp;
    state.failed = true;
    return;
  }
  if (state.satelliteRefused) {
    // Its satellite was refused for capacity: the TP belongs to no record.
    delete tp;
    ErrorFormat(__LINE__, "line[%d] Data is out of range", state.line);
    return;
  }
  if (state.tpCount >= kMaxTpsPerSatellite) {
    delete tp;
    ErrorFormat(__LINE__, "line[%d] TP is out of range", state.line);
    return;
  }
  tp->setFreAndPolar(static_cast<std::uint16_t>(fre), polar);
  tp->setSymbolRate(static_cast<std::uint16_t>(symbolRate));
  if (RecordBytes() + kTpReserve < kCapacity) {
    m_vecTp.push_back(tp);
    ++state.tpCount;
  } else {
    delete tp;
    ErrorFormat(__LINE__, "line[%d] ALL Data is out of range", state.line);
    state.stopTable = true;
  }
}
