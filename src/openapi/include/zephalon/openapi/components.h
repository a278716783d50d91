#pragma once

// The reusable objects of a document. Each entry of the maps (except security schemes) is a slot: usually the
// object itself, but an entry may also be a Reference to another entry (an alias).

#include <memory>
#include <string>
#include <string_view>

#include "zephalon/openapi/enums.h"
#include "zephalon/openapi/node.h"
#include "zephalon/openapi/security.h"

namespace zephalon::openapi {

class Callback;
class Example;
class Header;
class Link;
class Parameter;
class PathItem;
class RequestBody;
class Response;
class Schema;

// For every map: add creates the entry and returns it (an existing entry of that name is kept and returned, or null
// when it is an alias or, for security schemes, a scheme of another type); the Ref adders store an alias and return
// it (null when the name is taken); the plain lookups resolve aliases; the Node lookups return the slot as stored.
class Components final : public Node {
  public:
    explicit Components(Node* parent) : Node(parent, NodeType::Components) {}
    ~Components() override;

    const NodeMap& schemas() const { return schemas_; }
    Schema* schema(std::string_view key) const;
    Node* schemaNode(std::string_view key) const;
    Schema* addSchema(std::string_view key);
    Schema* addSchema(std::string_view key, SchemaType type);
    Reference* addSchemaRef(std::string_view key, Schema* target);
    Reference* addSchemaRef(std::string_view key, Reference* target);
    void removeSchema(std::string_view key);
    void clearSchemas();

    const NodeMap& responses() const { return responses_; }
    Response* response(std::string_view key) const;
    Node* responseNode(std::string_view key) const;
    Response* addResponse(std::string_view key);
    Reference* addResponseRef(std::string_view key, Response* target);
    Reference* addResponseRef(std::string_view key, Reference* target);
    void removeResponse(std::string_view key);
    void clearResponses();

    const NodeMap& parameters() const { return parameters_; }
    Parameter* parameter(std::string_view key) const;
    Node* parameterNode(std::string_view key) const;
    Parameter* addPathParameter(std::string_view key, std::string name);
    Parameter* addQueryParameter(std::string_view key, std::string name);
    Parameter* addHeaderParameter(std::string_view key, std::string name);
    Parameter* addCookieParameter(std::string_view key, std::string name);
    Reference* addParameterRef(std::string_view key, Parameter* target);
    Reference* addParameterRef(std::string_view key, Reference* target);
    void removeParameter(std::string_view key);
    void clearParameters();

    const NodeMap& examples() const { return examples_; }
    Example* example(std::string_view key) const;
    Node* exampleNode(std::string_view key) const;
    Example* addExample(std::string_view key);
    Reference* addExampleRef(std::string_view key, Example* target);
    Reference* addExampleRef(std::string_view key, Reference* target);
    void removeExample(std::string_view key);
    void clearExamples();

    const NodeMap& requestBodies() const { return requestBodies_; }
    RequestBody* requestBody(std::string_view key) const;
    Node* requestBodyNode(std::string_view key) const;
    RequestBody* addRequestBody(std::string_view key);
    Reference* addRequestBodyRef(std::string_view key, RequestBody* target);
    Reference* addRequestBodyRef(std::string_view key, Reference* target);
    void removeRequestBody(std::string_view key);
    void clearRequestBodies();

    const NodeMap& headers() const { return headers_; }
    Header* header(std::string_view key) const;
    Node* headerNode(std::string_view key) const;
    Header* addHeader(std::string_view key);
    Reference* addHeaderRef(std::string_view key, Header* target);
    Reference* addHeaderRef(std::string_view key, Reference* target);
    void removeHeader(std::string_view key);
    void clearHeaders();

    // Security schemes are never references.
    const OwnedMap<SecurityScheme>& securitySchemes() const { return securitySchemes_; }
    SecurityScheme* securityScheme(std::string_view key) const;
    ApiKeySecurityScheme* addApiKeyScheme(std::string_view key, std::string name,
                                          ApiKeySecurityScheme::Location location);
    HTTPSecurityScheme* addHttpScheme(std::string_view key, HTTPSecurityScheme::Scheme scheme);
    MutualTLSSecurityScheme* addMutualTlsScheme(std::string_view key);
    OAuth2SecurityScheme* addOAuth2Scheme(std::string_view key);
    OpenIdConnectSecurityScheme* addOpenIdConnectScheme(std::string_view key, std::string url);
    void removeSecurityScheme(std::string_view key);
    void clearSecuritySchemes();

    const NodeMap& links() const { return links_; }
    Link* link(std::string_view key) const;
    Node* linkNode(std::string_view key) const;
    Link* addLink(std::string_view key);
    Reference* addLinkRef(std::string_view key, Link* target);
    Reference* addLinkRef(std::string_view key, Reference* target);
    void removeLink(std::string_view key);
    void clearLinks();

    const NodeMap& callbacks() const { return callbacks_; }
    Callback* callback(std::string_view key) const;
    Node* callbackNode(std::string_view key) const;
    Callback* addCallback(std::string_view key);
    Reference* addCallbackRef(std::string_view key, Callback* target);
    Reference* addCallbackRef(std::string_view key, Reference* target);
    void removeCallback(std::string_view key);
    void clearCallbacks();

    // 3.1.
    const NodeMap& pathItems() const { return pathItems_; }
    PathItem* pathItem(std::string_view key) const;
    Node* pathItemNode(std::string_view key) const;
    PathItem* addPathItem(std::string_view key);
    Reference* addPathItemRef(std::string_view key, PathItem* target);
    Reference* addPathItemRef(std::string_view key, Reference* target);
    void removePathItem(std::string_view key);
    void clearPathItems();

    bool isEmpty() const;

    // The key under which `node` is stored in any of the maps (as the entry itself, not through an alias); empty when
    // it is in none. The writer builds "$ref" pointers from it.
    std::string nodeKey(const Node* node) const;

  private:
    NodeMap schemas_;
    NodeMap responses_;
    NodeMap parameters_;
    NodeMap examples_;
    NodeMap requestBodies_;
    NodeMap headers_;
    OwnedMap<SecurityScheme> securitySchemes_;
    NodeMap links_;
    NodeMap callbacks_;
    NodeMap pathItems_;
};

}  // namespace zephalon::openapi
