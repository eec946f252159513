// The rules file: round trips byte for byte, stays valid UTF-8 XML for xmllint and Python's
// ElementTree, and reports every file it cannot use.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>

#include "landscape/rules_file.h"
#include "oracle.h"
#include "platform/messages.h"
#include "themes/theme.h"
#include "themes/vector_theme.h"

using namespace landscape_test;

namespace {

struct Project {
  std::vector<std::unique_ptr<CTheme>> grids;
  std::vector<std::unique_ptr<CVectorTheme>> vectors;
  Project() {
    for (int type : {3, 4, 5, 10}) {
      auto t = std::make_unique<CTheme>();
      t->layerType = type;
      t->name = landscape::RuleLayerName(type);
      grids.push_back(std::move(t));
    }
    grids.back()->name = "Zones & <Ridges> \"é\"";
    grids.back()->sourcePath = "/data/Höhen & <Zonen>/zones \"1\".tif";
    auto v = std::make_unique<CVectorTheme>();
    v->name = "Units\tA & B";
    v->sourcePath = "/data/units<1>&'2' 火.shp";
    vectors.push_back(std::move(v));
  }
  landscape::RuleThemes Themes() const { return {&grids, &vectors}; }
};

LcpRuleList SampleRules(Project& p) {
  LcpRuleList rules;
  auto a = std::make_unique<CLcpRule>();
  a->targetLayer = 4;
  a->constantValue = "40";
  a->fuelModels = {13, 1};
  auto c = std::make_unique<CLcpRuleClause>();
  c->rasterTheme = p.grids[3].get();
  c->rasterLayerType = 10;
  c->rasterTitle = p.grids[3]->name;
  c->rasterFilePath = p.grids[3]->sourcePath;
  c->minimum = "10";
  a->clauses.push_back(std::move(c));
  auto v = std::make_unique<CLcpRuleClause>();
  v->isRaster = false;
  v->vectorTheme = p.vectors[0].get();
  v->vectorTitle = p.vectors[0]->name;
  v->vectorFilePath = p.vectors[0]->sourcePath;
  a->clauses.push_back(std::move(v));
  // A landscape-layer clause binds by layer type whatever its title and path.
  auto h = std::make_unique<CLcpRuleClause>();
  h->rasterTheme = p.grids[2].get();
  h->rasterLayerType = 5;
  h->rasterTitle = "Old Height";
  h->rasterFilePath = "/moved/away.lcp";
  h->maximum = "30";
  a->clauses.push_back(std::move(h));
  a->GetDescription();
  rules.push_back(std::move(a));

  auto b = std::make_unique<CLcpRule>();
  b->constant = false;
  b->targetLayer = 5;
  b->expressionLayer = 5;
  b->expressionOperator = "*";
  b->expressionValue = "1.5";
  b->GetDescription();
  rules.push_back(std::move(b));
  return rules;
}

std::string Shell(const std::string& cmd) {
  std::string out;
  std::FILE* p = ::popen(cmd.c_str(), "r");
  if (!p) return out;
  char buf[4096];
  while (std::size_t n = std::fread(buf, 1, sizeof buf, p)) out.append(buf, n);
  EXPECT_EQ(::pclose(p), 0) << cmd;
  return out;
}

void WriteText(const std::string& path, const std::string& text) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
}

}  // namespace

TEST(RulesFile, RoundTripsByteForByteAndReadsInOtherTools) {
  ScratchDir dir;
  platform::ScopedRecordingMessages messages;
  Project p;
  LcpRuleList rules = SampleRules(p);
  const std::string first = dir / "rules.xml", second = dir / "again.xml";
  ASSERT_TRUE(landscape::WriteRulesFile(rules, first));

  LcpRuleList loaded;
  loaded.push_back(std::make_unique<CLcpRule>());  // loading appends after what is there
  ASSERT_EQ(landscape::ReadRulesFile(first, p.Themes(), loaded), 2);
  EXPECT_TRUE(messages.Texts().empty()) << messages.Texts().front();
  ASSERT_EQ(loaded.size(), 3u);
  for (int i = 0; i < 2; ++i) EXPECT_EQ(loaded[i + 1]->description, rules[i]->description);
  EXPECT_EQ(loaded[1]->clauses[0]->rasterTheme, p.grids[3].get());
  EXPECT_EQ(loaded[1]->clauses[1]->vectorTheme, p.vectors[0].get());
  EXPECT_EQ(loaded[1]->clauses[2]->rasterTheme, p.grids[2].get());
  EXPECT_EQ(loaded[1]->clauses[1]->vectorTitle, "Units\tA & B");
  loaded.erase(loaded.begin());
  ASSERT_TRUE(landscape::WriteRulesFile(loaded, second));
  EXPECT_EQ(FileBytes(first), FileBytes(second));

  const std::string bytes = FileBytes(first);
  EXPECT_EQ(bytes.substr(0, 41), "<?xml version='1.0' encoding='utf-8' ?>\r\n");
  EXPECT_NE(bytes.find("\t\t<rule id=\"4\" name=\"Canopy Cover\" constant=\"1\" constantValue=\"40\" "
                       "expressionTheme=\"3\" expressionOperator=\"\" expressionValue=\"\">\r\n\t\t<fuels>\r\n\r\n"
                       "\t\t\t<fuel id=\"13\">\r\n\t\t\t</fuel>\r\n"),
            std::string::npos);
  EXPECT_TRUE(bytes.ends_with("\t</rule>\r\n\r\n</rules>\r\n"));

  Shell("xmllint --noout " + first);
  const std::string et = Shell(std::string(PV_PYTHON) + " -c \"" +
                             "import sys, xml.etree.ElementTree as E\n"
                             "r = E.parse(sys.argv[1]).getroot()\n"
                             "for rule in r.findall('rule'):\n"
                             "  print(rule.get('id'), rule.get('name'), [f.get('id') for f in rule.find('fuels')])\n"
                             "  for c in rule.find('clauses'):\n"
                             "    print(c.get('isRaster'), repr(c.find('rasterData').get('filePath')), "
                             "repr(c.find('vectorData').get('title')), c.get('rasterMin'), c.get('rasterMax'))\n"
                             "\" " +
                             first);
  EXPECT_EQ(et,
            "4 Canopy Cover ['13', '1']\n"
            "1 '/data/Höhen & <Zonen>/zones \"1\".tif' '' 10 \n"
            "0 '' 'Units\\tA & B'  \n"
            "1 '/moved/away.lcp' ''  30\n"
            "5 Stand Height []\n");
}

TEST(RulesFile, RefusesWhatItCannotUseAndSaysSo) {
  ScratchDir dir;
  platform::ScopedRecordingMessages messages;
  Project p;
  const std::string head = "<?xml version='1.0' encoding='utf-8' ?>\n";
  auto rule = [](const std::string& id, const std::string& inner = "") {
    return "<rule id=\"" + id +
           "\" name=\"x\" constant=\"1\" constantValue=\"7\" expressionTheme=\"3\" expressionOperator=\"\" "
           "expressionValue=\"\">" +
           inner + "</rule>";
  };
  auto clause = [](const std::string& type, const std::string& path) {
    return "<clauses><clause isRaster=\"1\" rasterMin=\"1\" rasterMax=\"\"><rasterData themeType=\"" + type +
           "\" title=\"Zones\" filePath=\"" + path + "\"></rasterData><vectorData title=\"\" filePath=\"\">"
           "</vectorData></clause></clauses>";
  };
  struct Case {
    const char* name;
    std::string text;  // empty: no file at all
    int loaded;
    const char* message;  // a part of the first message
  } cases[] = {
      {"missing file", "", 0, "could not be read"},
      {"not XML", "<rules><rule", 0, "is not a rules file"},
      {"no rules", head + "<rules></rules>", 0, "holds no landscape edit rules"},
      {"other root, bare rule", head + "<list>" + rule("3") + "</list>", 1, nullptr},
      {"moved generic grid", head + "<rules>" + rule("4", clause("10", "/moved/zones.tif")) + "</rules>", 0,
       "Zones (/moved/zones.tif)"},
      {"target outside 0-9", head + "<rules>" + rule("12") + rule("4") + "</rules>", 1, "target layer 12"},
      {"unknown attribute", head + "<rules><rule id=\"3\" extra=\"1\"/></rules>", 1, "'extra'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    messages.Clear();
    const std::string path = dir / (std::string(c.name) + ".xml");
    if (!c.text.empty()) WriteText(path, c.text);
    LcpRuleList out;
    EXPECT_EQ(landscape::ReadRulesFile(path, p.Themes(), out), c.loaded);
    EXPECT_EQ(out.size(), static_cast<std::size_t>(c.loaded));
    if (!c.message) {
      EXPECT_TRUE(messages.Texts().empty());
      continue;
    }
    ASSERT_FALSE(messages.Texts().empty());
    EXPECT_NE(messages.Texts().front().find(c.message), std::string::npos) << messages.Texts().front();
    EXPECT_NE(messages.Texts().front().find(path), std::string::npos) << messages.Texts().front();
  }
}

TEST(RulesFile, FailedSavesKeepThePreviousFileAndStrayBytesStayValidUtf8) {
  ScratchDir dir;
  platform::ScopedRecordingMessages messages;
  Project p;
  LcpRuleList rules = SampleRules(p);
  rules[0]->clauses[0]->rasterTitle = "Zone \xE9t\xE9";  // Latin-1 bytes
  const std::string path = dir / "kept.xml";
  ASSERT_TRUE(landscape::WriteRulesFile(rules, path));
  Shell("xmllint --noout " + path);
  EXPECT_NE(FileBytes(path).find("Zone \xC3\xA9t\xC3\xA9"), std::string::npos);

  // A control character XML cannot carry, and a folder that does not exist: nothing written.
  const std::string before = FileBytes(path);
  rules[1]->constantValue = "4\x01";
  EXPECT_FALSE(landscape::WriteRulesFile(rules, path));
  EXPECT_FALSE(landscape::WriteRulesFile(rules, dir / "none/rules.xml"));
  ASSERT_EQ(messages.Texts().size(), 2u);
  EXPECT_NE(messages.Texts()[0].find(path), std::string::npos);
  EXPECT_NE(messages.Texts()[1].find(dir / "none/rules.xml"), std::string::npos);
  EXPECT_EQ(FileBytes(path), before);
}
