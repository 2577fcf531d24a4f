#include "cli/commands.h"

#include "ExcelReader/source/SatelliteReader.h"
#include "ExcelReader/source/TpImport.h"
#include "ExcelReader/source/VariantToText.h"
#include "image/FlashInfoImage.h"
#include "platform/atomic_file.h"
#include "report/LogStd.h"

namespace zembra_cli {
namespace {

const char* LevelLabel(std::int32_t level) {
  return level == CLogStd::LevelError     ? "Error: "
         : level == CLogStd::LevelWarning ? "Warning: "
                                          : "Record: ";
}

void PrintEntries(const ImportOutcome& outcome, std::ostream& err) {
  for (const ReportedEntry& entry : outcome.entries)
    err << LevelLabel(entry.level) << entry.message << '\n';
  if (outcome.entryCount > outcome.entries.size()) {
    err << "... and " << outcome.entryCount - outcome.entries.size()
        << " more entries in the report: " << outcome.reportPath << '\n';
  }
}

}  // namespace

int RunBuild(const std::string& workbook, const std::string& output, std::ostream& out,
             std::ostream& err) {
  CBuffer image;
  const ImportOutcome outcome = ImportWorkbook(workbook, image);
  if (!outcome.good || !outcome.imageBuilt) {
    PrintEntries(outcome, err);
    if (outcome.good) err << "Error: not enough memory to build the TP image\n";
    err << "Import of '" << workbook
        << "' failed; no TP file was written. Report: " << outcome.reportPath << '\n';
    return kImportFailed;
  }
  // A TP file that already holds these bytes is left as it is: its time
  // stamp keeps telling tools like make and rsync that nothing changed.
  const bool unchanged = platform::FileHoldsExactly(output, image.m_pData, image.m_nSize);
  std::string reason;
  if (!unchanged && !platform::WriteFileAtomically(output, image.m_pData, image.m_nSize, &reason)) {
    err << "zembra-tp: " << reason << '\n';
    return kCannotWrite;
  }
  out << (unchanged ? "Unchanged " : "Wrote ") << output << ": " << outcome.satellites
      << " satellites, " << outcome.tps << " TPs, " << outcome.recordBytes() << " of "
      << kFlashRecordAreaSize << " record bytes used";
  if (outcome.entryCount > 0) {
    out << "; the report has " << outcome.entryCount << " entries: " << outcome.reportPath;
  }
  out << '\n';
  if (outcome.noSatellite()) {
    err << "Warning: no sheet of '" << workbook << "' has the columns " << kSatelliteColumns[0]
        << ", " << kSatelliteColumns[1] << ", " << kSatelliteColumns[2] << " and "
        << kSatelliteColumns[3] << "; the TP file holds no satellite.\n";
  }
  return kOk;
}

int RunCells(const std::string& workbook, std::ostream& out, std::ostream& err) {
  CSatelliteReader reader;
  if (!reader.Open(workbook)) {
    err << "Error: Open excel file failed!\n";
    return kImportFailed;
  }
  try {
    CStringArray tables;
    if (!reader.GetSatelliteTables(tables)) {
      err << "Error: Get excel file's tables name failed!\n";
      return kImportFailed;
    }
    CVariant columns[4];
    for (int c = 0; c < 4; ++c) columns[c] = NarrowTextVariant(kSatelliteColumns[c]);
    for (const CString& table : tables) {
      out << table << '\n';
      ado::RecordsetPtr rows;
      if (ado::CreateRecordset(rows) != S_OK) {
        err << "Error: Create ado Recordset failed!\n";
        return kImportFailed;
      }
      const CVariant query = NarrowTextVariant("Select * From [" + table + "] ");
      rows->Open(query.get(), ConnectionVariant(reader.m_pConnection.get()), ado::adOpenDynamic,
                 ado::adLockPessimistic, ado::adCmdText);
      std::string text;  // one line, written whole
      for (int line = 2; !rows->GetEndOfFile(); ++line) {
        text = std::to_string(line);
        for (const CVariant& column : columns) {
          text += '\t';
          text += VariantToText(rows->GetCollect(column.get()).get());
        }
        text += '\n';
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        rows->MoveNext();
      }
    }
  } catch (const _com_error& e) {
    err << "Error: Com error Description: " << e.Description()
        << "\r\n Message:" << e.ErrorMessage() << '\n';
    return kImportFailed;
  }
  return kOk;
}

}  // namespace zembra_cli
