// Sends wx log messages to stderr for the whole test program: a logged error would otherwise
// open a modal message box at the next idle time and stop the run.
#include <gtest/gtest.h>
#include <wx/log.h>

namespace {

class LogToStderr : public ::testing::Environment {
 public:
  void SetUp() override { delete wxLog::SetActiveTarget(new wxLogStderr); }
};

const auto* const kLogToStderr = ::testing::AddGlobalTestEnvironment(new LogToStderr);

}  // namespace
