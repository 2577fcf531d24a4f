#pragma once
// One import of a workbook, as both front ends run it: today's report is
// started afresh, the workbook is read, and on a good verdict the flash info
// image is rebuilt.
#include <cstdint>
#include <vector>

#include "image/Buffer.h"
#include "platform/strings.h"

struct ReportedEntry {
  std::int32_t level;
  CString message;
};

struct ImportOutcome {
  bool good = false;        // the reader's verdict
  bool imageBuilt = false;  // image holds the new 2048 bytes
  std::size_t satellites = 0;
  std::size_t tps = 0;
  // The first entries this import wrote into the report (at most
  // kEntriesKept, so a sheet of a million empty rows costs no memory), and
  // how many it wrote in all.
  static constexpr std::size_t kEntriesKept = 1000;
  std::vector<ReportedEntry> entries;
  std::size_t entryCount = 0;
  CString reportPath;

  // A good import that found no table with the four columns.
  bool noSatellite() const { return good && satellites == 0; }
  std::size_t recordBytes() const { return 18 * satellites + 4 * tps; }
};

// Runs the import of the workbook at path. The image is replaced only when
// the import is good; otherwise it keeps what it held.
ImportOutcome ImportWorkbook(const CString& path, CBuffer& image);

// Removes today's report when it is a file (a folder of that name is left).
void ClearTodaysReport();
