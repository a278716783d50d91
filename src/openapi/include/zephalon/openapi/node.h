#pragma once

// The base of the typed OpenAPI model: every object of a document is a Node that knows its parent, its kind, its
// "x-" extensions and the Reference nodes that point at it.
//
// Constness is shallow, as with the owning pointers underneath: a const node hands out its children as plain
// pointers, so that read-only walkers (writer, visitors) and editors share one set of accessors.

#include <cstdint>
#include <iosfwd>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "zephalon/jv/jv.h"

namespace zephalon::openapi {

enum class NodeType : std::uint8_t {
    OpenAPI,
    Info,
    Contact,
    License,
    Server,
    ServerVariable,
    Components,
    Paths,
    PathItem,
    Operation,
    ExternalDocumentation,
    Parameter,
    PathParameter,
    QueryParameter,
    HeaderParameter,
    CookieParameter,
    RequestBody,
    MediaType,
    Encoding,
    Responses,
    Response,
    Callback,
    Example,
    Link,
    Header,
    Tag,
    Reference,
    Schema,
    Discriminator,
    XML,
    SecurityScheme,
    ApiKeySecurityScheme,
    HttpSecurityScheme,
    MutualTlsSecurityScheme,
    OAuth2SecurityScheme,
    OpenIdConnectSecurityScheme,
    OAuthFlows,
    OAuthFlow,
    ImplicitOAuthFlow,
    PasswordOAuthFlow,
    ClientCredentialsOAuthFlow,
    AuthorizationCodeOAuthFlow,
    SecurityRequirement,
};

// The display name of a node kind, e.g. "PathParameter".
std::string_view nodeTypeToString(NodeType type);

// Folds the subclasses of Parameter, SecurityScheme and OAuthFlow onto their base kind.
NodeType normalizeSubtypes(NodeType type);

class Node;
class Operation;
class Reference;

// Model change notifications. They travel from the changed node up to the root, where OpenAPI keeps its operation
// index current.
struct OperationAddedEvent {
    Operation* operation = nullptr;
};

struct OperationRemovedEvent {
    Operation* operation = nullptr;
    std::optional<std::string> operationId;
};

struct OperationIdChangedEvent {
    Operation* operation = nullptr;
    std::optional<std::string> oldOperationId;
    std::optional<std::string> newOperationId;
};

using NodeEvent = std::variant<OperationAddedEvent, OperationRemovedEvent, OperationIdChangedEvent>;

// "OperationAddedEvent(0x...)" and so on.
std::string toString(const NodeEvent& event);
std::ostream& operator<<(std::ostream& out, const NodeEvent& event);

class Node {
  public:
    using Extensions = std::map<std::string, std::unique_ptr<jv::JV>, std::less<>>;

    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;

    // Detaches every Reference that still points here, so no reference outlives its target.
    virtual ~Node();

    // A new Reference to this node, owned by the caller and parented to `parent`. References never point at
    // references: a Reference forwards the call to its target.
    virtual std::unique_ptr<Reference> addReference(Node* parent);

    // The node a slot stands for: the node itself, or for a Reference its target's resolution (null when dangling).
    virtual Node* resolveNode();
    virtual const Node* resolveNode() const;

    // Called by dispatchEvent on this node and each ancestor; only the document root reacts.
    virtual void handleEvent(NodeEvent& event);

    template <class T>
    T* resolveNodeAs() {
        return dynamic_cast<T*>(resolveNode());
    }
    template <class T>
    const T* resolveNodeAs() const {
        return dynamic_cast<const T*>(resolveNode());
    }

    Node* parent() const { return parent_; }
    NodeType type() const { return type_; }

    // The top of the parent chain (the OpenAPI root of an attached node).
    Node* root() const;

    void dispatchEvent(NodeEvent& event);

    // "x-" extensions, ordered by key.
    const Extensions& extensions() const { return extensions_; }
    jv::JV* extension(std::string_view key) const;
    jv::JV* addExtension(std::string_view key);
    jv::JV* setExtension(std::string_view key, std::unique_ptr<jv::JV> value);
    void removeExtension(std::string_view key);
    void clearExtensions();

    // The Reference nodes whose target is this node.
    const std::set<Reference*>& references() const { return references_; }
    // Detaches every Reference from this node; they become dangling.
    void clearReferences();

  protected:
    Node(Node* parent, NodeType type);

  private:
    friend class Reference;

    Node* parent_;
    NodeType type_;
    Extensions extensions_;
    std::set<Reference*> references_;
};

// A use of a shared node ("$ref"). It never owns its target; the target's destruction leaves it dangling (null).
class Reference final : public Node {
  public:
    // `target` may be a Reference, in which case the new one points at that reference's target.
    Reference(Node* parent, Node* target);
    ~Reference() override;

    std::unique_ptr<Reference> addReference(Node* parent) override;
    Node* resolveNode() override;
    const Node* resolveNode() const override;

    Node* node() const { return target_; }
    // Retargets the reference (a Reference argument is followed to its target); null detaches it.
    void setNode(Node* target);
    void removeNode() { setNode(nullptr); }

    // The Reference Object's own summary and description, written back beside "$ref".
    const std::optional<std::string>& summary() const { return summary_; }
    void setSummary(std::string summary) { summary_ = std::move(summary); }
    void removeSummary() { summary_.reset(); }
    const std::optional<std::string>& description() const { return description_; }
    void setDescription(std::string description) { description_ = std::move(description); }
    void removeDescription() { description_.reset(); }

  private:
    friend class Node;

    Node* target_ = nullptr;
    std::optional<std::string> summary_;
    std::optional<std::string> description_;
};

// Slot containers: a slot holds either the concrete node or a Reference to it.
using NodeMap = std::map<std::string, std::unique_ptr<Node>, std::less<>>;
using NodeList = std::vector<std::unique_ptr<Node>>;

template <class T>
using OwnedMap = std::map<std::string, std::unique_ptr<T>, std::less<>>;
template <class T>
using OwnedList = std::vector<std::unique_ptr<T>>;

}  // namespace zephalon::openapi
