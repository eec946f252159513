#pragma once
// Reads the attributes of one XML element into the caller's variables through a table of
// expected attributes. Every unknown, duplicate, unreadable or missing attribute is
// reported in a message box; reading never stops.
#include <string>

class TiXmlDocument;
class TiXmlElement;

enum XmlAttributeType : int {
  XmlBool = 2,
  XmlInt8 = 4,
  XmlInt16 = 5,
  XmlInt32 = 6,
  XmlInt64 = 7,
  XmlFloat = 8,
  XmlDouble = 9,
  XmlConstText = 273,
  XmlConstText2 = 289,
  XmlText = 305,
  XmlStdString = 321,
};

// One expected attribute; a table ends with an entry whose name is null.
// Targets: bool for XmlBool; int for the integer codes; float; double; const char* for the
// constant-text codes (the element's own value text); std::string for XmlText/XmlStdString.
struct XmlAttributeSpec {
  const char* name;
  int type;
  void* target;
  bool required;
  int reserved;
};

// Always true; the element's tag name is used in the messages.
bool ReadXmlAttributes(const TiXmlElement* element, const XmlAttributeSpec* table, const std::string& fileName);
bool ReadXmlAttributeTable(const TiXmlElement* element, const XmlAttributeSpec* table, const std::string& tagName,
                           const std::string& fileName);

// Parses XML text into the document; false when it is not well formed (the document holds
// the error). Use this rather than the document's own Parse or LoadFile: the parser steps over
// a whole UTF-8 sequence from its lead byte, so a damaged sequence at the very end of the text
// would take it past a single terminator.
bool ParseXmlText(TiXmlDocument& doc, const std::string& text);
