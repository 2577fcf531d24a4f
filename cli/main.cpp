// zembra-tp: the headless companion of the Zembra TP tool.
//   zembra-tp build WORKBOOK -o TPFILE   import a workbook and write its TP file
//   zembra-tp cells WORKBOOK             show the cells the import reads
#include <CLI/CLI.hpp>

#include <clocale>
#include <iostream>

#include "cli/commands.h"

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  CLI::App app{"Turns a workbook of satellites and transponders into a Zembra TP file.",
               "zembra-tp"};
  app.set_version_flag("--version", "zembra-tp " ZEMBRA_VERSION);
  app.require_subcommand(1);

  std::string workbook, output;
  CLI::App* build = app.add_subcommand(
      "build", "Import WORKBOOK as the tool's Open does and write the 2048-byte TP file.");
  build->add_option("WORKBOOK", workbook, "the .xlsx or .xls workbook")->required();
  build->add_option("-o,--output", output, "the TP file to write (.bin or .dat)")->required();

  CLI::App* cells = app.add_subcommand(
      "cells", "Show, for every sheet the import reads, each row's line number and four texts.");
  cells->add_option("WORKBOOK", workbook, "the .xlsx or .xls workbook")->required();

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);
    return code == 0 ? 0 : zembra_cli::kUsageError;
  }
  if (*build) return zembra_cli::RunBuild(workbook, output, std::cout, std::cerr);
  return zembra_cli::RunCells(workbook, std::cout, std::cerr);
}
