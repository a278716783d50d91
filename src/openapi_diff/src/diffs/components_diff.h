#pragma once

#include "../node_diff.h"
#include "zephalon/openapi/components.h"

namespace zephalon::openapi_diff {

// The reusable objects, map by map, paired by component key. A parameter whose name or location changed, or a
// security scheme whose type changed, is another component under the same key: one removed and one added.
class ComponentsDiff : public NodeDiff {
  public:
    using NodeDiff::NodeDiff;
    void process(const openapi::Components* source, const openapi::Components* dest, Context& context);
};

}  // namespace zephalon::openapi_diff
