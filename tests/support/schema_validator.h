// Documents checked in-process by libxml2: well-formedness and validity
// against the published schemas of the shared folder (resolved offline
// through its catalog), for tests that check many documents.
#pragma once

#include <map>
#include <memory>
#include <string>

namespace lumavox_test {

class SchemaValidator {
 public:
  SchemaValidator();
  ~SchemaValidator();
  SchemaValidator(const SchemaValidator&) = delete;
  SchemaValidator& operator=(const SchemaValidator&) = delete;

  // The empty text when the file is well-formed XML and valid against the
  // schema (a file name of the shared schemas folder); otherwise what libxml2
  // reported.
  std::string Validate(const std::string& file, const std::string& schema);
  // The empty text when the file is well-formed XML.
  std::string WellFormed(const std::string& file);

 private:
  struct Schema;
  Schema& Load(const std::string& schema);
  std::map<std::string, std::unique_ptr<Schema>> schemas_;
};

}  // namespace lumavox_test
