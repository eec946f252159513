#pragma once
// The run windows' tests on the started program: the sample landscape opened from the menu,
// and a scratch folder of the test's own holding a dry fuel-moisture file.
#include <wx/dialog.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "app/ui/main_frame.h"
#include "app/ui/project_window.h"
#include "program_fixture.h"
#include "project/document.h"
#include "runs_gui_support.h"
#include "views/view_commands.h"

namespace program_test {

class RunWindowTest : public ProgramTest {
 protected:
  explicit RunWindowTest(const std::string& folderName) : ProgramTest(folderName), folderName_(folderName) {}

  // Opens the sample landscape in the started program's project; makes the scratch folder and
  // the moisture file in it.
  CPVN4Doc* OpenSample(app::ui::MainFrame* frame) {
    CPVN4Doc* doc = app::ui::ActiveProject(*frame);
    dialogs_->AnswerOpenFile(SampleLcp());
    Command(frame, views::cmd::kOpenLandscape);
    widgets::FlushEvents();
    folder = std::filesystem::path(PV_BINARY_DIR) / folderName_;
    std::filesystem::create_directories(folder);
    fms = (folder / "dry.fms").string();
    std::ofstream(fms, std::ios::binary) << "0 3 4 5 40 60\n";
    return doc;
  }
  // Open FMS File from an inputs page's button: the moisture file chosen, its editor closed.
  template <class Page>
  void OpenFms(Page* inputs, int command) {
    dialogs_->AnswerOpenFile(fms);
    runs_gui::WhenShown(fms, [](wxDialog* editor) { editor->Close(); });
    inputs->menuChooser = [command](int) { return command; };
    runs_gui::Use(inputs->fmsButton);
    inputs->menuChooser = nullptr;
  }

  std::filesystem::path folder;
  std::string fms;

 private:
  std::string folderName_;
};

}  // namespace program_test
