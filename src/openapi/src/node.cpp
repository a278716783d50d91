#include "zephalon/openapi/node.h"

#include <fmt/format.h>
#include <fmt/ostream.h>

#include <array>
#include <ostream>

#include "zephalon/foundation/assertions.h"

namespace zephalon::openapi {

namespace {

constexpr std::array<std::string_view, 43> nodeTypeNames{
    "OpenAPI",
    "Info",
    "Contact",
    "License",
    "Server",
    "ServerVariable",
    "Components",
    "Paths",
    "PathItem",
    "Operation",
    "ExternalDocumentation",
    "Parameter",
    "PathParameter",
    "QueryParameter",
    "HeaderParameter",
    "CookieParameter",
    "RequestBody",
    "MediaType",
    "Encoding",
    "Responses",
    "Response",
    "Callback",
    "Example",
    "Link",
    "Header",
    "Tag",
    "Reference",
    "Schema",
    "Discriminator",
    "XML",
    "SecurityScheme",
    "ApiKeySecurityScheme",
    "HttpSecurityScheme",
    "MutualTlsSecurityScheme",
    "OAuth2SecurityScheme",
    "OpenIdConnectSecurityScheme",
    "OAuthFlows",
    "OAuthFlow",
    "ImplicitOAuthFlow",
    "PasswordOAuthFlow",
    "ClientCredentialsOAuthFlow",
    "AuthorizationCodeOAuthFlow",
    "SecurityRequirement",
};

}  // namespace

std::string_view nodeTypeToString(NodeType type) {
    auto index = static_cast<std::size_t>(type);
    if (index >= nodeTypeNames.size()) {
        ZEPHALON_UNREACHABLE("Unknown node type");
    }
    return nodeTypeNames[index];
}

NodeType normalizeSubtypes(NodeType type) {
    switch (type) {
        case NodeType::PathParameter:
        case NodeType::QueryParameter:
        case NodeType::HeaderParameter:
        case NodeType::CookieParameter:
            return NodeType::Parameter;
        case NodeType::ApiKeySecurityScheme:
        case NodeType::HttpSecurityScheme:
        case NodeType::MutualTlsSecurityScheme:
        case NodeType::OAuth2SecurityScheme:
        case NodeType::OpenIdConnectSecurityScheme:
            return NodeType::SecurityScheme;
        case NodeType::ImplicitOAuthFlow:
        case NodeType::PasswordOAuthFlow:
        case NodeType::ClientCredentialsOAuthFlow:
        case NodeType::AuthorizationCodeOAuthFlow:
            return NodeType::OAuthFlow;
        default:
            if (static_cast<std::size_t>(type) >= nodeTypeNames.size()) {
                ZEPHALON_UNREACHABLE("Unknown node type");
            }
            return type;
    }
}

std::string toString(const NodeEvent& event) {
    switch (event.index()) {
        case 0:
            return fmt::format("OperationAddedEvent({})", fmt::ptr(std::get<0>(event).operation));
        case 1:
            return fmt::format("OperationRemovedEvent({})", fmt::ptr(std::get<1>(event).operation));
        case 2:
            return fmt::format("OperationIdChangedEvent({})", fmt::ptr(std::get<2>(event).operation));
        default:
            return "Unknown NodeEvent";
    }
}

std::ostream& operator<<(std::ostream& out, const NodeEvent& event) { return out << toString(event); }

// --- Node ---

Node::Node(Node* parent, NodeType type) : type_(type), parent_(parent) {}

Node::~Node() { clearReferences(); }

std::unique_ptr<Reference> Node::addReference(Node* parent) { return std::make_unique<Reference>(parent, this); }

Node* Node::resolveNode() { return this; }

const Node* Node::resolveNode() const { return this; }

void Node::handleEvent(NodeEvent&) {}

Node* Node::root() const {
    const Node* node = this;
    while (node->parent_ != nullptr) {
        node = node->parent_;
    }
    return const_cast<Node*>(node);
}

void Node::dispatchEvent(NodeEvent& event) {
    for (Node* node = this; node != nullptr; node = node->parent_) {
        node->handleEvent(event);
    }
}

jv::JV* Node::extension(std::string_view key) const {
    auto it = extensions_.find(key);
    return it == extensions_.end() ? nullptr : it->second.get();
}

jv::JV* Node::addExtension(std::string_view key) { return setExtension(key, std::make_unique<jv::JV>()); }

jv::JV* Node::setExtension(std::string_view key, std::unique_ptr<jv::JV> value) {
    jv::JV* raw = value.get();
    if (auto it = extensions_.find(key); it != extensions_.end()) {
        it->second = std::move(value);
    } else {
        extensions_.emplace(std::string(key), std::move(value));
    }
    return raw;
}

void Node::removeExtension(std::string_view key) {
    if (auto it = extensions_.find(key); it != extensions_.end()) {
        extensions_.erase(it);
    }
}

void Node::clearExtensions() { extensions_.clear(); }

void Node::clearReferences() {
    for (Reference* ref : references_) {
        ref->target_ = nullptr;
    }
    references_.clear();
}

// --- Reference ---

namespace {

Node* finalTarget(Node* target) {
    // A Reference's target is never itself a Reference, so one step is enough.
    if (auto* ref = nodeCast<Reference>(target)) {
        return ref->node();
    }
    return target;
}

}  // namespace

Reference::Reference(Node* parent, Node* target) : Node(parent, NodeType::Reference) { setNode(target); }

Reference::~Reference() { setNode(nullptr); }

std::unique_ptr<Reference> Reference::addReference(Node* parent) {
    return std::make_unique<Reference>(parent, target_);
}

Node* Reference::resolveNode() { return target_ == nullptr ? nullptr : target_->resolveNode(); }

const Node* Reference::resolveNode() const { return target_ == nullptr ? nullptr : target_->resolveNode(); }

void Reference::setNode(Node* target) {
    Node* next = finalTarget(target);
    if (next == target_) {
        return;
    }
    if (target_ != nullptr) {
        target_->references_.erase(this);
    }
    target_ = next;
    if (target_ != nullptr) {
        target_->references_.insert(this);
    }
}

}  // namespace zephalon::openapi
