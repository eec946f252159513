#pragma once
// Colours of legends, ramps and preferences, and the ramps that colour legend classes.
#include <cstdint>
#include <vector>

// 0x00BBGGRR, as stored in legends, ramps and the preferences file.
using COLORREF = std::uint32_t;

constexpr COLORREF MakeColorRef(unsigned red, unsigned green, unsigned blue) {
  return (red & 0xFFu) | ((green & 0xFFu) << 8) | ((blue & 0xFFu) << 16);
}
constexpr unsigned RedOf(COLORREF c) { return c & 0xFFu; }
constexpr unsigned GreenOf(COLORREF c) { return (c >> 8) & 0xFFu; }
constexpr unsigned BlueOf(COLORREF c) { return (c >> 16) & 0xFFu; }

// A list of colours from which legend classes are coloured by interpolation.
// A ramp without colours stands for random colours.
class CColorRamp {
 public:
  CColorRamp() = default;
  CColorRamp(std::vector<COLORREF> colors) : colors_(std::move(colors)) {}
  virtual ~CColorRamp() = default;

  // count <= 0 (or no colours) leaves a random ramp.
  void SetColors(int count, const COLORREF* colors);
  int GetCount() const { return static_cast<int>(colors_.size()); }
  COLORREF GetColor(int i) const { return colors_[static_cast<std::size_t>(i)]; }
  const std::vector<COLORREF>& Colors() const { return colors_; }
  bool IsRandom() const { return colors_.empty(); }

  bool operator==(const CColorRamp&) const = default;

 private:
  std::vector<COLORREF> colors_;
};

// count colours from start to end, channel by channel (count <= 1 gives just start).
// out must hold max(count, 1) colours.
void MakeRgbRamp(COLORREF start, COLORREF end, int count, COLORREF* out);

// The channel interpolation shared by MakeRgbRamp and legend colouring: colour k of
// size colours from start to end (k = 0 is start, k = size - 1 is end).
void InterpolateColors(COLORREF start, COLORREF end, int size, COLORREF* out);
