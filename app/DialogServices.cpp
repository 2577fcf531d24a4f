#include "app/DialogServices.h"

#include <wx/filedlg.h>
#include <wx/utils.h>

namespace {

// The filters list a display text and its pattern; the "(All File)" entry's
// pattern loses the blank before it, which GTK would take as part of it.
constexpr const char* kWorkbookFilter = "*.xls;*.xlsx|*.xls;*.xlsx|(All File) *.* |*.*";
constexpr const char* kTpFileFilter = "*.bin;*.dat|*.bin;*.dat|(All File) *.* |*.*";

std::optional<std::string> Choose(wxWindow* owner, const char* filter, long style) {
  wxFileDialog dialog(owner, wxFileSelectorPromptStr, wxEmptyString, wxEmptyString, filter, style);
  if (dialog.ShowModal() != wxID_OK) return std::nullopt;
  return std::string(dialog.GetPath().fn_str());
}

}  // namespace

DialogServices DialogServices::Desktop() {
  DialogServices services;
  services.chooseWorkbook = [](wxWindow* owner) {
    return Choose(owner, kWorkbookFilter, wxFD_OPEN | wxFD_FILE_MUST_EXIST);
  };
  services.chooseTpFile = [](wxWindow* owner) {
    return Choose(owner, kTpFileFilter, wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
  };
  services.openReport = [](const std::string& path) { wxLaunchDefaultApplication(wxString(path)); };
  return services;
}
