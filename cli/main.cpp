// zembra-tp: the headless companion of the Zembra TP tool.
//   zembra-tp build WORKBOOK -o TPFILE   import a workbook and write its TP file
//   zembra-tp cells WORKBOOK             show the cells the import reads
//   zembra-tp show TPFILE [--json]       describe and check a TP file
//   zembra-tp diff OLD NEW               what changed between two TP files
//   zembra-tp export TPFILE -o BOOK.xlsx a workbook that builds the same TP file
#include <CLI/CLI.hpp>

#include <algorithm>
#include <clocale>
#include <iostream>
#include <string_view>

#include "cli/commands.h"
#ifdef ZEMBRA_EXPORT_HANDOFF
#include "cli/export_handoff.h"
#endif

int main(int argc, char** argv) {
  std::setlocale(LC_CTYPE, "");  // the character set of names; numbers stay in the C form
  CLI::App app{"Turns a workbook of satellites and transponders into a Zembra TP file.",
               "zembra-tp"};
  app.set_version_flag("--version", "zembra-tp " ZEMBRA_VERSION);
  app.require_subcommand(1);

  // Declaring every subcommand and option is a noticeable part of a start
  // that is paid for each workbook; when the first argument names a
  // subcommand, only that one is declared (help and errors are the same).
  const auto names = {"build", "cells", "show", "diff", "export"};
  const bool namesOne =
      argc > 1 && std::find(names.begin(), names.end(), std::string_view(argv[1])) != names.end();
  const auto declare = [&](const char* name, const char* description) -> CLI::App* {
    return !namesOne || std::string_view(argv[1]) == name ? app.add_subcommand(name, description)
                                                          : nullptr;
  };

  std::string workbook, output, other;
  zembra_cli::TpFileOptions options;
  CLI::App* build =
      declare("build", "Import WORKBOOK as the tool's Open does and write the 2048-byte TP file.");
  if (build) {
    build->add_option("WORKBOOK", workbook, "the .xlsx or .xls workbook")->required();
    build->add_option("-o,--output", output, "the TP file to write (.bin or .dat)")->required();
  }
  CLI::App* cells = declare(
      "cells", "Show, for every sheet the import reads, each row's line number and four texts.");
  if (cells) cells->add_option("WORKBOOK", workbook, "the .xlsx or .xls workbook")->required();
  CLI::App* show =
      declare("show", "Describe a TP file and check it against what the import makes.");
  if (show) {
    show->add_option("TPFILE", workbook, "the TP file")->required();
    show->add_flag("--json", options.json, "the same as JSON");
  }
  CLI::App* diff = declare("diff", "What changed between two TP files, by satellite.");
  if (diff) {
    diff->add_option("OLD", workbook, "the older TP file")->required();
    diff->add_option("NEW", other, "the newer TP file")->required();
  }
  CLI::App* exportCommand =
      declare("export", "Write a workbook that `build` turns back into the same TP file.");
  if (exportCommand) {
    exportCommand->add_option("TPFILE", workbook, "the TP file")->required();
    exportCommand->add_option("-o,--output", output, "the .xlsx workbook to write")->required();
  }
  for (CLI::App* command : {show, diff, exportCommand}) {
    if (command == nullptr) continue;
    command->add_option("--charset", options.charset,
                        "character set of the satellite names (default: the locale's), e.g. GBK");
  }

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);
    return code == 0 ? 0 : zembra_cli::kUsageError;
  }
  const auto chosen = [](const CLI::App* command) { return command != nullptr && *command; };
  if (chosen(build)) return zembra_cli::RunBuild(workbook, output, std::cout, std::cerr);
  if (chosen(show)) return zembra_cli::RunShow(workbook, options, std::cout, std::cerr);
  if (chosen(diff)) return zembra_cli::RunDiff(workbook, other, options, std::cout, std::cerr);
#ifdef ZEMBRA_EXPORT_HANDOFF
  if (chosen(exportCommand)) return zembra_cli::HandExportToHelper(argv, std::cerr);
#else
  if (chosen(exportCommand))
    return zembra_cli::RunExport(workbook, output, options, std::cout, std::cerr);
#endif
  return zembra_cli::RunCells(workbook, std::cout, std::cerr);
}
