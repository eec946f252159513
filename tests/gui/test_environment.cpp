// The windowed test program's environment: wx log messages and failed wx assertions go to the
// test output, since either would otherwise open a modal box and stop the run; image formats
// are registered as in the program.
#include <gtest/gtest.h>
#include <wx/debug.h>
#include <wx/image.h>
#include <wx/log.h>

namespace {

void FailOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond,
                  const wxString& msg) {
  ADD_FAILURE_AT(file.utf8_string().c_str(), line)
      << "wx assertion " << cond.utf8_string() << " in " << func.utf8_string() << ": "
      << msg.utf8_string();
}

class QuietWx : public ::testing::Environment {
 public:
  void SetUp() override {
    delete wxLog::SetActiveTarget(new wxLogStderr);
    wxSetAssertHandler(FailOnAssert);
    wxInitAllImageHandlers();  // as the program does at start-up
  }
};

const auto* const kQuietWx = ::testing::AddGlobalTestEnvironment(new QuietWx);

}  // namespace
