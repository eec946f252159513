#pragma once
// The application object: holder of the program-wide settings, read and written in place
// by every part, and the window-free half of start-up and shutdown.
#include <functional>
#include <memory>
#include <string>

#include "app/preferences_file.h"
#include "platform/image.h"
#include "platform/services.h"

// Where the application finds and keeps its files. Defaults come from the platform layer.
struct AppFolders {
  std::string programFolder;  // the executable's folder
  std::string dataFolder;     // read-only data: defaults.cfg, OnlineHelpURL.txt
  std::string configFolder;   // the user's Pyrvane6.cfg
  std::string workingFolder;  // scratch files, unless the preferences name another
  std::string lockPath;       // the single-instance marker
  static AppFolders Defaults();
};

constexpr int kRecentFileCount = 10;
constexpr const char* kPreferencesFileName = "Pyrvane6.cfg";
constexpr const char* kDefaultsFileName = "defaults.cfg";
constexpr const char* kHelpBaseFileName = "OnlineHelpURL.txt";
// The workspace colour the main window's client area starts with (0x00BBGGRR).
constexpr COLORREF kWorkspaceColor = 0xABABAB;

class CPVN4App : public StoredPreferences, public PreferenceLists {
 public:
  CPVN4App();
  ~CPVN4App();
  CPVN4App(const CPVN4App&) = delete;
  CPVN4App& operator=(const CPVN4App&) = delete;

  // ---- program-wide state (the preference fields come from the two bases) ----
  std::string helpFolder;
  std::string programFolder;
  std::string dataFolder;
  std::string configFolder;
  double vectorExaggeration = 1.0;  // not stored in the preferences file
  int threeDAvailable = 0;
  int directXMajor = 0, directXMinor = 0;
  char directXLetter = ' ';
  platform::Image backgroundImage;  // loaded from backgroundImagePath
  std::string helpBase;
  // The automatic choices offered by the weather editor and graphs (not stored).
  std::array<COLORREF, 3> wxRecordColorDefaults = {0xA4A0A0, 0xA0FFD2, 0x5780FF};
  std::array<COLORREF, 5> wxSeriesColorDefaults = {0x0A0AFF, 0x0ADC0A, 0xDC0ADC, 0xDC0A0A, 0x780A0A};
  std::array<COLORREF, 5> wxHLineColorDefaults = {0x969696, 0x969696, 0x969696, 0x969696, 0x969696};
  COLORREF wxVLineColorDefault = 0xE1E1E1;
  bool firstInstance = false;
  // Loads the background image; PNG by default, the GUI installs a loader for its formats.
  std::function<bool(const std::string& path, platform::Image& image)> imageLoader;

  // ---- start-up and shutdown without windows ----
  // Folders, raster library, preference defaults, the preferences chain, the help base,
  // and the first-copy marker with the removal of old "*.pvb" scratch files.
  bool Startup(const AppFolders& folders = AppFolders::Defaults());
  // The folders alone (the first step of Startup).
  void SetFolders(const AppFolders& folders);
  // Writes the user's preferences file (failures are silent), frees the lists, releases the
  // first-copy marker and, when asked, shuts the raster library down.
  void Shutdown(bool shutDownRasterLibrary = true);

  // ---- preferences ----
  bool WritePreferencesFile(const std::string& path);
  // False when the file cannot be opened, or is damaged (then nothing changes; the reason
  // goes to damage when given).
  bool ReadPreferencesFile(const std::string& path, std::string* damage = nullptr);
  // The user's file, else the shipped defaults, else the built-in defaults; with useDefaults
  // the shipped defaults first. A damaged user file is kept as "Pyrvane6.cfg.bad" and named
  // in a message.
  void LoadPreferences(bool useDefaults);
  void FreePreferenceLists();
  bool SavePreferences();
  std::string PreferencesPath() const;
  std::string DefaultsPath() const;
  // Sets the working folder of the application and of the scratch-file names.
  void SetWorkingFolder(const std::string& folder);

  // Preference commands; each returns true when the preferences sheet should open next.
  bool OnLoadDefaultPreferences();
  bool OnSavePreferencesAs();
  bool OnLoadSavedPreferences();

  // The predefined legend that new themes of a layer type (or wind-vector kind) copy: the
  // one of that type or kind named by its preference when the preference asks for one;
  // nullptr when it does not or no such legend exists.
  const CPredefinedThemeLegend* PredefinedLegendFor(int layerType) const;
  const CPredefinedWVThemeLegend* PredefinedWVLegendFor(int kind) const;

  // ---- help ----
  // Opens the page of a topic under the help base; the shell's result.
  bool ShowHelpTopic(int topic);
  // Re-reads the help base from the data folder's "OnlineHelpURL.txt".
  void ReadHelpBase();

  // ---- layer names and scratch files (reserved names; the caller removes the file) ----
  static const char* GetLayerTypeName(int layerType);
  static std::string GetTempJpgFileName() { return ::GetTempJpgFileName(); }
  static std::string GetTempPngFileName() { return ::GetTempPngFileName(); }
  static std::string GetTempTifFileName() { return ::GetTempTifFileName(); }
  static std::string GetTempPvbFileName() { return ::GetTempPvbFileName(); }
  static std::string GetTempShpFileName() { return ::GetTempShpFileName(); }

 private:
  void ApplyBuiltInDefaults();
  void LoadBackgroundImage();
  void RemoveScratchRasterFiles();

  std::unique_ptr<platform::SingleInstanceLock> lock_;
  std::string defaultWorkingFolder_;
};

// The one application object of the process.
CPVN4App& GetApp();
