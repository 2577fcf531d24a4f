#pragma once
// COrvaneDlg: the tool's one dialog, "Zembra_TOOL". Open imports a workbook
// and keeps the image of the last good import; Save writes that image into
// a TP file.
#include <wx/dialog.h>
#include <wx/iconbndl.h>

#include "app/DialogServices.h"
#include "image/Buffer.h"
#include "platform/strings.h"

class wxTextCtrl;

class COrvaneDlg : public wxDialog {
 public:
  enum { IDD_MAIN = 102, IDC_OPEN = 1000, IDC_PATH = 1001, IDC_SAVE = 1006 };

  explicit COrvaneDlg(DialogServices services = DialogServices::Desktop());
  ~COrvaneDlg() override;

  void OnOpenClicked(wxCommandEvent& event);
  void OnSaveClicked(wxCommandEvent& event);

  const CString& workbookPath() const { return m_workbookPath; }
  const CBuffer& image() const { return m_image; }

 private:
  int ShowMessage(const wxString& text, const wxString& caption, long style);
  void OfferReport(const wxString& text, long icon);

  wxIconBundle m_icon;
  CString m_workbookPath;
  CBuffer m_image;
  DialogServices m_services;
  wxTextCtrl* m_pathField = nullptr;
};
