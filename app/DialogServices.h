#pragma once
// What the dialog asks of the desktop besides its own window: choosing a
// workbook or a TP file, and showing the report. A test replaces them; GTK's
// native file dialog cannot be driven from a test.
#include <functional>
#include <optional>
#include <string>

class wxWindow;

struct DialogServices {
  // The full path the operator confirmed, or nothing when cancelled.
  std::function<std::optional<std::string>(wxWindow* owner)> chooseWorkbook;
  std::function<std::optional<std::string>(wxWindow* owner)> chooseTpFile;
  // Opens the report in the desktop's program for it.
  std::function<void(const std::string& reportPath)> openReport;

  // wxFileDialog and wxLaunchDefaultApplication.
  static DialogServices Desktop();
};
