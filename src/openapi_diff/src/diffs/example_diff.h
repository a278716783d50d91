#pragma once

#include "../node_diff.h"
#include "zephalon/openapi/embedded.h"
#include "zephalon/openapi/response.h"

namespace zephalon::openapi_diff {

// The "example" or "examples" of a parameter, header or media type (the owners; either may be null). A single
// example is compared as a value; named examples are paired by name. Switching between the two forms removes one
// and adds the other.
class ExamplesDiff : public NodeDiff {
  public:
    using NodeDiff::NodeDiff;
    void process(const openapi::Node* sourceOwner, const openapi::Examples* source, const openapi::Node* destOwner,
                 const openapi::Examples* dest, ConfigKey exampleKey, ConfigKey examplesKey, Context& context);
};

class ExampleDiff : public NodeDiff {
  public:
    using NodeDiff::NodeDiff;
    void process(const openapi::Example* source, const openapi::Example* dest, Context& context);
};

}  // namespace zephalon::openapi_diff
