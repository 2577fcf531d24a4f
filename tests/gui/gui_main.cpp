// Runs the dialog tests inside a wxWidgets application (under Xvfb in CI).
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/init.h>

namespace {
class TestApp : public wxApp {
 public:
  bool OnInit() override { return true; }
};
}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  wxApp::SetInstance(new TestApp);
  if (!wxEntryStart(argc, argv)) {
    std::fprintf(stderr, "cannot start wxWidgets: is there a display? (run under xvfb-run)\n");
    return 1;
  }
  wxTheApp->CallOnInit();
  const int result = RUN_ALL_TESTS();
  wxTheApp->OnExit();
  wxEntryCleanup();
  return result;
}
