#pragma once
// A stand-in for the project document: the area's fuel models and extent, and a record of the
// document and tree calls a run makes.
#include <algorithm>
#include <string>
#include <vector>

#include "runs/run_host.h"
#include "themes/contour_theme.h"
#include "themes/legend.h"
#include "themes/vector_theme.h"
#include "themes/wind_vector_theme.h"

class FakeHost : public RunHost {
 public:
  std::vector<int> fuelModels;
  bool wholeLandscape = true;
  double east = 0, west = 0, north = 0, south = 0;
  const CTheme* visible = nullptr;
  std::vector<std::string> calls;

  std::vector<int> AreaFuelModels() const override { return fuelModels; }
  bool AreaIsWholeLandscape() const override { return wholeLandscape; }
  void AreaExtent(double& e, double& w, double& n, double& s) const override {
    e = east;
    w = west;
    n = north;
    s = south;
  }
  void AddThemeRect(CTheme*) override { calls.push_back("AddThemeRect"); }
  void RemoveThemeRect(CTheme*) override { calls.push_back("RemoveThemeRect"); }
  bool IsVisibleTheme(const CTheme* t) const override { return t == visible; }
  void ShowFuelModelTheme(bool refresh) override {
    calls.push_back(refresh ? "ShowFuelModelTheme+refresh" : "ShowFuelModelTheme");
    visible = nullptr;
  }
  // Arrows the run handed over are freed as the document frees them; stand-ins are not.
  void DisposeWindVectorTheme(CWindVectorTheme* theme) override {
    calls.push_back("DisposeArrows");
    auto it = std::find(arrows.begin(), arrows.end(), theme);
    if (it == arrows.end()) return;
    arrows.erase(it);
    delete theme;
  }
  void AdoptWindVectorTheme(CWindVectorTheme* theme) override {
    calls.push_back("AdoptArrows");
    arrows.push_back(theme);
  }
  std::vector<CWindVectorTheme*> arrows;
  void DisposeVectorTheme(CVectorTheme*) override { calls.push_back("DisposeVectors"); }
  void DisposeContourTheme(CContourTheme*) override { calls.push_back("DisposeContour"); }
  CVectorTheme* AdoptVectorTheme(std::unique_ptr<CVectorTheme> theme) override {
    calls.push_back("AdoptVectors");
    adopted.push_back(std::move(theme));
    return adopted.back().get();
  }
  std::vector<std::unique_ptr<CVectorTheme>> adopted;
  CContourTheme* AdoptContourTheme(CContourTheme* theme) override {
    calls.push_back("AdoptContour");
    contours.emplace_back(theme);
    return theme;
  }
  std::vector<std::unique_ptr<CContourTheme>> contours;
  void DeleteThemeItems(CRun&, const CTheme*, const CTheme*) override {
    calls.push_back("DeleteThemeItems");
  }
  void DeleteRunOutputItems(CRun&) override { calls.push_back("DeleteRunOutputItems"); }
  void DeleteOutputItem(CRun&, const void*) override { calls.push_back("DeleteOutputItem"); }
  std::unique_ptr<CThemeLegendData> CreateLegendData(CTheme*) override {
    calls.push_back("CreateLegendData");
    return std::make_unique<CThemeLegendData>();
  }
  void* AddIdealLandscapeTreeItem(CRun&) override {
    calls.push_back("AddIdealLandscapeTreeItem");
    return this;
  }
};
