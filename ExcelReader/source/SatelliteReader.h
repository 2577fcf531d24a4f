#pragma once
// CSatelliteReader turns an opened workbook into the two record lists of the
// flash info image: it selects the tables that carry the four columns, reads
// every row as a satellite ("#" in its name) or a TP, checks each value
// against its range and the capacity of the image, and writes one report
// entry per problem. ReadAll's result is the import's verdict.
#include <vector>

#include "ExcelReader/source/ExcelReader.h"
#include "image/FlashRecords.h"

class CSatelliteReader : public CExcelReader {
 public:
  CSatelliteReader() = default;
  ~CSatelliteReader() override;  // frees every record

  // Reads every selected table into the lists; true when the import is good.
  bool ReadAll();
  // Appends the tables that carry the four columns, in workbook order.
  bool GetSatelliteTables(CStringArray& names);
  bool IsSatelliteTable(const CString& table);

  // The records, owned here, in reading order.
  std::vector<SatelliteInfo*> m_vecSatellite;
  std::vector<TpInfo*> m_vecTp;

 private:
  // State of one ReadAll besides the lists.
  struct ReadState {
    int tpCount = 0;                // TPs accepted since the last satellite row
    int line = 1;                   // per table; the header is line 1
    bool failed = false;            // per table: a row failed a value check
    bool stopTable = false;         // a capacity test refused a row
    bool satelliteRefused = false;  // the last satellite row was refused for capacity
  };

  // Bytes the accepted records take in the image.
  int RecordBytes() const;
  bool ReadTable(const CString& table, ReadState& state);
  void ProcessRow(const CString texts[4], ReadState& state);
  void ProcessSatellite(const CString texts[4], ReadState& state);
  void ProcessTp(const CString texts[4], ReadState& state);
};

// The four columns a satellite table carries, in reading order.
extern const char* const kSatelliteColumns[4];

// A text read as C's strtol reads base 10, clamped to 32 bits.
std::int32_t ReadNumber(const CString& text);
