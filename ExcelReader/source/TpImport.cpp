#include "ExcelReader/source/TpImport.h"

#include <filesystem>
#include <system_error>

#include "ExcelReader/source/SatelliteReader.h"
#include "image/FlashInfoImage.h"
#include "report/LogStd.h"

void ClearTodaysReport() {
  std::error_code ec;
  const std::filesystem::path report(CLogStd::GetReportPath());
  if (std::filesystem::is_regular_file(report, ec)) std::filesystem::remove(report, ec);
}

namespace {
// Hears the report entries of one import, and stops hearing on every way out.
class EntryRecorder {
 public:
  explicit EntryRecorder(ImportOutcome& outcome)
      : previous_(SetReportListener([&outcome](std::int32_t level, const CString& message) {
          if (outcome.entries.size() < ImportOutcome::kEntriesKept) {
            outcome.entries.push_back({level, message});
          }
          ++outcome.entryCount;
        })) {}
  ~EntryRecorder() { SetReportListener(std::move(previous_)); }
  EntryRecorder(const EntryRecorder&) = delete;
  EntryRecorder& operator=(const EntryRecorder&) = delete;

 private:
  ReportListener previous_;
};
}  // namespace

ImportOutcome ImportWorkbook(const CString& path, CBuffer& image) {
  ImportOutcome outcome;
  ClearTodaysReport();
  {
    EntryRecorder recorder(outcome);
    ReportBatch batch;
    CSatelliteReader reader;
    reader.Open(path);
    outcome.good = reader.ReadAll();
    reader.Close();
    if (outcome.good) {
      outcome.satellites = reader.m_vecSatellite.size();
      outcome.tps = reader.m_vecTp.size();
      outcome.imageBuilt = BuildFlashInfoImage(image, reader.m_vecSatellite, reader.m_vecTp);
    }
  }
  outcome.reportPath = CLogStd::GetReportPath();
  return outcome;
}
