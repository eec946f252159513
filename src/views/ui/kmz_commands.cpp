#include "views/ui/kmz_commands.h"

#include <wx/utils.h>

#include "platform/messages.h"
#include "views/kmz_export.h"

namespace views::ui {

void KmzCommand(int command, CPVN4Doc& doc, CRun* run, CPyrvane2WorkArea* area) {
  if ((command == kCmdKmzOutput && !run) || (command == kCmdLandscapeKmz && !area)) return;
  const auto path = ChooseKmzPath(doc);
  if (!path) return;
  std::string error;
  bool written = false;
  {
    wxBusyCursor wait;
    written = command == kCmdKmzOutput ? WriteRunKmz(doc, *run, *path, error) : WriteLandscapeKmz(doc, *area, *path, error);
  }
  if (!written) platform::Tell(error);
}

}  // namespace views::ui
