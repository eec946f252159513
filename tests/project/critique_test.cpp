// The landscape critique: class counts judged by numpy over GDAL's reading of the landscape,
// the HTML by xmllint, the PDF by pdfinfo, pdftotext and pdfimages.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "app/application.h"
#include "platform/dialogs.h"
#include "platform/value_text.h"
#include "platform/services.h"
#include "project/critique.h"
#include "project/work_area.h"
#include "project_test_support.h"
#include "themes/legend.h"

namespace {

using project_test::RunCommand;

TEST(ClassHistogram, CountsValuesIntoTheirClasses) {
  ClassHistogram h(4, {0, 0, 10, 20});
  for (double x : {5.0, 10.0, 15.0, 25.0, -3.0, -9999.0}) h.Add(x);
  EXPECT_EQ(h.counts, (std::vector<long long>{1, 2, 2, 1}));  // -3 falls in the first class
  EXPECT_EQ(h.total, 6);
  EXPECT_EQ(h.data, 5);
  EXPECT_DOUBLE_EQ(h.Percent(1), 40.0);
  EXPECT_NEAR(h.OverallPercent(0), 100.0 / 6, 1e-12);

  // A legend of "No Data" alone: values are counted as data, in no class, and nothing overruns.
  ClassHistogram only(1, {0});
  only.Add(12);
  only.Add(-9999);
  EXPECT_EQ(only.counts, (std::vector<long long>{1}));
  EXPECT_EQ(only.data, 1);
  // Only no-data cells: every Percent 0, the no-data Overall Percent 100.
  ClassHistogram empty(2, {0, 5});
  empty.Add(-9999);
  EXPECT_EQ(empty.Percent(0), 0.0);
  EXPECT_EQ(empty.Percent(1), 0.0);
  EXPECT_EQ(empty.OverallPercent(0), 100.0);
}

TEST(CritiqueChart, AxisScaleByTheLargestBar) {
  struct Case {
    double g, max, step;
  } cases[] = {{60, 66, 10}, {61, 67, 20}, {3, 4, 1}, {0.5, 1, 0.2}, {20, 22, 5}, {6.5, 7, 2}};
  for (const Case& c : cases) {
    double max = 0, step = 0;
    critique::AxisScale(c.g, max, step);
    EXPECT_EQ(max, c.max) << c.g;
    EXPECT_EQ(step, c.step) << c.g;
  }
}

class Critique : public project_test::ProjectTest {
 protected:
  // A GDAL-written landscape (8 bands) whose name needs escaping in HTML.
  CPVN4Doc& OpenGdalLandscape() {
    lcp_ = Path("a&b <c>.lcp");
    RunCommand(std::string(PV_PYTHON) + " " PV_SOURCE_DIR "/tests/landscape/gdal_oracle.py write_lcp '" + lcp_ +
               "' 8 0 0 11 > /dev/null");
    doc_ = std::make_unique<CPVN4Doc>();
    EXPECT_EQ(doc_->OpenLandscape(lcp_), 1);
    return *doc_;
  }
  // The legend classes of each band in display units, and the display factor, for the oracle.
  std::string LegendSpecs(CPVN4Doc& doc) {
    std::string out;
    for (int k = 0; k < 8; ++k) {
      const CTheme* t = doc.GetThemeByLayerType(k);
      const CThemeLegendData* l = doc.currentArea->GetLegendDataByLayerType(k);
      if (!t || !l) continue;
      std::ostringstream s;
      s.precision(17);
      s << " " << k + 1 << ":" << t->ConvertToDisplayUnits(100.0f, *l) / 100.0 << ":";
      for (int j = 1; j < l->GetCount(); ++j) s << (j > 1 ? "," : "") << l->GetEntry(j).GetValue();
      out += s.str();
    }
    return out;
  }
  std::string lcp_;
  platform::ScopedRecordingMessages messages_;
  platform::ScopedScriptedDialogs dialogs_;
  platform::ScopedRecordingShell shell_;
};

TEST_F(Critique, HtmlTablesEqualNumpyCountsAndPassXmllint) {
  CPVN4Doc& doc = OpenGdalLandscape();
  const std::string html = Path("report");
  dialogs_.AnswerSaveFile(html);
  critique::OnCritiqueHtml(doc);
  EXPECT_TRUE(messages_.Texts().empty());
  EXPECT_EQ(shell_.Opened(), std::vector<std::string>{"file:" + html + ".html"});
  RunCommand("xmllint --html --noout '" + html + ".html' 2>&1");
  const std::string text = project_test::RunCommand("cat '" + html + ".html'");
  EXPECT_NE(text.find("<h1>Landscape File: " + Path("a&amp;b &lt;c&gt;.lcp") + "</h1>"), std::string::npos);
  std::map<std::string, std::string> kv;
  std::istringstream out(RunCommand(std::string(PV_PYTHON) + " " PV_SOURCE_DIR "/tests/project/critique_oracle.py html '" +
                                    lcp_ + "' '" + html + ".html'" + LegendSpecs(doc)));
  for (std::string line; std::getline(out, line);)
    if (auto eq = line.find('='); eq != std::string::npos) kv[line.substr(0, eq)] = line.substr(eq + 1);
  EXPECT_EQ(kv["fuels.mismatch"], "0");
  EXPECT_EQ(kv["fuels.descending"], "1");
  EXPECT_EQ(kv["sections.order"], "1");
  EXPECT_EQ(kv["tables.mismatch"], "0") << kv["tables.first_mismatch"] << " " << kv["tables.got"];
  const int sections = std::stoi(kv["sections"]);
  EXPECT_GT(sections, 5);
  EXPECT_EQ(kv["tables.checked"], std::to_string(7 * (1 + sections)));
}

TEST_F(Critique, PdfHasItsPagesTextsAndOneChartPerHistogram) {
  CPVN4Doc& doc = OpenGdalLandscape();
  critique::Report report;
  ASSERT_TRUE(critique::Gather(doc, report));
  const int fuels = static_cast<int>(report.order.size());
  const std::string pdf = Path("report.pdf");
  dialogs_.AnswerSaveFile(pdf);
  critique::OnCritiquePdf(doc);
  EXPECT_TRUE(messages_.Texts().empty()) << messages_.Texts().front();
  EXPECT_EQ(shell_.Opened(), std::vector<std::string>{"file:" + pdf});

  // Summary, four pages of two charts and the page after the last break, four per fuel model.
  const int pages = 1 + 5 + 4 * fuels;
  const std::string info = RunCommand("pdfinfo '" + pdf + "'");
  EXPECT_NE(info.find(" " + std::to_string(pages) + "\nEncrypted:"), std::string::npos) << info;
  const std::string text = RunCommand("pdftotext -layout '" + pdf + "' -");
  for (const char* expected : {"Pyrvane 6 Landscape Critique", "Data Themes Present", "Cell Resolution X:",
                               "Data Theme Value Distributions", "All Data Theme Value Distributions are based"})
    EXPECT_NE(text.find(expected), std::string::npos) << expected;
  EXPECT_NE(text.find("Landscape File: " + lcp_), std::string::npos);
  const int m = static_cast<int>(report.fuels.values[static_cast<std::size_t>(report.order[0])]);
  EXPECT_NE(text.find("Fuel Model " + std::to_string(m) + " Data Theme Value Distributions"), std::string::npos);
  // Every page carries its number as its last text.
  std::istringstream byPage(text);
  int page = 0;
  std::string chunk;
  while (std::getline(byPage, chunk, '\f')) {
    if (++page > pages) break;
    const auto last = chunk.find_last_not_of(" \n");
    const auto start = chunk.find_last_of(" \n", last);
    EXPECT_EQ(chunk.substr(start + 1, last - start), std::to_string(page)) << "page " << page;
  }
  EXPECT_EQ(page, pages);

  // One image per chart: 8 over the area (the fuels chart sized by its classes), 7 per model.
  std::istringstream images(RunCommand("pdfimages -list '" + pdf + "'"));
  std::string line;
  std::getline(images, line);
  std::getline(images, line);
  std::map<std::string, int> sizes;
  int count = 0;
  while (std::getline(images, line)) {
    std::istringstream f(line);
    std::string pageNo, num, type, width, height;
    f >> pageNo >> num >> type >> width >> height;
    ++sizes[width + "x" + height];
    ++count;
  }
  EXPECT_EQ(count, 8 + 7 * fuels);
  const int fuelWidth = std::min(495, std::max(300, 30 * (fuels + 1)));
  EXPECT_EQ(sizes["495x350"], fuelWidth == 495 ? 8 : 7);
  EXPECT_EQ(sizes[std::to_string(fuelWidth) + "x350"], fuelWidth == 495 ? 8 : 1);
  EXPECT_EQ(sizes["495x370"], 7 * fuels);
}

// Chart texts are text of the PDF; poppler's boxes of them never meet, however many classes.
TEST_F(Critique, ChartLabelsOfAFortyClassLayerDoNotOverprint) {
  CPVN4Doc& doc = OpenGdalLandscape();
  CThemePreference& elevation = GetApp().themePrefs[0];
  elevation.numClasses = 40;
  elevation.decimals = 2;
  CThemeLegendData* legend = doc.currentArea->GetLegendDataByLayerType(0);
  ASSERT_NE(legend, nullptr);
  legend->Copy(*doc.currentArea->CreateLegendData(doc.GetThemeByLayerType(0)));
  ASSERT_EQ(legend->GetCount(), 41);
  const std::string pdf = Path("forty.pdf");
  dialogs_.AnswerSaveFile(pdf);
  critique::OnCritiquePdf(doc);
  ASSERT_TRUE(messages_.Texts().empty()) << messages_.Texts().front();
  RunCommand("pdftotext -bbox '" + pdf + "' '" + Path("boxes.html") + "'");
  const std::string out = RunCommand(std::string(PV_PYTHON) + " - '" + Path("boxes.html") + "' <<'EOF'\n"
      "import re, sys\n"
      "pages = open(sys.argv[1]).read().split('<page ')[1:]\n"
      "word = re.compile(r'<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>')\n"
      "overlaps = []\n"
      "for n, page in enumerate(pages, 1):\n"
      "    w = [(float(a), float(b), float(c), float(d), t) for a, b, c, d, t in word.findall(page)]\n"
      "    for i in range(len(w)):\n"
      "        for j in range(i + 1, len(w)):\n"
      "            a, b = w[i], w[j]\n"
      "            if min(a[2], b[2]) - max(a[0], b[0]) > 0.5 and min(a[3], b[3]) - max(a[1], b[1]) > 0.5:\n"
      "                overlaps.append((n, a[4], b[4]))\n"
      "    if n == 2:\n"
      "        print('page2', ' '.join(t for *_, t in w))\n"
      "print('overlaps', len(overlaps), overlaps[:5])\n"
      "EOF");
  EXPECT_NE(out.find("overlaps 0 []"), std::string::npos) << out;
  // The elevation chart names its classes (thinned or turned, but there), its axes and its title.
  const std::string page2 = out.substr(0, out.find('\n'));
  int labelled = 0;
  for (int j = 1; j < legend->GetCount(); ++j)
    labelled += page2.find(" " + platform::FormatStored(legend->GetEntry(j).GetValue(), 2) + " ") != std::string::npos;
  EXPECT_GE(labelled, 10) << page2;
  for (const char* word : {" Elevation ", " Percent ", " ND "}) EXPECT_NE(page2.find(word), std::string::npos) << word;
}

TEST_F(Critique, FailedWritesAreSaidAndNothingIsOpened) {
  CPVN4Doc& doc = OpenGdalLandscape();
  // A folder that does not exist.
  dialogs_.AnswerSaveFile(Path("missing/report.html"));
  critique::OnCritiqueHtml(doc);
  ASSERT_EQ(messages_.Texts().size(), 1u);
  EXPECT_EQ(messages_.Texts()[0].rfind("Error creating " + Path("missing/report.html") + " as LCP Critique\n", 0), 0u);
  // A name that cannot be opened for writing is tested without being truncated or replaced.
  messages_.Clear();
  std::filesystem::create_directory(Path("taken.pdf"));
  dialogs_.AnswerSaveFile(Path("taken.pdf"));
  critique::OnCritiquePdf(doc);
  EXPECT_EQ(messages_.Texts(), std::vector<std::string>{"Error creatiing " + Path("taken.pdf") +
                                                        " for write access.\nIs the file in use by another application?"});
  EXPECT_TRUE(std::filesystem::is_directory(Path("taken.pdf")));
  EXPECT_TRUE(shell_.Opened().empty());
  // An existing report is replaced only by a whole new one.
  const std::string old = Path("old.pdf");
  RunCommand("printf 'old report' > '" + old + "'");
  messages_.Clear();
  dialogs_.AnswerSaveFile(old);
  critique::OnCritiquePdf(doc);
  EXPECT_TRUE(messages_.Texts().empty());
  EXPECT_EQ(RunCommand("head -c 5 '" + old + "'"), "%PDF-");
}

}  // namespace
