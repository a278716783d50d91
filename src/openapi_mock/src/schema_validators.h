#pragma once

// Request validation with the JSON Schema engine. Every schema of the document is compiled once, in one context
// whose locations mirror the document, so "$ref" values such as "#/components/schemas/Pet" resolve as they do in
// the document itself. What the engine sees is a copy of the document adjusted to how the description format
// reads schemas in requests: "nullable: true" admits null, and a required property that is readOnly need not be
// sent.

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "zephalon/jv/jv.h"

namespace zephalon::jv::schema {
class JVSchema;
class SchemaContext;
}  // namespace zephalon::jv::schema

namespace zephalon::openapi {
class Node;
class OpenAPIReadResult;
}  // namespace zephalon::openapi

namespace zephalon::openapi_mock {

// One finding about a value: the engine's message and a JSON Pointer into the value ("" for the value itself).
struct SchemaFinding {
    std::string message;
    std::string pointer;
};

class SchemaValidators {
  public:
    explicit SchemaValidators(const openapi::OpenAPIReadResult& document);
    ~SchemaValidators();
    SchemaValidators(const SchemaValidators&) = delete;
    SchemaValidators& operator=(const SchemaValidators&) = delete;

    // The compiled schema of a schema slot (a Schema or a Reference to one); null for a slot the document does not
    // hold or that could not be compiled.
    const jv::schema::JVSchema* find(const openapi::Node* slot) const;

    // Schemas that could not be compiled; they accept every value.
    const std::vector<std::string>& warnings() const { return warnings_; }

  private:
    void compile(const std::vector<std::string>& rootPointers);

    const openapi::OpenAPIReadResult& document_;
    jv::JVDoc copy_;
    std::string dialect_;
    std::shared_ptr<jv::schema::SchemaContext> context_;
    std::vector<std::unique_ptr<jv::schema::JVSchema>> roots_;
    std::vector<std::string> warnings_;
};

// Validates a value and reports where each finding is. Positions of the value's nodes are overwritten: they
// number the nodes so that a finding can be traced back to its node.
std::vector<SchemaFinding> validateValue(const jv::schema::JVSchema& schema, jv::JV& value);

}  // namespace zephalon::openapi_mock
