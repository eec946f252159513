#include "app/ui/preferences_sheet.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/image.h>
#include <wx/notebook.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/spinbutt.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "app/application.h"
#include "app/layer_types.h"
#include "platform/dialogs.h"
#include "platform/messages.h"
#include "widgets/color_lists.h"
#include "widgets/color_static.h"
#include "widgets/num_spin_ctrl.h"

namespace app::ui {

namespace {

wxChoice* MakeChoice(wxWindow* parent, const ListChoice& c) {
  auto* choice = new wxChoice(parent, wxID_ANY);
  for (const std::string& item : c.items) choice->Append(wxString::FromUTF8(item));
  choice->SetSelection(c.selected >= 0 ? c.selected : wxNOT_FOUND);
  return choice;
}

void ReadChoice(const wxChoice* choice, ListChoice& c) {
  const int n = choice->GetSelection();
  c.selected = n == wxNOT_FOUND ? -1 : n;
}

// A swatch that opens the colour dialog on a click.
widgets::CColorStatic* MakeSwatch(wxWindow* parent, COLORREF colour, CPreferencePage* page) {
  auto* swatch = new widgets::CColorStatic(parent, wxID_ANY, colour, wxDefaultPosition, wxSize(40, 20));
  // One click opens the chooser; a double-click must not open a second one behind it.
  swatch->Bind(wxEVT_LEFT_UP, [swatch, page](wxMouseEvent&) {
    if (swatch->ChooseColor()) page->MarkModified();
  });
  return swatch;
}

// "label" then the control, in a row of a two-column grid.
void AddRow(wxWindow* parent, wxFlexGridSizer* grid, const char* label, wxWindow* control) {
  grid->Add(new wxStaticText(parent, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL);
  grid->Add(control, 0, wxALIGN_CENTER_VERTICAL);
}

wxFlexGridSizer* Grid() { return new wxFlexGridSizer(2, 4, 8); }

// A group box holding a sizer, added to `to`.
wxStaticBoxSizer* Group(wxWindow* parent, wxSizer* to, const char* title, wxSizer* inner) {
  auto* box = new wxStaticBoxSizer(wxVERTICAL, parent, title);
  box->Add(inner, 0, wxALL | wxEXPAND, 6);
  to->Add(box, 0, wxALL | wxEXPAND, 6);
  return box;
}

// An edit with spin arrows that step it within a range.
wxSizer* SpinEdit(wxWindow* parent, const std::string& text, double low, double high, wxTextCtrl*& edit,
                  wxSpinButton*& arrows, std::unique_ptr<widgets::CNumSpinCtrl>& spin) {
  edit = new wxTextCtrl(parent, wxID_ANY, wxString::FromUTF8(text), wxDefaultPosition, wxSize(60, -1));
  arrows = new wxSpinButton(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxSP_VERTICAL | wxSP_ARROW_KEYS);
  spin = std::make_unique<widgets::CNumSpinCtrl>();
  spin->SetBuddy(edit);
  spin->SetDecimalPlaces(0);
  spin->SetRangeAndStep(low, high, 1);
  spin->Attach(arrows);
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  row->Add(edit, 0, wxALIGN_CENTER_VERTICAL);
  row->Add(arrows, 0, wxALIGN_CENTER_VERTICAL);
  return row;
}

// Builds the shared "Initial Display" controls from a page's legend and ramp choices.
template <class Fields>
wxSizer* BuildLegendControls(CPreferencePage* page, LegendControls& c, const Fields& f,
                             const COLORREF* noDataColour, widgets::CColorStatic** noData) {
  const bool withNoData = noDataColour != nullptr;
  c.legendRadio = new wxRadioButton(page, wxID_ANY, "Use Predefined Legend", wxDefaultPosition,
                                    wxDefaultSize, wxRB_GROUP);
  c.legendList = MakeChoice(page, f.legends);
  c.rampRadio = new wxRadioButton(page, wxID_ANY, "Use Color Ramp");
  c.rampList = new widgets::CColorRampCombo(page, wxID_ANY, wxDefaultPosition, wxSize(200, -1));
  for (const CColorRamp* r : f.ramps.ramps) c.rampList->AddRamp(r);
  c.rampList->SetSelection(f.ramps.selected);
  c.units = MakeChoice(page, f.units);
  c.decimals = MakeChoice(page, f.decimals);
  wxSizer* classes = SpinEdit(page, f.classes, kMinClasses, kMaxClasses, c.classes, c.classesArrows, c.classesSpin);
  c.legendRadio->Enable(f.legendRadioEnabled);
  c.legendRadio->SetValue(f.usePredefinedLegend == 1);
  c.rampRadio->SetValue(f.usePredefinedLegend != 1);

  auto* grid = Grid();
  grid->Add(c.legendRadio, 0, wxALIGN_CENTER_VERTICAL);
  grid->AddSpacer(0);
  AddRow(page, grid, "Legend:", c.legendList);
  grid->Add(c.rampRadio, 0, wxALIGN_CENTER_VERTICAL);
  grid->AddSpacer(0);
  AddRow(page, grid, "Color Ramp:", c.rampList);
  if (withNoData) {
    *noData = MakeSwatch(page, *noDataColour, page);
    AddRow(page, grid, "No Data Color:", *noData);
  }
  AddRow(page, grid, "Units:", c.units);
  AddRow(page, grid, withNoData ? "Decimals:" : "Decimal Places:", c.decimals);
  grid->Add(new wxStaticText(page, wxID_ANY, "Number of Classes:"), 0, wxALIGN_CENTER_VERTICAL);
  grid->Add(classes);

  for (wxChoice* list : {c.legendList, c.units, c.decimals})
    list->Bind(wxEVT_CHOICE, [page](wxCommandEvent&) { page->MarkModified(); });
  c.rampList->Bind(wxEVT_COMBOBOX, [page](wxCommandEvent&) { page->MarkModified(); });
  c.classes->Bind(wxEVT_TEXT, [page](wxCommandEvent&) { page->MarkModified(); });
  return grid;
}

// The shared controls back into a page's fields.
template <class Fields>
void ReadLegendControls(const LegendControls& c, Fields& f) {
  f.usePredefinedLegend = c.legendRadio->GetValue() && !f.legends.items.empty() ? 1 : 0;
  ReadChoice(c.legendList, f.legends);
  const int ramp = c.rampList->GetSelection();
  f.ramps.selected = ramp == wxNOT_FOUND ? -1 : ramp;
  ReadChoice(c.units, f.units);
  ReadChoice(c.decimals, f.decimals);
  f.classes = c.classes->GetValue().utf8_string();
}

// With a predefined legend only its list is open; with a ramp the rest.
void UpdateLegendControls(const LegendControls& c, bool predefined, std::initializer_list<wxWindow*> more) {
  c.legendList->Enable(predefined);
  for (wxWindow* w : {static_cast<wxWindow*>(c.rampList), static_cast<wxWindow*>(c.decimals),
                      static_cast<wxWindow*>(c.units), static_cast<wxWindow*>(c.classes),
                      static_cast<wxWindow*>(c.classesArrows)})
    w->Enable(!predefined);
  for (wxWindow* w : more)
    if (w) w->Enable(!predefined);
}

// The control of a page named by a refused field.
wxWindow* ControlOf(const std::string& field, const LegendControls& c) {
  if (field == "Units") return c.units;
  if (field == "Number of Classes") return c.classes;
  if (field == "Decimals" || field == "Decimal Places") return c.decimals;
  return nullptr;
}

}  // namespace

LegendControls::LegendControls() = default;
LegendControls::~LegendControls() = default;

// ---- pages ----

CPreferencePage::CPreferencePage(wxWindow* parent, CPreferencesSheet* sheet)
    : wxPanel(parent, wxID_ANY), sheet_(sheet) {}

void CPreferencePage::EnsureBuilt() {
  if (built_) return;
  built_ = true;
  Build();
  Layout();
}

void CPreferencePage::MarkModified() {
  if (sheet_) sheet_->EnableApply(true);
}

bool CPreferencePage::Refuse(const PageProblem& problem, wxWindow* control) {
  platform::Tell(problem.Text());
  if (control) control->SetFocus();
  return false;
}

// Application

void CApplicationPreferencesPage::Build() {
  fields = LoadApplicationPage(GetApp());
  auto* top = new wxBoxSizer(wxVERTICAL);

  folderEdit = new wxTextCtrl(this, wxID_ANY, wxString::FromUTF8(fields.storageFolder), wxDefaultPosition,
                              wxSize(360, -1), wxTE_READONLY);
  folderEdit->SetInsertionPointEnd();  // the end of a long path is what tells folders apart
  folderButton = new wxButton(this, wxID_ANY, "...", wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
  auto* folderRow = new wxBoxSizer(wxHORIZONTAL);
  folderRow->Add(folderEdit, 1, wxALIGN_CENTER_VERTICAL);
  folderRow->Add(folderButton, 0, wxLEFT | wxALIGN_CENTER_VERTICAL, 4);
  Group(this, top, "Temporary Disk Storage Location:", folderRow);

  background = MakeSwatch(this, fields.backgroundColor, this);
  useImage = new wxCheckBox(this, wxID_ANY, "Use Background Image");
  useImage->SetValue(fields.useBackgroundImage);
  imageEdit = new wxTextCtrl(this, wxID_ANY, wxString::FromUTF8(fields.backgroundImagePath), wxDefaultPosition,
                             wxSize(360, -1), wxTE_READONLY);
  imageButton = new wxButton(this, wxID_ANY, "...", wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
  auto* appearance = new wxBoxSizer(wxVERTICAL);
  auto* colourRow = new wxBoxSizer(wxHORIZONTAL);
  colourRow->Add(new wxStaticText(this, wxID_ANY, "Main Window Background Color: "), 0, wxALIGN_CENTER_VERTICAL);
  colourRow->Add(background, 0, wxALIGN_CENTER_VERTICAL);
  appearance->Add(colourRow);
  appearance->Add(useImage, 0, wxTOP, 8);
  auto* imageRow = new wxBoxSizer(wxHORIZONTAL);
  imageRow->Add(imageEdit, 1, wxALIGN_CENTER_VERTICAL);
  imageRow->Add(imageButton, 0, wxLEFT | wxALIGN_CENTER_VERTICAL, 4);
  appearance->Add(imageRow, 0, wxEXPAND | wxTOP, 4);
  Group(this, top, "Appearance", appearance);

  auto* versionRow = new wxBoxSizer(wxHORIZONTAL);
  version = new wxStaticText(this, wxID_ANY, wxString::FromUTF8(fields.versionText));
  versionRow->Add(new wxStaticText(this, wxID_ANY, "3D Version Detected:"), 0, wxRIGHT, 6);
  versionRow->Add(version);
  top->Add(versionRow, 0, wxALL, 8);
  top->Add(new wxStaticText(this, wxID_ANY, "(Note: OpenGL 3.3 or later required for 3D functionality)"), 0,
           wxLEFT | wxRIGHT, 8);
  SetSizer(top);

  folderButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnBrowseFolder(); });
  useImage->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { OnUseImage(); });
  imageButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnBrowseImage(); });
}

void CApplicationPreferencesPage::OnBrowseFolder() {
  if (!BrowseStorageFolder(fields)) return;
  folderEdit->ChangeValue(wxString::FromUTF8(fields.storageFolder));
  folderEdit->SetInsertionPointEnd();
  MarkModified();
}

void CApplicationPreferencesPage::OnUseImage() {
  fields.useBackgroundImage = useImage->GetValue();
  imageButton->Enable(fields.useBackgroundImage);
  if (!fields.useBackgroundImage) {
    fields.backgroundImagePath.clear();
    imageEdit->ChangeValue(wxString());
  }
  MarkModified();
}

void CApplicationPreferencesPage::OnBrowseImage() {
  // Every format the toolkit can read, then one entry per format.
  std::string all, each;
  for (wxList::compatibility_iterator node = wxImage::GetHandlers().GetFirst(); node; node = node->GetNext()) {
    const auto* handler = static_cast<const wxImageHandler*>(node->GetData());
    std::string patterns = "*." + handler->GetExtension().utf8_string();
    for (const wxString& alt : handler->GetAltExtensions())
      if (alt != handler->GetExtension()) patterns += ";*." + alt.utf8_string();
    all += (all.empty() ? "" : ";") + patterns;
    each += handler->GetName().utf8_string() + "|" + patterns + "|";
  }
  if (all.empty()) {
    platform::Tell("GetExporterFilter failed");
    return;
  }
  platform::FileDialogOptions o;
  o.filter = "All Image Files|" + all + "|" + each + "|";
  o.defaultExt = "bmp";
  o.initialPath = fields.backgroundImagePath;
  const auto path = platform::CurrentDialogs().ChooseOpenFile(o);
  if (!path || !ChooseBackgroundImage(fields, *path, GetApp())) return;
  imageEdit->ChangeValue(wxString::FromUTF8(fields.backgroundImagePath));
  MarkModified();
}

bool CApplicationPreferencesPage::Apply() {
  fields.backgroundColor = background->GetColor();
  fields.useBackgroundImage = useImage->GetValue();
  ApplyApplicationPage(fields, GetApp());
  if (sheet_) sheet_->ApplicationApplied();
  return true;
}

// Theme preferences

CThemePreferencesPage::CThemePreferencesPage(wxWindow* parent, CPreferencesSheet* sheet, CThemePreference* pref)
    : CPreferencePage(parent, sheet), preference(pref) {}

void CThemePreferencesPage::Build() {
  fields = LoadThemePage(*preference, GetApp());
  auto* top = new wxBoxSizer(wxVERTICAL);
  Group(this, top, "Initial Display", BuildLegendControls(this, legend, fields, &fields.noDataColor, &noData));

  contourColor = MakeSwatch(this, fields.contourColor, this);
  contourStyle = MakeChoice(this, fields.contourStyle);
  contourWidth = MakeChoice(this, fields.contourWidth);
  auto* contours = Grid();
  AddRow(this, contours, "Color:", contourColor);
  AddRow(this, contours, "Style:", contourStyle);
  AddRow(this, contours, "Width:", contourWidth);
  Group(this, top, "New Contours", contours);
  SetSizer(top);

  for (wxChoice* list : {contourStyle, contourWidth})
    list->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { MarkModified(); });
  for (wxRadioButton* radio : {legend.legendRadio, legend.rampRadio})
    radio->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) {
      fields.usePredefinedLegend = legend.legendRadio->GetValue() ? 1 : 0;
      MarkModified();
      UpdateControls();
    });
  UpdateControls();
}

void CThemePreferencesPage::UpdateControls() {
  UpdateLegendControls(legend, fields.usePredefinedLegend == 1, {noData});
}

bool CThemePreferencesPage::Apply() {
  if (!IsBuilt()) return true;
  ReadLegendControls(legend, fields);
  fields.noDataColor = noData->GetColor();
  fields.contourColor = contourColor->GetColor();
  ReadChoice(contourStyle, fields.contourStyle);
  ReadChoice(contourWidth, fields.contourWidth);
  if (auto problem = ApplyThemePage(fields, *preference)) {
    wxWindow* control = ControlOf(problem->field, legend);
    if (problem->field == "Contour Style") control = contourStyle;
    if (problem->field == "Contour Width") control = contourWidth;
    return Refuse(*problem, control);
  }
  return true;
}

// Vector themes

void CVectorPreferencesPage::Build() {
  fields = LoadVectorPage(GetApp().vectorPrefs);
  auto* top = new wxBoxSizer(wxVERTICAL);
  auto group = [&](const char* title, const ListChoice& first, const char* firstLabel, COLORREF colour,
                   const ListChoice& width, wxChoice*& firstList, widgets::CColorStatic*& swatch,
                   wxChoice*& widthList) {
    firstList = MakeChoice(this, first);
    swatch = MakeSwatch(this, colour, this);
    widthList = MakeChoice(this, width);
    auto* grid = Grid();
    AddRow(this, grid, firstLabel, firstList);
    AddRow(this, grid, "Color:", swatch);
    AddRow(this, grid, "Width:", widthList);
    Group(this, top, title, grid);
    for (wxChoice* list : {firstList, widthList})
      list->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { MarkModified(); });
  };
  group("Points", fields.pointShape, "Shape:", fields.pointColor, fields.pointWidth, pointShape, pointColor,
        pointWidth);
  group("Lines", fields.lineStyle, "Style:", fields.lineColor, fields.lineWidth, lineStyle, lineColor, lineWidth);
  group("Polygons", fields.polygonStyle, "Style:", fields.polygonColor, fields.polygonWidth, polygonStyle,
        polygonColor, polygonWidth);
  SetSizer(top);
}

bool CVectorPreferencesPage::Apply() {
  if (!IsBuilt()) return true;
  ReadChoice(pointShape, fields.pointShape);
  ReadChoice(pointWidth, fields.pointWidth);
  ReadChoice(lineStyle, fields.lineStyle);
  ReadChoice(lineWidth, fields.lineWidth);
  ReadChoice(polygonStyle, fields.polygonStyle);
  ReadChoice(polygonWidth, fields.polygonWidth);
  fields.pointColor = pointColor->GetColor();
  fields.lineColor = lineColor->GetColor();
  fields.polygonColor = polygonColor->GetColor();
  if (auto problem = ApplyVectorPage(fields, GetApp().vectorPrefs)) return Refuse(*problem, nullptr);
  return true;
}

// Wind, spread and maximum-spot vectors

CWindVectorThemePreferencesPage::CWindVectorThemePreferencesPage(wxWindow* parent, CPreferencesSheet* sheet,
                                                                 CWindVectorPreferences* pref)
    : CPreferencePage(parent, sheet), preference(pref) {}

void CWindVectorThemePreferencesPage::Build() {
  fields = LoadWindVectorPage(*preference, GetApp());
  auto* top = new wxBoxSizer(wxVERTICAL);
  auto* columns = new wxBoxSizer(wxHORIZONTAL);
  auto* left = new wxBoxSizer(wxVERTICAL);
  auto* right = new wxBoxSizer(wxVERTICAL);
  Group(this, left, "Initial Display", BuildLegendControls(this, legend, fields, nullptr, nullptr));

  lineWidth = MakeChoice(this, fields.lineWidth);
  auto* output = Grid();
  AddRow(this, output, "Line Width:", lineWidth);
  Group(this, left, "Vector Output", output);

  manual = new wxRadioButton(this, wxID_ANY, "Manual", wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
  automatic = new wxRadioButton(this, wxID_ANY, "Auto");
  manual->SetValue(!fields.autoDensity);
  automatic->SetValue(fields.autoDensity);
  auto* density = Grid();
  density->Add(manual);
  density->AddSpacer(0);
  density->Add(new wxStaticText(this, wxID_ANY, "Rows/Cols to Skip:"), 0, wxALIGN_CENTER_VERTICAL);
  density->Add(SpinEdit(this, fields.skip, kMinSkip, kMaxSkip, skip, skipArrows, skipSpin_));
  density->Add(automatic);
  density->AddSpacer(0);
  density->Add(new wxStaticText(this, wxID_ANY, "Target Size (Pixels):"), 0, wxALIGN_CENTER_VERTICAL);
  density->Add(SpinEdit(this, fields.targetSize, kMinTargetSize, kMaxTargetSize, targetSize, targetArrows,
                        targetSpin_));
  Group(this, right, "Display Density", density);

  outputSpeed = new wxCheckBox(this, wxID_ANY, "Output Speed");
  outputSpeed->SetValue(fields.outputSpeed);
  fontSize = MakeChoice(this, fields.fontSize);
  auto* text = Grid();
  text->Add(outputSpeed);
  text->AddSpacer(0);
  AddRow(this, text, "Font Point Size:", fontSize);
  Group(this, right, "Text Output", text);

  columns->Add(left, 1, wxEXPAND);
  columns->Add(right, 1, wxEXPAND);
  top->Add(columns, 1, wxEXPAND);
  SetSizer(top);

  for (wxChoice* list : {lineWidth, fontSize})
    list->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { MarkModified(); });
  for (wxTextCtrl* edit : {skip, targetSize})
    edit->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { MarkModified(); });
  for (wxRadioButton* radio : {manual, automatic})
    radio->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { MarkModified(); });
  outputSpeed->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { MarkModified(); });
  for (wxRadioButton* radio : {legend.legendRadio, legend.rampRadio})
    radio->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) {
      MarkModified();
      fields.usePredefinedLegend = legend.legendRadio->GetValue() ? 1 : 0;
      UpdateControls();
    });
  UpdateControls();
}

void CWindVectorThemePreferencesPage::UpdateControls() {
  UpdateLegendControls(legend, fields.usePredefinedLegend == 1, {});
}

bool CWindVectorThemePreferencesPage::Apply() {
  if (!IsBuilt()) return true;
  ReadLegendControls(legend, fields);
  ReadChoice(lineWidth, fields.lineWidth);
  ReadChoice(fontSize, fields.fontSize);
  fields.autoDensity = automatic->GetValue();
  fields.skip = skip->GetValue().utf8_string();
  fields.targetSize = targetSize->GetValue().utf8_string();
  fields.outputSpeed = outputSpeed->GetValue();
  if (auto problem = ApplyWindVectorPage(fields, *preference)) {
    wxWindow* control = ControlOf(problem->field, legend);
    if (problem->field == "Rows/Cols to Skip") control = skip;
    if (problem->field == "Target Size (Pixels)") control = targetSize;
    if (problem->field == "Line Width") control = lineWidth;
    if (problem->field == "Font Point Size") control = fontSize;
    return Refuse(*problem, control);
  }
  return true;
}

// ---- the sheet ----

CPreferencesSheet::CPreferencesSheet(wxWindow* parent, const std::string& title, int firstPage,
                                     std::function<void()> onApplicationApplied)
    : wxDialog(parent, wxID_ANY, wxString::FromUTF8(title), wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      onApplicationApplied_(std::move(onApplicationApplied)) {
  CPVN4App& app = GetApp();
  // One row of tabs that scrolls, not stacked rows.
  book = new wxNotebook(this, wxID_ANY, wxDefaultPosition, wxSize(780, 470));
  AddPage(new CApplicationPreferencesPage(book, this), "Application");
  AddPage(new CThemePreferencesPage(book, this, &app.themePrefs[kGenericGridLayerType]), "Generic Grid");
  AddPage(new CVectorPreferencesPage(book, this), "Vector Themes");
  const char* const kinds[] = {"Wind Vectors", "Spread Vectors", "Max Spot Vectors"};
  for (int k = 0; k < 3; ++k)
    AddPage(new CWindVectorThemePreferencesPage(book, this, &app.windVectorPrefs[static_cast<std::size_t>(k)]),
            kinds[k]);
  for (int type = 0; type < kLayerTypeCount; ++type) {
    if (type == kGenericGridLayerType || type == 29 || type == 30) continue;
    AddPage(new CThemePreferencesPage(book, this, &app.themePrefs[static_cast<std::size_t>(type)]),
            GetLayerTypeName(type));
  }

  auto* ok = new wxButton(this, wxID_OK, "OK");
  auto* cancel = new wxButton(this, wxID_CANCEL, "Cancel");
  applyButton = new wxButton(this, kApplyId, "&Apply");
  auto* help = new wxButton(this, wxID_HELP, "Help");
  applyButton->Enable(false);
  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  buttons->AddStretchSpacer();
  for (wxButton* b : {ok, cancel, applyButton, help}) buttons->Add(b, 0, wxLEFT, 6);
  auto* top = new wxBoxSizer(wxVERTICAL);
  top->Add(book, 1, wxEXPAND | wxALL, 6);
  top->Add(buttons, 0, wxEXPAND | wxALL, 6);
  SetSizerAndFit(top);

  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnOK(); }, wxID_OK);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnCancel(); }, wxID_CANCEL);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnApply(); }, kApplyId);
  Bind(wxEVT_BUTTON, [](wxCommandEvent&) { GetApp().ShowHelpTopic(1); }, wxID_HELP);
  book->Bind(wxEVT_NOTEBOOK_PAGE_CHANGING, &CPreferencesSheet::OnPageChanging, this);
  book->Bind(wxEVT_NOTEBOOK_PAGE_CHANGED, &CPreferencesSheet::OnPageChanged, this);

  Keep();
  const int first = firstPage >= 0 && firstPage < PageCount() ? firstPage : 0;
  Page(first)->EnsureBuilt();
  book->ChangeSelection(static_cast<size_t>(first));
}

CPreferencesSheet::~CPreferencesSheet() = default;

void CPreferencesSheet::AddPage(CPreferencePage* page, const std::string& title) {
  book->AddPage(page, wxString::FromUTF8(title));
}

int CPreferencesSheet::PageCount() const { return static_cast<int>(book->GetPageCount()); }

CPreferencePage* CPreferencesSheet::Page(int index) const {
  if (index < 0 || index >= PageCount()) return nullptr;
  return static_cast<CPreferencePage*>(book->GetPage(static_cast<size_t>(index)));
}

std::string CPreferencesSheet::PageTitle(int index) const {
  return book->GetPageText(static_cast<size_t>(index)).utf8_string();
}

int CPreferencesSheet::ActivePage() const { return book->GetSelection(); }

bool CPreferencesSheet::SelectPage(int index) {
  book->SetSelection(static_cast<size_t>(index));
  if (revertTo_ >= 0) {
    book->ChangeSelection(static_cast<size_t>(revertTo_));
    revertTo_ = -1;
  }
  return ActivePage() == index;
}

void CPreferencesSheet::OnPageChanging(wxBookCtrlEvent& event) {
  revertTo_ = -1;
  CPreferencePage* leaving = Page(event.GetOldSelection());
  if (leaving && leaving->IsBuilt() && !leaving->Apply()) {
    event.Veto();
    revertTo_ = event.GetOldSelection();
  }
}

void CPreferencesSheet::OnPageChanged(wxBookCtrlEvent& event) {
  // The toolkit may switch pages even when the change was refused.
  if (revertTo_ >= 0) {
    const int back = revertTo_;
    revertTo_ = -1;
    book->ChangeSelection(static_cast<size_t>(back));
    return;
  }
  if (CPreferencePage* page = Page(event.GetSelection())) page->EnsureBuilt();
}

bool CPreferencesSheet::ApplyAll() {
  for (int i = 0; i < PageCount(); ++i) {
    CPreferencePage* page = Page(i);
    if (!page->IsBuilt()) continue;
    // The page with the refused value comes to the front; its message has been shown.
    if (!page->Apply()) {
      if (ActivePage() != i) book->ChangeSelection(static_cast<size_t>(i));
      return false;
    }
  }
  return true;
}

void CPreferencesSheet::OnOK() {
  if (ApplyAll()) EndModal(wxID_OK);
}

void CPreferencesSheet::OnApply() {
  if (!ApplyAll()) return;
  EnableApply(false);
  Keep();
}

void CPreferencesSheet::Keep() {
  const CPVN4App& app = GetApp();
  kept_ = std::make_unique<Kept>(Kept{app.vectorPrefs, app.themePrefs, app.windVectorPrefs, LoadApplicationPage(app)});
}

void CPreferencesSheet::OnCancel() {
  // A page applies its values when it is left; Cancel takes all of them back.
  CPVN4App& app = GetApp();
  app.vectorPrefs = kept_->vector;
  app.themePrefs = kept_->themes;
  app.windVectorPrefs = kept_->windVectors;
  const ApplicationPageFields now = LoadApplicationPage(app);
  const ApplicationPageFields& was = kept_->application;
  if (now.storageFolder != was.storageFolder || now.keepCellsInMemory != was.keepCellsInMemory ||
      now.backgroundColor != was.backgroundColor || now.useBackgroundImage != was.useBackgroundImage ||
      now.backgroundImagePath != was.backgroundImagePath) {
    ApplyApplicationPage(was, app);
    ApplicationApplied();
  }
  EndModal(wxID_CANCEL);
}

void CPreferencesSheet::ApplicationApplied() {
  if (onApplicationApplied_) onApplicationApplied_();
}

void CPreferencesSheet::EnableApply(bool enable) {
  if (applyButton) applyButton->Enable(enable);
}

void EditPreferences(wxWindow* parent, std::function<void()> onApplicationApplied) {
  CPreferencesSheet sheet(parent, "Preferences", 0, std::move(onApplicationApplied));
  sheet.ShowModal();
}

}  // namespace app::ui
