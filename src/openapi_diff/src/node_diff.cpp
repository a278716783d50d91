#include "node_diff.h"

#include "diffs/extensions_diff.h"

namespace zephalon::openapi_diff {

NodeDiff::~NodeDiff() = default;

void NodeDiff::collect(Context&) {}

void NodeDiff::process(const openapi::Node* source, const openapi::Node* dest, Context& context) {
    ExtensionsDiff(this).process(source, dest, context);
}

}  // namespace zephalon::openapi_diff
