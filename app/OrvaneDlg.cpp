#include "app/OrvaneDlg.h"

#include <wx/button.h>
#include <wx/msgdlg.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "ExcelReader/source/SatelliteReader.h"
#include "ExcelReader/source/TpImport.h"
#include "app/icons/zembra_icon_16.xpm"
#include "app/icons/zembra_icon_32.xpm"
#include "app/icons/zembra_icon_48.xpm"
#include "platform/atomic_file.h"
#include "report/LogStd.h"

namespace {

// Positions and sizes in dialog units, as the dialog was designed.
wxPoint Du(wxWindow* w, int x, int y) { return wxDLG_UNIT(w, wxPoint(x, y)); }
wxSize DuSize(wxWindow* w, int cx, int cy) { return wxDLG_UNIT(w, wxSize(cx, cy)); }

wxString NoSatelliteText() {
  return wxString::Format("No sheet of this Excel file has the columns %s, %s, %s and %s!",
                          kSatelliteColumns[0], kSatelliteColumns[1], kSatelliteColumns[2],
                          kSatelliteColumns[3]);
}

}  // namespace

COrvaneDlg::COrvaneDlg(DialogServices services)
    : wxDialog(nullptr, IDD_MAIN, "Zembra_TOOL", wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | wxRESIZE_BORDER),
      m_services(std::move(services)) {
  m_icon.AddIcon(wxIcon(zembra_icon_16_xpm));
  m_icon.AddIcon(wxIcon(zembra_icon_32_xpm));
  m_icon.AddIcon(wxIcon(zembra_icon_48_xpm));
  SetIcons(m_icon);

  // Created in tab order: Save, Open, the path field, its label.
  auto* save = new wxButton(this, IDC_SAVE, "Save", Du(this, 116, 41), DuSize(this, 30, 14));
  new wxButton(this, IDC_OPEN, "Open", Du(this, 27, 41), DuSize(this, 26, 14));
  m_pathField = new wxTextCtrl(this, IDC_PATH, wxEmptyString, Du(this, 31, 14),
                               DuSize(this, 117, 13), wxTE_LEFT);
  new wxStaticText(this, wxID_ANY, "TP :", Du(this, 14, 17), DuSize(this, 14, 8), wxALIGN_LEFT);
  save->SetDefault();
  save->SetFocus();
  SetClientSize(DuSize(this, 168, 73));
  Centre();

  Bind(wxEVT_BUTTON, &COrvaneDlg::OnOpenClicked, this, IDC_OPEN);
  Bind(wxEVT_BUTTON, &COrvaneDlg::OnSaveClicked, this, IDC_SAVE);
  // Escape ends the program like the close box. wxDialog maps Escape only to
  // a Cancel or OK button, and this dialog has neither.
  Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& event) {
    if (event.GetKeyCode() == WXK_ESCAPE) {
      Close();
    } else {
      event.Skip();
    }
  });
}

COrvaneDlg::~COrvaneDlg() = default;

int COrvaneDlg::ShowMessage(const wxString& text, const wxString& caption, long style) {
  wxMessageDialog box(this, text, caption, style);
  return box.ShowModal();
}

void COrvaneDlg::OfferReport(const wxString& text, long icon) {
  const wxString caption = icon == wxICON_ERROR ? "error" : "warning";
  if (ShowMessage(text, caption, wxYES_NO | icon) == wxID_YES) {
    m_services.openReport(CLogStd::GetReportPath());
  }
}

void COrvaneDlg::OnOpenClicked(wxCommandEvent&) {
  const std::optional<std::string> chosen = m_services.chooseWorkbook(this);
  if (!chosen) return;
  m_workbookPath = *chosen;
  const ImportOutcome outcome = ImportWorkbook(m_workbookPath, m_image);
  if (!outcome.good) {
    OfferReport("Import excel file failed, do you want to view the error report?", wxICON_ERROR);
    return;
  }
  if (!outcome.imageBuilt) {
    ShowMessage("There is not enough memory to build the TP data.", "Error", wxOK | wxICON_ERROR);
    return;
  }
  m_pathField->ChangeValue(wxString(m_workbookPath));
  if (outcome.noSatellite()) {
    ShowMessage(NoSatelliteText(), "warning", wxOK | wxICON_WARNING);
  } else if (outcome.entryCount > 0) {
    OfferReport("Import excel file finished with warnings, do you want to view the report?",
                wxICON_WARNING);
  }
}

void COrvaneDlg::OnSaveClicked(wxCommandEvent&) {
  if (m_workbookPath.empty()) {
    ShowMessage("Please choose to TP file!", "Error", wxOK | wxICON_EXCLAMATION);
    return;
  }
  if (m_image.m_nSize == 0) {
    ShowMessage("There is no TP data to save, please open a valid Excel file first!", "Error",
                wxOK | wxICON_WARNING);
    return;
  }
  const std::optional<std::string> target = m_services.chooseTpFile(this);
  if (!target) return;
  std::string reason;
  if (!platform::WriteFileAtomically(*target, m_image.m_pData, m_image.m_nSize, &reason)) {
    ShowMessage("The TP file was not saved: " + wxString(reason), "Error", wxOK | wxICON_ERROR);
    return;
  }
  ShowMessage("Success!", "Info", wxOK | wxICON_INFORMATION);
}
