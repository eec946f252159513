#include "landscape/rules_file.h"

#include <tinyxml.h>

#include <cerrno>
#include <cstring>

#include "app/layer_types.h"
#include "app/xml_attributes.h"
#include "platform/atomic_file.h"
#include "platform/messages.h"
#include "themes/theme.h"
#include "themes/vector_theme.h"

namespace landscape {

namespace {

constexpr const char* kEol = "\r\n";

// Length of the valid UTF-8 sequence at s[i], 0 when there is none.
std::size_t Utf8Length(const std::string& s, std::size_t i) {
  const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char c = b(i);
  std::size_t n = 0;
  unsigned cp = 0;
  if (c < 0x80) return 1;
  if (c >= 0xC2 && c <= 0xDF) n = 2, cp = c & 0x1F;
  else if (c >= 0xE0 && c <= 0xEF) n = 3, cp = c & 0x0F;
  else if (c >= 0xF0 && c <= 0xF4) n = 4, cp = c & 0x07;
  else return 0;
  if (i + n > s.size()) return 0;
  for (std::size_t k = 1; k < n; ++k) {
    if ((b(i + k) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b(i + k) & 0x3F);
  }
  if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF))
    return 0;
  // U+FFFE and U+FFFF are not XML characters.
  if (cp == 0xFFFE || cp == 0xFFFF) return 0;
  return n;
}

// An attribute value: the predefined entities for & < > ", character references for the
// blanks XML would otherwise fold, and a byte that is not UTF-8 taken as Latin-1. False when
// the text holds a control character XML cannot carry.
bool AppendAttribute(std::string& out, const std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    switch (c) {
      case '&': out += "&amp;"; ++i; continue;
      case '<': out += "&lt;"; ++i; continue;
      case '>': out += "&gt;"; ++i; continue;
      case '"': out += "&quot;"; ++i; continue;
      case '\t': out += "&#9;"; ++i; continue;
      case '\n': out += "&#10;"; ++i; continue;
      case '\r': out += "&#13;"; ++i; continue;
      default: break;
    }
    if (c < 0x20) return false;
    const std::size_t n = Utf8Length(text, i);
    if (n == 0) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
      ++i;
      continue;
    }
    out.append(text, i, n);
    i += n;
  }
  return true;
}

class Writer {
 public:
  explicit Writer(std::string& out) : out_(out) {}
  // tabs, "<name", then the attributes as pairs.
  void Start(int tabs, const char* name, std::initializer_list<std::pair<const char*, std::string>> attributes) {
    out_.append(static_cast<std::size_t>(tabs), '\t');
    out_ += '<';
    out_ += name;
    for (const auto& [key, value] : attributes) {
      out_ += ' ';
      out_ += key;
      out_ += "=\"";
      if (!AppendAttribute(out_, value)) ok_ = false;
      out_ += '"';
    }
    out_ += '>';
    out_ += kEol;
  }
  void End(int tabs, const char* name) {
    out_.append(static_cast<std::size_t>(tabs), '\t');
    out_ += "</";
    out_ += name;
    out_ += '>';
    out_ += kEol;
  }
  void Line(const char* text) {
    out_ += text;
    out_ += kEol;
  }
  bool ok_ = true;

 private:
  std::string& out_;
};

std::string Int(int v) { return std::to_string(v); }

}  // namespace

bool RulesFileText(const LcpRuleList& rules, std::string& text, std::string& error) {
  text.clear();
  Writer w(text);
  for (const char* line : {"<?xml version='1.0' encoding='utf-8' ?>", "", "<!--",
                           "Rules for editing landscapes in Pyrvane 6", "-->", "", "<rules>"})
    w.Line(line);
  for (const auto& rulePtr : rules) {
    const CLcpRule& r = *rulePtr;
    w.ok_ = true;
    w.Start(2, "rule",
            {{"id", Int(r.targetLayer)},
             {"name", RuleLayerName(r.targetLayer)},
             {"constant", Int(r.constant ? 1 : 0)},
             {"constantValue", r.constantValue},
             {"expressionTheme", Int(r.expressionLayer)},
             {"expressionOperator", r.expressionOperator},
             {"expressionValue", r.expressionValue}});
    w.Line("\t\t<fuels>");
    w.Line("");
    for (std::int32_t id : r.fuelModels) {
      w.Start(3, "fuel", {{"id", Int(id)}});
      w.End(3, "fuel");
    }
    w.Line("\t\t</fuels>");
    w.Line("");
    w.Line("\t\t<clauses>");
    for (const auto& c : r.clauses) {
      w.Start(3, "clause",
              {{"isRaster", Int(c->isRaster ? 1 : 0)}, {"rasterMin", c->minimum}, {"rasterMax", c->maximum}});
      w.Start(4, "rasterData",
              {{"themeType", Int(c->rasterLayerType)}, {"title", c->rasterTitle}, {"filePath", c->rasterFilePath}});
      w.End(4, "rasterData");
      w.Start(4, "vectorData", {{"title", c->vectorTitle}, {"filePath", c->vectorFilePath}});
      w.End(4, "vectorData");
      w.End(3, "clause");
    }
    w.Line("\t\t</clauses>");
    w.Line("\t</rule>");
    w.Line("");
    if (!w.ok_) {
      error = "The rule\n" + r.description + "\nholds a control character that a rules file cannot keep.";
      return false;
    }
  }
  w.Line("</rules>");
  return true;
}

bool WriteRulesFile(const LcpRuleList& rules, const std::string& path) {
  std::string text, error;
  if (!RulesFileText(rules, text, error)) {
    platform::Tell("Error. The rules could not be saved to " + path + ".\n" + error);
    return false;
  }
  platform::AtomicFile file(path);
  if (!file.Open() || !file.Write(text) || !file.Commit()) {
    const int e = file.Error();
    platform::Tell("Error. The rules could not be saved to " + path + (e ? std::string(": ") + std::strerror(e) : std::string()) +
                   ".");
    return false;
  }
  return true;
}

namespace {

const TiXmlElement* FirstChild(const TiXmlElement* e, const char* name) {
  return e ? e->FirstChildElement(name) : nullptr;
}

// Binds the clause to the project's theme; false when the project has none.
bool BindClause(CLcpRuleClause& c, const RuleThemes& themes) {
  if (c.isRaster) {
    if (!themes.grids) return false;
    for (const auto& t : *themes.grids) {
      const bool match = c.rasterLayerType < kGenericGridLayerType
                             ? t->layerType == c.rasterLayerType
                             : t->layerType == c.rasterLayerType && t->sourcePath == c.rasterFilePath;
      if (match) {
        c.rasterTheme = t.get();
        return true;
      }
    }
    return false;
  }
  if (!themes.vectors) return false;
  for (const auto& t : *themes.vectors)
    if (t->sourcePath == c.vectorFilePath) {
      c.vectorTheme = t.get();
      return true;
    }
  return false;
}

// One "rule" element; null (with the reason shown) when the rule is refused.
std::unique_ptr<CLcpRule> ReadRule(const TiXmlElement* e, const std::string& fileName, const RuleThemes& themes) {
  auto rule = std::make_unique<CLcpRule>();
  std::string name;
  // The flag is written as 1 or 0; any number but 0 sets it.
  int constantNumber = 1;
  const XmlAttributeSpec table[] = {
      {"id", XmlInt16, &rule->targetLayer, true, 0},
      {"name", XmlText, &name, true, 0},
      {"constant", XmlInt16, &constantNumber, true, 0},
      {"constantValue", XmlText, &rule->constantValue, true, 0},
      {"expressionTheme", XmlInt16, &rule->expressionLayer, true, 0},
      {"expressionOperator", XmlText, &rule->expressionOperator, true, 0},
      {"expressionValue", XmlText, &rule->expressionValue, true, 0},
      {nullptr, 0, nullptr, false, 0},
  };
  ReadXmlAttributes(e, table, fileName);
  rule->constant = constantNumber != 0;

  if (const TiXmlElement* fuels = FirstChild(e, "fuels"))
    for (const TiXmlElement* f = fuels->FirstChildElement("fuel"); f; f = f->NextSiblingElement("fuel")) {
      int id = 0;
      const XmlAttributeSpec fuelTable[] = {{"id", XmlInt16, &id, true, 0}, {nullptr, 0, nullptr, false, 0}};
      ReadXmlAttributes(f, fuelTable, fileName);
      rule->fuelModels.push_back(id);
    }

  std::vector<std::string> missing;
  if (const TiXmlElement* clauses = FirstChild(e, "clauses"))
    for (const TiXmlElement* c = clauses->FirstChildElement("clause"); c; c = c->NextSiblingElement("clause")) {
      auto clause = std::make_unique<CLcpRuleClause>();
      int isRaster = 1;
      const XmlAttributeSpec clauseTable[] = {{"isRaster", XmlInt16, &isRaster, true, 0},
                                              {"rasterMin", XmlText, &clause->minimum, true, 0},
                                              {"rasterMax", XmlText, &clause->maximum, true, 0},
                                              {nullptr, 0, nullptr, false, 0}};
      ReadXmlAttributes(c, clauseTable, fileName);
      clause->isRaster = isRaster != 0;
      if (const TiXmlElement* raster = FirstChild(c, "rasterData")) {
        const XmlAttributeSpec rasterTable[] = {{"themeType", XmlInt16, &clause->rasterLayerType, true, 0},
                                                {"title", XmlText, &clause->rasterTitle, true, 0},
                                                {"filePath", XmlText, &clause->rasterFilePath, true, 0},
                                                {nullptr, 0, nullptr, false, 0}};
        ReadXmlAttributes(raster, rasterTable, fileName);
      }
      if (const TiXmlElement* vector = FirstChild(c, "vectorData")) {
        const XmlAttributeSpec vectorTable[] = {{"title", XmlText, &clause->vectorTitle, true, 0},
                                                {"filePath", XmlText, &clause->vectorFilePath, true, 0},
                                                {nullptr, 0, nullptr, false, 0}};
        ReadXmlAttributes(vector, vectorTable, fileName);
      }
      if (!BindClause(*clause, themes)) {
        missing.push_back(clause->ThemeName());
        continue;
      }
      rule->clauses.push_back(std::move(clause));
    }

  const std::string description = rule->GetDescription();
  auto refuse = [&](const std::string& why) {
    platform::Tell("Error. The rule\n" + description + "\nin " + fileName + " was not loaded: " + why);
    return nullptr;
  };
  if (rule->targetLayer < 0 || rule->targetLayer >= kLandscapeLayerCount)
    return refuse("its target layer " + std::to_string(rule->targetLayer) + " is not a landscape layer (0 to 9).");
  if (!rule->constant && (rule->expressionLayer < 0 || rule->expressionLayer >= kLandscapeLayerCount))
    return refuse("its expression layer " + std::to_string(rule->expressionLayer) +
                  " is not a landscape layer (0 to 9).");
  if (!missing.empty()) {
    std::string names;
    for (const std::string& m : missing) names += "\n" + m;
    return refuse("its clauses need themes that are not in this project:" + names);
  }
  return rule;
}

}  // namespace

int ReadRulesText(const std::string& text, const std::string& fileName, const RuleThemes& themes, LcpRuleList& out) {
  TiXmlDocument doc;
  if (!ParseXmlText(doc, text)) {
    platform::Tell("Error. " + fileName + " is not a rules file: " + doc.ErrorDesc() + " (line " +
                   std::to_string(doc.ErrorRow()) + ", column " + std::to_string(doc.ErrorCol()) + ").");
    return 0;
  }
  const TiXmlElement* root = doc.RootElement();
  if (!root || !root->FirstChildElement("rule")) {
    platform::Tell("Error. " + fileName + " holds no landscape edit rules.");
    return 0;
  }
  int added = 0;
  for (const TiXmlElement* e = root->FirstChildElement("rule"); e; e = e->NextSiblingElement("rule")) {
    std::unique_ptr<CLcpRule> rule = ReadRule(e, fileName, themes);
    if (!rule || RuleLayerName(rule->targetLayer).empty() || rule->description.empty()) continue;
    out.push_back(std::move(rule));
    ++added;
  }
  return added;
}

int ReadRulesFile(const std::string& path, const RuleThemes& themes, LcpRuleList& out) {
  std::string text;
  errno = 0;
  if (!platform::ReadWholeFile(path, text)) {
    platform::Tell("Error. The rules file " + path + " could not be read" +
                   (errno ? std::string(": ") + std::strerror(errno) : std::string()) + ".");
    return 0;
  }
  if (text.find('\0') != std::string::npos) {
    platform::Tell("Error. " + path + " is not a rules file: it holds binary data.");
    return 0;
  }
  return ReadRulesText(text, path, themes, out);
}

}  // namespace landscape
