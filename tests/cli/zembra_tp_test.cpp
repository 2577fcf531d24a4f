// zembra-tp as an operator or a build server uses it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "cli/commands.h"
#include "report/LogStd.h"
#include "support/channel_workbook.h"
#include "support/temp_dir.h"

namespace {

using namespace test_support;
namespace fs = std::filesystem;

const std::string kExamples = ZEMBRA_EXAMPLES;

class ZembraTp : public ::testing::Test {
 protected:
  void SetUp() override { report_testing::ResetReportState(dir_.dir()); }
  void TearDown() override { report_testing::ResetReportState(""); }

  int Build(const std::string& workbook, const std::string& output) {
    out_.str("");
    err_.str("");
    return zembra_cli::RunBuild(workbook, output, out_, err_);
  }
  std::string Workbook(const std::vector<ChannelTable>& tables) {
    const std::string path = (dir_.path() / "book.xlsx").string();
    WriteChannelWorkbook(path, tables);
    return path;
  }
  std::string Output() const { return (dir_.path() / "tp.bin").string(); }

  TempDir dir_;
  std::ostringstream out_, err_;
};

TEST_F(ZembraTp, TheExampleGivesTheSameTpFileFromXlsxXlsAndOds) {
  const std::string fromXls = (dir_.path() / "xls.bin").string();
  const std::string fromOds = (dir_.path() / "ods.bin").string();
  ASSERT_EQ(Build(kExamples + "/channels.xlsx", Output()), zembra_cli::kOk) << err_.str();
  EXPECT_EQ(out_.str(),
            "Wrote " + Output() + ": 6 satellites, 88 TPs, 460 of 2016 record bytes used\n");
  ASSERT_EQ(Build(kExamples + "/channels.xls", fromXls), zembra_cli::kOk) << err_.str();
  const std::string image = ReadFileBytes(Output());
  EXPECT_EQ(image.size(), 2048u);
  EXPECT_EQ(image.substr(0, 4), "info");
  EXPECT_EQ(image, ReadFileBytes(fromXls));
  ASSERT_EQ(Build(kExamples + "/channels.ods", fromOds), zembra_cli::kOk) << err_.str();
  EXPECT_EQ(image, ReadFileBytes(fromOds));
}

TEST_F(ZembraTp, ATpFileThatHoldsTheNewBytesAlreadyIsLeftAlone) {
  const auto book = Workbook({{"S", {{"#A", "1", "9750", "10600"}, {"", "3840", "27500", "H"}}}});
  ASSERT_EQ(Build(book, Output()), zembra_cli::kOk);
  struct stat before {};
  ASSERT_EQ(::stat(Output().c_str(), &before), 0);
  out_.str("");
  ASSERT_EQ(Build(book, Output()), zembra_cli::kOk);
  EXPECT_EQ(out_.str(),
            "Unchanged " + Output() + ": 1 satellites, 1 TPs, 22 of 2016 record bytes used\n");
  struct stat after {};
  ASSERT_EQ(::stat(Output().c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino) << "the file was replaced";
  // Same size, other bytes: written again.
  std::string image = ReadFileBytes(Output());
  image[100] ^= 1;
  std::ofstream(Output(), std::ios::binary | std::ios::trunc) << image;
  out_.str("");
  ASSERT_EQ(Build(book, Output()), zembra_cli::kOk);
  EXPECT_EQ(out_.str().substr(0, 6), "Wrote ");
  EXPECT_EQ(ReadFileBytes(Output()), ImageBytes({{9750, 10600, 0, 1, "A"}}, {{3840, 'H', 27500}}));
}

TEST_F(ZembraTp, AFailedImportWritesNoFileAndListsTheReport) {
  std::ofstream(Output(), std::ios::binary) << "old TP file";
  const auto book = Workbook({{"S",
                               {{"#A", "1", "9750", "10600"},
                                {"", "99", "27500", "X"},
                                {"", "", "", ""},
                                {"", "3840", "27500", "H"}}}});
  EXPECT_EQ(Build(book, Output()), zembra_cli::kImportFailed);
  EXPECT_EQ(ReadFileBytes(Output()), "old TP file");
  EXPECT_EQ(out_.str(), "");
  EXPECT_EQ(err_.str(),
            "Error: line[3] Fre(Longitude) is valid\n"
            "Error: line[3] Polar(LocalFre2) is valid\n"
            "Warning: line[4] \"Fre(Longitude)\" Has invalid Data\n"
            "Warning: line[4] \"SymbolRate(LocalFre1)\" Has invalid Data\n"
            "Warning: line[4] \"Polar(LocalFre2)\" Has invalid Data\n"
            "Import of '" +
                book + "' failed; no TP file was written. Report: " + CLogStd::GetReportPath() +
                "\n");
}

TEST_F(ZembraTp, AGoodImportWithReportEntriesSaysWhereTheReportIs) {
  std::vector<ChannelRow> rows = {{"#A", "1", "9750", "10600"}};
  for (int i = 0; i < 21; ++i) rows.push_back({"", std::to_string(10700 + i), "27500", "V"});
  EXPECT_EQ(Build(Workbook({{"S", rows}}), Output()), zembra_cli::kOk);
  EXPECT_EQ(out_.str(),
            "Wrote " + Output() +
                ": 1 satellites, 20 TPs, 98 of 2016 record bytes used; the report has 1 entries: " +
                CLogStd::GetReportPath() + "\n");
  EXPECT_EQ(ReadFileBytes(CLogStd::GetReportPath()),
            ReportBytes({{kError, "line[23] TP is out of range"}}));
}

TEST_F(ZembraTp, NoSheetWithTheFourColumnsStillWritesTheEmptyImageButSaysSo) {
  ChannelTable notes{"Notes", {{"x"}}};
  notes.header = {"Remarks"};
  EXPECT_EQ(Build(Workbook({notes}), Output()), zembra_cli::kOk);
  EXPECT_EQ(ReadFileBytes(Output()), ImageBytes({}, {}));
  EXPECT_NE(err_.str().find(
                "has the columns ProgName(SateName), Fre(Longitude), SymbolRate(LocalFre1) and "
                "Polar(LocalFre2)"),
            std::string::npos)
      << err_.str();
}

TEST_F(ZembraTp, AnOutputThatCannotBeWrittenExitsWithTheReason) {
  const auto book = kExamples + "/channels.xlsx";
  EXPECT_EQ(Build(book, (dir_.path() / "no" / "such" / "tp.bin").string()),
            zembra_cli::kCannotWrite);
  EXPECT_NE(err_.str().find("No such file or directory"), std::string::npos) << err_.str();
  EXPECT_EQ(Build(book, dir_.path().string()), zembra_cli::kCannotWrite);
  EXPECT_NE(err_.str().find("it is a folder"), std::string::npos) << err_.str();
}

TEST_F(ZembraTp, CellsShowsWhatTheImportReads) {
  ChannelTable odd{"Odd",
                   {{"#Sat", "19.2E", "9750", "10600"}, {}, {"tp", "10729.5", "22000", " v "}}};
  std::ostringstream out, err;
  EXPECT_EQ(zembra_cli::RunCells(Workbook({odd}), out, err), zembra_cli::kOk);
  EXPECT_EQ(out.str(),
            "Odd$\n"
            "2\t#Sat\t19.2E\t9750.00000000\t10600.00000000\n"
            "3\t\t\t\t\n"
            "4\ttp\t10729.50000000\t22000.00000000\t v \n");
}

std::pair<int, std::string> RunProgram(const std::string& arguments,
                                       const std::string& program = ZEMBRA_TP) {
  const std::string command = program + " " + arguments + " 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  std::string output;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
  const int status = ::pclose(pipe);
  return {WEXITSTATUS(status), output};
}

TEST(ZembraTpProgram, VersionHelpAndUsageErrors) {
  EXPECT_EQ(RunProgram("--version"), std::make_pair(0, std::string("zembra-tp 1.0.0\n")));
  const auto help = RunProgram("--help");
  EXPECT_EQ(help.first, 0);
  EXPECT_NE(help.second.find("build"), std::string::npos);
  EXPECT_EQ(RunProgram("").first, zembra_cli::kUsageError);
  EXPECT_EQ(RunProgram("build only-a-workbook.xlsx").first, zembra_cli::kUsageError);
  EXPECT_EQ(RunProgram("frobnicate").first, zembra_cli::kUsageError);
}

// The program itself: export runs in a second program (zembra-tp is static,
// libxlsxwriter is not), and what it writes builds the same TP file again.
TEST_F(ZembraTp, TheProgramExportsAWorkbookThatBuildsTheSameTpFile) {
  ASSERT_EQ(Build(kExamples + "/channels.xlsx", Output()), zembra_cli::kOk) << err_.str();
  const std::string book = (dir_.path() / "exported.xlsx").string();
  const auto [status, output] = RunProgram("export " + Output() + " -o " + book);
  ASSERT_EQ(status, zembra_cli::kOk) << output;
  EXPECT_EQ(output, "Wrote " + book + ": 6 satellites, 88 TP rows\n");
  const std::string again = (dir_.path() / "again.bin").string();
  ASSERT_EQ(Build(book, again), zembra_cli::kOk) << err_.str();
  EXPECT_EQ(ReadFileBytes(again), ReadFileBytes(Output()));
}

// A static zembra-tp reaches glibc's converters for other character sets too.
TEST_F(ZembraTp, TheProgramShowsNamesInAnotherCharset) {
  ASSERT_EQ(Build(kExamples + "/channels.xlsx", Output()), zembra_cli::kOk) << err_.str();
  std::string image = ReadFileBytes(Output());
  const std::size_t name = image.find("AsiaSat 7");
  ASSERT_NE(name, std::string::npos);
  image.replace(name, 2, "\xD6\xD0");  // GBK for U+4E2D
  std::ofstream(Output(), std::ios::binary | std::ios::trunc) << image;
  const auto [status, output] = RunProgram("show " + Output() + " --charset GBK");
  EXPECT_EQ(status, zembra_cli::kOk);
  EXPECT_NE(output.find("\u4e2diaSat 7\n"), std::string::npos) << output;
}

TEST_F(ZembraTp, AnExportWithoutItsHelperProgramFailsWithTheReason) {
  const fs::path program(ZEMBRA_TP);
  if (!fs::exists(program.parent_path() / "zembra-tp-export")) GTEST_SKIP() << "no hand-off";
  ASSERT_EQ(Build(kExamples + "/channels.xlsx", Output()), zembra_cli::kOk) << err_.str();
  const fs::path alone = dir_.path() / "zembra-tp";
  fs::copy_file(program, alone);
  const std::string book = (dir_.path() / "exported.xlsx").string();
  const auto [status, output] = RunProgram("export " + Output() + " -o " + book, alone.string());
  EXPECT_EQ(status, zembra_cli::kCannotWrite);
  EXPECT_NE(output.find("cannot write workbooks: zembra-tp-export is not installed"),
            std::string::npos)
      << output;
  EXPECT_FALSE(fs::exists(book));
}

}  // namespace
