#pragma once
// The KMZ commands of the project tree's menus: KMZ Output on a run, Create Landscape KMZ on
// an analysis area.
class CPVN4Doc;
class CRun;
class CPyrvane2WorkArea;

namespace views::ui {

constexpr int kCmdKmzOutput = 32959;
constexpr int kCmdLandscapeKmz = 32961;

// Asks for the file and writes it under the wait cursor; refusals and failures are shown.
void KmzCommand(int command, CPVN4Doc& doc, CRun* run, CPyrvane2WorkArea* area);

}  // namespace views::ui
