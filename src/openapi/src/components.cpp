#include "zephalon/openapi/components.h"

#include "slots.h"
#include "zephalon/openapi/media_type.h"
#include "zephalon/openapi/parameter.h"
#include "zephalon/openapi/paths.h"
#include "zephalon/openapi/response.h"
#include "zephalon/openapi/schema.h"

namespace zephalon::openapi {

Components::~Components() = default;

Schema* Components::schema(std::string_view key) const { return detail::resolvedEntry<Schema>(schemas_, key); }

Node* Components::schemaNode(std::string_view key) const { return detail::entryNode(schemas_, key); }

Schema* Components::addSchema(std::string_view key) { return detail::addEntry<Schema>(schemas_, key, this); }

Reference* Components::addSchemaRef(std::string_view key, Schema* target) {
    return detail::addEntryRef(schemas_, key, this, target);
}

Reference* Components::addSchemaRef(std::string_view key, Reference* target) {
    return detail::addEntryRef(schemas_, key, this, target);
}

void Components::removeSchema(std::string_view key) { detail::removeEntry(schemas_, key); }

Response* Components::response(std::string_view key) const { return detail::resolvedEntry<Response>(responses_, key); }

Node* Components::responseNode(std::string_view key) const { return detail::entryNode(responses_, key); }

Response* Components::addResponse(std::string_view key) { return detail::addEntry<Response>(responses_, key, this); }

Reference* Components::addResponseRef(std::string_view key, Response* target) {
    return detail::addEntryRef(responses_, key, this, target);
}

Reference* Components::addResponseRef(std::string_view key, Reference* target) {
    return detail::addEntryRef(responses_, key, this, target);
}

void Components::removeResponse(std::string_view key) { detail::removeEntry(responses_, key); }

Parameter* Components::parameter(std::string_view key) const {
    return detail::resolvedEntry<Parameter>(parameters_, key);
}

Node* Components::parameterNode(std::string_view key) const { return detail::entryNode(parameters_, key); }

Reference* Components::addParameterRef(std::string_view key, Parameter* target) {
    return detail::addEntryRef(parameters_, key, this, target);
}

Reference* Components::addParameterRef(std::string_view key, Reference* target) {
    return detail::addEntryRef(parameters_, key, this, target);
}

void Components::removeParameter(std::string_view key) { detail::removeEntry(parameters_, key); }

Example* Components::example(std::string_view key) const { return detail::resolvedEntry<Example>(examples_, key); }

Node* Components::exampleNode(std::string_view key) const { return detail::entryNode(examples_, key); }

Example* Components::addExample(std::string_view key) { return detail::addEntry<Example>(examples_, key, this); }

Reference* Components::addExampleRef(std::string_view key, Example* target) {
    return detail::addEntryRef(examples_, key, this, target);
}

Reference* Components::addExampleRef(std::string_view key, Reference* target) {
    return detail::addEntryRef(examples_, key, this, target);
}

void Components::removeExample(std::string_view key) { detail::removeEntry(examples_, key); }

RequestBody* Components::requestBody(std::string_view key) const {
    return detail::resolvedEntry<RequestBody>(requestBodies_, key);
}

Node* Components::requestBodyNode(std::string_view key) const { return detail::entryNode(requestBodies_, key); }

RequestBody* Components::addRequestBody(std::string_view key) {
    return detail::addEntry<RequestBody>(requestBodies_, key, this);
}

Reference* Components::addRequestBodyRef(std::string_view key, RequestBody* target) {
    return detail::addEntryRef(requestBodies_, key, this, target);
}

Reference* Components::addRequestBodyRef(std::string_view key, Reference* target) {
    return detail::addEntryRef(requestBodies_, key, this, target);
}

void Components::removeRequestBody(std::string_view key) { detail::removeEntry(requestBodies_, key); }

Header* Components::header(std::string_view key) const { return detail::resolvedEntry<Header>(headers_, key); }

Node* Components::headerNode(std::string_view key) const { return detail::entryNode(headers_, key); }

Header* Components::addHeader(std::string_view key) { return detail::addEntry<Header>(headers_, key, this); }

Reference* Components::addHeaderRef(std::string_view key, Header* target) {
    return detail::addEntryRef(headers_, key, this, target);
}

Reference* Components::addHeaderRef(std::string_view key, Reference* target) {
    return detail::addEntryRef(headers_, key, this, target);
}

void Components::removeHeader(std::string_view key) { detail::removeEntry(headers_, key); }

Link* Components::link(std::string_view key) const { return detail::resolvedEntry<Link>(links_, key); }

Node* Components::linkNode(std::string_view key) const { return detail::entryNode(links_, key); }

Link* Components::addLink(std::string_view key) { return detail::addEntry<Link>(links_, key, this); }

Reference* Components::addLinkRef(std::string_view key, Link* target) {
    return detail::addEntryRef(links_, key, this, target);
}

Reference* Components::addLinkRef(std::string_view key, Reference* target) {
    return detail::addEntryRef(links_, key, this, target);
}

void Components::removeLink(std::string_view key) { detail::removeEntry(links_, key); }

Callback* Components::callback(std::string_view key) const { return detail::resolvedEntry<Callback>(callbacks_, key); }

Node* Components::callbackNode(std::string_view key) const { return detail::entryNode(callbacks_, key); }

Callback* Components::addCallback(std::string_view key) { return detail::addEntry<Callback>(callbacks_, key, this); }

Reference* Components::addCallbackRef(std::string_view key, Callback* target) {
    return detail::addEntryRef(callbacks_, key, this, target);
}

Reference* Components::addCallbackRef(std::string_view key, Reference* target) {
    return detail::addEntryRef(callbacks_, key, this, target);
}

void Components::removeCallback(std::string_view key) { detail::removeEntry(callbacks_, key); }

PathItem* Components::pathItem(std::string_view key) const { return detail::resolvedEntry<PathItem>(pathItems_, key); }

Node* Components::pathItemNode(std::string_view key) const { return detail::entryNode(pathItems_, key); }

PathItem* Components::addPathItem(std::string_view key) { return detail::addEntry<PathItem>(pathItems_, key, this); }

Reference* Components::addPathItemRef(std::string_view key, PathItem* target) {
    return detail::addEntryRef(pathItems_, key, this, target);
}

Reference* Components::addPathItemRef(std::string_view key, Reference* target) {
    return detail::addEntryRef(pathItems_, key, this, target);
}

void Components::removePathItem(std::string_view key) { detail::removeEntry(pathItems_, key); }

Schema* Components::addSchema(std::string_view key, SchemaType type) {
    return detail::addEntry<Schema>(schemas_, key, this, type);
}

Parameter* Components::addPathParameter(std::string_view key, std::string name) {
    return detail::addEntry<PathParameter, Parameter>(parameters_, key, this, std::move(name));
}

Parameter* Components::addQueryParameter(std::string_view key, std::string name) {
    return detail::addEntry<QueryParameter, Parameter>(parameters_, key, this, std::move(name));
}

Parameter* Components::addHeaderParameter(std::string_view key, std::string name) {
    return detail::addEntry<HeaderParameter, Parameter>(parameters_, key, this, std::move(name));
}

Parameter* Components::addCookieParameter(std::string_view key, std::string name) {
    return detail::addEntry<CookieParameter, Parameter>(parameters_, key, this, std::move(name));
}

SecurityScheme* Components::securityScheme(std::string_view key) const {
    return detail::resolvedEntry<SecurityScheme>(securitySchemes_, key);
}

ApiKeySecurityScheme* Components::addApiKeyScheme(std::string_view key, std::string name,
                                                  ApiKeySecurityScheme::Location location) {
    return detail::addEntry<ApiKeySecurityScheme>(securitySchemes_, key, this, std::move(name), location);
}

HTTPSecurityScheme* Components::addHttpScheme(std::string_view key, HTTPSecurityScheme::Scheme scheme) {
    return detail::addEntry<HTTPSecurityScheme>(securitySchemes_, key, this, scheme);
}

MutualTLSSecurityScheme* Components::addMutualTlsScheme(std::string_view key) {
    return detail::addEntry<MutualTLSSecurityScheme>(securitySchemes_, key, this);
}

OAuth2SecurityScheme* Components::addOAuth2Scheme(std::string_view key) {
    return detail::addEntry<OAuth2SecurityScheme>(securitySchemes_, key, this);
}

OpenIdConnectSecurityScheme* Components::addOpenIdConnectScheme(std::string_view key, std::string url) {
    return detail::addEntry<OpenIdConnectSecurityScheme>(securitySchemes_, key, this, std::move(url));
}

void Components::removeSecurityScheme(std::string_view key) { detail::removeEntry(securitySchemes_, key); }

bool Components::isEmpty() const {
    return schemas_.empty() && responses_.empty() && parameters_.empty() && examples_.empty() &&
           requestBodies_.empty() && headers_.empty() && securitySchemes_.empty() && links_.empty() &&
           callbacks_.empty() && pathItems_.empty();
}

namespace {

template <class Map>
const std::string* keyOf(const Map& map, const Node* node) {
    for (const auto& [key, entry] : map) {
        if (entry.get() == node) {
            return &key;
        }
    }
    return nullptr;
}

}  // namespace

std::string Components::nodeKey(const Node* node) const {
    // Only the map of the node's own kind can hold it, and only as a direct child.
    if (node == nullptr || node->parent() != this) {
        return {};
    }
    const std::string* key = nullptr;
    switch (normalizeSubtypes(node->type())) {
        case NodeType::Schema:
            key = keyOf(schemas_, node);
            break;
        case NodeType::Response:
            key = keyOf(responses_, node);
            break;
        case NodeType::Parameter:
            key = keyOf(parameters_, node);
            break;
        case NodeType::Example:
            key = keyOf(examples_, node);
            break;
        case NodeType::RequestBody:
            key = keyOf(requestBodies_, node);
            break;
        case NodeType::Header:
            key = keyOf(headers_, node);
            break;
        case NodeType::SecurityScheme:
            key = keyOf(securitySchemes_, node);
            break;
        case NodeType::Link:
            key = keyOf(links_, node);
            break;
        case NodeType::Callback:
            key = keyOf(callbacks_, node);
            break;
        case NodeType::PathItem:
            key = keyOf(pathItems_, node);
            break;
        case NodeType::Reference:
            // An alias entry: it may sit in any map.
            for (const NodeMap* map : {&schemas_, &responses_, &parameters_, &examples_, &requestBodies_, &headers_,
                                       &links_, &callbacks_, &pathItems_}) {
                if ((key = keyOf(*map, node)) != nullptr) {
                    break;
                }
            }
            break;
        default:
            break;
    }
    return key == nullptr ? std::string() : *key;
}

// Removal goes through the shared helpers: a child is detached before it is destroyed.

void Components::clearSchemas() { detail::clearAll(schemas_); }

void Components::clearResponses() { detail::clearAll(responses_); }

void Components::clearParameters() { detail::clearAll(parameters_); }

void Components::clearExamples() { detail::clearAll(examples_); }

void Components::clearRequestBodies() { detail::clearAll(requestBodies_); }

void Components::clearHeaders() { detail::clearAll(headers_); }

void Components::clearSecuritySchemes() { detail::clearAll(securitySchemes_); }

void Components::clearLinks() { detail::clearAll(links_); }

void Components::clearCallbacks() { detail::clearAll(callbacks_); }

void Components::clearPathItems() { detail::clearAll(pathItems_); }

}  // namespace zephalon::openapi
