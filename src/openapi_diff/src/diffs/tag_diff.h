#pragma once

#include "../node_diff.h"
#include "zephalon/openapi/info.h"
#include "zephalon/openapi/openapi.h"
#include "zephalon/openapi/operation.h"

namespace zephalon::openapi_diff {

// Tags paired by name. The document's tags are compared in full; an operation only names tags declared on the
// document, so its list is compared by those names (the tags themselves are compared once, on the document).
class TagListDiff : public NodeDiff {
  public:
    using NodeDiff::NodeDiff;
    void process(const openapi::OpenAPI* source, const openapi::OpenAPI* dest, Context& context);
    void process(const openapi::Operation* source, const openapi::Operation* dest, Context& context);
};

class TagDiff : public NodeDiff {
  public:
    using NodeDiff::NodeDiff;
    void process(const openapi::Tag* source, const openapi::Tag* dest, Context& context);
};

class ExternalDocumentationDiff : public NodeDiff {
  public:
    using NodeDiff::NodeDiff;
    void process(const openapi::ExternalDocumentation* source, const openapi::ExternalDocumentation* dest,
                 Context& context);
};

}  // namespace zephalon::openapi_diff
