#pragma once

#include "../node_diff.h"
#include "zephalon/openapi/openapi.h"

namespace zephalon::openapi_diff {

// The root of a comparison: two whole documents.
class OpenAPIDiff : public NodeDiff {
  public:
    OpenAPIDiff() : NodeDiff(nullptr) {}
    void process(const openapi::OpenAPI* source, const openapi::OpenAPI* dest, Context& context);
};

}  // namespace zephalon::openapi_diff
