// The HTML import report: its file, its blocks to the byte, its message
// formats and its folder.
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <vector>

#include "report/LogStd.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

// The block of a level-1 entry "Open excel file failed!" as it must stand on
// disk: every line ends in 13, 13, 10.
const std::string kOpenFailedBlock =
    "<div style='text-align:center'>\r\r\n"
    "  <table style='background:#A4FDB6;border:1px solid #000000;width:800px' cellpadding='1px' "
    "cellspacing='1px'>\r\r\n"
    "    <tr>\r\r\n"
    "      <td style='width:800px;word-break:break-all;text-align:Left;background-color:#ff0000;"
    "color:#ffffff;font-size:15px;font-weight:bold;border:1px solid #000000;padding:2px' >\r\r\n"
    "        Error:Open excel file failed!      </td>\r\r\n"
    "    </tr>\r\r\n"
    "  </table>\r\r\n"
    "</div><p>\r\r\n";

std::string TodaysName() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char name[32];
  std::strftime(name, sizeof name, "%Y-%m-%d.log.html", &local);
  return name;
}

std::vector<std::string> Lines(const std::string& block) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = block.find("\r\r\n", start)) != std::string::npos; start = end + 3) {
    lines.push_back(block.substr(start, end - start));
  }
  return lines;
}

class ReportTest : public ::testing::Test {
 protected:
  void SetUp() override { report_testing::ResetReportState(program_.dir()); }
  void TearDown() override { report_testing::ResetReportState(""); }
  std::string ReportBytes() { return ReadFileBytes(CLogStd::GetReportPath()); }

  TempDir program_;
};

TEST(ReportTemplate, Is381BytesInEightCrLfLines) {
  const std::string_view tmpl = ReportEntryTemplate();
  EXPECT_EQ(tmpl.size(), 381u);
  std::size_t lines = 0;
  for (std::size_t i = tmpl.find("\r\n"); i != std::string_view::npos;
       i = tmpl.find("\r\n", i + 2)) {
    ++lines;
  }
  EXPECT_EQ(lines, 8u);
  EXPECT_TRUE(tmpl.ends_with("</div><p>\r\n"));
}

TEST_F(ReportTest, ErrorEntryIsWrittenByteForByteToTodaysFileInLog) {
  CLogStd(__LINE__, CLogStd::LevelError).WriteText("Open excel file failed!");
  EXPECT_EQ(CLogStd::GetReportPath(), program_.dir() + "Log/" + TodaysName());
  EXPECT_EQ(ReportBytes(), kOpenFailedBlock);
}

TEST_F(ReportTest, LevelsChooseColoursAndLabel) {
  struct {
    int level;
    const char* colours;
    const char* label;
  } const cases[] = {
      {1, "background-color:#ff0000;color:#ffffff;", "Error:"},
      {2, "background-color:#FFE645;color:#000000;", "Warning:"},
      {0, "background-color:#ffffff;color:#000000;", "Record:"},
      {3, "background-color:#ffffff;color:#000000;", "Record:"},
  };
  for (const auto& c : cases) {
    const std::vector<std::string> lines = Lines(BuildReportBlock(c.level, "m"));
    ASSERT_EQ(lines.size(), 8u) << "level " << c.level;
    EXPECT_NE(lines[3].find(c.colours), std::string::npos) << "level " << c.level;
    EXPECT_EQ(lines[4], std::string("        ") + c.label + "m      </td>") << "level " << c.level;
  }
}

TEST(ReportMessage, FormatRules) {
  struct Case {
    const char* format;
    std::vector<ReportArg> args;
    const char* message;
  };
  const Case cases[] = {
      {"line[%d] TP is out of range", {12}, "line[12] TP is out of range"},
      {"line[%d] x", {-7}, "line[-7] x"},
      {"Com error Description: %s\r\n Message:%s",
       {"a", "b"},
       "Com error Description: a\r\n Message:b"},
      {"%5d", {3}, "5d"},        // '%' before a digit is dropped, nothing consumed
      {"%%d", {7}, "7"},         // two '%' in a row before d write one integer
      {"100%", {}, "100"},       // a trailing '%' is dropped
      {"%x%s", {"t"}, "xt"},     // unknown conversion: the letter stays
      {"%s", {"50%d"}, "50%d"},  // inserted text is not scanned again
      {"%f", {0.1}, "0.100000"},
      {"%f", {123.456789}, "123.456787"},  // narrowed to float first
      {"%d%d", {1}, "1"},                  // a missing argument writes nothing
      {"", {}, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BuildReportMessage(c.format, c.args), c.message) << "format: " << c.format;
  }
}

TEST_F(ReportTest, EntriesAppendInOrderAfterWhatTheFileHolds) {
  const std::string path = CLogStd::GetReportPath();
  std::ofstream(path, std::ios::binary) << "old";
  CLogStd(__LINE__, CLogStd::LevelWarning).WriteFormat("line[%d] first", 2);
  CLogStd(__LINE__, CLogStd::LevelError).WriteText("");
  const std::string bytes = ReportBytes();
  ASSERT_TRUE(bytes.starts_with("old<div"));
  const std::vector<std::string> lines = Lines(bytes.substr(3));
  ASSERT_EQ(lines.size(), 16u);
  EXPECT_EQ(lines[4], "        Warning:line[2] first      </td>");
  EXPECT_EQ(lines[12], "        Error:      </td>");
}

TEST_F(ReportTest, MessagesAreHtmlEscapedAndTheirLineFeedsGainACarriageReturn) {
  CLogStd(__LINE__, CLogStd::LevelError)
      .WriteFormat("Com error Description: %s\r\n Message:%s", "<b> & \"q\"", "x");
  const std::string bytes = ReportBytes();
  EXPECT_NE(
      bytes.find("Error:Com error Description: &lt;b&gt; &amp; \"q\"\r\r\n Message:x      </td>"),
      std::string::npos);
}

TEST_F(ReportTest, LogFolderIsMadeOnceARun) {
  const fs::path log = program_.path() / "Log";
  EXPECT_FALSE(fs::exists(log));
  CLogStd::GetReportPath();
  EXPECT_TRUE(fs::is_directory(log));
  fs::remove_all(log);
  CLogStd(__LINE__, CLogStd::LevelError).WriteText("lost");
  EXPECT_FALSE(fs::exists(log)) << "the folder is not made again in the same run";
}

TEST_F(ReportTest, FolderThatCannotBeMadeBesideTheProgramFallsBackToXdgState) {
  TempDir state;
  const char* old = std::getenv("XDG_STATE_HOME");
  const std::string saved = old != nullptr ? old : "";
  ::setenv("XDG_STATE_HOME", state.path().c_str(), 1);
  report_testing::ResetReportState(program_.dir() + "missing/");
  CLogStd(__LINE__, CLogStd::LevelError).WriteText("Open excel file failed!");
  const fs::path expected = state.path() / "zembra-tool" / "Log" / TodaysName();
  EXPECT_EQ(CLogStd::GetReportPath(), expected.string());
  EXPECT_EQ(ReadFileBytes(expected), kOpenFailedBlock);
  // An installed program keeps its reports out of the system's folders.
  report_testing::ResetReportState("/usr/bin/");
  EXPECT_EQ(CLogStd::GetReportPath(), expected.string());
  EXPECT_FALSE(fs::exists("/usr/bin/Log"));
  if (old != nullptr)
    ::setenv("XDG_STATE_HOME", saved.c_str(), 1);
  else
    ::unsetenv("XDG_STATE_HOME");
}

TEST_F(ReportTest, ListenerHearsEveryEntry) {
  std::vector<std::pair<int, std::string>> heard;
  ReportListener previous = SetReportListener(
      [&](std::int32_t level, const CString& message) { heard.emplace_back(level, message); });
  CLogStd(__LINE__, CLogStd::LevelWarning)
      .WriteFormat("line[%d] \"Fre(Longitude)\" Has invalid Data", 3);
  CLogStd(__LINE__, CLogStd::LevelError).WriteText("Open excel file failed!");
  SetReportListener(previous);
  ASSERT_EQ(heard.size(), 2u);
  EXPECT_EQ(heard[0],
            std::make_pair(2, std::string("line[3] \"Fre(Longitude)\" Has invalid Data")));
  EXPECT_EQ(heard[1], std::make_pair(1, std::string("Open excel file failed!")));
}

}  // namespace
