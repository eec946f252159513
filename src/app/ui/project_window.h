#pragma once
// Joins the main window to the open projects: the project templates, the shader bar, the
// map tools, the project menus' commands and their enable rules, and the status bar.
class CPVN4Doc;

namespace app::ui {

class MainFrame;

void InstallProjectWindows(MainFrame& frame);

// The project of the active project window, or null.
CPVN4Doc* ActiveProject(const MainFrame& frame);
// Extract and Open Archive: asks for a project archive and a folder, unpacks the project
// there and opens it.
void ExtractAndOpenArchive(MainFrame& frame);

}  // namespace app::ui
