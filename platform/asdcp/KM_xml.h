// XML element trees: built in memory and rendered as indented text, or
// filled from a document through expat.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace Kumu {

class XMLElement;
typedef std::vector<XMLElement*> ElementList;

struct NVPair {
  std::string name;
  std::string value;
};
typedef std::vector<NVPair> AttributeList;

class XMLElement {
 public:
  explicit XMLElement(const char* name);
  ~XMLElement();
  XMLElement(const XMLElement&) = delete;
  XMLElement& operator=(const XMLElement&) = delete;

  // Building. The element owns every child it returns.
  XMLElement* AddChild(const char* name);
  XMLElement* AddChildWithContent(const char* name, const char* value);
  XMLElement* AddChildWithContent(const char* name, const std::string& value);
  // The child's body is prefix followed by value (an identifier such as
  // "urn:uuid:" + a UUID text).
  XMLElement* AddChildWithPrefixedContent(const char* name, const char* prefix, const char* value);
  // Attributes keep the order in which they are first set; setting a name
  // again replaces its value in place.
  void SetAttr(const char* name, const char* value);
  void SetBody(const std::string& value);
  void AppendBody(const std::string& value);
  void SetName(const char* name);

  // The declaration line, then the tree: two spaces per level, one element
  // per line, line feeds only. Text and attribute values are escaped.
  void Render(std::string& out) const;

  // Replaces this element's name, attributes, body and children with the
  // root element of the document. False (with a message on the standard
  // error stream) when the text is not well-formed XML; the element is
  // then left empty. Namespace prefixes are resolved: names are the local
  // names and GetNamespace gives the namespace URI.
  bool ParseString(const char* document, uint32_t length);
  bool ParseString(const std::string& document);

  bool HasName(const char* name) const;
  const std::string& GetName() const { return name_; }
  const std::string& GetNamespace() const { return namespace_; }
  const std::string& GetBody() const { return body_; }
  // The value of the named attribute, or nullptr when it has none.
  const char* GetAttrWithName(const char* name) const;
  // The first direct child of that name, or nullptr.
  XMLElement* GetChildWithName(const char* name) const;
  const ElementList& GetChildren() const { return children_; }
  const AttributeList& GetAttributes() const { return attributes_; }

 private:
  friend struct XMLParseState;
  void Clear();
  void RenderElement(std::string& out, int depth) const;

  std::string name_;
  std::string namespace_;
  std::string body_;
  AttributeList attributes_;
  ElementList children_;
};

// True when the text (length bytes, or up to its terminating zero when
// length is 0) is a well-formed XML document.
bool StringIsXML(const char* document, uint32_t length = 0);

}  // namespace Kumu
