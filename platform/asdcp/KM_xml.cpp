#include "platform/asdcp/KM_xml.h"

#include <expat.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <vector>

namespace Kumu {

namespace {

// Deeper documents are refused: the tree is walked recursively.
constexpr size_t kMaxDepth = 512;
// Separates a namespace URI from the local name in what expat reports.
constexpr char kNamespaceSeparator = '\n';
constexpr int kParseChunk = 1 << 20;

void AppendEscaped(std::string& out, const std::string& text, bool attribute) {
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"':
        if (attribute) {
          out += "&quot;";
        } else {
          out += c;
        }
        break;
      // Line ends and tabs in an attribute would be folded to spaces by a
      // reader; references keep them.
      case '\n':
        if (attribute) {
          out += "&#10;";
        } else {
          out += c;
        }
        break;
      case '\r': out += "&#13;"; break;
      case '\t':
        if (attribute) {
          out += "&#9;";
        } else {
          out += c;
        }
        break;
      default: out += c; break;
    }
  }
}

// Splits what expat reports ("uri\nlocal" or "local") into its parts.
void SplitName(const char* reported, std::string& ns, std::string& local) {
  const char* sep = std::strchr(reported, kNamespaceSeparator);
  if (sep == nullptr) {
    ns.clear();
    local = reported;
  } else {
    ns.assign(reported, sep - reported);
    local = sep + 1;
  }
}

}  // namespace

// What the expat callbacks share while one document is parsed. With no
// root the document is only checked.
struct XMLParseState {
  XML_Parser parser = nullptr;
  XMLElement* root = nullptr;
  std::vector<XMLElement*> stack;
  size_t depth = 0;
  bool too_deep = false;

  static void XMLCALL Start(void* user, const XML_Char* name, const XML_Char** attrs) {
    auto* state = static_cast<XMLParseState*>(user);
    if (++state->depth > kMaxDepth) {
      state->too_deep = true;
      XML_StopParser(state->parser, XML_FALSE);
      return;
    }
    if (state->root == nullptr) return;
    XMLElement* element;
    if (state->stack.empty()) {
      element = state->root;
    } else {
      element = state->stack.back()->AddChild("");
    }
    std::string local;
    SplitName(name, element->namespace_, local);
    element->name_ = local;
    for (size_t i = 0; attrs[i] != nullptr && attrs[i + 1] != nullptr; i += 2) {
      std::string attr_ns, attr_local;
      SplitName(attrs[i], attr_ns, attr_local);
      element->attributes_.push_back({attr_local, attrs[i + 1]});
    }
    state->stack.push_back(element);
  }

  static void XMLCALL End(void* user, const XML_Char*) {
    auto* state = static_cast<XMLParseState*>(user);
    if (state->depth > 0) --state->depth;
    if (!state->stack.empty()) state->stack.pop_back();
  }

  static void XMLCALL Text(void* user, const XML_Char* text, int length) {
    auto* state = static_cast<XMLParseState*>(user);
    if (state->stack.empty() || length <= 0) return;
    state->stack.back()->body_.append(text, static_cast<size_t>(length));
  }

  // Runs the whole document through expat; false with a message on the
  // standard error stream when it is not well-formed.
  bool Run(const char* document, size_t length) {
    parser = XML_ParserCreateNS(nullptr, kNamespaceSeparator);
    if (parser == nullptr) {
      std::fprintf(stderr, "XML parser could not be created\n");
      return false;
    }
    XML_SetUserData(parser, this);
    XML_SetElementHandler(parser, &Start, &End);
    XML_SetCharacterDataHandler(parser, &Text);
    bool ok = true;
    size_t offset = 0;
    do {
      size_t remaining = length - offset;
      int chunk = remaining > static_cast<size_t>(kParseChunk) ? kParseChunk : static_cast<int>(remaining);
      bool last = offset + static_cast<size_t>(chunk) == length;
      if (XML_Parse(parser, document + offset, chunk, last ? XML_TRUE : XML_FALSE) != XML_STATUS_OK) {
        ok = false;
        break;
      }
      offset += static_cast<size_t>(chunk);
    } while (offset < length);
    if (!ok) {
      if (too_deep) {
        std::fprintf(stderr, "XML parse error on line %lu: elements nested deeper than %zu levels\n",
                     static_cast<unsigned long>(XML_GetCurrentLineNumber(parser)), kMaxDepth);
      } else {
        std::fprintf(stderr, "XML parse error on line %lu: %s\n",
                     static_cast<unsigned long>(XML_GetCurrentLineNumber(parser)),
                     XML_ErrorString(XML_GetErrorCode(parser)));
      }
    }
    XML_ParserFree(parser);
    parser = nullptr;
    return ok;
  }
};

XMLElement::XMLElement(const char* name) : name_(name != nullptr ? name : "") {}

XMLElement::~XMLElement() { Clear(); }

void XMLElement::Clear() {
  for (XMLElement* child : children_) delete child;
  children_.clear();
  attributes_.clear();
  body_.clear();
  namespace_.clear();
}

XMLElement* XMLElement::AddChild(const char* name) {
  children_.push_back(new XMLElement(name));
  return children_.back();
}

XMLElement* XMLElement::AddChildWithContent(const char* name, const char* value) {
  XMLElement* child = AddChild(name);
  if (value != nullptr) child->body_ = value;
  return child;
}

XMLElement* XMLElement::AddChildWithContent(const char* name, const std::string& value) {
  XMLElement* child = AddChild(name);
  child->body_ = value;
  return child;
}

XMLElement* XMLElement::AddChildWithPrefixedContent(const char* name, const char* prefix, const char* value) {
  XMLElement* child = AddChild(name);
  if (prefix != nullptr) child->body_ = prefix;
  if (value != nullptr) child->body_ += value;
  return child;
}

void XMLElement::SetAttr(const char* name, const char* value) {
  std::string key = name != nullptr ? name : "";
  std::string text = value != nullptr ? value : "";
  for (NVPair& pair : attributes_) {
    if (pair.name == key) {
      pair.value = text;
      return;
    }
  }
  attributes_.push_back({key, text});
}

void XMLElement::SetBody(const std::string& value) { body_ = value; }

void XMLElement::AppendBody(const std::string& value) { body_ += value; }

void XMLElement::SetName(const char* name) { name_ = name != nullptr ? name : ""; }

void XMLElement::Render(std::string& out) const {
  out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  RenderElement(out, 0);
}

void XMLElement::RenderElement(std::string& out, int depth) const {
  std::string indent(static_cast<size_t>(depth) * 2, ' ');
  out += indent;
  out += '<';
  out += name_;
  for (const NVPair& pair : attributes_) {
    out += ' ';
    out += pair.name;
    out += "=\"";
    AppendEscaped(out, pair.value, true);
    out += '"';
  }
  out += '>';
  AppendEscaped(out, body_, false);
  if (!children_.empty()) {
    out += '\n';
    for (const XMLElement* child : children_) child->RenderElement(out, depth + 1);
    out += indent;
  }
  out += "</";
  out += name_;
  out += ">\n";
}

bool XMLElement::ParseString(const char* document, uint32_t length) {
  Clear();
  name_.clear();
  if (document == nullptr || length == 0) {
    std::fprintf(stderr, "XML parse error: the document is empty\n");
    return false;
  }
  XMLParseState state;
  state.root = this;
  if (!state.Run(document, length)) {
    Clear();
    name_.clear();
    return false;
  }
  return true;
}

bool XMLElement::ParseString(const std::string& document) {
  if (document.size() > UINT32_MAX) {
    std::fprintf(stderr, "XML parse error: the document is too large\n");
    Clear();
    name_.clear();
    return false;
  }
  return ParseString(document.data(), static_cast<uint32_t>(document.size()));
}

bool XMLElement::HasName(const char* name) const { return name != nullptr && name_ == name; }

const char* XMLElement::GetAttrWithName(const char* name) const {
  if (name == nullptr) return nullptr;
  for (const NVPair& pair : attributes_) {
    if (pair.name == name) return pair.value.c_str();
  }
  return nullptr;
}

XMLElement* XMLElement::GetChildWithName(const char* name) const {
  if (name == nullptr) return nullptr;
  for (XMLElement* child : children_) {
    if (child->name_ == name) return child;
  }
  return nullptr;
}

bool StringIsXML(const char* document, uint32_t length) {
  if (document == nullptr) return false;
  size_t size = length != 0 ? length : std::strlen(document);
  if (size == 0) return false;
  XMLParseState state;
  return state.Run(document, size);
}

}  // namespace Kumu
