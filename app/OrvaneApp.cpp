#include "app/OrvaneApp.h"

#include <clocale>

#include "app/OrvaneDlg.h"

bool COrvaneApp::OnInit() {
  if (!wxApp::OnInit()) return false;
  std::setlocale(LC_CTYPE, "");  // texts in the desktop's character set
  return true;
}

int COrvaneApp::OnRun() {
  COrvaneDlg dialog;
  SetTopWindow(&dialog);
  dialog.ShowModal();
  SetTopWindow(nullptr);
  return 0;
}

wxIMPLEMENT_APP(COrvaneApp);
