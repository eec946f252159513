// Arrow point shapefiles: the input is split by its first four bytes into the ".shp", ".shx"
// and ".dbf" files; any bytes must load or be refused without crashing, hanging or
// allocating beyond the files' sizes, and a loaded theme must draw.
#include "fuzz_themes_input.h"
#include "platform/messages.h"
#include "themes/wind_vector_theme.h"
#include "themes/wv_legend.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  const std::size_t rest = size - 4;
  const std::size_t a = (data[0] | data[1] << 8) % (rest + 1);
  const std::size_t b = (data[2] | data[3] << 8) % (rest - a + 1);
  const std::uint8_t* p = data + 4;
  WriteFuzzInput(p, a, "arrows.shp");
  WriteFuzzInput(p + a, b, "arrows.shx");
  const std::string path = WriteFuzzInput(p + a + b, rest - a - b, "arrows.dbf");
  platform::ScopedRecordingMessages quiet;
  CWindVectorTheme theme;
  const std::string shp = path.substr(0, path.size() - 4) + ".shp";
  if (theme.LoadShapefile(shp, -1e12, 1e12, 1e12, -1e12)) {
    CWVLegendData legend;
    legend.AddEntry(CWVLegendEntry(0, 0, 1));
    legend.AddEntry(CWVLegendEntry(10, 0, 3));
    theme.ArrowsToDraw(legend, theme.west, theme.north, theme.east, theme.south, 64, 64, 1.0);
  }
  return 0;
}
