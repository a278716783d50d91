#include "extensions_diff.h"

namespace zephalon::openapi_diff {
namespace {

bool sameValue(const jv::JV* a, const jv::JV* b) {
    if (a == nullptr || b == nullptr) return a == b;
    return a->equal(*b);
}

}  // namespace

void ExtensionsDiff::process(const openapi::Node* source, const openapi::Node* dest, Context& context) {
    static const openapi::Node::Extensions none;
    const auto& before = source != nullptr ? source->extensions() : none;
    const auto& after = dest != nullptr ? dest->extensions() : none;
    for (const auto& [name, value] : after) {
        if (!before.contains(name)) context.emitExtensionAdded(dest, name);
    }
    for (const auto& [name, value] : before) {
        if (!after.contains(name)) context.emitExtensionRemoved(source, name);
    }
    for (const auto& [name, value] : after) {
        auto old = before.find(name);
        if (old != before.end() && !sameValue(old->second.get(), value.get()))
            context.emitExtensionModified(dest, name);
    }
}

}  // namespace zephalon::openapi_diff
