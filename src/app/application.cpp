#include "app/application.h"

#include <cpl_conv.h>
#include <cpl_multiproc.h>
#include <gdal.h>

#include <clocale>
#include <filesystem>

#include "app/help.h"
#include "app/layer_types.h"
#include "platform/atomic_file.h"
#include "platform/dialogs.h"
#include "platform/folders.h"
#include "platform/messages.h"
#include "platform/paths.h"
#include "platform/temp_files.h"

namespace {

// Larger preference files than this are not ours.
constexpr std::uintmax_t kMaxPreferencesFileSize = 64u << 20;

// The file dialog of the preference files' Save As and Load.
platform::FileDialogOptions ConfigFileDialog(bool save) {
  platform::FileDialogOptions o;
  o.title = "Pyrvane2 Config File";
  o.filter = "Pyrvane Archives (*.cfg)|*.cfg||";
  o.defaultExt = "cfg";
  o.overwritePrompt = save;
  return o;
}

}  // namespace

AppFolders AppFolders::Defaults() {
  AppFolders f;
  f.programFolder = platform::ProgramFolder();
  f.dataFolder = platform::DataFolder();
  f.configFolder = platform::ConfigFolder();
  f.workingFolder = platform::WorkingFolder();
  f.lockPath = platform::SingleInstanceLock::DefaultPath();
  return f;
}

CPVN4App::CPVN4App() : helpBase(kBuiltInHelpBase) {
  imageLoader = [](const std::string& path, platform::Image& image) { return image.LoadPng(path); };
}

CPVN4App::~CPVN4App() = default;

CPVN4App& GetApp() {
  static CPVN4App app;
  return app;
}

const char* CPVN4App::GetLayerTypeName(int layerType) { return ::GetLayerTypeName(layerType); }

bool CPVN4App::Startup(const AppFolders& folders) {
  SetFolders(folders);
  // Numbers in files never follow the user's decimal separator.
  std::setlocale(LC_NUMERIC, "C");

  // Statistics, histograms and band labels go to auxiliary files beside the rasters.
  // GDAL_DATA is left to the installation: the system's GDAL knows where its data lives.
  CPLSetConfigOption("GDAL_PAM_ENABLED", "YES");
  GDALAllRegister();

  for (int i = 0; i < kLayerTypeCount; ++i) themePrefs[static_cast<std::size_t>(i)].layerType = i;
  for (int k = 0; k < 3; ++k) windVectorPrefs[static_cast<std::size_t>(k)].kind = k;
  backgroundColor = kWorkspaceColor;

  LoadPreferences(false);
  ReadHelpBase();

  // Saves cut short by a crash of any copy leave temporary files beside their targets.
  platform::RemoveStaleTemporaries();

  lock_ = std::make_unique<platform::SingleInstanceLock>(folders.lockPath);
  if (lock_->IsFirst()) {
    RemoveScratchRasterFiles();
    firstInstance = true;
  } else {
    lock_.reset();
    firstInstance = false;
  }
  return true;
}

void CPVN4App::SetFolders(const AppFolders& folders) {
  programFolder = folders.programFolder;
  helpFolder = platform::Join(programFolder, "WebHelp");
  dataFolder = folders.dataFolder;
  configFolder = folders.configFolder;
  defaultWorkingFolder_ = folders.workingFolder;
  SetWorkingFolder(folders.workingFolder);
}

void CPVN4App::Shutdown(bool shutDownRasterLibrary) {
  if (!SavePreferences()) platform::Tell("Error saving config file!\n" + PreferencesPath());
  FreePreferenceLists();
  if (firstInstance) lock_.reset();
  if (shutDownRasterLibrary) {
    GDALDestroyDriverManager();
    CPLCleanupTLS();
  }
}

void CPVN4App::RemoveScratchRasterFiles() {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::directory_iterator it(workingFolder, ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    const fs::path& p = it->path();
    if (p.extension() == ".pvb" && it->is_regular_file(ec)) fs::remove(p, ec);
  }
}

void CPVN4App::SetWorkingFolder(const std::string& folder) {
  workingFolder = folder;
  platform::SetWorkingFolder(folder);
}

std::string CPVN4App::PreferencesPath() const { return platform::Join(configFolder, kPreferencesFileName); }
std::string CPVN4App::DefaultsPath() const { return platform::Join(dataFolder, kDefaultsFileName); }

bool CPVN4App::WritePreferencesFile(const std::string& path) {
  return platform::WriteFileAtomically(path, FormatPreferences(*this, *this));
}

bool CPVN4App::SavePreferences() {
  platform::MakeFolders(configFolder);
  return WritePreferencesFile(PreferencesPath());
}

bool CPVN4App::ReadPreferencesFile(const std::string& path, std::string* damage) {
  std::error_code ec;
  auto size = std::filesystem::file_size(path, ec);
  if (!ec && size > kMaxPreferencesFileSize) {
    if (damage) *damage = "the file is too large";
    return false;
  }
  std::string text;
  if (!platform::ReadWholeFile(path, text)) return false;
  std::string error;
  if (!ParsePreferences(text, *this, *this, error)) {
    if (damage) *damage = error;
    return false;
  }
  platform::SetWorkingFolder(workingFolder);
  LoadBackgroundImage();
  return true;
}

void CPVN4App::LoadBackgroundImage() {
  if (backgroundImagePath.empty()) return;
  platform::Image image;
  if (imageLoader && imageLoader(backgroundImagePath, image))
    backgroundImage = std::move(image);
  else
    backgroundImage = platform::Image();
}

void CPVN4App::LoadPreferences(bool useDefaults) {
  auto tryRead = [this](const std::string& path, bool keepCopy) {
    std::string damage;
    if (ReadPreferencesFile(path, &damage)) return true;
    if (!damage.empty()) {
      std::string text = "The preferences file " + path + " is damaged (" + damage + ") and was not used.";
      std::string bytes;
      if (keepCopy && platform::ReadWholeFile(path, bytes) && platform::WriteFileAtomically(path + ".bad", bytes))
        text += "\nIt was kept as " + path + ".bad.";
      platform::Tell(text);
    }
    return false;
  };
  if (useDefaults) {
    if (tryRead(DefaultsPath(), false)) return;
  } else {
    if (tryRead(PreferencesPath(), true)) return;
    if (tryRead(DefaultsPath(), false)) return;
  }
  ApplyBuiltInDefaults();
}

void CPVN4App::ApplyBuiltInDefaults() {
  // The user's cache folder rather than the (read-only) program folder.
  SetWorkingFolder(defaultWorkingFolder_.empty() ? platform::WorkingFolder() : defaultWorkingFolder_);
  for (int i = 0; i < kLayerTypeCount; ++i) {
    int decimals = 9;
    if (i <= 6 || i == 42)
      decimals = 0;
    else if (i == 10 || (i >= 16 && i <= 18) || (i >= 28 && i <= 30))
      decimals = 2;
    themePrefs[static_cast<std::size_t>(i)].SetStandardDefaults(i, 20, decimals);
  }
}

void CPVN4App::FreePreferenceLists() {
  colorRamps.clear();
  predefinedLegends.clear();
  predefinedWVLegends.clear();
}

bool CPVN4App::OnLoadDefaultPreferences() {
  if (!platform::AskYesNo(
          "Loading default preferences will overwrite any current preferences you have defined. Continue?"))
    return false;
  FreePreferenceLists();
  LoadPreferences(true);
  return true;
}

bool CPVN4App::OnSavePreferencesAs() {
  auto path = platform::CurrentDialogs().ChooseSaveFile(ConfigFileDialog(true));
  if (!path) return false;
  platform::Tell(WritePreferencesFile(*path) ? "Config file successfully saved to disk" : "Error saving config file!");
  return false;
}

bool CPVN4App::OnLoadSavedPreferences() {
  auto path = platform::CurrentDialogs().ChooseOpenFile(ConfigFileDialog(false));
  if (!path) return false;
  FreePreferenceLists();
  if (ReadPreferencesFile(*path)) return true;
  LoadPreferences(false);
  platform::Tell("Error loading config file!");
  return false;
}

const CPredefinedThemeLegend* CPVN4App::PredefinedLegendFor(int layerType) const {
  if (layerType < 0 || layerType >= kLayerTypeCount) return nullptr;
  const CThemePreference& pref = themePrefs[static_cast<std::size_t>(layerType)];
  if (!pref.usePredefinedLegend || pref.predefinedLegendName.empty()) return nullptr;
  for (const auto& l : predefinedLegends)
    if (l->layerType == layerType && l->name == pref.predefinedLegendName) return l.get();
  return nullptr;
}

const CPredefinedWVThemeLegend* CPVN4App::PredefinedWVLegendFor(int kind) const {
  if (kind < 0 || kind > 2) return nullptr;
  const CWindVectorPreferences& pref = windVectorPrefs[static_cast<std::size_t>(kind)];
  if (!pref.usePredefinedLegend || pref.predefinedLegendName.empty()) return nullptr;
  for (const auto& l : predefinedWVLegends)
    if (l->kind == kind && l->name == pref.predefinedLegendName) return l.get();
  return nullptr;
}

bool CPVN4App::ShowHelpTopic(int topic) { return OpenHelpAddress(ComposeHelpAddress(helpBase, topic)); }

void CPVN4App::ReadHelpBase() {
  if (auto base = ReadHelpBaseFile(platform::Join(dataFolder, kHelpBaseFileName))) helpBase = *base;
}
