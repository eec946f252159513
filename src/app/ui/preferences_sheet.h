#pragma once
// The preferences sheet: the Application page, the display defaults of new grid themes per
// layer type, and of new vector and wind-vector themes. Its 47 pages sit in one scrolling row
// of tabs; a page builds its controls the first time it is shown, and writes its values into
// the application's records when it is left and when the sheet is confirmed. A value a page
// cannot take keeps the page open with its reason.
#include <wx/dialog.h>
#include <wx/panel.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/preference_pages.h"
#include "app/preferences_file.h"

class wxBookCtrlEvent;
class wxButton;
class wxCheckBox;
class wxChoice;
class wxNotebook;
class wxRadioButton;
class wxSpinButton;
class wxStaticText;
class wxTextCtrl;

namespace widgets {
class CColorRampCombo;
class CColorStatic;
class CNumSpinCtrl;
}  // namespace widgets

namespace app::ui {

class CPreferencesSheet;

class CPreferencePage : public wxPanel {
 public:
  CPreferencePage(wxWindow* parent, CPreferencesSheet* sheet);
  bool IsBuilt() const { return built_; }
  // Builds the controls from the records the first time.
  void EnsureBuilt();
  // Controls into the page's fields and the fields into the records; a refused value is
  // shown, its control takes the focus and false is returned.
  virtual bool Apply() = 0;
  void MarkModified();

 protected:
  virtual void Build() = 0;
  bool Refuse(const PageProblem& problem, wxWindow* control);
  CPreferencesSheet* sheet_;

 private:
  bool built_ = false;
};

// The legend, ramp, units, decimals and class-count controls the theme and wind-vector pages
// share.
struct LegendControls {
  wxRadioButton* legendRadio = nullptr;
  wxChoice* legendList = nullptr;
  wxRadioButton* rampRadio = nullptr;
  widgets::CColorRampCombo* rampList = nullptr;
  wxChoice* units = nullptr;
  wxChoice* decimals = nullptr;
  wxTextCtrl* classes = nullptr;
  wxSpinButton* classesArrows = nullptr;
  std::unique_ptr<widgets::CNumSpinCtrl> classesSpin;
  LegendControls();
  ~LegendControls();
};

class CApplicationPreferencesPage : public CPreferencePage {
 public:
  using CPreferencePage::CPreferencePage;
  bool Apply() override;
  void OnBrowseFolder();
  void OnUseImage();
  void OnBrowseImage();

  ApplicationPageFields fields;
  wxTextCtrl* folderEdit = nullptr;
  wxButton* folderButton = nullptr;
  widgets::CColorStatic* background = nullptr;
  wxCheckBox* useImage = nullptr;
  wxTextCtrl* imageEdit = nullptr;
  wxButton* imageButton = nullptr;
  wxStaticText* version = nullptr;

 protected:
  void Build() override;
};

class CThemePreferencesPage : public CPreferencePage {
 public:
  CThemePreferencesPage(wxWindow* parent, CPreferencesSheet* sheet, CThemePreference* pref);
  bool Apply() override;
  void UpdateControls();

  CThemePreference* preference;
  ThemePageFields fields;
  LegendControls legend;
  widgets::CColorStatic* noData = nullptr;
  widgets::CColorStatic* contourColor = nullptr;
  wxChoice* contourStyle = nullptr;
  wxChoice* contourWidth = nullptr;

 protected:
  void Build() override;
};

class CVectorPreferencesPage : public CPreferencePage {
 public:
  using CPreferencePage::CPreferencePage;
  bool Apply() override;

  VectorPageFields fields;
  wxChoice* pointShape = nullptr;
  widgets::CColorStatic* pointColor = nullptr;
  wxChoice* pointWidth = nullptr;
  wxChoice* lineStyle = nullptr;
  widgets::CColorStatic* lineColor = nullptr;
  wxChoice* lineWidth = nullptr;
  wxChoice* polygonStyle = nullptr;
  widgets::CColorStatic* polygonColor = nullptr;
  wxChoice* polygonWidth = nullptr;

 protected:
  void Build() override;
};

class CWindVectorThemePreferencesPage : public CPreferencePage {
 public:
  CWindVectorThemePreferencesPage(wxWindow* parent, CPreferencesSheet* sheet, CWindVectorPreferences* pref);
  bool Apply() override;
  void UpdateControls();

  CWindVectorPreferences* preference;
  WindVectorPageFields fields;
  LegendControls legend;
  wxChoice* lineWidth = nullptr;
  wxRadioButton* manual = nullptr;
  wxRadioButton* automatic = nullptr;
  wxTextCtrl* skip = nullptr;
  wxSpinButton* skipArrows = nullptr;
  wxTextCtrl* targetSize = nullptr;
  wxSpinButton* targetArrows = nullptr;
  wxCheckBox* outputSpeed = nullptr;
  wxChoice* fontSize = nullptr;

 protected:
  void Build() override;

 private:
  std::unique_ptr<widgets::CNumSpinCtrl> skipSpin_, targetSpin_;
};

class CPreferencesSheet : public wxDialog {
 public:
  static constexpr int kApplyId = 12321;
  // onApplicationApplied runs after the Application page wrote its values (the main window
  // repaints its background then).
  CPreferencesSheet(wxWindow* parent, const std::string& title, int firstPage,
                    std::function<void()> onApplicationApplied = {});
  ~CPreferencesSheet() override;

  int PageCount() const;
  CPreferencePage* Page(int index) const;
  std::string PageTitle(int index) const;
  int ActivePage() const;
  // As a click on the tab: the page left applies first and stays when it refuses.
  bool SelectPage(int index);
  // OK: every page shown so far applies; a refusal keeps the sheet open on that page.
  bool ApplyAll();
  void OnOK();
  void OnApply();
  // Cancel: the preferences go back to what they were at opening (or at the last Apply).
  void OnCancel();
  void ApplicationApplied();
  void EnableApply(bool enable);

  wxNotebook* book = nullptr;
  wxButton* applyButton = nullptr;

 private:
  void AddPage(CPreferencePage* page, const std::string& title);
  void OnPageChanging(wxBookCtrlEvent& event);
  void OnPageChanged(wxBookCtrlEvent& event);
  std::function<void()> onApplicationApplied_;
  int revertTo_ = -1;
  // What the pages write into, as it was when the sheet opened or last applied.
  struct Kept {
    CVectorPreferences vector;
    std::array<CThemePreference, kLayerTypeCount> themes;
    std::array<CWindVectorPreferences, 3> windVectors;
    ApplicationPageFields application;
  };
  void Keep();
  std::unique_ptr<Kept> kept_;
};

// Options > Preferences > Edit Preferences: the sheet "Preferences", modally, from its first page.
void EditPreferences(wxWindow* parent, std::function<void()> onApplicationApplied = {});

}  // namespace app::ui
