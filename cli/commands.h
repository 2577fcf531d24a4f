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
