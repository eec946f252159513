#include "themes/color_ramp.h"

void CColorRamp::SetColors(int count, const COLORREF* colors) {
  colors_.clear();
  if (count > 0 && colors) colors_.assign(colors, colors + count);
}

void InterpolateColors(COLORREF start, COLORREF end, int size, COLORREF* out) {
  if (size <= 0) return;
  if (size == 1) {
    out[0] = start;
    return;
  }
  const unsigned s[3] = {RedOf(start), GreenOf(start), BlueOf(start)};
  const unsigned e[3] = {RedOf(end), GreenOf(end), BlueOf(end)};
  float step[3];
  const float inv = 1.0f / static_cast<float>(size - 1);
  for (int c = 0; c < 3; ++c)
    step[c] = static_cast<float>(static_cast<int>(e[c]) - static_cast<int>(s[c])) * inv;
  for (int k = 0; k < size; ++k) {
    unsigned ch[3];
    for (int c = 0; c < 3; ++c)
      ch[c] = static_cast<unsigned>(
                  static_cast<int>(static_cast<float>(k) * step[c] + static_cast<float>(s[c]))) &
              0xFFu;
    out[k] = MakeColorRef(ch[0], ch[1], ch[2]);
  }
}

void MakeRgbRamp(COLORREF start, COLORREF end, int count, COLORREF* out) {
  if (count <= 1) {
    out[0] = start;
    return;
  }
  InterpolateColors(start, end, count, out);
}
