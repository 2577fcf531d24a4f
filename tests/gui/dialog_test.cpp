// The dialog's commands in a real wxWidgets dialog: message boxes answered
// through wxWidgets' modal dialog hooks, file choices through our seam.
#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "app/OrvaneDlg.h"
#include "report/LogStd.h"
#include "support/channel_workbook.h"
#include "support/temp_dir.h"

// Unmet or unexpected dialogs fail the test instead of asserting.
class GTestModalHook;
#define wxTEST_DIALOG_HOOK_CLASS GTestModalHook
#include <wx/testing.h>

class GTestModalHook : public wxTestingModalHook {
 public:
  using wxTestingModalHook::wxTestingModalHook;

 protected:
  void ReportFailure(const wxString& msg) override { ADD_FAILURE() << msg.utf8_string(); }
};

namespace {

using namespace test_support;

struct Shown {
  std::string message;
  std::string caption;
  long buttons;
  long icon;
};

// Answers one message box and notes what it showed.
class AnswerMessage : public wxExpectModalBase<wxMessageDialog> {
 public:
  AnswerMessage(std::vector<Shown>& shown, int answer) : shown_(shown), answer_(answer) {}

 protected:
  int OnInvoked(wxMessageDialog* box) const override {
    const long style = box->GetMessageDialogStyle();
    shown_.push_back({box->GetMessage().utf8_string(), box->GetCaption().utf8_string(),
                      style & (wxOK | wxYES_NO), style & wxICON_MASK});
    return answer_;
  }

 private:
  std::vector<Shown>& shown_;
  int answer_;
};

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    report_testing::ResetReportState(dir_.dir());
    DialogServices services;
    services.chooseWorkbook = [this](wxWindow*) {
      ++workbookChoices_;
      return nextWorkbook_;
    };
    services.chooseTpFile = [this](wxWindow*) {
      ++tpFileChoices_;
      return nextTpFile_;
    };
    services.openReport = [this](const std::string& path) { opened_.push_back(path); };
    dialog_ = new COrvaneDlg(services);
  }
  void TearDown() override {
    dialog_->Destroy();
    report_testing::ResetReportState("");
  }

  std::string Book(const std::string& name, const std::vector<ChannelTable>& tables) {
    const std::string path = (dir_.path() / name).string();
    WriteChannelWorkbook(path, tables);
    return path;
  }
  std::string GoodBook(const std::string& name, const std::string& satellite) {
    return Book(
        name, {{"S", {{"#" + satellite, "19.2E", "9750", "10600"}, {"", "10729", "22000", "V"}}}});
  }

  // Runs Open with the given choice, answering each message box in turn.
  std::vector<Shown> Open(std::optional<std::string> choice, std::vector<int> answers = {}) {
    nextWorkbook_ = std::move(choice);
    return Run(
        [this] {
          wxCommandEvent event;
          dialog_->OnOpenClicked(event);
        },
        answers);
  }
  std::vector<Shown> Save(std::optional<std::string> choice, std::vector<int> answers = {}) {
    nextTpFile_ = std::move(choice);
    return Run(
        [this] {
          wxCommandEvent event;
          dialog_->OnSaveClicked(event);
        },
        answers);
  }
  std::vector<Shown> Run(const std::function<void()>& command, const std::vector<int>& answers) {
    std::vector<Shown> shown;
    std::vector<std::unique_ptr<AnswerMessage>> expectations;
    GTestModalHook hook(__FILE__, __LINE__, "command");
    for (int answer : answers) {
      expectations.push_back(std::make_unique<AnswerMessage>(shown, answer));
      hook.AddExpectation(*expectations.back());
    }
    command();
    hook.CheckUnmetExpectations();
    return shown;
  }

  std::string PathField() const {
    return static_cast<wxTextCtrl*>(dialog_->FindWindow(COrvaneDlg::IDC_PATH))
        ->GetValue()
        .utf8_string();
  }
  std::string Image() const {
    const CBuffer& image = dialog_->image();
    return image.m_pData ? std::string(reinterpret_cast<const char*>(image.m_pData), image.m_nSize)
                         : "";
  }

  TempDir dir_;
  COrvaneDlg* dialog_ = nullptr;
  std::optional<std::string> nextWorkbook_, nextTpFile_;
  int workbookChoices_ = 0, tpFileChoices_ = 0;
  std::vector<std::string> opened_;
};

const std::string kFailed = "Import excel file failed, do you want to view the error report?";

TEST_F(DialogTest, TheDialogAsDesigned) {
  EXPECT_EQ(dialog_->GetTitle(), "Zembra_TOOL");
  EXPECT_EQ(dialog_->GetClientSize(), wxDLG_UNIT(dialog_, wxSize(168, 73)));
  const long style = dialog_->GetWindowStyleFlag();
  EXPECT_TRUE(style & wxCLOSE_BOX);
  EXPECT_TRUE(style & wxRESIZE_BORDER);
  EXPECT_FALSE(style & (wxMINIMIZE_BOX | wxMAXIMIZE_BOX));
  const wxWindowList& children = dialog_->GetChildren();
  ASSERT_EQ(children.size(), 4u);
  struct {
    int id;
    const char* label;
    wxPoint at;
    wxSize size;
  } const controls[] = {{COrvaneDlg::IDC_SAVE, "Save", {116, 41}, {30, 14}},
                        {COrvaneDlg::IDC_OPEN, "Open", {27, 41}, {26, 14}},
                        {COrvaneDlg::IDC_PATH, "", {31, 14}, {117, 13}},
                        {wxID_ANY, "TP :", {14, 17}, {14, 8}}};
  auto child = children.begin();
  for (const auto& c : controls) {
    wxWindow* w = *child++;
    SCOPED_TRACE(c.label);
    if (c.id != wxID_ANY) {
      EXPECT_EQ(w->GetId(), c.id);
    }
    EXPECT_EQ(w->GetLabel(), c.label);
    EXPECT_EQ(w->GetPosition(), wxDLG_UNIT(dialog_, c.at));
    EXPECT_EQ(w->GetSize(), wxDLG_UNIT(dialog_, c.size));
  }
  EXPECT_EQ(dialog_->GetDefaultItem(), dialog_->FindWindow(COrvaneDlg::IDC_SAVE));
  EXPECT_TRUE(static_cast<wxTextCtrl*>(dialog_->FindWindow(COrvaneDlg::IDC_PATH))->IsEditable());
  EXPECT_TRUE(dialog_->GetIcons().GetIconCount() >= 3u);
}

TEST_F(DialogTest, SaveAtStartAsksForAWorkbookFirst) {
  EXPECT_EQ(Save(std::nullopt, {wxID_OK}).front().message, "Please choose to TP file!");
  const auto shown = Save(std::nullopt, {wxID_OK});
  EXPECT_EQ(shown.front().caption, "Error");
  EXPECT_EQ(shown.front().icon, wxICON_WARNING);
  EXPECT_EQ(tpFileChoices_, 0);
}

TEST_F(DialogTest, CancelledOpenChangesNothing) {
  const std::string a = GoodBook("a.xlsx", "A");
  Open(a);
  const std::string image = Image();
  EXPECT_TRUE(Open(std::nullopt).empty());
  EXPECT_EQ(dialog_->workbookPath(), a);
  EXPECT_EQ(PathField(), a);
  EXPECT_EQ(Image(), image);
}

TEST_F(DialogTest, AFailedImportOffersTheReport) {
  const std::string bad = Book("bad.xlsx", {{"S", {{"#A", "1", "1", "1"}}}});
  auto shown = Open(bad, {wxID_NO});
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].message, kFailed);
  EXPECT_EQ(shown[0].caption, "error");
  EXPECT_EQ(shown[0].buttons, wxYES_NO);
  EXPECT_EQ(shown[0].icon, wxICON_ERROR);
  EXPECT_TRUE(opened_.empty());
  EXPECT_EQ(dialog_->workbookPath(), bad);
  EXPECT_EQ(PathField(), "");
  Open(bad, {wxID_YES});
  EXPECT_EQ(opened_, std::vector<std::string>{CLogStd::GetReportPath()});
  // No image yet: Save says so and writes nothing.
  shown = Save(std::string("never.bin"), {wxID_OK});
  EXPECT_EQ(shown[0].message, "There is no TP data to save, please open a valid Excel file first!");
  EXPECT_EQ(shown[0].caption, "Error");
  EXPECT_EQ(tpFileChoices_, 0);
}

TEST_F(DialogTest, AGoodImportThenAFailedOneSavesTheGoodImage) {
  const std::string a = GoodBook("a.xlsx", "A");
  EXPECT_TRUE(Open(a).empty());
  EXPECT_EQ(PathField(), a);
  const std::string imageOfA = ImageBytes({{9750, 10600, 0, 1, "A"}}, {{10729, 'V', 22000}});
  EXPECT_EQ(Image(), imageOfA);
  Open(Book("b.xlsx", {{"S", {{"#B", "1", "1", "1"}}}}), {wxID_NO});
  EXPECT_EQ(PathField(), a);
  const std::string target = (dir_.path() / "out.bin").string();
  const auto shown = Save(target, {wxID_OK});
  EXPECT_EQ(shown[0].message, "Success!");
  EXPECT_EQ(shown[0].caption, "Info");
  EXPECT_EQ(shown[0].icon, wxICON_INFORMATION);
  EXPECT_EQ(ReadFileBytes(target), imageOfA);
}

TEST_F(DialogTest, ASecondGoodImportReplacesTheImage) {
  Open(GoodBook("a.xlsx", "A"));
  const std::string b = GoodBook("b.xlsx", "B");
  Open(b);
  EXPECT_EQ(PathField(), b);
  EXPECT_EQ(Image(), ImageBytes({{9750, 10600, 0, 1, "B"}}, {{10729, 'V', 22000}}));
}

TEST_F(DialogTest, AGoodImportWithReportEntriesOffersTheReport) {
  std::vector<ChannelRow> rows = {{"#A", "1", "9750", "10600"}};
  for (int i = 0; i < 21; ++i) rows.push_back({"", std::to_string(3700 + i), "27500", "H"});
  const auto shown = Open(Book("full.xlsx", {{"S", rows}}), {wxID_YES});
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].message,
            "Import excel file finished with warnings, do you want to view the report?");
  EXPECT_EQ(shown[0].caption, "warning");
  EXPECT_EQ(shown[0].buttons, wxYES_NO);
  EXPECT_EQ(shown[0].icon, wxICON_WARNING);
  EXPECT_EQ(opened_.size(), 1u);
  EXPECT_EQ(Image().size(), 2048u);
}

TEST_F(DialogTest, AWorkbookWithoutTheColumnsSaysWhichItLooksFor) {
  ChannelTable notes{"Notes", {{"x"}}};
  notes.header = {"Remarks"};
  const auto shown = Open(Book("notes.xlsx", {notes}), {wxID_OK});
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].message,
            "No sheet of this Excel file has the columns ProgName(SateName), Fre(Longitude), "
            "SymbolRate(LocalFre1) and Polar(LocalFre2)!");
  EXPECT_EQ(shown[0].caption, "warning");
  EXPECT_EQ(shown[0].buttons, wxOK);
  EXPECT_EQ(Image(), ImageBytes({}, {}));
}

TEST_F(DialogTest, AFailedSaveShowsWhyAndLeavesTheOldFile) {
  Open(GoodBook("a.xlsx", "A"));
  auto shown = Save((dir_.path() / "missing" / "tp.bin").string(), {wxID_OK});
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_NE(shown[0].message.find("No such file or directory"), std::string::npos)
      << shown[0].message;
  EXPECT_EQ(shown[0].icon, wxICON_ERROR);
  EXPECT_TRUE(Save(std::nullopt).empty()) << "a cancelled save shows nothing";
}

}  // namespace
