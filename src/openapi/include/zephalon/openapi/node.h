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
#include <type_traits>
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
class OpenAPI;
class Info;
class Contact;
class License;
class Server;
class ServerVariable;
class Components;
class Paths;
class PathItem;
class Operation;
class ExternalDocumentation;
class Parameter;
class PathParameter;
class QueryParameter;
class HeaderParameter;
class CookieParameter;
class RequestBody;
class MediaType;
class Encoding;
class Responses;
class Response;
class Callback;
class Example;
class Link;
class Header;
class Tag;
class Reference;
class Schema;
class Discriminator;
class XML;
class SecurityScheme;
class ApiKeySecurityScheme;
class HTTPSecurityScheme;
class MutualTLSSecurityScheme;
class OAuth2SecurityScheme;
class OpenIdConnectSecurityScheme;
class OAuthFlows;
class OAuthFlow;
class ImplicitOAuthFlow;
class PasswordOAuthFlow;
class ClientCredentialsOAuthFlow;
class AuthorizationCodeOAuthFlow;
class SecurityRequirement;

// The kinds a node of class T may have: the class's own, and for Node, Parameter, SecurityScheme and OAuthFlow the
// range that covers their subclasses. Casts check the kind instead of asking for run-time type information.
template <class T>
struct NodeKinds;

#define ZEPHALON_OPENAPI_NODE_KINDS(Class, First, Last)    \
    template <>                                            \
    struct NodeKinds<Class> {                              \
        static constexpr NodeType first = NodeType::First; \
        static constexpr NodeType last = NodeType::Last;   \
    };
#define ZEPHALON_OPENAPI_NODE_KIND(Class) ZEPHALON_OPENAPI_NODE_KINDS(Class, Class, Class)
ZEPHALON_OPENAPI_NODE_KINDS(Node, OpenAPI, SecurityRequirement)
ZEPHALON_OPENAPI_NODE_KIND(OpenAPI)
ZEPHALON_OPENAPI_NODE_KIND(Info)
ZEPHALON_OPENAPI_NODE_KIND(Contact)
ZEPHALON_OPENAPI_NODE_KIND(License)
ZEPHALON_OPENAPI_NODE_KIND(Server)
ZEPHALON_OPENAPI_NODE_KIND(ServerVariable)
ZEPHALON_OPENAPI_NODE_KIND(Components)
ZEPHALON_OPENAPI_NODE_KIND(Paths)
ZEPHALON_OPENAPI_NODE_KIND(PathItem)
ZEPHALON_OPENAPI_NODE_KIND(Operation)
ZEPHALON_OPENAPI_NODE_KIND(ExternalDocumentation)
ZEPHALON_OPENAPI_NODE_KINDS(Parameter, Parameter, CookieParameter)
ZEPHALON_OPENAPI_NODE_KIND(PathParameter)
ZEPHALON_OPENAPI_NODE_KIND(QueryParameter)
ZEPHALON_OPENAPI_NODE_KIND(HeaderParameter)
ZEPHALON_OPENAPI_NODE_KIND(CookieParameter)
ZEPHALON_OPENAPI_NODE_KIND(RequestBody)
ZEPHALON_OPENAPI_NODE_KIND(MediaType)
ZEPHALON_OPENAPI_NODE_KIND(Encoding)
ZEPHALON_OPENAPI_NODE_KIND(Responses)
ZEPHALON_OPENAPI_NODE_KIND(Response)
ZEPHALON_OPENAPI_NODE_KIND(Callback)
ZEPHALON_OPENAPI_NODE_KIND(Example)
ZEPHALON_OPENAPI_NODE_KIND(Link)
ZEPHALON_OPENAPI_NODE_KIND(Header)
ZEPHALON_OPENAPI_NODE_KIND(Tag)
ZEPHALON_OPENAPI_NODE_KIND(Reference)
ZEPHALON_OPENAPI_NODE_KIND(Schema)
ZEPHALON_OPENAPI_NODE_KIND(Discriminator)
ZEPHALON_OPENAPI_NODE_KIND(XML)
ZEPHALON_OPENAPI_NODE_KINDS(SecurityScheme, SecurityScheme, OpenIdConnectSecurityScheme)
ZEPHALON_OPENAPI_NODE_KINDS(ApiKeySecurityScheme, ApiKeySecurityScheme, ApiKeySecurityScheme)
ZEPHALON_OPENAPI_NODE_KINDS(HTTPSecurityScheme, HttpSecurityScheme, HttpSecurityScheme)
ZEPHALON_OPENAPI_NODE_KINDS(MutualTLSSecurityScheme, MutualTlsSecurityScheme, MutualTlsSecurityScheme)
ZEPHALON_OPENAPI_NODE_KIND(OAuth2SecurityScheme)
ZEPHALON_OPENAPI_NODE_KIND(OpenIdConnectSecurityScheme)
ZEPHALON_OPENAPI_NODE_KIND(OAuthFlows)
ZEPHALON_OPENAPI_NODE_KINDS(OAuthFlow, OAuthFlow, AuthorizationCodeOAuthFlow)
ZEPHALON_OPENAPI_NODE_KIND(ImplicitOAuthFlow)
ZEPHALON_OPENAPI_NODE_KIND(PasswordOAuthFlow)
ZEPHALON_OPENAPI_NODE_KIND(ClientCredentialsOAuthFlow)
ZEPHALON_OPENAPI_NODE_KIND(AuthorizationCodeOAuthFlow)
ZEPHALON_OPENAPI_NODE_KIND(SecurityRequirement)
#undef ZEPHALON_OPENAPI_NODE_KIND
#undef ZEPHALON_OPENAPI_NODE_KINDS

// True when a node of kind `type` is a T.
template <class T>
constexpr bool isKindOf(NodeType type) {
    using Kinds = NodeKinds<std::remove_const_t<T>>;
    return Kinds::first <= type && type <= Kinds::last;
}

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

    // The resolved node as a T; null when dangling or of another kind.
    template <class T>
    T* resolveNodeAs();
    template <class T>
    const T* resolveNodeAs() const;

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
    friend class OpenAPIReadResult;

    // A walk of the model asks every node for its kind and whether anything refers to it, and nothing else: those
    // two come first, side by side, so that the walk reads one cache line of most nodes.
    std::set<Reference*> references_;
    NodeType type_;
    // The value this node was read from and that value's position, kept here for the read result whose mapping
    // number is `mapping_` (a result finds them without a table lookup; a number of a dropped mapping makes them
    // stale). The position is copied while the value is at hand: a lint run places a finding at each of a hundred
    // thousand nodes, long after the value tree has left the cache.
    mutable std::uint32_t mapping_ = 0;
    Node* parent_;
    Extensions extensions_;
    mutable const jv::JV* source_ = nullptr;
    mutable Pos sourcePos_;
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

// `node` as a T when it is one (by its kind), else null. The kind decides, so the cast is as cheap as a comparison.
template <class T>
T* nodeCast(Node* node) {
    return node != nullptr && isKindOf<T>(node->type()) ? static_cast<T*>(node) : nullptr;
}
template <class T>
const T* nodeCast(const Node* node) {
    return node != nullptr && isKindOf<T>(node->type()) ? static_cast<const T*>(node) : nullptr;
}

template <class T>
T* Node::resolveNodeAs() {
    return nodeCast<T>(resolveNode());
}
template <class T>
const T* Node::resolveNodeAs() const {
    return nodeCast<T>(resolveNode());
}

// Slot containers: a slot holds either the concrete node or a Reference to it.
using NodeMap = std::map<std::string, std::unique_ptr<Node>, std::less<>>;
using NodeList = std::vector<std::unique_ptr<Node>>;

template <class T>
using OwnedMap = std::map<std::string, std::unique_ptr<T>, std::less<>>;
template <class T>
using OwnedList = std::vector<std::unique_ptr<T>>;

}  // namespace zephalon::openapi
