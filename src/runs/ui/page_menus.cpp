#include "runs/ui/page_menus.h"

#include <wx/button.h>
#include <wx/menu.h>
#include <wx/spinbutt.h>
#include <wx/textctrl.h>

#include "app/ui/menu_bitmaps.h"
#include "platform/dialogs.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "project/document.h"
#include "runs/run.h"
#include "runs/run_host.h"
#include "themes/vector_theme.h"
#include "widgets/num_spin_ctrl.h"

namespace runs::ui {

wxString Shortened(const std::string& path, wxWindow* box) {
  wxString full = wxString::FromUTF8(path);
  int width = box->GetClientSize().GetWidth() - 8;
  if (width <= 0 || box->GetTextExtent(full).GetWidth() <= width) return full;
  wxString tail = full;
  while (tail.length() > 4 && box->GetTextExtent("..." + tail).GetWidth() > width) tail = tail.Mid(1);
  return "..." + tail;
}

int ChooseMenuCommand(wxButton* button, wxMenu& menu, const std::function<int(int)>& chooser) {
  app::ui::SetMenuPictures(&menu, [](int id) { return id + kMenuIdShift; });
  int id = 0;
  if (chooser) {
    id = chooser(button->GetId());
    if (id && (!menu.FindItem(MenuId(id)) || !menu.IsEnabled(MenuId(id)))) id = 0;
  } else {
    id = button->GetPopupMenuSelectionFromUser(menu, wxPoint(0, button->GetSize().GetHeight()));
    id = id == wxID_NONE ? 0 : id + kMenuIdShift;
  }
  return id;
}

wxSpinButton* NumberSpin(wxWindow* parent, int id, wxTextCtrl* edit, double lo, double hi, double step,
                         int digits) {
  auto* arrows = new wxSpinButton(parent, id, wxDefaultPosition, wxDefaultSize, wxSP_VERTICAL | wxSP_ARROW_KEYS);
  auto* spin = new widgets::CNumSpinCtrl;
  spin->SetBuddy(edit);
  spin->SetDecimalPlaces(digits);
  // The pages learn of a step as of typing: from the box's text event.
  spin->SetStepNotifiesBuddy(true);
  spin->Attach(arrows);
  spin->SetRangeAndStep(lo, hi, step);
  // The stepper goes with its arrows, let go while they are still whole.
  arrows->Bind(wxEVT_DESTROY, [spin, arrows](wxWindowDestroyEvent& e) {
    if (e.GetEventObject() == arrows) delete spin;
    e.Skip();
  });
  return arrows;
}

std::optional<std::string> IntegerProblem(const wxTextCtrl* edit, int lo, int hi) {
  const auto v = platform::ParseInt(edit->GetValue().utf8_string());
  if (!v) return std::string("Please enter an integer.");
  if (*v < lo || *v > hi) return platform::FormatC("Please enter an integer between %d and %d.", lo, hi);
  return std::nullopt;
}

std::optional<std::string> NumberProblem(const wxTextCtrl* edit, double lo, double hi) {
  const auto v = platform::ParseDouble(edit->GetValue().utf8_string());
  if (!v) return std::string("Please enter a number.");
  // Written so that "nan" is refused too.
  if (!(*v >= lo && *v <= hi)) return platform::FormatC("Please enter a number between %g and %g.", lo, hi);
  return std::nullopt;
}

void AppendIgnitionItems(wxMenu& menu, const CRun& run, bool hasFile) {
  menu.Append(MenuId(kOpenIgnitionsCommand), "&Open Ignitions File...");
  menu.Append(MenuId(kLoadCurrentShapeCommand), "&Load Current Shape")
      ->Enable(run.document && run.document->HasShapePoints());
  menu.Append(MenuId(kClearIgnitionsCommand), "&Clear Ignitions File")->Enable(hasFile);
}

void AppendBarrierItems(wxMenu& menu, bool hasFile) {
  menu.Append(MenuId(kOpenBarriersCommand), "&Open Barriers File...");
  menu.Append(MenuId(kClearBarriersCommand), "&Clear Barriers FIle")->Enable(hasFile);
}

const char* NoOverlapText(bool barriers) {
  return barriers ? "Error: Barrier file does not overlap Analysis Area"
                  : "Error: Ignition file does not overlap Analysis Area";
}

std::optional<std::string> ChooseShapefile() {
  platform::FileDialogOptions options;
  options.filter = "Arcview Shape Files (*.shp)|*.shp||";
  return platform::CurrentDialogs().ChooseOpenFile(options);
}

std::string DrawnShapesFile(CPVN4Doc* doc) {
  if (!doc || !doc->HasShapePoints()) return {};
  // Shapes already written and unchanged since are taken from their file; others are written
  // first, to a file the user names.
  if ((doc->shapesFile.empty() || !doc->shapesSaved) && doc->SaveShapesToChosenFile() != 1) return {};
  return doc->shapesFile;
}

void DropRunVectorTheme(CRun& run, CVectorTheme*& slot) {
  if (!slot) return;
  if (run.host) {
    run.host->DeleteOutputItem(run, slot);
    run.host->DisposeVectorTheme(slot);
  }
  slot = nullptr;
}

void ClearRunShapefile(CRun& run, CVectorTheme*& slot, std::string& file, bool barriers,
                       const std::function<void()>& showFiles, const std::function<void()>& markChanged) {
  const bool named = !file.empty();
  file.clear();
  showFiles();
  // Barriers named without a theme (read from a project, say) have nothing to redraw, but the
  // run no longer has them.
  if (barriers && !slot) {
    if (named) markChanged();
    return;
  }
  DropRunVectorTheme(run, slot);
  if (run.document) run.document->UpdateAllViews();
  markChanged();
}

bool TakeRunShapefile(CRun& run, CVectorTheme*& slot, const std::string& path, bool mustOverlap, const char* name,
                      const char* noOverlap) {
  DropRunVectorTheme(run, slot);
  auto theme = std::make_unique<CVectorTheme>();
  const std::string projection = run.document ? run.document->landscape.projection : std::string();
  double east = 0, west = 0, north = 0, south = 0;
  if (run.host) run.host->AreaExtent(east, west, north, south);
  // A file that cannot be read has said why; one outside the area is refused here.
  if (!theme->LoadShapefile(path, projection)) return false;
  if ((mustOverlap && !theme->HasVertexInRect(west, east, south, north)) || !run.host) {
    platform::Tell(noOverlap);
    return false;
  }
  theme->name = name;
  slot = run.host->AdoptVectorTheme(std::move(theme));
  return true;
}

}  // namespace runs::ui
