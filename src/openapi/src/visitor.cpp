#include "zephalon/openapi/visitor.h"

#include <algorithm>
#include <functional>

#include "zephalon/foundation/assertions.h"
#include "zephalon/openapi/schema_keywords.h"

namespace zephalon::openapi {

namespace {

// Hands the children of one node to a function in traversal order; references are resolved and dangling ones
// dropped. The walk's own function is called directly, as it takes every child of a large document.
template <class Fn>
class Children {
  public:
    explicit Children(const Fn& fn) : fn_(fn) {}

    void add(const Node* node) {
        if (node == nullptr) return;
        if (const Node* resolved = node->resolveNode(); resolved != nullptr) fn_(resolved);
    }
    template <class Owned>
    void addList(const std::vector<Owned>& list) {
        for (const auto& node : list) add(node.get());
    }
    template <class Map>
    void addMap(const Map& map) {
        for (const auto& [key, node] : map) add(node.get());
    }
    void addExamples(const Examples& examples) {
        // The embedded example is a plain value without a node of its own.
        if (examples.exampleMode() == Examples::Mode::external) addMap(examples.externalExamples());
    }
    void addSchemaOrContent(const SchemaOrMediaType& value) {
        switch (value.schemaMode()) {
            case SchemaOrMediaType::Mode::schema:
                add(value.schemaNode());
                break;
            case SchemaOrMediaType::Mode::content:
                add(value.mediaType());
                break;
            case SchemaOrMediaType::Mode::none:
                break;
        }
    }

  private:
    const Fn& fn_;
};

template <class Fn>
void eachChild(const Node* node, const Fn& fn) {
    Children<Fn> children(fn);
    switch (normalizeSubtypes(node->type())) {
        case NodeType::OpenAPI: {
            const auto* root = static_cast<const OpenAPI*>(node);
            children.add(root->info());
            children.addList(root->servers());
            children.add(root->paths());
            children.addMap(root->webhooks());
            children.add(root->components());
            children.addList(root->security());
            children.addList(root->tags());
            children.add(root->externalDocs());
            break;
        }
        case NodeType::Info: {
            const auto* info = static_cast<const Info*>(node);
            children.add(info->contact());
            children.add(info->license());
            break;
        }
        case NodeType::Server:
            children.addMap(static_cast<const Server*>(node)->variables());
            break;
        case NodeType::Paths:
            children.addMap(static_cast<const Paths*>(node)->items());
            break;
        case NodeType::PathItem: {
            const auto* item = static_cast<const PathItem*>(node);
            children.addMap(item->operations());
            children.addList(item->servers());
            children.addList(item->parameters());
            break;
        }
        case NodeType::Operation: {
            const auto* operation = static_cast<const Operation*>(node);
            for (const Tag* tag : operation->tags()) children.add(tag);
            children.add(operation->externalDocs());
            children.addList(operation->parameters());
            children.add(operation->requestBodyNode());
            children.add(operation->responses());
            children.addMap(operation->callbacks());
            children.addList(operation->security());
            children.addList(operation->servers());
            break;
        }
        case NodeType::Parameter: {
            const auto* parameter = static_cast<const Parameter*>(node);
            children.addExamples(parameter->examples());
            children.addSchemaOrContent(parameter->schemaOrContent());
            break;
        }
        case NodeType::Header: {
            const auto* header = static_cast<const Header*>(node);
            children.addExamples(header->examples());
            children.addSchemaOrContent(header->schemaOrContent());
            break;
        }
        case NodeType::RequestBody:
            children.addMap(static_cast<const RequestBody*>(node)->content());
            break;
        case NodeType::MediaType: {
            const auto* mediaType = static_cast<const MediaType*>(node);
            children.add(mediaType->schemaNode());
            children.addExamples(mediaType->examples());
            children.addMap(mediaType->encodings());
            break;
        }
        case NodeType::Encoding:
            children.addMap(static_cast<const Encoding*>(node)->headers());
            break;
        case NodeType::Responses:
            children.addMap(static_cast<const Responses*>(node)->responses());
            break;
        case NodeType::Response: {
            const auto* response = static_cast<const Response*>(node);
            children.addMap(response->headers());
            children.addMap(response->content());
            children.addMap(response->links());
            break;
        }
        case NodeType::Link:
            children.add(static_cast<const Link*>(node)->server());
            break;
        case NodeType::Callback:
            children.addMap(static_cast<const Callback*>(node)->items());
            break;
        case NodeType::Components: {
            const auto* components = static_cast<const Components*>(node);
            children.addMap(components->schemas());
            children.addMap(components->responses());
            children.addMap(components->parameters());
            children.addMap(components->examples());
            children.addMap(components->requestBodies());
            children.addMap(components->headers());
            children.addMap(components->securitySchemes());
            children.addMap(components->links());
            children.addMap(components->callbacks());
            children.addMap(components->pathItems());
            break;
        }
        case NodeType::SecurityScheme:
            if (const auto* oauth2 = nodeCast<OAuth2SecurityScheme>(node); oauth2 != nullptr) {
                children.add(oauth2->flows());
            }
            break;
        case NodeType::OAuthFlows: {
            const auto* flows = static_cast<const OAuthFlows*>(node);
            children.add(flows->implicit());
            children.add(flows->password());
            children.add(flows->clientCredentials());
            children.add(flows->authorizationCode());
            break;
        }
        case NodeType::Tag:
            children.add(static_cast<const Tag*>(node)->externalDocs());
            break;
        case NodeType::Schema: {
            const auto* schema = static_cast<const Schema*>(node);
#define ZEPHALON_VISIT_ONE(name, get, ...) children.add(schema->get());
#define ZEPHALON_VISIT_LIST(name, get, ...) children.addList(schema->get());
#define ZEPHALON_VISIT_MAP(name, get, ...) children.addMap(schema->get());
            ZEPHALON_SCHEMA_KEYWORDS(ZEPHALON_SCHEMA_KEYWORD_IGNORE, ZEPHALON_SCHEMA_KEYWORD_IGNORE,
                                     ZEPHALON_SCHEMA_KEYWORD_IGNORE, ZEPHALON_SCHEMA_KEYWORD_IGNORE, ZEPHALON_VISIT_ONE,
                                     ZEPHALON_VISIT_LIST, ZEPHALON_VISIT_MAP, ZEPHALON_SCHEMA_KEYWORD_IGNORE)
#undef ZEPHALON_VISIT_ONE
#undef ZEPHALON_VISIT_LIST
#undef ZEPHALON_VISIT_MAP
            // Definitions come last: the schemas that use them lead to them first.
            children.addMap(schema->definitions());
            children.add(schema->discriminator());
            children.add(schema->xml());
            children.add(schema->externalDocs());
            break;
        }
        default:
            // Leaves: Contact, License, ServerVariable, Example, SecurityRequirement, ExternalDocumentation,
            // Discriminator, XML, OAuthFlow.
            break;
    }
}

}  // namespace

void forEachChild(const Node* node, const std::function<void(const Node*)>& fn) { eachChild(node, fn); }

template <class T>
void NodeVisitor::doHandle(const T* node) {
    handler_.handle(node);
    handler_.handleNode(node);
}

void NodeVisitor::handleOne(const Node* node) {
    switch (normalizeSubtypes(node->type())) {
        case NodeType::OpenAPI:
            return doHandle(static_cast<const OpenAPI*>(node));
        case NodeType::Info:
            return doHandle(static_cast<const Info*>(node));
        case NodeType::Contact:
            return doHandle(static_cast<const Contact*>(node));
        case NodeType::License:
            return doHandle(static_cast<const License*>(node));
        case NodeType::Server:
            return doHandle(static_cast<const Server*>(node));
        case NodeType::ServerVariable:
            return doHandle(static_cast<const ServerVariable*>(node));
        case NodeType::Components:
            return doHandle(static_cast<const Components*>(node));
        case NodeType::Paths:
            return doHandle(static_cast<const Paths*>(node));
        case NodeType::PathItem:
            return doHandle(static_cast<const PathItem*>(node));
        case NodeType::Operation:
            return doHandle(static_cast<const Operation*>(node));
        case NodeType::ExternalDocumentation:
            return doHandle(static_cast<const ExternalDocumentation*>(node));
        case NodeType::Parameter:
            return doHandle(static_cast<const Parameter*>(node));
        case NodeType::RequestBody:
            return doHandle(static_cast<const RequestBody*>(node));
        case NodeType::MediaType:
            return doHandle(static_cast<const MediaType*>(node));
        case NodeType::Encoding:
            return doHandle(static_cast<const Encoding*>(node));
        case NodeType::Responses:
            return doHandle(static_cast<const Responses*>(node));
        case NodeType::Response:
            return doHandle(static_cast<const Response*>(node));
        case NodeType::Callback:
            return doHandle(static_cast<const Callback*>(node));
        case NodeType::Example:
            return doHandle(static_cast<const Example*>(node));
        case NodeType::Link:
            return doHandle(static_cast<const Link*>(node));
        case NodeType::Header:
            return doHandle(static_cast<const Header*>(node));
        case NodeType::Tag:
            return doHandle(static_cast<const Tag*>(node));
        case NodeType::Schema:
            return doHandle(static_cast<const Schema*>(node));
        case NodeType::Discriminator:
            return doHandle(static_cast<const Discriminator*>(node));
        case NodeType::XML:
            return doHandle(static_cast<const XML*>(node));
        case NodeType::SecurityScheme:
            return doHandle(static_cast<const SecurityScheme*>(node));
        case NodeType::OAuthFlows:
            return doHandle(static_cast<const OAuthFlows*>(node));
        case NodeType::OAuthFlow:
            return doHandle(static_cast<const OAuthFlow*>(node));
        case NodeType::SecurityRequirement:
            return doHandle(static_cast<const SecurityRequirement*>(node));
        case NodeType::Reference:
            // Resolved before they are queued; never handed to the handler.
            return;
        default:
            ZEPHALON_UNREACHABLE("Unknown node type");
    }
}

// Besides references, the only slots that lead to a node they do not own are an operation's tags, which name the
// document's Tag objects.
bool NodeVisitor::reachableElsewhere(const Node* node) {
    return !node->references().empty() || node->type() == NodeType::Tag;
}

bool NodeVisitor::firstReach(const Node* node) {
    // A node that only its owner leads to comes up once per walk: it is remembered only when it started a visit.
    if (reachableElsewhere(node) && !handled_.insert(node, true)) return false;
    return starts_.find(node) == nullptr;
}

bool NodeVisitor::handled(const Node* node) const {
    return handled_.find(node) != nullptr || starts_.find(node) != nullptr;
}

void NodeVisitor::pushChildren(const Node* node) {
    std::size_t base = stack_.size();
    eachChild(node, [this](const Node* child) {
        stack_.push_back(child);
        // The handlers read most of a node, and a large document's model is long out of the cache when it is
        // walked: its first kilobyte is asked for now, to arrive while the nodes before it are handled. (A schema
        // is larger; its later fields are read least.)
        const char* bytes = reinterpret_cast<const char*>(child);
        for (int line = 1; line < 16; ++line) __builtin_prefetch(bytes + 64 * line);
    });
    // Children were appended in traversal order; the stack pops from the back.
    std::reverse(stack_.begin() + static_cast<std::ptrdiff_t>(base), stack_.end());
}

void NodeVisitor::run() {
    // Depth first with an explicit stack. A node is checked when it comes off the stack, so a node reachable from
    // an earlier sibling's subtree is handled there first, exactly as a recursive walk would do.
    while (!stack_.empty()) {
        const Node* node = stack_.back();
        stack_.pop_back();
        if (!firstReach(node)) continue;
        // The children are queued first, which asks for them: handlers of a node often look at its children.
        pushChildren(node);
        handleOne(node);
    }
}

void NodeVisitor::start(const Node* node) {
    // An earlier visit handled this node if it handled the node or one of its owners: handling a node handles all
    // it owns. Of those, the remembered ones are enough to ask: the owners above a forgotten node lead up to a
    // remembered one, a node that started a visit or that something else leads to.
    for (const Node* above = node; above != nullptr; above = above->parent()) {
        if (handled(above)) return;
    }
    if (reachableElsewhere(node)) {
        handled_.insert(node, true);
    } else {
        starts_.insert(node, true);
    }
    pushChildren(node);
    handleOne(node);
    run();
}

void NodeVisitor::visit(const Node* node) {
    if (node == nullptr) return;
    node = node->resolveNode();
    if (node != nullptr) start(node);
}

void NodeVisitor::visit(const Examples& examples) {
    std::vector<const Node*> nodes;
    const auto collect = [&nodes](const Node* child) { nodes.push_back(child); };
    Children(collect).addExamples(examples);
    for (const Node* node : nodes) start(node);
}

void NodeVisitor::visit(const SchemaOrMediaType& value) {
    std::vector<const Node*> nodes;
    const auto collect = [&nodes](const Node* child) { nodes.push_back(child); };
    Children(collect).addSchemaOrContent(value);
    for (const Node* node : nodes) start(node);
}

void visitNodes(const OpenAPI* root, NodeVisitHandler& handler) {
    NodeVisitor visitor(handler);
    visitor.visit(root);
    handler.documentVisited();
}

// ---- operations of paths ----

OperationIterator::Iter::Iter(NodeMap::const_iterator path, NodeMap::const_iterator pathsEnd)
    : path_(path), pathsEnd_(pathsEnd) {
    if (path_ != pathsEnd_) {
        item_ = path_->second ? path_->second->resolveNodeAs<PathItem>() : nullptr;
        if (item_ != nullptr) operation_ = item_->operations().begin();
    }
    settle();
}

void OperationIterator::Iter::settle() {
    while (path_ != pathsEnd_) {
        if (item_ != nullptr && operation_ != item_->operations().end()) {
            fill();
            return;
        }
        ++path_;
        item_ = nullptr;
        if (path_ != pathsEnd_) {
            item_ = path_->second ? path_->second->resolveNodeAs<PathItem>() : nullptr;
            if (item_ != nullptr) operation_ = item_->operations().begin();
        }
    }
    info_ = OperationInfo{};
}

void OperationIterator::Iter::fill() {
    info_.operation = operation_->second.get();
    info_.pathItem = item_;
    info_.method = operation_->first;
    info_.path = path_->first;
}

OperationIterator::Iter& OperationIterator::Iter::operator++() {
    if (path_ == pathsEnd_) return *this;
    ++operation_;
    settle();
    return *this;
}

OperationIterator::Iter OperationIterator::Iter::operator++(int) {
    Iter before = *this;
    ++*this;
    return before;
}

bool OperationIterator::Iter::equal(const Iter& other) const {
    if (path_ != other.path_) return false;
    return path_ == pathsEnd_ || operation_ == other.operation_;
}

OperationIterator::Iter OperationIterator::begin() const {
    if (root_ == nullptr || root_->paths() == nullptr) return Iter();
    const NodeMap& items = root_->paths()->items();
    return Iter(items.begin(), items.end());
}

OperationIterator::Iter OperationIterator::end() const {
    if (root_ == nullptr || root_->paths() == nullptr) return Iter();
    const NodeMap& items = root_->paths()->items();
    return Iter(items.end(), items.end());
}

}  // namespace zephalon::openapi
