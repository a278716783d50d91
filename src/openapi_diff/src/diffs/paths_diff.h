#pragma once

#include "../node_diff.h"
#include "zephalon/openapi/operation.h"
#include "zephalon/openapi/paths.h"

namespace zephalon::openapi_diff {

// Paths paired by the exact path string: a renamed path is one path removed and another added.
class PathsDiff : public NodeDiff {
  public:
    using NodeDiff::NodeDiff;
    void process(const openapi::Paths* source, const openapi::Paths* dest, Context& context);
};

class PathItemDiff : public NodeDiff {
  public:
    using NodeDiff::NodeDiff;
    void process(const openapi::PathItem* source, const openapi::PathItem* dest, Context& context);
};

class OperationDiff : public NodeDiff {
  public:
    using NodeDiff::NodeDiff;
    void process(const openapi::Operation* source, const openapi::Operation* dest, Context& context);
};

// The path items of a callback, paired by their runtime expressions.
class CallbackDiff : public NodeDiff {
  public:
    using NodeDiff::NodeDiff;
    void process(const openapi::Callback* source, const openapi::Callback* dest, Context& context);
};

}  // namespace zephalon::openapi_diff
