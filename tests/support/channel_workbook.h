#pragma once
// Channel workbooks for the import tests, and the report and image bytes the
// import must give for them, written out from the formats themselves.
#include <cstdint>
#include <string>
#include <vector>

namespace test_support {

// Four cell texts a row. "" leaves the cell out; a text that reads whole as
// a number is written as a number cell, any other as a text cell; a leading
// "'" forces text.
using ChannelRow = std::vector<std::string>;

struct ChannelTable {
  std::string name;
  std::vector<ChannelRow> rows;  // data rows, from sheet row 2
  ChannelRow header = {"ProgName(SateName)", "Fre(Longitude)", "SymbolRate(LocalFre1)",
                       "Polar(LocalFre2)"};
};

void WriteChannelWorkbook(const std::string& path, const std::vector<ChannelTable>& tables);

// The bytes one report entry appends on disk.
std::string ReportBlock(int level, const std::string& message);
struct Entry {
  int level;
  std::string message;
};
std::string ReportBytes(const std::vector<Entry>& entries);
constexpr int kError = 1;
constexpr int kWarning = 2;

// Records as the image holds them, by field.
struct SatRecord {
  std::uint16_t localFre1, localFre2, tpIndex, tpCount;
  std::string name;
};
struct TpRecord {
  std::uint16_t fre;
  char polar;  // 'H' or 'V'
  std::uint16_t symbolRate;
};
std::string ImageBytes(const std::vector<SatRecord>& satellites, const std::vector<TpRecord>& tps);

}  // namespace test_support
