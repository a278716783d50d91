#pragma once

#include "../node_diff.h"
#include "zephalon/openapi/embedded.h"
#include "zephalon/openapi/media_type.h"

namespace zephalon::openapi_diff {

class RequestBodyDiff : public NodeDiff {
  public:
    using NodeDiff::NodeDiff;
    void process(const openapi::RequestBody* source, const openapi::RequestBody* dest, Context& context);
};

class MediaTypeDiff : public NodeDiff {
  public:
    using NodeDiff::NodeDiff;
    void process(const openapi::MediaType* source, const openapi::MediaType* dest, Context& context);
};

class EncodingDiff : public NodeDiff {
  public:
    using NodeDiff::NodeDiff;
    void process(const openapi::Encoding* source, const openapi::Encoding* dest, Context& context);
};

// The "schema" or "content" of a parameter or header (the owners; either may be null): a schema on both sides is
// compared under the schema rule, a media type on both sides under the content rule with its key, and a form that
// only one side has is added or removed.
class SchemaOrMediaTypeDiff : public NodeDiff {
  public:
    using NodeDiff::NodeDiff;
    void process(const openapi::Node* sourceOwner, const openapi::SchemaOrMediaType* source,
                 const openapi::Node* destOwner, const openapi::SchemaOrMediaType* dest, ConfigKey schemaKey,
                 ConfigKey contentKey, Context& context);
};

}  // namespace zephalon::openapi_diff
