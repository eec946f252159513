#include "app/xml_attributes.h"

#include <tinyxml.h>

#include <cctype>
#include <charconv>
#include <cstring>
#include <type_traits>
#include <vector>

#include "platform/messages.h"

namespace {

// "%d" and "%lf" semantics in the C locale: leading blanks, an optional sign, the number;
// what follows is ignored.
template <class T>
bool ScanNumber(const char* text, T& out) {
  while (*text && std::isspace(static_cast<unsigned char>(*text))) ++text;
  if (*text == '+') {
    ++text;
    if (*text == '-') return false;
  }
  const char* end = text + std::strlen(text);
  T v{};
  auto [ptr, ec] = std::from_chars(text, end, v);
  if (ptr == text || (ec != std::errc() && !(std::is_floating_point_v<T> && ec == std::errc::result_out_of_range)))
    return false;
  out = v;
  return true;
}

}  // namespace

bool ReadXmlAttributes(const TiXmlElement* element, const XmlAttributeSpec* table, const std::string& fileName) {
  return ReadXmlAttributeTable(element, table, element ? element->Value() : "", fileName);
}

bool ReadXmlAttributeTable(const TiXmlElement* element, const XmlAttributeSpec* table, const std::string& tagName,
                           const std::string& fileName) {
  std::size_t count = 0;
  while (table && table[count].name) ++count;
  std::vector<bool> seen(count, false);
  const char* tag = tagName.c_str();
  const char* file = fileName.c_str();
  auto report = [](const std::string& text) { platform::Tell(text); };

  for (const TiXmlAttribute* a = element ? element->FirstAttribute() : nullptr; a; a = a->Next()) {
    const char* name = a->Name();
    const char* value = a->Value();
    std::size_t i = 0;
    while (i < count && std::strcmp(table[i].name, name) != 0) ++i;
    if (i == count) {
      report(std::string("The attribute '") + name + "' referenced by element <" + tag +
             "> in Xml input file " + file + " is not recognized and will be ignored");
      continue;
    }
    if (seen[i]) {
      report(std::string("Warning: duplicate XML attribute '") + name + "' found reading tag <" + tag +
             "> in file " + file + " - the duplicate will be ignored");
      continue;
    }
    seen[i] = true;
    const XmlAttributeSpec& spec = table[i];
    bool ok = true;
    switch (spec.type) {
      case XmlBool:
        *static_cast<bool*>(spec.target) = value[0] == 't' || value[0] == 'T' || value[0] == '1';
        break;
      case XmlInt8:
      case XmlInt16:
      case XmlInt32:
      case XmlInt64: {
        int v;
        if ((ok = ScanNumber(value, v))) *static_cast<int*>(spec.target) = v;
        break;
      }
      case XmlFloat: {
        double v;
        if ((ok = ScanNumber(value, v))) *static_cast<float*>(spec.target) = static_cast<float>(v);
        break;
      }
      case XmlDouble: {
        double v;
        if ((ok = ScanNumber(value, v))) *static_cast<double*>(spec.target) = v;
        break;
      }
      case XmlConstText:
      case XmlConstText2:
        *static_cast<const char**>(spec.target) = value;
        break;
      case XmlText:
      case XmlStdString:
        *static_cast<std::string*>(spec.target) = value;
        break;
      default:
        break;
    }
    if (!ok)
      report(std::string("Error reading attribute ") + name + " value='" + value + "' when parsing XML element <" +
             tag + "> in file " + file + ".  This attribute will be ignored");
  }
  for (std::size_t i = 0; i < count; ++i)
    if (!seen[i] && table[i].required)
      report(std::string("Error: Xml element <") + tag + "> is missing required attribute " + table[i].name +
             " when parsing file " + file + ".  This attribute will be ignored");
  return true;
}

bool ParseXmlText(TiXmlDocument& doc, const std::string& text) {
  const std::string padded = text + std::string(8, '\0');
  doc.Parse(padded.c_str());
  return !doc.Error();
}
