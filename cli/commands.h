#pragma once
// The commands of zembra-tp, apart from argument parsing so tests can run them.
#include <ostream>
#include <string>

namespace zembra_cli {

constexpr int kOk = 0;
constexpr int kImportFailed = 1;
constexpr int kUsageError = 2;
constexpr int kCannotWrite = 3;

// Imports the workbook and writes the TP file; returns the exit code.
int RunBuild(const std::string& workbook, const std::string& output, std::ostream& out,
             std::ostream& err);

// Prints the name of every table the import reads, then each row's line
// number and its four cell texts, tab-separated; returns the exit code.
int RunCells(const std::string& workbook, std::ostream& out, std::ostream& err);

}  // namespace zembra_cli

namespace zembra_cli {

// Options of the commands that read TP files.
struct TpFileOptions {
  bool json = false;
  std::string charset;  // of the satellite names; empty for the locale's
};

// Describes a TP file: exit 0 when valid, 1 with findings, 2 when unreadable.
int RunShow(const std::string& tpFile, const TpFileOptions& options, std::ostream& out,
            std::ostream& err);
// What changed between two TP files: exit 0 when equal, 1 when they differ.
int RunDiff(const std::string& oldFile, const std::string& newFile, const TpFileOptions& options,
            std::ostream& out, std::ostream& err);
// Writes a workbook that `build` turns back into the same TP file.
int RunExport(const std::string& tpFile, const std::string& workbook, const TpFileOptions& options,
              std::ostream& out, std::ostream& err);

}  // namespace zembra_cli
