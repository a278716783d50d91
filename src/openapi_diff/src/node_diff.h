#pragma once

#include <string>

#include "context.h"
#include "zephalon/openapi/node.h"

namespace zephalon::openapi_diff {

// The base of the comparisons: one class per kind of node, created on the stack for one comparison of a pair of
// nodes (source, destination; either may be null). Each subclass has a typed `process` that ends with the base
// `process`, which compares the two nodes' extensions.
class NodeDiff {
  public:
    explicit NodeDiff(const NodeDiff* parent) : parent_(parent) {}
    NodeDiff(const NodeDiff&) = delete;
    NodeDiff& operator=(const NodeDiff&) = delete;
    virtual ~NodeDiff();

    virtual void collect(Context& context);

    // The comparison this one was started from; null at the root.
    const NodeDiff* parent() const { return parent_; }

  protected:
    void process(const openapi::Node* source, const openapi::Node* dest, Context& context);

  private:
    const NodeDiff* parent_;
};

// Compares one scalar property of a pair of nodes: an addition when only the destination node exists, a removal
// when only the source does, a modification when both do. `get` reads the property from a node.
template <class T, class Get>
void compareProperty(Context& context, ConfigKey key, const T* source, const T* dest, Get get) {
    if (source == nullptr && dest != nullptr) {
        context.maybeEmitPropertyAdd(key, dest, get(*dest));
    } else if (source != nullptr && dest == nullptr) {
        context.maybeEmitPropertyRemove(key, source, get(*source));
    } else if (source != nullptr && dest != nullptr) {
        context.maybeEmitPropertyModify(key, dest, get(*source), get(*dest));
    }
}

// The same for a flag, which a node on one side only is compared against its default.
template <class T, class Get>
void compareFlag(Context& context, ConfigKey key, const T* source, const T* dest, bool defaultValue, Get get) {
    if (source == nullptr && dest != nullptr) {
        context.maybeEmitPropertyAdd(key, dest, get(*dest), defaultValue);
    } else if (source != nullptr && dest == nullptr) {
        context.maybeEmitPropertyRemove(key, source, get(*source), defaultValue);
    } else if (source != nullptr && dest != nullptr) {
        context.maybeEmitPropertyModify(key, dest, get(*source), get(*dest));
    }
}

// The same for an enumerated property, which always has a value: compared by its text, and against the default
// value when a node is on one side only.
template <class T, class Value, class Get, class Text>
void compareEnumerated(Context& context, ConfigKey key, const T* source, const T* dest, Value defaultValue, Get get,
                       Text text) {
    auto textOf = [&](const T& node) { return std::string(text(get(node))); };
    if (source == nullptr && dest != nullptr) {
        if (get(*dest) != defaultValue) context.maybeEmitPropertyAdd(key, dest, textOf(*dest));
    } else if (source != nullptr && dest == nullptr) {
        if (get(*source) != defaultValue) context.maybeEmitPropertyRemove(key, source, textOf(*source));
    } else if (source != nullptr && dest != nullptr) {
        context.maybeEmitPropertyModify(key, dest, textOf(*source), textOf(*dest));
    }
}

// Compares a nested object (a sub-node of each side, either null) in a scope of its own through the comparison
// `Diff`.
template <class Diff, class T>
void compareNested(const NodeDiff* parent, Context& context, ConfigKey key, const T* source, const T* dest) {
    if (source == nullptr && dest == nullptr) return;
    auto scope = context.enterScope(source, dest, key);
    Diff(parent).process(source, dest, context);
}

// The sub-node `get` reads from a node that may be missing.
template <class T, class Get>
auto subNode(const T* node, Get get) -> decltype(get(*node)) {
    return node != nullptr ? get(*node) : nullptr;
}

}  // namespace zephalon::openapi_diff
