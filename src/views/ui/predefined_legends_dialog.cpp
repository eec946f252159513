#include "views/ui/predefined_legends_dialog.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/listbox.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "app/application.h"
#include "app/preference_records.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "themes/theme.h"
#include "themes/wind_vector_theme.h"
#include "views/predefined_legends.h"
#include "views/ui/legend_creator_dialog.h"
#include "views/ui/wv_legend_creator_dialog.h"

namespace views::ui {

namespace {

std::vector<std::string> AllNames(const CPVN4App& app, bool arrows) {
  std::vector<std::string> names;
  if (arrows)
    for (const auto& l : app.predefinedWVLegends) names.push_back(l->name);
  else
    for (const auto& l : app.predefinedLegends) names.push_back(l->name);
  return names;
}

// Runs the family's legend creator on a scratch theme of the type; true on OK.
bool RunCreator(wxWindow* parent, int type, CThemeLegendData* raster, CWVLegendData* arrows) {
  if (arrows) {
    CWindVectorTheme scratch;
    scratch.kind = ArrowKindOfType(type);
    scratch.spread = scratch.kind == 1;
    scratch.spot = scratch.kind == 2;
    CWVLegendCreatorDialog dialog(parent, scratch, *arrows);
    return dialog.ShowModal() == wxID_OK;
  }
  CTheme scratch;
  scratch.layerType = type;
  raster->SetTheme(&scratch);
  CLegendCreatorDialog dialog(parent, scratch, *raster, nullptr);
  const bool ok = dialog.ShowModal() == wxID_OK;
  raster->SetTheme(nullptr);
  return ok;
}

}  // namespace

CPredefinedLegendsDialog::CPredefinedLegendsDialog(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, "Predefined Legends", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER) {
  auto* top = new wxBoxSizer(wxVERTICAL);
  top->Add(new wxStaticText(this, wxID_ANY, "Theme Type:"), 0, wxLEFT | wxTOP, 8);
  types = new wxChoice(this, kTypes);
  for (const LegendType& t : PredefinedLegendTypes())
    types->Append(wxString::FromUTF8(t.name), reinterpret_cast<void*>(static_cast<std::intptr_t>(t.type)));
  top->Add(types, 0, wxEXPAND | wxALL, 8);
  auto* middle = new wxBoxSizer(wxHORIZONTAL);
  list = new wxListBox(this, kList, wxDefaultPosition, wxSize(260, 220));
  middle->Add(list, 1, wxEXPAND | wxALL, 8);
  auto* side = new wxBoxSizer(wxVERTICAL);
  addNew = new wxButton(this, kAddNew, "Add New");
  edit = new wxButton(this, kEdit, "Edit");
  remove = new wxButton(this, kDelete, "Delete");
  for (wxButton* b : {addNew, edit, remove}) side->Add(b, 0, wxEXPAND | wxBOTTOM, 4);
  side->Add(new wxButton(this, kHelp, "Help"), 0, wxEXPAND | wxBOTTOM, 4);
  middle->Add(side, 0, wxTOP | wxRIGHT, 8);
  top->Add(middle, 1, wxEXPAND);
  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  buttons->Add(new wxButton(this, wxID_OK, "OK"), 0, wxALL, 4);
  buttons->Add(new wxButton(this, wxID_CANCEL, "Cancel"), 0, wxALL, 4);
  top->Add(buttons, 0, wxALIGN_CENTER | wxALL, 4);
  SetSizerAndFit(top);

  types->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { FillList(); });
  list->Bind(wxEVT_LISTBOX, [this](wxCommandEvent&) { UpdateButtons(); });
  list->Bind(wxEVT_LISTBOX_DCLICK, [this](wxCommandEvent&) { OnEdit(); });
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnAddNew(); }, kAddNew);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnEdit(); }, kEdit);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnDelete(); }, kDelete);
  Bind(wxEVT_BUTTON, [](wxCommandEvent&) { GetApp().ShowHelpTopic(47); }, kHelp);
  UpdateButtons();
}

int CPredefinedLegendsDialog::SelectedType() const {
  const int n = types->GetSelection();
  return n == wxNOT_FOUND ? -1 : static_cast<int>(reinterpret_cast<std::intptr_t>(types->GetClientData(n)));
}

void CPredefinedLegendsDialog::UpdateButtons() {
  const bool typed = SelectedType() >= 0;
  addNew->Enable(typed);
  edit->Enable(typed && list->GetSelection() != wxNOT_FOUND);
  remove->Enable(typed && list->GetSelection() != wxNOT_FOUND);
}

void CPredefinedLegendsDialog::FillList() {
  list->Clear();
  if (SelectedType() >= 0)
    for (const std::string& name : PredefinedLegendNames(GetApp(), SelectedType())) list->Append(wxString::FromUTF8(name));
  UpdateButtons();
}

void CPredefinedLegendsDialog::OnAddNew() {
  const int type = SelectedType();
  if (type < 0) {
    platform::Tell("Select a theme type.");
    return;
  }
  CPVN4App& app = GetApp();
  const bool arrows = IsArrowLegendType(type);
  std::unique_ptr<CPredefinedThemeLegend> raster;
  std::unique_ptr<CPredefinedWVThemeLegend> wind;
  if (arrows) {
    wind = std::make_unique<CPredefinedWVThemeLegend>();
    wind->kind = ArrowKindOfType(type);
    wind->legend.kind = wind->kind;
  } else {
    raster = std::make_unique<CPredefinedThemeLegend>();
    raster->layerType = type;
  }
  // A cancelled name reopens the creator on the legend as it was left.
  while (RunCreator(this, type, raster.get(), wind ? &wind->legend : nullptr)) {
    const std::optional<std::string> name = AskLegendName(this, AllNames(app, arrows));
    if (!name) continue;
    if (arrows) {
      wind->name = *name;
      app.predefinedWVLegends.push_back(std::move(wind));
    } else {
      raster->name = *name;
      app.predefinedLegends.push_back(std::move(raster));
    }
    break;
  }
  FillList();
}

void CPredefinedLegendsDialog::OnEdit() {
  const int type = SelectedType();
  const int index = list->GetSelection();
  if (type < 0 || index == wxNOT_FOUND) {
    platform::Tell("Select a legend.");
    return;
  }
  CPVN4App& app = GetApp();
  const std::string name = list->GetString(index).utf8_string();
  if (IsArrowLegendType(type)) {
    for (const auto& l : app.predefinedWVLegends)
      if (l->kind == ArrowKindOfType(type) && l->name == name) {
        RunCreator(this, type, nullptr, &l->legend);
        break;
      }
  } else {
    for (const auto& l : app.predefinedLegends)
      if (l->layerType == type && l->name == name) {
        RunCreator(this, type, l.get(), nullptr);
        break;
      }
  }
  FillList();
}

void CPredefinedLegendsDialog::OnDelete() {
  const int type = SelectedType();
  const int index = list->GetSelection();
  if (type < 0 || index == wxNOT_FOUND) {
    platform::Tell("Select a legend.");
    return;
  }
  const std::string name = list->GetString(index).utf8_string();
  if (!platform::AskYesNo(platform::FormatC("Delete legend \"%s\"?", name.c_str()))) return;
  if (DeletePredefinedLegend(GetApp(), type, index)) list->Delete(index);
  UpdateButtons();
}

}  // namespace views::ui
