// The critique reports from the window: Analysis Area > Critique PDF and Critique HTML write
// their files for the sample landscape and hand them to the desktop's viewer.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "app/command_rules.h"
#include "app/ui/main_frame.h"
#include "program_fixture.h"

namespace {

namespace c = app::cmd;

class CritiqueWindow : public program_test::ProgramTest {
 protected:
  CritiqueWindow() : ProgramTest("test-critique-window") {}
  void TearDown() override {
    ProgramTest::TearDown();
    platform::InstallShell(nullptr);
  }
  platform::RecordingShell viewer_;
};

TEST_F(CritiqueWindow, MenuCommandsWriteAndOpenBothReports) {
  app::ui::MainFrame* frame = Start({program_test::SampleLcp()});
  ASSERT_TRUE(frame);
  platform::InstallShell(&viewer_);
  const std::string folder = std::filesystem::temp_directory_path().string();
  const std::string pdf = folder + "/critique.pdf", html = folder + "/critique.html";
  std::remove(pdf.c_str());
  std::remove(html.c_str());
  for (int command : {c::kCritiquePdf, c::kCritiqueHtml})
    EXPECT_TRUE(program_test::StateOf(frame, command).enabled) << command;

  dialogs_->AnswerSaveFile(pdf);
  program_test::Command(frame, c::kCritiquePdf);
  dialogs_->AnswerSaveFile(folder + "/critique");  // the default extension is added
  program_test::Command(frame, c::kCritiqueHtml);
  EXPECT_TRUE(messages_->Texts().empty());
  EXPECT_EQ(viewer_.Opened(), (std::vector<std::string>{"file:" + pdf, "file:" + html}));
  const auto requests = dialogs_->Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].options.filter, "PDF Files (*.pdf)|*.pdf||");
  EXPECT_EQ(requests[1].options.filter, "HTML Files (*.html)|*.html|All Files (*.*)|*.*||");
  EXPECT_GT(std::filesystem::file_size(pdf), 1000u);
  EXPECT_GT(std::filesystem::file_size(html), 1000u);

  // Cancelling the file choice writes and opens nothing.
  program_test::Command(frame, c::kCritiqueHtml);
  EXPECT_EQ(viewer_.Opened().size(), 2u);
  std::remove(pdf.c_str());
  std::remove(html.c_str());
}

}  // namespace
