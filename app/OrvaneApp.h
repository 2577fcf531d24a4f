#pragma once
// COrvaneApp: runs the one dialog modally and ends the program with it.
#include <wx/app.h>

class COrvaneApp : public wxApp {
 public:
  bool OnInit() override;
  // Shows the dialog; the program ends when it closes (no main loop).
  int OnRun() override;
};
