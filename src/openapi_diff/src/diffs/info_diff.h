#pragma once

#include "../node_diff.h"
#include "zephalon/openapi/info.h"

namespace zephalon::openapi_diff {

// The document's metadata: Info with its Contact and License.
class InfoDiff : public NodeDiff {
  public:
    using NodeDiff::NodeDiff;
    void process(const openapi::Info* source, const openapi::Info* dest, Context& context);
};

class ContactDiff : public NodeDiff {
  public:
    using NodeDiff::NodeDiff;
    void process(const openapi::Contact* source, const openapi::Contact* dest, Context& context);
};

class LicenseDiff : public NodeDiff {
  public:
    using NodeDiff::NodeDiff;
    void process(const openapi::License* source, const openapi::License* dest, Context& context);
};

}  // namespace zephalon::openapi_diff
