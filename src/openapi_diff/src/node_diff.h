#pragma once

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

}  // namespace zephalon::openapi_diff
