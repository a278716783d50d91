#pragma once

#include "../node_diff.h"

namespace zephalon::openapi_diff {

// The "x-" extensions of a pair of nodes: added ones first, then removed ones, then those whose values differ.
// A missing node counts as one without extensions.
class ExtensionsDiff : public NodeDiff {
  public:
    using NodeDiff::NodeDiff;
    void process(const openapi::Node* source, const openapi::Node* dest, Context& context);
};

}  // namespace zephalon::openapi_diff
