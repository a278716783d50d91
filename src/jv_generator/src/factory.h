#pragma once

// Chooses and builds the part for a schema to generate.
//
// The members of a key are first completed with their allOf members (recursively), and their keywords merged:
// types intersected (integer within number), the strictest bounds, every pattern, enum values that every member
// accepts, properties with the schemas of every member that governs them (its property, matching pattern
// properties, or else its additionalProperties). A member with oneOf or anyOf gives a choice between branches,
// each branch a key of its own together with the members around it. A schema without type is typed by its
// keywords (properties make an object, items an array, ...).

#include <memory>

#include "context.h"

namespace zephalon::jv_generator {

class GenFactory {
  public:
    explicit GenFactory(Context& context) : context_(context) {}

    // Raises openapi::NodeError (naming the schema) for schemas that cannot be generated.
    std::unique_ptr<GenBase> build(const SchemaKey& key);

  private:
    std::unique_ptr<GenBase> buildMembers(const SchemaKey& members);

    Context& context_;
};

}  // namespace zephalon::jv_generator
