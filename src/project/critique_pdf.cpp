// The PDF form of the critique: the summary page, then bar charts of every layer over the
// area and per fuel model. Charts are drawn on the platform canvas and handed to the PDF
// library from memory.
#include <hpdf.h>

#include <algorithm>
#include <cmath>

#include "platform/atomic_file.h"
#include "platform/numbers.h"
#include "platform/value_text.h"
#include "project/critique.h"

namespace critique {

void AxisScale(double g, double& axisMaximum, double& step) {
  if (g > 60) {
    step = 20;
    axisMaximum = std::trunc(g * 1.1);
  } else if (g > 35) {
    step = 10;
    axisMaximum = std::trunc(g * 1.1);
  } else if (g > 15) {
    step = 5;
    axisMaximum = std::trunc(g * 1.1);
  } else if (g > 5) {
    step = 2;
    axisMaximum = std::trunc(g) + 1;
  } else if (g > 1) {
    step = 1;
    axisMaximum = std::trunc(g) + 1;
  } else {
    step = 0.2;
    axisMaximum = 1;
  }
}

namespace {

const platform::Rgba kBlack{0, 0, 0, 255};

// A text's extent above and below its baseline, generous enough for any face a reader uses.
double Ascent(double size) { return 0.95 * size; }
double Descent(double size) { return 0.35 * size; }

}  // namespace

ChartLayout LayoutHistogram(const std::vector<double>& values, const std::string& title,
                            const std::string& verticalTitle, const std::string& horizontalTitle,
                            const std::vector<std::string>& labels, int W, int H, const TextWidth& measure) {
  ChartLayout l;
  l.width = W;
  l.height = H;
  const double titleSize = H / 20, labelSize = H / 20 - 1, verticalSize = W / 32;
  const double gap = std::max(2, H / 100), margin = 2;
  double g = 0;
  for (double v : values) g = std::max(g, v);
  double axisMaximum = 1, step = 0.2;
  AxisScale(g, axisMaximum, step);

  // Vertical axis: tick labels right of the turned title, ticks right of the labels.
  l.tickLength = W / 32;
  std::vector<std::string> tickTexts;
  double tickWidth = 0;
  for (int k = 0; k * step <= g + 1e-9; ++k) {
    l.ticks.push_back(k * step);
    tickTexts.push_back(platform::FormatStored(k * step, step < 1 ? 1 : 0));
    tickWidth = std::max(tickWidth, measure(tickTexts.back(), labelSize, false));
  }
  const double verticalThickness = Ascent(verticalSize) + Descent(verticalSize);
  l.left = std::max(W / 8, static_cast<int>(std::ceil(margin + verticalThickness + gap + tickWidth + gap + l.tickLength)));
  l.right = W - 10;
  l.top = H / 10;

  // Class labels: all side by side when they fit, else upward or thinned, whichever keeps more.
  const int n = std::max<int>(1, static_cast<int>(values.size()));
  l.barWidth = std::max(1, (l.right - l.left) / n);
  double labelWidth = 0;
  for (const std::string& t : labels) labelWidth = std::max(labelWidth, measure(t, labelSize, false));
  const double labelThickness = Ascent(labelSize) + Descent(labelSize);
  const int flatEvery = static_cast<int>(std::ceil((labelWidth + gap) / l.barWidth));
  const int upEvery = static_cast<int>(std::ceil((labelThickness + gap) / l.barWidth));
  const bool upward = flatEvery > 1 && upEvery < flatEvery;
  const int every = std::max(1, upward ? upEvery : flatEvery);
  const double labelDepth = upward ? labelWidth : labelThickness;
  const double tickDown = H / 40;
  const double below = tickDown + gap + labelDepth + gap + labelThickness + margin;
  l.bottom = std::max(l.top + 1, std::min(H - H / 5, static_cast<int>(std::floor(H - below))));
  l.scale = (l.bottom - l.top) / axisMaximum;

  auto add = [&](double x, double y, const std::string& text, double size, bool bold, bool up) {
    l.texts.push_back(ChartText{x, y, text, size, bold, up});
  };
  const double mid = l.left + (l.right - l.left) / 2.0;
  add(mid - measure(title, titleSize, true) / 2, H / 20 + 1, title, titleSize, true, false);
  const double labelsTop = l.bottom + tickDown + gap;
  for (int i = 0; i < static_cast<int>(values.size()) && i < static_cast<int>(labels.size()); i += every) {
    const std::string& t = labels[static_cast<std::size_t>(i)];
    const double w = measure(t, labelSize, false), centre = l.left + i * l.barWidth + l.barWidth / 2.0;
    if (upward)
      add(centre + (Ascent(labelSize) - Descent(labelSize)) / 2, labelsTop + w, t, labelSize, false, true);
    else
      add(centre - w / 2, labelsTop + Ascent(labelSize), t, labelSize, false, false);
  }
  add(mid - measure(horizontalTitle, labelSize, false) / 2, labelsTop + labelDepth + gap + Ascent(labelSize),
      horizontalTitle, labelSize, false, false);
  const double tickRight = l.left - l.tickLength - gap;
  for (std::size_t k = 0; k < l.ticks.size(); ++k)
    add(tickRight - measure(tickTexts[k], labelSize, false), l.bottom - l.ticks[k] * l.scale + labelSize / 3,
        tickTexts[k], labelSize, false, false);
  // Centred on the plot's height, as far left as the image allows.
  add(margin + Ascent(verticalSize), (l.bottom + l.top) / 2.0 + measure(verticalTitle, verticalSize, true) / 2,
      verticalTitle, verticalSize, true, true);
  return l;
}

platform::Image PaintHistogram(const ChartLayout& l, const std::vector<double>& values, bool withTexts) {
  platform::Image image(l.width, l.height);
  if (image.IsEmpty()) return image;
  platform::Canvas c(image);
  c.Clear(platform::Rgba{255, 255, 255, 255});
  c.SetColour(kBlack);
  c.SetLineWidth(2);
  c.DrawLine(l.left, l.top, l.left, l.bottom);
  c.DrawLine(l.left, l.bottom, l.right, l.bottom);
  c.SetLineWidth(1);
  for (int i = 0; i < static_cast<int>(values.size()); ++i) {
    const double x = l.left + i * l.barWidth;
    const double barTop = l.bottom - l.scale * std::max(0.0, values[static_cast<std::size_t>(i)]);
    c.SetColour(platform::Rgba{125, 125, 125, 255});
    c.FillRect(x, barTop, l.barWidth, l.bottom - barTop);
    c.SetColour(kBlack);
    c.StrokeRect(x, barTop, l.barWidth, l.bottom - barTop);
    c.DrawLine(x, l.bottom, x, l.bottom + l.height / 40);
  }
  for (double s : l.ticks) {
    const double y = l.bottom - s * l.scale;
    c.DrawLine(l.left, y, l.left - l.tickLength, y);
  }
  if (withTexts)
    for (const ChartText& t : l.texts) {
      cairo_t* cr = c.Context();
      cairo_save(cr);
      cairo_translate(cr, t.x, t.y);
      if (t.upward) cairo_rotate(cr, -M_PI / 2);
      c.DrawText(0, 0, t.text, t.size, t.bold);
      cairo_restore(cr);
    }
  return image;
}

platform::Image DrawHistogramImage(const std::vector<double>& values, const std::string& title,
                                   const std::string& verticalTitle, const std::string& horizontalTitle,
                                   const std::vector<std::string>& labels, int W, int H) {
  platform::Image scratch(1, 1);
  platform::Canvas measuring(scratch);
  const ChartLayout layout =
      LayoutHistogram(values, title, verticalTitle, horizontalTitle, labels, W, H,
                      [&](const std::string& text, double size, bool bold) {
                        double w = 0, h = 0;
                        measuring.MeasureText(text, size, bold, w, h);
                        return w;
                      });
  return PaintHistogram(layout, values, true);
}

namespace {

struct Recorded {
  HPDF_STATUS error = 0;
  HPDF_STATUS detail = 0;
};

void OnPdfError(HPDF_STATUS error, HPDF_STATUS detail, void* user) {
  auto* r = static_cast<Recorded*>(user);
  if (r->error == 0) {
    r->error = error;
    r->detail = detail;
  }
}

// The document being written. Every library call goes through Ok(), and after the first
// failure nothing more is drawn.
class PdfWriter {
 public:
  PdfWriter() : pdf_(HPDF_New(OnPdfError, &recorded_)) {}
  ~PdfWriter() {
    if (pdf_) HPDF_Free(pdf_);
  }
  bool Created() const { return pdf_ != nullptr; }
  bool Failed() const { return failed_; }
  std::string Error() const {
    return platform::FormatC("ERROR: error_no=%04X, detail_no=%u\n", static_cast<unsigned>(recorded_.error),
                             static_cast<unsigned>(recorded_.detail));
  }
  bool Ok(HPDF_STATUS status) {
    if (status != HPDF_OK || recorded_.error != 0) failed_ = true;
    return !failed_;
  }
  template <class T>
  T* Need(T* handle) {
    if (!handle) failed_ = true;
    return handle;
  }

  HPDF_Doc pdf_;
  HPDF_Page page = nullptr;
  HPDF_Font regular = nullptr, bold = nullptr;
  HPDF_Outline root = nullptr;
  float w = 0, h = 0;
  int pageNumber = 1;
  double y = 0;
  double referenceHeight = 0;
  bool referenceMeasured = false;

  bool NewPage() {
    if (failed_) return false;
    page = Need(HPDF_AddPage(pdf_));
    if (!page) return false;
    w = HPDF_Page_GetWidth(page);
    h = HPDF_Page_GetHeight(page);
    return true;
  }
  void Text(HPDF_Font font, float size, double x, double yy, const std::string& text) {
    if (failed_) return;
    Ok(HPDF_Page_BeginText(page)) && Ok(HPDF_Page_SetFontAndSize(page, font, size)) &&
        Ok(HPDF_Page_TextOut(page, static_cast<HPDF_REAL>(x), static_cast<HPDF_REAL>(yy), text.c_str())) &&
        Ok(HPDF_Page_EndText(page));
  }
  void Centred(HPDF_Font font, float size, double yy, const std::string& text) {
    if (failed_) return;
    if (!Ok(HPDF_Page_SetFontAndSize(page, font, size))) return;
    const double tw = HPDF_Page_TextWidth(page, text.c_str());
    Text(font, size, (w - tw) / 2, yy, text);
  }
  void Footer() {
    Text(regular, 8, static_cast<int>(w * 9 * 0.1), 20, platform::FormatC("%d", pageNumber));
    ++pageNumber;
  }
  void PageBreak() {
    Footer();
    if (NewPage()) y = h - 50;
  }
  void Outline(const std::string& title) {
    if (failed_) return;
    HPDF_Outline entry = Need(HPDF_CreateOutline(pdf_, root, title.c_str(), nullptr));
    HPDF_Destination dst = entry ? Need(HPDF_Page_CreateDestination(page)) : nullptr;
    if (dst) Ok(HPDF_Destination_SetXYZ(dst, 0, h, 1)) && Ok(HPDF_Outline_SetDestination(entry, dst));
  }
  double TextWidth(const std::string& text, double size, bool bold) {
    const HPDF_TextWidth tw =
        HPDF_Font_TextWidth(bold ? this->bold : regular, reinterpret_cast<const HPDF_BYTE*>(text.c_str()),
                            static_cast<HPDF_UINT>(text.size()));
    return tw.width * size / 1000.0;
  }
  // A chart drawn with the document's own fonts: bars as a picture, texts as text.
  void Chart(const std::vector<double>& values, const std::string& title, const std::string& verticalTitle,
             const std::string& horizontalTitle, const std::vector<std::string>& labels, int width, int height) {
    if (failed_) return;
    const ChartLayout layout = LayoutHistogram(
        values, title, verticalTitle, horizontalTitle, labels, width, height,
        [this](const std::string& text, double size, bool b) { return TextWidth(text, size, b); });
    Chart(PaintHistogram(layout, values, false));
    if (failed_) return;
    // y is now the picture's bottom edge.
    for (const ChartText& t : layout.texts) {
      const double x = 50 + t.x, yy = y + layout.height - t.y;
      Ok(HPDF_Page_BeginText(page)) && Ok(HPDF_Page_SetFontAndSize(page, t.bold ? bold : regular, static_cast<HPDF_REAL>(t.size))) &&
          Ok(t.upward ? HPDF_Page_SetTextMatrix(page, 0, 1, -1, 0, static_cast<HPDF_REAL>(x), static_cast<HPDF_REAL>(yy))
                      : HPDF_Page_SetTextMatrix(page, 1, 0, 0, 1, static_cast<HPDF_REAL>(x), static_cast<HPDF_REAL>(yy))) &&
          Ok(HPDF_Page_ShowText(page, t.text.c_str())) && Ok(HPDF_Page_EndText(page));
    }
  }
  // Places a picture at x = 50 below y; y becomes its bottom.
  void Chart(const platform::Image& image) {
    if (failed_) return;
    if (image.IsEmpty()) {
      failed_ = true;
      return;
    }
    const std::vector<std::uint8_t> rgba = image.ToRgbaBytes();
    std::vector<std::uint8_t> rgb(rgba.size() / 4 * 3);
    for (std::size_t i = 0, j = 0; i + 3 < rgba.size(); i += 4) {
      rgb[j++] = rgba[i];
      rgb[j++] = rgba[i + 1];
      rgb[j++] = rgba[i + 2];
    }
    HPDF_Image img = Need(HPDF_LoadRawImageFromMem(pdf_, rgb.data(), static_cast<HPDF_UINT>(image.Width()),
                                                   static_cast<HPDF_UINT>(image.Height()), HPDF_CS_DEVICE_RGB, 8));
    if (!img) return;
    const double bottom = y - (image.Height() + 2);
    Ok(HPDF_Page_DrawImage(page, img, 50, static_cast<HPDF_REAL>(bottom), static_cast<HPDF_REAL>(image.Width()),
                           static_cast<HPDF_REAL>(image.Height())));
    y = bottom;
    if (!referenceMeasured) {
      referenceHeight = image.Height() + 2;
      referenceMeasured = true;
    }
  }

 private:
  Recorded recorded_;
  bool failed_ = false;
};

const LayerReport* Find(const Report& r, int layer) {
  for (const LayerReport& l : r.layers)
    if (l.layer == layer) return &l;
  return nullptr;
}

void LayerChart(PdfWriter& p, const LayerReport& l, const ClassHistogram& h, const std::string& title, int width,
                int height) {
  std::vector<double> values;
  for (int j = 0; j < h.ClassCount(); ++j) values.push_back(h.OverallPercent(j));
  p.Chart(values, title, "Percent", l.units, l.labels, width, height);
}

}  // namespace

bool WriteCritiquePdf(const CPVN4Doc& doc, const std::string& path, std::string& error) {
  PdfWriter p;
  if (!p.Created()) {
    error = "error: cannot create PdfDoc object\n";
    return false;
  }
  Report r;
  if (!Gather(doc, r)) {
    error = "The project has no analysis area.";
    return false;
  }
  p.Ok(HPDF_SetCompressionMode(p.pdf_, HPDF_COMP_IMAGE));
  p.Ok(HPDF_SetPageMode(p.pdf_, HPDF_PAGE_MODE_USE_OUTLINE));
  p.regular = p.Need(HPDF_GetFont(p.pdf_, "Helvetica", nullptr));
  p.bold = p.Need(HPDF_GetFont(p.pdf_, "Helvetica-Bold", nullptr));
  if (!p.Failed()) {
    p.root = p.Need(HPDF_CreateOutline(p.pdf_, nullptr, "Pyrvane 6 Landscape Critique", nullptr));
    if (p.root) p.Ok(HPDF_Outline_SetOpened(p.root, HPDF_TRUE));
  }

  // Page 1: the summary.
  if (p.NewPage()) {
    p.Outline("Summary");
    const double h = p.h;
    p.Centred(p.bold, 24, h - 50, "Pyrvane 6 Landscape Critique");
    p.Centred(p.regular, 12, h - 100, "Landscape File: " + r.path);
    const double y0 = h - 182;
    struct Pair {
      double dy;
      std::string a, av, b, bv;
    } pairs[] = {
        {0, "Latitude:", platform::FormatC("%.0f", static_cast<double>(r.latitude)), "", ""},
        {16, "Cell Resolution X:", platform::FormatC("%.2f", r.cellWidth), "Cell Resolution Y:",
         platform::FormatC("%.2f", r.cellHeight)},
        {32, "Num Cells East:", platform::FormatC("%.0f", static_cast<double>(r.columns)), "Num Cells North:",
         platform::FormatC("%.0f", static_cast<double>(r.rows))},
        {48, "UTM North:", platform::FormatC("%.4f", r.north), "UTM East:", platform::FormatC("%.4f", r.east)},
        {64, "UTM South:", platform::FormatC("%.4f", r.south), "UTM West:", platform::FormatC("%.4f", r.west)},
    };
    for (const Pair& pr : pairs) {
      p.Text(p.regular, 12, 100, y0 - pr.dy, pr.a);
      p.Text(p.regular, 12, 200, y0 - pr.dy, pr.av);
      if (!pr.b.empty()) {
        p.Text(p.regular, 12, 300, y0 - pr.dy, pr.b);
        p.Text(p.regular, 12, 400, y0 - pr.dy, pr.bv);
      }
    }
    p.Text(p.bold, 24, 50, y0 - 112, "Data Themes Present");
    double y = y0 - 144;
    for (const LayerReport& l : r.layers) {
      p.Text(p.regular, 12, 100, y, l.name);
      p.Text(p.regular, 12, 300, y, l.units);
      p.Text(p.regular, 12, 400, y, l.range);
      y -= 16;
    }
    if (!p.Failed())
      p.Ok(HPDF_Page_BeginText(p.page)) && p.Ok(HPDF_Page_SetFontAndSize(p.page, p.regular, 12)) &&
          p.Ok(HPDF_Page_TextRect(p.page, 50, static_cast<HPDF_REAL>(y - 100), p.w - 50, static_cast<HPDF_REAL>(y - 300),
                                  "All Data Theme Value Distributions are based on individual Data Theme Properties "
                                  "set in the Pyrvane 6 Project",
                                  HPDF_TALIGN_CENTER, nullptr)) &&
          p.Ok(HPDF_Page_EndText(p.page));
    p.Footer();
  }

  // Page 2 on: the charts over the whole area.
  if (p.NewPage()) {
    p.Outline("Data Theme Value Distributions");
    p.Text(p.bold, 24, 50, p.h - 50, "Data Theme Value Distributions");
    p.y = p.h - 82;
    const int wide = static_cast<int>(p.w) - 100;
    auto after = [&] {
      if (p.y - p.referenceHeight <= 0) p.PageBreak();
    };
    for (int k : {0, 1, 2})
      if (const LayerReport* l = Find(r, k)) {
        LayerChart(p, *l, l->overall, l->name, wide, 350);
        after();
      }
    {
      std::vector<double> values{r.fuels.OverallPercent(0)};
      std::vector<std::string> labels{"ND"};
      for (int j : r.order) {
        values.push_back(r.fuels.OverallPercent(j));
        labels.push_back(platform::FormatStored(r.fuels.values[static_cast<std::size_t>(j)], r.fuelDecimals));
      }
      const int width = std::min(wide, std::max(300, 30 * static_cast<int>(values.size())));
      p.Chart(values, "Fuels", "Percent", r.fuelUnits, labels, width, 350);
      after();
    }
    for (int k : {4, 5, 6, 7})
      if (const LayerReport* l = Find(r, k)) {
        LayerChart(p, *l, l->overall, l->name, wide, 350);
        after();
      }
    p.Footer();
  }

  // One group of pages per fuel model.
  for (std::size_t s = 0; s < r.order.size() && !p.Failed(); ++s) {
    const int m = static_cast<int>(r.fuels.values[static_cast<std::size_t>(r.order[s])]);
    if (!p.NewPage()) break;
    const std::string heading = platform::FormatC("Fuel Model %d Data Theme Value Distributions", m);
    p.Outline(heading);
    p.Text(p.bold, 12, 50, p.h - 50, heading);
    p.y = p.h - 50;
    const int wide = static_cast<int>(p.w) - 100;
    const int high = static_cast<int>((p.h - 100) * 0.5);
    auto chart = [&](int k) {
      const LayerReport* l = Find(r, k);
      if (!l) return false;
      LayerChart(p, *l, l->byFuel[s], platform::FormatC("%s (FM %d)", l->name.c_str(), m), wide, high);
      return true;
    };
    chart(0);
    chart(1);
    p.PageBreak();
    chart(2);
    chart(4);
    p.PageBreak();
    chart(5);
    if (chart(6)) p.PageBreak();
    chart(7);
    p.Footer();
  }

  if (p.Failed()) {
    error = p.Error();
    return false;
  }
  // Into memory, then onto disk atomically.
  if (!p.Ok(HPDF_SaveToStream(p.pdf_))) {
    error = p.Error();
    return false;
  }
  std::string bytes(HPDF_GetStreamSize(p.pdf_), '\0');
  HPDF_UINT32 size = static_cast<HPDF_UINT32>(bytes.size());
  // Reading the stream whole ends with its end-of-stream status.
  const HPDF_STATUS read =
      bytes.empty() ? HPDF_OK : HPDF_ReadFromStream(p.pdf_, reinterpret_cast<HPDF_BYTE*>(bytes.data()), &size);
  if ((read != HPDF_OK && read != HPDF_STREAM_EOF) || size != bytes.size() || bytes.empty()) {
    error = p.Error();
    return false;
  }
  if (!platform::WriteFileAtomically(path, bytes)) {
    error = "The file could not be written.";
    return false;
  }
  return true;
}

}  // namespace critique
