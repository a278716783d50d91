#pragma once

#include "../node_diff.h"
#include "zephalon/openapi/schema.h"

namespace zephalon::openapi_diff {

// A schema with everything it applies to instances: its keywords in a fixed order, then its subschemas, each
// compared by SchemaDiff again. A schema shared through references, or one that refers to itself, is compared once
// per pair (Context::beginPair).
class SchemaDiff : public NodeDiff {
  public:
    using NodeDiff::NodeDiff;
    void process(const openapi::Schema* source, const openapi::Schema* dest, Context& context);

  private:
    void compareValues(const openapi::Schema* source, const openapi::Schema* dest, Context& context);
    void compareArrays(const openapi::Schema* source, const openapi::Schema* dest, Context& context);
    void compareObjects(const openapi::Schema* source, const openapi::Schema* dest, Context& context);
    void compareApplicators(const openapi::Schema* source, const openapi::Schema* dest, Context& context);
};

class DiscriminatorDiff : public NodeDiff {
  public:
    using NodeDiff::NodeDiff;
    void process(const openapi::Discriminator* source, const openapi::Discriminator* dest, Context& context);
};

class XMLDiff : public NodeDiff {
  public:
    using NodeDiff::NodeDiff;
    void process(const openapi::XML* source, const openapi::XML* dest, Context& context);
};

}  // namespace zephalon::openapi_diff
