#include "app/help.h"

#include <fstream>

#include "app/layer_types.h"
#include "platform/messages.h"
#include "platform/paths.h"
#include "platform/services.h"

const char* const kBuiltInHelpBase = "https://help.pyrvane.org/pyrvane6/";

namespace {

const char* const kDefaultPage = "EMBRITH/EMBRITH_Wx_Inputs.htm";

// Topic 1-55; nullptr marks the rows that open the default page.
const char* const kTopicPages[56] = {
    nullptr,
    "DisplayCMDs/RH_Options_Menu.htm#EditPreferences",
    "DisplayCMDs/RH_View_Menu.htm#3D",
    "DisplayCMDs/RH_View_Menu.htm#3Doptions",
    nullptr,
    "EMBRITH/EMBRITH_Weather_Stream_and_Burn_Periods.htm",
    "DisplayCMDs/RH_Options_Menu.htm#ManageColorRamps",
    "FileTypes/PU_Grid_Files.htm#ContourAuxGrid",
    "AUX_VectorContour.htm#Properties",
    "AUX_VectorContour.htm#ArrangingThemes",
    "FileTypes/PU_Initial_Fuel_Moistures.htm",
    "FileTypes/PU_Custom_Fuel_Model_File.htm",
    "FileTypes/PU_Weather_File.htm",
    "FileTypes/PU_Wind_File.htm",
    "FileTypes/PU_Adjustment_Factors.htm",
    nullptr,
    "EMBRITH/EMBRITH_Outputs_Tab.htm",
    "EMBRITH/EMBRITH_Model_Settings_Tab.htm",
    "FileTypes/Wind_Vectors.htm#EMBRITH_Gustforge_Options",
    "Tutorial/TU_Load_LCP_and_Themes.htm",
    "AnalysisCMDs/AUX_Grid_Themes.htm",
    "Runs/Text_Outputs.htm",
    "Runs/Output_Grids.htm",
    "AnalysisCMDs/PV_Project.htm",
    "Runs/Runs.htm#IndividualRun",
    "Runs/Runs.htm",
    "FileTypes/PU_Grid_Files.htm#Grid_Theme_Commands",
    "Runs/Using_Output_Vectors.htm",
    "AUX_VectorContour.htm",
    "AnalysisCMDs/AA_Landscape.htm",
    "AnalysisCMDs/AA_Analysis_Areas.htm#NewAnalysisArea",
    "AnalysisCMDs/AA_Analysis_Areas.htm",
    "AnalysisCMDs/LU_Generate_Landscape.htm#Revising_an_Existing_LCP_File",
    "AnalysisCMDs/PV_Open_Landscape.htm",
    "AnalysisCMDs/AUX_Grid_Themes.htm#NewGridTheme",
    "AUX_VectorContour.htm#NewVectorTheme",
    "AUX_VectorContour.htm#Contours",
    "FileTypes/Wind_Vectors.htm",
    "AnalysisCMDs/Wind_Vectors.htm",
    "Runs/Using_Output_Vectors.htm",
    "AnalysisCMDs/LU_Generate_Landscape.htm",
    "AnalysisCMDs/Editing_a_Landscape.htm",
    "AnalysisCMDs/Create_Edit_Rules.htm",
    "FileTypes/PU_Grid_Files.htm#Properties",
    "Runs/Minimum_Travel_Time_Tab.htm",
    "DisplayCMDs/VectorDisplay.htm#Points",
    "DisplayCMDs/VectorDisplay.htm#Lines_Contours_Polygons",
    "DisplayCMDs/RH_Options_Menu.htm#ManagePredefinedLegends",
    "DisplayCMDs/VectorDisplay.htm#Spread_Wind_Max_Spot_Vectors",
    "FileTypes/PU_Grid_Files.htm#Statistics",
    "Runs/Inputs_Tab.htm",
    "Runs/Fire_Behavior_Options_Tab.htm",
    "Runs/Treatment_Optimization_Model_Tab.htm",
    "DisplayCMDs/VectorDisplay.htm#Points",
    "FileTypes/Wind_Vectors.htm#Pyrvane_Gustforge_Options",
    "FileTypes/Weather_Stream_File.htm#Using_the_Custom_Weather_Stream_File_Editor",
};

}  // namespace

std::string GetHelpTopicPath(int topic) {
  if (topic <= 0 || topic > 55) return "";
  return kTopicPages[topic] ? kTopicPages[topic] : kDefaultPage;
}

std::string ComposeHelpAddress(const std::string& base, int topic) { return base + GetHelpTopicPath(topic); }

std::optional<std::string> ReadHelpBaseFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string line;
  std::getline(in, line);
  StripLineEnd(line);
  if (line.empty()) return std::nullopt;
  return line;
}

bool OpenHelpAddress(const std::string& address) {
  const bool local = address.find("://") == std::string::npos && !address.empty() &&
                     (address[0] == '/' || address[0] == '\\');
  const std::string url = local ? "file://" + platform::ToNative(address) : address;
  if (platform::ShellOpenUrl(url)) return true;
  platform::Tell("Cannot show the help page " + url + ": no web browser could be started.");
  return false;
}
