#pragma once

// Walking a document model: a depth-first traversal that hands every reachable node to a handler exactly once, and
// an iterator over the operations of `paths`.
//
// The traversal resolves references instead of reporting them, so a shared component is handled where it is first
// reached (possibly inside an operation, before `components`). It keeps its own stack, so neither deep nesting nor
// cycles of references can exhaust the call stack.

#include <cstddef>
#include <functional>
#include <iterator>
#include <vector>

#include "zephalon/foundation/pointer_map.h"
#include "zephalon/openapi/enums.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi {

// Override the operations for the kinds of interest. Parameters of every location arrive at handle(Parameter),
// schemes of every type at handle(SecurityScheme), flows of every type at handle(OAuthFlow). handleNode follows the
// typed handle for every node.
class NodeVisitHandler {
  public:
    virtual ~NodeVisitHandler() = default;

    virtual void handle(const OpenAPI*) {}
    virtual void handle(const Info*) {}
    virtual void handle(const Contact*) {}
    virtual void handle(const License*) {}
    virtual void handle(const Server*) {}
    virtual void handle(const ServerVariable*) {}
    virtual void handle(const Paths*) {}
    virtual void handle(const PathItem*) {}
    virtual void handle(const Components*) {}
    virtual void handle(const Schema*) {}
    virtual void handle(const Responses*) {}
    virtual void handle(const Response*) {}
    virtual void handle(const Parameter*) {}
    virtual void handle(const Example*) {}
    virtual void handle(const RequestBody*) {}
    virtual void handle(const Header*) {}
    virtual void handle(const SecurityScheme*) {}
    virtual void handle(const Link*) {}
    virtual void handle(const Callback*) {}
    virtual void handle(const Operation*) {}
    virtual void handle(const ExternalDocumentation*) {}
    virtual void handle(const Tag*) {}
    virtual void handle(const SecurityRequirement*) {}
    virtual void handle(const Encoding*) {}
    virtual void handle(const MediaType*) {}
    virtual void handle(const OAuthFlows*) {}
    virtual void handle(const OAuthFlow*) {}
    virtual void handle(const Discriminator*) {}
    virtual void handle(const XML*) {}
    virtual void handleNode(const Node*) {}
    // Called once `visitNodes` has handed over every node of the document: for a handler that gathers what it sees
    // and acts on all of it together.
    virtual void documentVisited() {}
};

// One traversal. Each visit walks the subtree below its argument; nodes handled by an earlier visit of the same
// visitor are not handled again. The model must not change while a visit runs.
class NodeVisitor {
  public:
    explicit NodeVisitor(NodeVisitHandler& handler) : handler_(handler) {}

    // Any node kind; a Reference is followed to its target (nothing happens when it dangles).
    void visit(const Node* node);
    void visit(const OpenAPI* node) { visit(static_cast<const Node*>(node)); }
    void visit(const Schema* node) { visit(static_cast<const Node*>(node)); }
    void visit(const Operation* node) { visit(static_cast<const Node*>(node)); }
    void visit(const PathItem* node) { visit(static_cast<const Node*>(node)); }
    // The nodes inside an embedded value of `owner`'s kind.
    void visit(const Examples& examples);
    void visit(const SchemaOrMediaType& value);

  private:
    // Handles a node that no visit has handled yet, then everything below it.
    void start(const Node* node);
    static bool reachableElsewhere(const Node* node);
    // Whether the walk reaches the node for the first time; remembers it when another slot may lead to it again.
    bool firstReach(const Node* node);
    // Whether a visit handled the node, as far as it is remembered.
    bool handled(const Node* node) const;
    template <class T>
    void doHandle(const T* node);
    void handleOne(const Node* node);
    void run();
    // Queues the children of a handled node, so that they come off the stack in traversal order.
    void pushChildren(const Node* node);

    NodeVisitHandler& handler_;
    // The handled nodes that another slot may lead to: the others are reached only through their owner, once. A
    // large document has hundreds of thousands of nodes; few of them are shared.
    PointerMap<Node, bool> handled_;
    // The nodes that visits started at, when nothing else leads to them: a walk asks about every node it reaches,
    // and a visit or two make a table that stays in the cache.
    PointerMap<Node, bool> starts_;
    std::vector<const Node*> stack_;
};

// Visits the whole document, then tells the handler (`documentVisited`).
void visitNodes(const OpenAPI* root, NodeVisitHandler& handler);

// Calls `fn` for each child of `node`, in the order the traversal visits them. References are
// followed to their targets and dangling ones skipped, so a child may belong elsewhere in the model (and may be an
// ancestor, around a cycle); a shared node is passed once per slot that leads to it.
void forEachChild(const Node* node, const std::function<void(const Node*)>& fn);

// The operations of the document's `paths` (not webhooks or callbacks), path by path in key order and, within a
// path item, in method order.
class OperationIterator {
  public:
    class Iter {
      public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = OperationInfo;
        using difference_type = std::ptrdiff_t;
        using pointer = const OperationInfo*;
        using reference = const OperationInfo&;

        Iter() = default;

        reference operator*() const { return info_; }
        pointer operator->() const { return &info_; }
        Iter& operator++();
        Iter operator++(int);
        bool equal(const Iter& other) const;
        friend bool operator==(const Iter& a, const Iter& b) { return a.equal(b); }

      private:
        friend class OperationIterator;
        Iter(NodeMap::const_iterator path, NodeMap::const_iterator pathsEnd);
        // Moves to the first operation at or after the current position.
        void settle();
        void fill();

        NodeMap::const_iterator path_{};
        NodeMap::const_iterator pathsEnd_{};
        PathItem::Operations::const_iterator operation_{};
        const PathItem* item_ = nullptr;
        OperationInfo info_;
    };

    explicit OperationIterator(const OpenAPI* root) : root_(root) {}

    Iter begin() const;
    Iter end() const;

  private:
    const OpenAPI* root_;
};

}  // namespace zephalon::openapi
