#pragma once
// What the colour-ramp dialogs do to their lists, without windows.
#include <memory>
#include <vector>

#include "themes/color_ramp.h"

namespace themes {

// Select Ramp Colors holds at most this many colours.
constexpr int kMaxRampDialogColors = 20;
constexpr COLORREF kNewRampColor = MakeColorRef(100, 100, 100);   // Manage Color Ramps' Add New
constexpr COLORREF kAddedRampColor = MakeColorRef(128, 128, 128); // Select Ramp Colors' Add Color

// The ramps Manage Color Ramps lists: copies of those with colours (the random ramp is not
// shown), in order.
std::vector<CColorRamp> ListedRamps(const std::vector<std::unique_ptr<CColorRamp>>& ramps);
// The application's list after OK: the random ramp, then copies of the listed ramps.
void StoreListedRamps(const std::vector<CColorRamp>& listed, std::vector<std::unique_ptr<CColorRamp>>& ramps);

// Select Ramp Colors. Each edit takes the selected index (-1 none) and returns the index
// selected afterwards; the list is unchanged when the edit is not allowed.
int AddRampColor(std::vector<COLORREF>& colors, int selected);  // grey, selected; none past 20
int DeleteRampColor(std::vector<COLORREF>& colors, int selected);  // never the last colour
enum class RampMove { Up, Down, Top, Bottom };
int MoveRampColor(std::vector<COLORREF>& colors, int selected, RampMove move);

// Set Relative Length Ramp: whether whole lengths from start to end can differ from row to
// row over `cells` rows.
bool RelativeLengthRangeFits(int start, int end, int cells);

}  // namespace themes
