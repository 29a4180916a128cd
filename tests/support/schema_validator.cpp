#include "tests/support/schema_validator.h"

#include <libxml/catalog.h>
#include <libxml/parser.h>
#include <libxml/xmlschemas.h>

#include <cstdarg>
#include <cstdio>
#include <stdexcept>

#include "tests/support/test_support.h"

namespace lumavox_test {

namespace {

void Collect(void* context, const char* format, ...) {
  char text[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  *static_cast<std::string*>(context) += text;
}

void CollectStructured(void* context, xmlErrorPtr error) {
  if (error == nullptr || error->message == nullptr) return;
  *static_cast<std::string*>(context) += std::to_string(error->line) + ": " + error->message;
}

}  // namespace

struct SchemaValidator::Schema {
  xmlSchemaPtr schema = nullptr;
  xmlSchemaValidCtxtPtr context = nullptr;
  ~Schema() {
    if (context) xmlSchemaFreeValidCtxt(context);
    if (schema) xmlSchemaFree(schema);
  }
};

SchemaValidator::SchemaValidator() {
  xmlInitParser();
  xmlInitializeCatalog();
  xmlLoadCatalog((SharedDir() + "/schemas/catalog.xml").c_str());
}

SchemaValidator::~SchemaValidator() = default;

SchemaValidator::Schema& SchemaValidator::Load(const std::string& name) {
  auto found = schemas_.find(name);
  if (found != schemas_.end()) return *found->second;
  auto loaded = std::make_unique<Schema>();
  const std::string path = SharedDir() + "/schemas/" + name;
  std::string messages;
  xmlSchemaParserCtxtPtr parser = xmlSchemaNewParserCtxt(path.c_str());
  xmlSchemaSetParserErrors(parser, &Collect, &Collect, &messages);
  loaded->schema = xmlSchemaParse(parser);
  xmlSchemaFreeParserCtxt(parser);
  if (loaded->schema == nullptr) throw std::runtime_error("cannot load the schema " + path + ": " + messages);
  loaded->context = xmlSchemaNewValidCtxt(loaded->schema);
  return *schemas_.emplace(name, std::move(loaded)).first->second;
}

std::string SchemaValidator::WellFormed(const std::string& file) {
  std::string messages;
  xmlSetStructuredErrorFunc(&messages, &CollectStructured);
  xmlDocPtr doc = xmlReadFile(file.c_str(), nullptr, XML_PARSE_NONET);
  xmlSetStructuredErrorFunc(nullptr, nullptr);
  if (doc == nullptr) return messages.empty() ? "not well-formed: " + file : messages;
  xmlFreeDoc(doc);
  return std::string();
}

std::string SchemaValidator::Validate(const std::string& file, const std::string& schema) {
  Schema& loaded = Load(schema);
  std::string messages;
  xmlSetStructuredErrorFunc(&messages, &CollectStructured);
  xmlDocPtr doc = xmlReadFile(file.c_str(), nullptr, XML_PARSE_NONET);
  if (doc == nullptr) {
    xmlSetStructuredErrorFunc(nullptr, nullptr);
    return messages.empty() ? "not well-formed: " + file : messages;
  }
  xmlSchemaSetValidStructuredErrors(loaded.context, &CollectStructured, &messages);
  const int result = xmlSchemaValidateDoc(loaded.context, doc);
  xmlSetStructuredErrorFunc(nullptr, nullptr);
  xmlFreeDoc(doc);
  if (result == 0) return std::string();
  return messages.empty() ? "not valid against " + schema : messages;
}

}  // namespace lumavox_test
