// Writing the project file and its companion archive.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <signal.h>

#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "app/layer_types.h"
#include "platform/atomic_file.h"
#include "platform/folders.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "platform/paths.h"
#include "platform/temp_files.h"
#include "project/document.h"
#include "project/project_file.h"
#include "runs/wind_grids.h"
#include "themes/contour_theme.h"
#include "themes/theme.h"
#include "themes/vector_theme.h"
#include "themes/wind_vector_theme.h"
#include "zip/zip_archive.h"

namespace projectfile {

namespace {

SaveFault g_fault = SaveFault::None;
int g_killStep = 0;

void KillPoint(int step) {
  if (g_killStep == step) ::kill(::getpid(), SIGKILL);
}

struct SaveError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Payloads go into the archive straight from memory; only a gridded-wind layer set, which its
// writer puts into files, passes through a private scratch folder.
class Writer {
 public:
  Writer(CPVN4Doc& doc, CZipArchive& zip, std::string scratch)
      : doc_(doc), zip_(zip), scratch_(std::move(scratch)) {}

  std::string text;

  void Line(const std::string& line) {
    text += line;
    text += '\n';
  }
  void Linef(const char* fmt, ...) __attribute__((format(printf, 2, 3))) {
    va_list args;
    va_start(args, fmt);
    char small[512];
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(small, sizeof small, fmt, copy);
    va_end(copy);
    std::string line;
    if (n >= 0 && static_cast<std::size_t>(n) < sizeof small) {
      line.assign(small, static_cast<std::size_t>(n));
    } else if (n >= 0) {
      line.resize(static_cast<std::size_t>(n) + 1);
      std::vsnprintf(line.data(), line.size(), fmt, args);
      line.resize(static_cast<std::size_t>(n));
    }
    va_end(args);
    Line(line);
  }

  // Adds bytes as the next "%d.tmp" entry and returns its name.
  std::string Payload(const std::string& bytes, const std::string& what) {
    if (g_fault == SaveFault::Payload) throw SaveError("the payload of " + what + " could not be written");
    const std::string name = std::to_string(entry_++) + ".tmp";
    Add(bytes, name, what);
    return name;
  }

  void Document();

 private:
  void Add(const std::string& bytes, const std::string& name, const std::string& what) {
    if (bytes.size() > 0xFFFFFFFFu) throw SaveError("the payload of " + what + " is larger than 4 GiB");
    CZipMemFile source(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    if (!zip_.AddNewFileFromMemory(&source, name, -1))
      throw SaveError("the payload of " + what + " could not be added to the archive");
  }
  int Flag(const void* theme) const { return doc_.GetTopOfDrawOrderFlag(theme); }
  void RasterLegend(const CThemeLegendData& l);
  void ArrowLegend(const CWVLegendData* l, const CWindVectorTheme& t, bool documentForm);
  void ArrowBlock(const CWindVectorTheme* arrows);
  void CompactVector(const CVectorTheme* theme, bool bySubtype);
  void Run(const CRun& run);
  void RunSecondHalf(const CRun& run);
  void OutputTheme(const CRun& run, const CTheme& theme);
  bool HeldByRun(const void* theme) const;

  CPVN4Doc& doc_;
  CZipArchive& zip_;
  std::string scratch_;
  int entry_ = 0;
};

std::string DateText(const platform::OleDateTime& d) { return d.Format(); }

int Pos(const std::vector<std::unique_ptr<CTheme>>& list, const CTheme* t) {
  if (!t) return -1;
  for (std::size_t i = 0; i < list.size(); ++i)
    if (list[i].get() == t) return static_cast<int>(i);
  return -1;
}

void Writer::RasterLegend(const CThemeLegendData& l) {
  Linef("%d %d %f %f %d %d", l.IsUniqueValues() ? 1 : 0, l.GetUnits(), l.GetMinValue(),
        l.GetMaxValue(), l.GetCount(), l.GetDecimals());
  for (int i = 0; i < l.GetCount(); ++i)
    Linef("%f %ld", static_cast<double>(l.GetEntry(i).GetValue()),
          static_cast<long>(l.GetEntry(i).GetColor()));
}

void Writer::ArrowLegend(const CWVLegendData* found, const CWindVectorTheme& t, bool documentForm) {
  const CWVLegendData empty;
  const CWVLegendData& l = found ? *found : empty;
  // A document theme's extent is the clip rectangle its shapefile is read with.
  const double e = documentForm ? t.clipEast : t.east, w = documentForm ? t.clipWest : t.west;
  const double n = documentForm ? t.clipNorth : t.north, s = documentForm ? t.clipSouth : t.south;
  std::string head = platform::FormatC("%d %d %d %d %d %d %d %d %f %f %f %f %f %f %d", t.visible ? 1 : 0,
                                       l.showValues ? 1 : 0, l.autoDensity ? 1 : 0, l.fontSize, l.decimals,
                                       l.skip, l.lineWidth, l.targetSize, l.GetMinValue(), l.GetMaxValue(),
                                       e, w, n, s, l.GetCount());
  if (documentForm)
    head += platform::FormatC(" %d %d", Flag(&t), l.units);
  else
    head += platform::FormatC(" %d", l.units);
  Line(head);
  for (int i = 0; i < l.GetCount(); ++i)
    Linef("%f %ld %d", static_cast<double>(l.GetEntry(i).GetValue()),
          static_cast<long>(l.GetEntry(i).GetColor()), l.GetEntry(i).GetRelativeLength());
}

void Writer::ArrowBlock(const CWindVectorTheme* arrows) {
  if (!arrows) {
    Line("0 -1");
    return;
  }
  Linef("1 %d", Flag(arrows));
  Line(arrows->name);
  ArrowLegend(doc_.FindWindVectorLegend(arrows), *arrows, false);
}

// Width, colour and style by the theme's shape family.
void Writer::CompactVector(const CVectorTheme* t, bool) {
  if (!t) {
    Line("0 0 0 0 0 0");
    return;
  }
  int width = t->lineWidth, style = t->lineStyle;
  COLORREF colour = t->lineColor;
  if (IsPointType(t->shapeType)) {
    width = t->pointSize, colour = t->pointColor, style = t->pointSymbol;
  } else if (IsPolygonType(t->shapeType)) {
    width = t->polygonWidth, colour = t->polygonColor, style = t->polygonStyle;
  }
  Linef("1 %d %d %ld %d %d", t->visible ? 1 : 0, width, static_cast<long>(colour), style, Flag(t));
}

bool Writer::HeldByRun(const void* theme) const {
  for (const auto& area : doc_.areas)
    for (const auto& r : area->runs) {
      const void* slots[] = {r->flowPaths,        r->majorPaths,      r->mttIgnitions,  r->mttBarriers,
                             r->tomIgnitions,     r->randomPerimeters, r->embrithIgnitions,
                             r->embrithBarriers,  r->spotLocations,   r->embrithPerimeters,
                             r->arrivalContour};
      for (const void* s : slots)
        if (s == theme) return true;
    }
  return false;
}

void Writer::Document() {
  const CTheme* visible = doc_.GetVisibleTheme();
  if (doc_.windows.storeWindowState) doc_.windows.storeWindowState();
  Line(HeaderLine(kCurrentVersion));
  Line(doc_.IsLandscapeLoaded() ? doc_.landscape.path : std::string());
  const PanePlacement& f = doc_.framePlacement;
  const PanePlacement& lg = doc_.legendPlacement;
  const PanePlacement& pt = doc_.pointPlacement;
  Linef("%f %d %ld %ld %ld %ld %ld %d %ld %ld %ld %ld %d %ld %ld %ld %ld %f %f", doc_.zoomFactor, f.showCmd,
        f.left, f.top, f.right, f.bottom, doc_.treePlacement.right - doc_.treePlacement.left,
        doc_.legendWindowVisible ? 1 : 0, lg.left, lg.top, lg.right, lg.bottom,
        doc_.pointWindowVisible ? 1 : 0, pt.left, pt.top, pt.right, pt.bottom,
        doc_.pointWindowVisible ? doc_.pointWindowX : 0.0, doc_.pointWindowVisible ? doc_.pointWindowY : 0.0);

  // Section 4: generic grids.
  int generic = 0;
  for (const auto& t : doc_.gridThemes) generic += t->layerType == kGenericGridLayerType;
  Linef("%d", generic);
  for (const auto& t : doc_.gridThemes) {
    if (t->layerType != kGenericGridLayerType) continue;
    if (!t->sourcePath.empty()) {
      Line(t->sourcePath);
      Line(t->name);
    } else {
      Line(Payload(t->ThemeBytes(), "the grid theme " + t->name));
    }
  }

  // Section 5: the document's own vector themes (a run's overlays are written with the run).
  std::vector<const CVectorTheme*> vectors;
  for (const auto& v : doc_.vectorThemes)
    if (!HeldByRun(v.get())) vectors.push_back(v.get());
  Linef("%d", static_cast<int>(vectors.size()));
  for (const CVectorTheme* v : vectors) {
    Line(v->sourcePath);
    Line(v->name);
    Linef("%d %ld %d %d %ld %d %d %ld %d %d %d", v->visible ? 1 : 0, static_cast<long>(v->lineColor),
          v->lineStyle, v->lineWidth, static_cast<long>(v->pointColor), v->pointSymbol, v->pointSize,
          static_cast<long>(v->polygonColor), v->polygonStyle, v->polygonWidth, Flag(v));
  }

  // Section 6: contours.
  std::vector<const CContourTheme*> contours;
  for (const auto& c : doc_.contourThemes)
    if (!HeldByRun(c.get())) contours.push_back(c.get());
  Linef("%d", static_cast<int>(contours.size()));
  for (const CContourTheme* c : contours) {
    Line(Payload(c->ThemeBytes(), "the contour theme " + c->name));
    Line(c->name);
    Linef("%d %ld %d %d %f %d", c->visible ? 1 : 0, static_cast<long>(c->color), c->lineStyle, c->lineWidth,
          static_cast<double>(c->interval), Flag(c));
  }

  // Section 7: arrow themes read from point shapefiles.
  Linef("%d", static_cast<int>(doc_.windVectorThemes.size()));
  for (const auto& w : doc_.windVectorThemes) {
    Line(w->directionGridFile);
    Line(w->speedGridFile);
    Line(w->sourcePath);
    Line(w->name);
    ArrowLegend(doc_.FindWindVectorLegend(w.get()), *w, true);
  }

  // Section 9: areas with their legends and runs.
  Linef("%d", static_cast<int>(doc_.areas.size()));
  int visiblePosition = 0, areaPosition = 0, runPosition = 0, running = 0;
  for (const auto& t : doc_.gridThemes) {
    if (t.get() == visible) visiblePosition = running;
    ++running;
  }
  for (std::size_t a = 0; a < doc_.areas.size(); ++a) {
    const CPyrvane2WorkArea& area = *doc_.areas[a];
    if (&area == doc_.currentArea) areaPosition = static_cast<int>(a);
    Line(area.name);
    Linef("%f %f %f %f", area.east, area.north, area.west, area.south);
    Linef("%d", static_cast<int>(area.legends.size()));
    for (const auto& l : area.legends) RasterLegend(*l);
    Linef("%d", static_cast<int>(area.runs.size()));
    for (std::size_t r = 0; r < area.runs.size(); ++r) {
      for (const auto& t : area.runs[r]->outputThemes) {
        if (t.get() == visible) visiblePosition = running, runPosition = static_cast<int>(r);
        ++running;
      }
      Run(*area.runs[r]);
    }
  }

  Linef("%d %d %f", doc_.reliefShading, doc_.shadingAzimuth, static_cast<double>(doc_.shadingStrength));
  const MapViewState& v = doc_.mapView;
  Linef("%d %d %d %d %d %d %d %d %f", visible ? visible->layerType : -1, visiblePosition, areaPosition,
        runPosition, v.scrollX, v.scrollY, v.scrollWidth, v.scrollHeight, v.scale);
}

void Writer::OutputTheme(const CRun& run, const CTheme& theme) {
  Line(Payload(theme.ThemeBytes(), "the output theme " + theme.name + " of the run " + run.name));
  // Exactly one legend record follows, so that the reader stays in step.
  for (const auto& l : run.outputLegends)
    if (l->GetTheme() == &theme) return RasterLegend(*l);
  RasterLegend(CThemeLegendData());
}

void Writer::Run(const CRun& run) {
  const CRunInputs& in = run.inputs;
  const CRunOutputs& o = run.outputs;
  Line(run.name);
  Line(in.fuelMoistureFile);
  Line(in.customFuelsFile);
  Line(in.windFile);
  Line(in.weatherFile);
  Line(DateText(in.conditioningStart));
  Line(DateText(in.conditioningEnd));
  Linef("%d %d %d %d %f %f %f %f %d %d", in.windType, in.noConditioning ? 0 : 1, in.windDirection,
        in.windSpeed, in.projectValue1, in.projectValue2, in.projectValue3, in.foliarMoistureContent,
        in.useCustomFuelModels ? 1 : 0, in.windSpeedUnits);
  Line(in.weatherStreamFile);
  Linef("%d", in.useWeatherStream ? 1 : 0);
  // Wind grids: a line each, whatever the wind type, so that the reader stays in step.
  if (in.windType == 2) {
    Line(in.griddedWindDirectionFile);
    Line(in.griddedWindSpeedFile);
  } else if (in.windType == 4 && run.windDirectionGridTheme && run.windSpeedGridTheme) {
    Line(Payload(run.windDirectionGridTheme->ThemeBytes(), "the wind direction grid of the run " + run.name));
    Line(Payload(run.windSpeedGridTheme->ThemeBytes(), "the wind speed grid of the run " + run.name));
  } else {
    Line("");
    Line("");
  }
  Linef("%d", in.griddedWindsResolution);
  Linef("%d %f %f %f %d", in.diurnalGriddedWinds ? 1 : 0, in.diurnalAirTemperature, in.diurnalCloudCover,
        in.diurnalLongitude, in.diurnalTimeZone);
  Line(DateText(in.diurnalDateTime));
  ArrowBlock(run.windVectors);
  Linef("%d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d", o.spreadDirectionFixed ? 1 : 0,
        o.crownFireActivity ? 1 : 0, o.spreadDirectionFromNorth, o.ellipticalA ? 1 : 0, o.ellipticalB ? 1 : 0,
        o.ellipticalC ? 1 : 0, o.flameLength ? 1 : 0, o.fuelMoisture1 ? 1 : 0, o.fuelMoisture10 ? 1 : 0,
        o.heatPerUnitArea ? 1 : 0, o.horizontalMovementRate ? 1 : 0, o.firelineIntensity ? 1 : 0,
        o.maxSpreadDirection ? 1 : 0, o.midflameWindSpeed ? 1 : 0, o.solarRadiation ? 1 : 0,
        o.rateOfSpread ? 1 : 0, o.numberOfProcessors, o.spreadVectors ? 1 : 0, o.useMemoryOutputs ? 1 : 0,
        o.crownFireMethod);
  Linef("%d %d %d %d %d %d %d", o.maxSpotting ? 1 : 0, o.maxSpottingDirection ? 1 : 0,
        o.maxSpottingDistance ? 1 : 0, o.fuelMoisture100 ? 1 : 0, o.fuelMoisture1000 ? 1 : 0,
        o.maxSpotVectors ? 1 : 0, o.crownFractionBurned ? 1 : 0);
  // TOM result themes and the ideal landscape's layers are written in their own blocks.
  std::vector<const CTheme*> outputs;
  for (const auto& t : run.outputThemes) outputs.push_back(t.get());
  Linef("%d", static_cast<int>(outputs.size()));
  for (const CTheme* t : outputs) OutputTheme(run, *t);
  const auto& list = run.outputThemes;
  Linef("%d %d %d %d %d %d %d %d", Pos(list, run.ellipticalATheme), Pos(list, run.ellipticalBTheme),
        Pos(list, run.ellipticalCTheme), Pos(list, run.maxSpreadDirectionTheme), run.fireBehaviorUpToDate ? 1 : 0,
        run.mttUpToDate ? 1 : 0, run.tomUpToDate1 ? 1 : 0, run.tomUpToDate2 ? 1 : 0);
  Linef("%d %d %d", Pos(list, run.maxSpottingTheme), Pos(list, run.windDirectionGridTheme),
        Pos(list, run.windSpeedGridTheme));
  RunSecondHalf(run);
}

void Writer::RunSecondHalf(const CRun& run) {
  const CRunMTTSettings& m = run.mtt;
  Linef("%d %d %d %f %f %f %f %d %d %d %d %d %d %d", m.marker, m.ignitionSource, m.numberOfRandomFires,
        m.windAzimuthCopy, m.resolution, m.simulationTime, m.travelPathInterval, m.rateOfSpread, m.nodeInfluence,
        m.arrivalTime, m.firelineIntensity, m.flowPaths, m.majorPaths, m.arrivalContour);
  Line(m.ignitionFile);
  CompactVector(run.mttIgnitions, true);
  Line(m.barrierFile);
  CompactVector(run.mttBarriers, true);
  Linef("%d %d %f %d", m.ignitionGrid, m.fillBarriers, m.spotProbability, m.spotDelay);
  Linef("%d %d %d %d %d %d %d %d %d", m.lateralSearchDepth, m.verticalSearchDepth, m.burnProbabilities,
        m.perimeters, m.flpEnglish, m.flpMetric, m.fireSizeList, m.emberLocations, m.emberList);
  Line(m.fireListFile);
  const CRunTOMSettings& t = run.tom;
  Linef("%f %f %d %f %f %d %d %d %d %d %d %d %d %d", t.windAzimuthCopy, t.resolution, t.iterations,
        t.maxTreatmentDimension, t.treatmentFraction, t.treatmentOpportunities, t.treatments, t.rateOfSpread,
        t.nodeInfluence, t.arrivalTime, t.firelineIntensity, t.flowPaths, t.majorPaths, t.arrivalContour);
  Line(t.ignitionFile);
  CompactVector(run.tomIgnitions, false);
  Line(t.idealLandscapeFile);
  ArrowBlock(run.spreadVectors);
  ArrowBlock(run.maxSpotVectors);
  auto vectorBlock = [&](const CVectorTheme* v, const char* what) {
    if (!v) {
      Line("0 0");
      return false;
    }
    Linef("1 %d", Flag(v));
    Line(Payload(v->ThemeBytes(), std::string(what) + " of the run " + run.name));
    return true;
  };
  vectorBlock(run.flowPaths, "the flow paths");
  vectorBlock(run.majorPaths, "the major paths");
  if (run.arrivalContour) {
    Linef("1 %d", Flag(run.arrivalContour));
    Line(Payload(run.arrivalContour->ThemeBytes(), "the arrival contour of the run " + run.name));
  } else {
    Line("0 0");
  }
  if (vectorBlock(run.randomPerimeters, "the perimeters"))
    Linef("%d %d %ld %d", run.randomPerimeters->visible ? 1 : 0, run.randomPerimeters->lineWidth,
          static_cast<long>(run.randomPerimeters->lineColor), run.randomPerimeters->lineStyle);
  Linef("%d", static_cast<int>(run.runLogs.size()));
  for (const RunLogFile& log : run.runLogs) {
    Line(log.name);
    Line(Payload(log.text, "the run log " + log.name + " of the run " + run.name));
  }
  Linef("%d", run.tomOutputThemes[0] || run.tomOutputThemes[1] || run.tomOutputThemes[2] ||
                      run.tomOutputThemes[3]
                  ? 1
                  : 0);
  for (const CTheme* r : run.tomOutputThemes) {
    if (r)
      OutputTheme(run, *r);
    else
      Line("0");
  }
  const CRunEmbrithSettings& e = run.embrith;
  Linef("%d %d %d %d %d %d %d %d %d %d %d %d %d %d %d", e.perimeters, e.arrivalTime, e.crownFireActivity,
        e.firelineIntensity, e.flameLength, e.heatPerUnitArea, e.ignitionGrid, e.rateOfSpread, e.reactionIntensity,
        e.spotFireList, e.spotFireLocations, e.spreadDirection, run.isEmbrith ? 1 : 0, e.windVectors,
        e.spreadVectors);
  Linef("%d %d %f %f %f %f %d %f %f", e.accelerationOn, e.fillBarriers, e.distanceResolution,
        e.perimeterResolution, e.timeStep, e.spotProbability, e.spotIgnitionDelay, e.minimumSpotDistance,
        e.spotGridResolution);
  Line(e.ignitionFile);
  CompactVector(run.embrithIgnitions, false);
  Line(e.barrierFile);
  CompactVector(run.embrithBarriers, false);
  Line(e.rosAdjustFile);
  Linef("%d", static_cast<int>(e.burnPeriods.size()));
  for (const BurnPeriod& p : e.burnPeriods) Linef("%d %d %d %d", p.month, p.day, p.startHour, p.endHour);
  Line(e.atmFile);
  if (const CVectorTheme* p = run.embrithPerimeters; vectorBlock(p, "the fire perimeters"))
    Linef("%d %d %ld %d %d %d", p->visible ? 1 : 0, p->lineWidth, static_cast<long>(p->lineColor), p->lineStyle,
          p->perimeterDisplayMode, p->perimeterInterval);
  if (const CVectorTheme* s = run.spotLocations; vectorBlock(s, "the spot fires"))
    Linef("%d %d %ld %d", s->visible ? 1 : 0, s->pointSize, static_cast<long>(s->pointColor), s->pointSymbol);
  // The gridded-wind layer set goes with its arrows.
  if (run.embrithWindVectors && run.windGrids.count > 0) {
    Linef("1 %d", Flag(run.embrithWindVectors));
    const int number = entry_++;
    const std::string tif = platform::Join(scratch_, std::to_string(number) + ".tif");
    const std::string xml = platform::Join(scratch_, std::to_string(number) + ".xml");
    std::string why;
    if (runs::SaveWindGrids(run.windGrids, doc_.landscape.path, tif, xml, 0, 2, &why) != 1)
      throw SaveError("the gridded winds of the run " + run.name + " could not be written" +
                      (why.empty() ? std::string() : ": " + why));
    for (const std::string& file : {tif, xml}) {
      std::string bytes;
      if (!platform::ReadWholeFile(file, bytes))
        throw SaveError("the gridded winds of the run " + run.name + " could not be read back");
      Add(bytes, platform::FileName(file), "the gridded winds of the run " + run.name);
      std::remove(file.c_str());
    }
    Linef("%d.tif", number);
    Linef("%d.xml", number);
    Line(run.embrithWindVectors->name);
    ArrowLegend(doc_.FindWindVectorLegend(run.embrithWindVectors), *run.embrithWindVectors, false);
  } else {
    Line("0 -1");
  }
  ArrowBlock(run.embrithSpreadVectors);
}

// A private folder for the one payload whose writer needs files.
std::string MakeScratchFolder() {
  std::string pattern = platform::Join(platform::WorkingFolder(), "project-save-XXXXXX");
  if (!::mkdtemp(pattern.data())) return {};
  return pattern;
}

}  // namespace

void SetSaveFaultForTests(SaveFault fault) { g_fault = fault; }
void SetSaveKillStepForTests(int step) { g_killStep = step; }

bool SaveProject(CPVN4Doc& doc, const std::string& path) {
  const std::string companion = CompanionPath(path);
  const std::string kept = " The previous project file and archive are unchanged.";
  auto fail = [&](const std::string& why) {
    platform::Tell("Error saving the project " + path + ":\n" + why + "." + kept);
    return false;
  };
  const std::string scratch = MakeScratchFolder();
  if (scratch.empty()) return fail("no scratch folder could be made in " + platform::WorkingFolder());
  struct RemoveScratch {
    std::string folder;
    ~RemoveScratch() {
      std::error_code ec;
      std::filesystem::remove_all(folder, ec);
    }
  } removeScratch{scratch};

  // Both files are written under temporary names beside their targets.
  platform::TempFile archiveTemp;
  int err = 0;
  if (!platform::CreateTempBeside(companion, ".pzp", archiveTemp, &err))
    return fail("the archive " + companion + " cannot be written: " + std::strerror(err));
  platform::CloseTempFd(archiveTemp);
  struct DropTemp {
    platform::TempFile& t;
    bool keep = false;
    ~DropTemp() {
      if (!keep) std::remove(t.path.c_str());
    }
  } dropArchive{archiveTemp};

  std::string text;
  try {
    CZipArchive zip;
    zip.Open(archiveTemp.path, CZipArchive::zipCreate, 0);
    try {
      Writer writer(doc, zip, scratch);
      writer.Document();
      text = std::move(writer.text);
      KillPoint(1);
      if (g_fault == SaveFault::Archive) throw SaveError("the archive " + companion + " could not be completed");
      zip.SetGlobalComment(PairMark(text));
      zip.Close();
      KillPoint(2);
    } catch (...) {
      zip.Close(CZipArchive::closeAfterException);
      throw;
    }
  } catch (const SaveError& e) {
    return fail(e.what());
  } catch (const CZipException& e) {
    return fail("the archive " + companion + " could not be written: " + e.what());
  } catch (const std::bad_alloc&) {
    return fail("there was not enough memory");
  }

  platform::AtomicFile project(path);
  if (!project.Open() || !project.Write(text) || std::fflush(project.File()) != 0 ||
      ::fsync(::fileno(project.File())) != 0)
    return fail("the project file could not be written: " +
                std::string(std::strerror(project.Error() ? project.Error() : errno)));
  {
    const int fd = ::open(archiveTemp.path.c_str(), O_RDONLY);
    const bool synced = fd >= 0 && ::fsync(fd) == 0;
    if (fd >= 0) ::close(fd);
    if (!synced) return fail("the archive " + companion + " could not be written to the disk");
  }
  KillPoint(3);
  if (g_fault == SaveFault::Rename) return fail("the files could not be renamed");

  // The archive takes its place first; should the project file then fail to follow, the
  // previous archive is put back. Until the project file has followed, the previous archive
  // stays beside the new one as well, where a reader finds it should the program die between
  // the two renames (the archives' comments tell which one the project file belongs to).
  const std::string backup = PreviousCompanionPath(companion);
  std::remove(backup.c_str());
  const bool hadPrevious = ::link(companion.c_str(), backup.c_str()) == 0;
  if (std::rename(archiveTemp.path.c_str(), companion.c_str()) != 0) {
    if (hadPrevious) std::remove(backup.c_str());
    return fail("the archive " + companion + " could not be renamed: " + std::strerror(errno));
  }
  dropArchive.keep = true;
  KillPoint(4);
  if (!project.Commit()) {
    if (hadPrevious)
      std::rename(backup.c_str(), companion.c_str());
    else
      std::remove(companion.c_str());
    return fail("the project file could not be renamed: " + std::string(std::strerror(project.Error())));
  }
  KillPoint(5);
  if (hadPrevious) std::remove(backup.c_str());
  return true;
}

}  // namespace projectfile
