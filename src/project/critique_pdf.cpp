// The PDF form of the critique: the summary page, then bar charts of every layer over the
// area and per fuel model. Charts are drawn on the platform canvas and handed to the PDF
// library from memory.
#include <hpdf.h>

#include <algorithm>
#include <cmath>

#include "platform/atomic_file.h"
#include "platform/numbers.h"
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

void CentredText(platform::Canvas& c, double x, double baseline, const std::string& text, double size, bool bold) {
  double w = 0, h = 0;
  c.MeasureText(text, size, bold, w, h);
  c.DrawText(x - w / 2, baseline, text, size, bold);
}

}  // namespace

platform::Image DrawHistogramImage(const std::vector<double>& values, const std::string& title,
                                   const std::string& verticalTitle, const std::string& horizontalTitle,
                                   const std::vector<std::string>& labels, int W, int H) {
  platform::Image image(W, H);
  if (image.IsEmpty()) return image;
  platform::Canvas c(image);
  c.Clear(platform::Rgba{255, 255, 255, 255});
  const int left = W / 8, right = W - 10, top = H / 10, bottom = H - H / 5;
  double g = 0;
  for (double v : values) g = std::max(g, v);
  double axisMaximum = 1, step = 0.2;
  AxisScale(g, axisMaximum, step);
  const double scale = (bottom - top) / axisMaximum;

  c.SetColour(kBlack);
  const double mid = left + (right - left) / 2;
  CentredText(c, mid, H / 20 + 1, title, H / 20, true);
  CentredText(c, mid, bottom + ((H / 5) / 3) * 2, horizontalTitle, H / 20 - 1, false);
  {
    // The vertical-axis title, turned a quarter to the left about its centre.
    cairo_t* cr = c.Context();
    double w = 0, h = 0;
    c.MeasureText(verticalTitle, W / 32, true, w, h);
    cairo_save(cr);
    cairo_translate(cr, left / 3.0, (bottom + H / 10) / 2.0);
    cairo_rotate(cr, -M_PI / 2);
    c.DrawText(-w / 2, h / 3, verticalTitle, W / 32, true);
    cairo_restore(cr);
  }

  c.SetLineWidth(2);
  c.DrawLine(left, top, left, bottom);
  c.DrawLine(left, bottom, right, bottom);

  const int n = std::max<int>(1, static_cast<int>(values.size()));
  const int barWidth = (right - left) / n;
  c.SetLineWidth(1);
  const double labelSize = H / 20 - 1;
  for (int i = 0; i < static_cast<int>(values.size()); ++i) {
    const double x = left + i * barWidth;
    const double barTop = bottom - scale * std::max(0.0, values[static_cast<std::size_t>(i)]);
    c.SetColour(platform::Rgba{125, 125, 125, 255});
    c.FillRect(x, barTop, barWidth, bottom - barTop);
    c.SetColour(kBlack);
    c.StrokeRect(x, barTop, barWidth, bottom - barTop);
    c.DrawLine(x, bottom, x, bottom + H / 40);
    const bool lower = values.size() > 11 && i % 2 == 1;
    if (i < static_cast<int>(labels.size()))
      CentredText(c, x + barWidth / 2.0, lower ? bottom + H / 10 : bottom + (H / 5) / 3, labels[static_cast<std::size_t>(i)],
                  labelSize, false);
  }
  for (double s = 0; s <= g; s += step) {
    const double y = bottom - s * scale;
    const std::string text = platform::FormatC("%.0f", s);
    double w = 0, h = 0;
    c.MeasureText(text, labelSize, false, w, h);
    c.DrawText(W / 8 - W / 24 - w, y, text, labelSize, false);
    c.DrawLine(W / 8, y, W / 8 - W / 32, y);
  }
  return image;
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
  // Places a chart at x = 50 below y; y becomes its bottom.
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

platform::Image LayerChart(const LayerReport& l, const ClassHistogram& h, const std::string& title, int width,
                           int height) {
  std::vector<double> values;
  for (int j = 0; j < h.ClassCount(); ++j) values.push_back(h.OverallPercent(j));
  return DrawHistogramImage(values, title, "Percent", l.units, l.labels, width, height);
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
        p.Chart(LayerChart(*l, l->overall, l->name, wide, 350));
        after();
      }
    {
      std::vector<double> values{r.fuels.OverallPercent(0)};
      std::vector<std::string> labels{"ND"};
      for (int j : r.order) {
        values.push_back(r.fuels.OverallPercent(j));
        labels.push_back(platform::FormatC("%.*f", r.fuelDecimals, r.fuels.values[static_cast<std::size_t>(j)]));
      }
      const int width = std::min(wide, std::max(300, 30 * static_cast<int>(values.size())));
      p.Chart(DrawHistogramImage(values, "Fuels", "Percent", r.fuelUnits, labels, width, 350));
      after();
    }
    for (int k : {4, 5, 6, 7})
      if (const LayerReport* l = Find(r, k)) {
        p.Chart(LayerChart(*l, l->overall, l->name, wide, 350));
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
      p.Chart(LayerChart(*l, l->byFuel[s], platform::FormatC("%s (FM %d)", l->name.c_str(), m), wide, high));
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
