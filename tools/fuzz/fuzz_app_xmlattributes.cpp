// XML attribute-table reader and English date parsing on hostile text: no crash, no hang.
// The first byte picks the reader; the rest is its input.
// fuzz-seconds: 20
#include <tinyxml.h>

#include <cstdint>
#include <string>

#include "app/xml_attributes.h"
#include "platform/date_time.h"
#include "platform/messages.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static platform::ScopedRecordingMessages messages;
  messages.Clear();
  std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

  if (data[0] & 1) {
    platform::OleDateTime t;
    if (t.ParseDateTime(text)) {
      // What parses, formats; and the default text parses back to the same instant.
      platform::OleDateTime back;
      if (!back.ParseDateTime(t.Format()) || !(back == t)) __builtin_trap();
    }
    return 0;
  }

  TiXmlDocument doc;
  ParseXmlText(doc, text);
  bool flag = false;
  int count = 0;
  float ratio = 0;
  double value = 0;
  const char* raw = nullptr;
  std::string name, other;
  const XmlAttributeSpec table[] = {
      {"Name", XmlText, &name, true, 0},     {"Count", XmlInt16, &count, true, 0},
      {"Ratio", XmlFloat, &ratio, false, 0}, {"Value", XmlDouble, &value, false, 0},
      {"Flag", XmlBool, &flag, false, 0},    {"Raw", XmlConstText, &raw, false, 0},
      {"Other", XmlStdString, &other, false, 0}, {"Skip", 77, nullptr, false, 0},
      {nullptr, 0, nullptr, false, 0},
  };
  for (const TiXmlElement* e = doc.RootElement(); e; e = e->NextSiblingElement()) {
    ReadXmlAttributes(e, table, "fuzz.xml");
    for (const TiXmlElement* c = e->FirstChildElement(); c; c = c->NextSiblingElement())
      ReadXmlAttributes(c, table, "fuzz.xml");
  }
  return 0;
}
