// The readers of every object except schemas.

#include <fmt/format.h>

#include <algorithm>
#include <array>

#include "reader_impl.h"

namespace zephalon::openapi::detail {

namespace {

template <std::size_t N>
bool oneOf(std::string_view text, const std::array<std::string_view, N>& allowed) {
    return std::find(allowed.begin(), allowed.end(), text) != allowed.end();
}

constexpr std::array<std::string_view, 3> kPathStyles{"matrix", "label", "simple"};
constexpr std::array<std::string_view, 4> kQueryStyles{"form", "spaceDelimited", "pipeDelimited", "deepObject"};
constexpr std::array<std::string_view, 3> kApiKeyLocations{"query", "header", "cookie"};

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// Info, servers, tags, external documentation

void DocumentReader::readInfo(Info* info, const JV& value) {
    if (!expectObject(info, value, "Info object must be an object")) return;
    map(info, value);
    readExtensions(info, value);
    if (auto title = optString(info, value, "title")) info->setTitle(*title);
    if (auto summary = optString(info, value, "summary")) info->setSummary(*summary);
    if (auto description = optString(info, value, "description")) info->setDescription(*description);
    if (auto terms = optString(info, value, "termsOfService")) info->setTermsOfService(*terms);
    if (const JV* contact = value.property("contact")) guard(info, contact, [&] { readContact(info, *contact); });
    if (const JV* license = value.property("license")) guard(info, license, [&] { readLicense(info, *license); });
    if (auto version = optString(info, value, "version")) info->setVersion(*version);
}

void DocumentReader::readContact(Info* info, const JV& value) {
    if (!expectObject(info, value, "Expected object")) return;
    Contact* contact = info->addContact();
    map(contact, value);
    readExtensions(contact, value);
    if (auto name = optString(contact, value, "name")) contact->setName(*name);
    if (auto url = optString(contact, value, "url")) contact->setUrl(*url);
    if (auto email = optString(contact, value, "email")) contact->setEmail(*email);
}

void DocumentReader::readLicense(Info* info, const JV& value) {
    if (!expectObject(info, value, "Expected object")) return;
    License* license = info->addLicense(optString(info, value, "name").value_or(""));
    map(license, value);
    readExtensions(license, value);
    auto identifier = optString(license, value, "identifier");
    auto url = optString(license, value, "url");
    // Both are kept so that nothing of the document is lost; the issue makes the conflict known.
    if (identifier && url) issue(license, &value, "License object must have either identifier or url, not both");
    if (identifier) license->setIdentifier(*identifier);
    if (url) license->setUrl(*url);
}

template <class Make>
void DocumentReader::readServer(const JV& value, const Node* owner, Make&& make) {
    if (!expectObject(owner, value, "Expected object")) return;
    Server* server = make(optString(owner, value, "url").value_or(""));
    map(server, value);
    readExtensions(server, value);
    if (auto description = optString(server, value, "description")) server->setDescription(*description);
    const JV* variables = optObject(server, value, "variables");
    if (variables == nullptr) return;
    mapKeyed(server, "variables", variables);
    for (const auto& [name, variable] : members(*variables)) {
        ServerVariable* target = server->variable(name);
        if (target == nullptr) throw std::runtime_error("Invalid server variable: " + std::string(name));
        if (!expectObject(server, *variable, "Expected object")) continue;
        readServerVariable(target, *variable);
    }
}

void DocumentReader::readServerVariable(ServerVariable* variable, const JV& value) {
    map(variable, value);
    readExtensions(variable, value);
    if (const JV* values = optArray(variable, value, "enum")) {
        for (const JV* item : values->items()) {
            if (item->isString()) {
                variable->addEnum(std::string(item->stringValue()));
            } else {
                issue(variable, values, "Expected string value");
            }
        }
    }
    if (auto defaultValue = optString(variable, value, "default")) variable->setDefaultValue(*defaultValue);
    if (auto description = optString(variable, value, "description")) variable->setDescription(*description);
}

void DocumentReader::readTag(const JV& value) {
    if (!expectObject(model_, value, "Expected object")) return;
    Tag* tag = model_->addTag(std::string(value.stringPropertyValue("name")));
    map(tag, value);
    readExtensions(tag, value);
    if (auto description = optString(tag, value, "description")) tag->setDescription(*description);
    if (const JV* docs = optObject(tag, value, "externalDocs")) {
        readExternalDocs(tag, *docs, [&](std::string url) { return tag->addExternalDocs(std::move(url)); });
    }
}

void DocumentReader::readExternalDocs(const Node* owner, const JV& value,
                                      const std::function<ExternalDocumentation*(std::string)>& add) {
    ExternalDocumentation* docs = add(optString(owner, value, "url").value_or(""));
    map(docs, value);
    readExtensions(docs, value);
    if (auto description = optString(docs, value, "description")) docs->setDescription(*description);
}

// ---------------------------------------------------------------------------------------------------------------
// The root

void DocumentReader::readOpenAPI(const JV& root) {
    OpenAPI* model = model_;
    map(model, root);
    guard(model, &root, [&] {
        if (auto version = optString(model, root, "openapi")) {
            model->setSpecVersion(*version);
            is30_ = model->specVersion().starts_with("3.0");
        }
    });
    guard(model, &root, [&] {
        if (const JV* info = root.property("info")) readInfo(model->info(), *info);
    });
    guard(model, &root, [&] {
        if (auto dialect = optString(model, root, "jsonSchemaDialect")) model->setJsonSchemaDialect(*dialect);
    });
    guard(model, &root, [&] {
        if (const JV* servers = optArray(model, root, "servers")) {
            for (const JV* server : servers->items()) {
                guard(model, server, [&] {
                    readServer(*server, model, [&](std::string url) { return model->addServer(std::move(url)); });
                });
            }
        }
    });
    guard(model, &root, [&] {
        if (const JV* tags = optArray(model, root, "tags")) {
            for (const JV* tag : tags->items()) guard(model, tag, [&] { readTag(*tag); });
        }
    });
    guard(model, &root, [&] {
        if (const JV* components = root.property("components")) readComponents(*components);
    });
    guard(model, &root, [&] {
        if (const JV* paths = root.property("paths")) readPaths(*paths);
    });
    guard(model, &root, [&] {
        if (const JV* webhooks = optObject(model, root, "webhooks")) readWebhooks(*webhooks);
    });
    guard(model, &root, [&] {
        if (const JV* security = optArray(model, root, "security")) {
            for (const JV* requirement : security->items()) {
                guard(model, requirement,
                      [&] { readSecurityRequirement(model->addSecurityRequirement(), *requirement); });
            }
        }
    });
    guard(model, &root, [&] {
        if (const JV* docs = optObject(model, root, "externalDocs")) {
            readExternalDocs(model, *docs, [&](std::string url) { return model->addExternalDocs(std::move(url)); });
        }
    });
    guard(model, &root, [&] { readExtensions(model, root); });
    guard(model, &root, [&] { resolvePendingLinks(); });
}

// ---------------------------------------------------------------------------------------------------------------
// Security

void DocumentReader::readSecurityScheme(std::string_view key, const JV& value) {
    Components* components = model_->components();
    if (!expectObject(components, value, "Expected object")) return;
    std::string_view type = value.stringPropertyValue("type");
    SecurityScheme* scheme = nullptr;
    if (type == "apiKey") {
        std::string location = optString(components, value, "in").value_or("");
        if (!oneOf(location, kApiKeyLocations)) {
            issue(components, &value, fmt::format("Invalid API key location: {}", location));
            return;
        }
        scheme = components->addApiKeyScheme(key, optString(components, value, "name").value_or(""),
                                             stringToApiKeySchemeLocation(location));
    } else if (type == "http") {
        std::string name = optString(components, value, "scheme").value_or("");
        if (!isValidHttpSchemeScheme(name)) {
            issue(components, &value, fmt::format("Invalid HTTP authentication scheme: {}", name));
            return;
        }
        auto* http = components->addHttpScheme(key, stringToHttpSchemeScheme(name));
        if (auto format = optString(components, value, "bearerFormat")) http->setBearerFormat(*format);
        scheme = http;
    } else if (type == "mutualTLS") {
        scheme = components->addMutualTlsScheme(key);
    } else if (type == "oauth2") {
        auto* oauth2 = components->addOAuth2Scheme(key);
        if (const JV* flows = optObject(components, value, "flows")) readOAuthFlows(oauth2->flows(), *flows);
        scheme = oauth2;
    } else if (type == "openIdConnect") {
        scheme = components->addOpenIdConnectScheme(key, optString(components, value, "openIdConnectUrl").value_or(""));
    } else {
        issue(components, &value, fmt::format("Invalid security scheme type: {}", type));
        return;
    }
    map(scheme, value);
    if (auto description = optString(scheme, value, "description")) scheme->setDescription(*description);
    readExtensions(scheme, value);
}

void DocumentReader::readOAuthFlows(OAuthFlows* flows, const JV& value) {
    map(flows, value);
    readExtensions(flows, value);
    auto url = [&](const JV& flow, std::string_view key) { return optString(flows, flow, key).value_or(""); };
    if (const JV* flow = optObject(flows, value, "implicit")) {
        readOAuthFlow(flows->addImplicit(url(*flow, "authorizationUrl")), *flow);
    }
    if (const JV* flow = optObject(flows, value, "password")) {
        readOAuthFlow(flows->addPassword(url(*flow, "tokenUrl")), *flow);
    }
    if (const JV* flow = optObject(flows, value, "clientCredentials")) {
        readOAuthFlow(flows->addClientCredentials(url(*flow, "tokenUrl")), *flow);
    }
    if (const JV* flow = optObject(flows, value, "authorizationCode")) {
        readOAuthFlow(flows->addAuthorizationCode(url(*flow, "authorizationUrl"), url(*flow, "tokenUrl")), *flow);
    }
}

void DocumentReader::readOAuthFlow(OAuthFlow* flow, const JV& value) {
    map(flow, value);
    readExtensions(flow, value);
    if (auto refreshUrl = optString(flow, value, "refreshUrl")) flow->setRefreshUrl(*refreshUrl);
    if (const JV* scopes = optObject(flow, value, "scopes")) {
        mapKeyed(flow, "scopes", scopes);
        for (const auto& [name, description] : members(*scopes)) {
            if (description->isString()) {
                flow->addScope(name, std::string(description->stringValue()));
            } else {
                issue(flow, scopes, fmt::format("A string value is expected for '{}'.", name));
            }
        }
    }
}

void DocumentReader::readSecurityRequirement(SecurityRequirement* requirement, const JV& value) {
    if (!expectObject(requirement, value, "Expected object")) return;
    map(requirement, value);
    const Components* components = model_->components();
    for (const auto& [name, scopes] : members(value)) {
        if (components->securityScheme(name) == nullptr) {
            issue(requirement, &value, fmt::format("Invalid security scheme name: {}", name));
            continue;
        }
        requirement->addItem(name);
        if (!scopes->isArray()) {
            issue(requirement, &value, fmt::format("An array value is expected for '{}'.", name));
            continue;
        }
        for (const JV* scope : scopes->items()) {
            if (scope->isString()) {
                requirement->addItem(name, scope->stringValue());
            } else {
                issue(requirement, scopes, "Expected string value");
            }
        }
    }
}

// ---------------------------------------------------------------------------------------------------------------
// Path items and operations

void DocumentReader::readPathItem(PathItem* item, const JV& value) {
    if (!expectObject(item, value, "Expected an object")) return;
    map(item, value);
    readExtensions(item, value);
    if (auto summary = optString(item, value, "summary")) item->setSummary(*summary);
    if (auto description = optString(item, value, "description")) item->setDescription(*description);
    for (const auto& member : operationMethods) {
        const auto& method = member.first;
        const auto& name = member.second;
        const JV* operation = value.property(name);
        if (operation == nullptr) continue;
        guard(item, operation, [&] {
            if (!expectObject(item, *operation, "Expected an object")) return;
            readOperation(item->addOperation(method), *operation);
        });
    }
    if (const JV* servers = optArray(item, value, "servers")) {
        for (const JV* server : servers->items()) {
            guard(item, server,
                  [&] { readServer(*server, item, [&](std::string url) { return item->addServer(std::move(url)); }); });
        }
    }
    if (const JV* parameters = optArray(item, value, "parameters")) {
        for (const JV* parameter : parameters->items()) {
            guard(item, parameter, [&] { readParameterSlot(item, *parameter); });
        }
    }
}

void DocumentReader::readOperation(Operation* operation, const JV& value) {
    map(operation, value);
    readExtensions(operation, value);
    if (const JV* tags = optArray(operation, value, "tags")) {
        for (const JV* tag : tags->items()) {
            if (tag->isString() && !tag->stringValue().empty()) operation->addTag(tag->stringValue());
        }
    }
    if (auto summary = optString(operation, value, "summary")) operation->setSummary(*summary);
    if (auto description = optString(operation, value, "description")) operation->setDescription(*description);
    if (const JV* docs = optObject(operation, value, "externalDocs")) {
        readExternalDocs(operation, *docs, [&](std::string url) { return operation->addExternalDocs(std::move(url)); });
    }
    guard(operation, &value, [&] {
        if (auto id = optString(operation, value, "operationId")) operation->setOperationId(*id);
    });
    if (auto deprecated = optBool(operation, value, "deprecated")) operation->setDeprecated(*deprecated);
    if (const JV* parameters = optArray(operation, value, "parameters")) {
        for (const JV* parameter : parameters->items()) {
            guard(operation, parameter, [&] { readParameterSlot(operation, *parameter); });
        }
    }
    if (const JV* body = value.property("requestBody")) {
        guard(operation, body, [&] {
            if (isRef(*body)) {
                readRefSlot<RequestBody>(RefKind::requestBody, operation, *body,
                                         [&](auto* t) { return operation->setRequestBodyRef(t); });
            } else if (expectObject(operation, *body, "Expected an object")) {
                readRequestBody(operation->setRequestBody(), *body);
            }
        });
    }
    if (const JV* responses = optObject(operation, value, "responses")) {
        guard(operation, responses, [&] { readResponses(operation, *responses); });
    }
    if (const JV* callbacks = optObject(operation, value, "callbacks")) {
        mapKeyed(operation, "callbacks", callbacks);
        for (const auto& member : members(*callbacks)) {
            const auto& name = member.first;
            const auto& callback = member.second;
            guard(operation, callback, [&] {
                if (isRef(*callback)) {
                    readRefSlot<Callback>(RefKind::callback, operation, *callback,
                                          [&](auto* t) { return operation->addCallbackRef(name, t); });
                } else if (expectObject(operation, *callback, "Expected an object")) {
                    readCallback(operation->addCallback(name), *callback);
                }
            });
        }
    }
    if (const JV* security = optArray(operation, value, "security")) {
        // Present, even empty, it replaces the document's requirements.
        operation->setInheritsSecurity(false);
        for (const JV* requirement : security->items()) {
            guard(operation, requirement,
                  [&] { readSecurityRequirement(operation->addSecurityRequirement(), *requirement); });
        }
    }
    if (const JV* servers = optArray(operation, value, "servers")) {
        for (const JV* server : servers->items()) {
            guard(operation, server, [&] {
                readServer(*server, operation, [&](std::string url) { return operation->addServer(std::move(url)); });
            });
        }
    }
}

template <class Owner>
void DocumentReader::readParameterSlot(Owner* owner, const JV& value) {
    if (isRef(value)) {
        readRefSlot<Parameter>(RefKind::parameter, owner, value, [&](auto* t) { return owner->addParameterRef(t); });
        return;
    }
    makeParameter(owner, value, [&](Parameter::Location location, std::string name) -> Parameter* {
        switch (location) {
            case Parameter::Location::path:
                return owner->addPathParameter(std::move(name));
            case Parameter::Location::query:
                return owner->addQueryParameter(std::move(name));
            case Parameter::Location::header:
                return owner->addHeaderParameter(std::move(name));
            case Parameter::Location::cookie:
                return owner->addCookieParameter(std::move(name));
        }
        return nullptr;
    });
}

Parameter* DocumentReader::makeParameter(Node* owner, const JV& value,
                                         const std::function<Parameter*(Parameter::Location, std::string)>& add) {
    if (!expectObject(owner, value, "Expected an object")) return nullptr;
    std::string_view in = value.stringPropertyValue("in");
    Parameter::Location location;
    if (in == "path") {
        location = Parameter::Location::path;
    } else if (in == "query") {
        location = Parameter::Location::query;
    } else if (in == "header") {
        location = Parameter::Location::header;
    } else if (in == "cookie") {
        location = Parameter::Location::cookie;
    } else {
        issue(owner, &value, fmt::format("Invalid parameter location: {}", in));
        return nullptr;
    }
    Parameter* parameter = add(location, std::string(value.stringPropertyValue("name")));
    if (parameter != nullptr) readParameter(parameter, value);
    return parameter;
}

void DocumentReader::readParameter(Parameter* parameter, const JV& value) {
    map(parameter, value);
    readExtensions(parameter, value);
    if (auto description = optString(parameter, value, "description")) parameter->setDescription(*description);
    if (auto required = optBool(parameter, value, "required")) {
        if (parameter->location() == Parameter::Location::path && !*required) {
            issue(parameter, &value, "Path parameters must be required");
        } else {
            parameter->setRequired(*required);
        }
    }
    if (auto deprecated = optBool(parameter, value, "deprecated")) parameter->setDeprecated(*deprecated);
    if (auto explode = optBool(parameter, value, "explode")) parameter->setExplode(*explode);
    readSchemaOrContent(parameter, parameter->schemaOrContent(), value);
    readExamples(parameter, parameter->examples(), value);
    auto style = optString(parameter, value, "style");
    if (auto* path = nodeCast<PathParameter>(parameter)) {
        if (style && oneOf(*style, kPathStyles)) {
            path->setStyle(stringToPathParameterStyle(*style));
        } else if (style) {
            issue(parameter, &value, fmt::format("Invalid parameter style: {}", *style));
        }
    } else if (auto* query = nodeCast<QueryParameter>(parameter)) {
        if (style && oneOf(*style, kQueryStyles)) {
            query->setStyle(stringToQueryParameterStyle(*style));
            // Without an explicit explode, only the form style explodes by default.
            if (!value.hasProperty("explode")) query->setExplode(*style == "form");
        } else if (style) {
            issue(parameter, &value, fmt::format("Invalid parameter style: {}", *style));
        }
        if (auto allow = optBool(parameter, value, "allowEmptyValue")) query->setAllowEmptyValue(*allow);
        if (auto allow = optBool(parameter, value, "allowReserved")) query->setAllowReserved(*allow);
    }
}

// ---------------------------------------------------------------------------------------------------------------
// Payloads

void DocumentReader::readSchemaOrContent(Node* owner, SchemaOrMediaType& slot, const JV& value) {
    if (const JV* schema = value.property("schema")) {
        readSchemaSlot(
            owner, *schema, [&] { return slot.setSchema(); },
            [&](Schema* target) { return slot.setSchemaRef(target); });
        return;
    }
    const JV* content = optObject(owner, value, "content");
    if (content == nullptr || content->size() == 0) return;
    mapKeyed(owner, "content", content);
    auto [key, mediaType] = *content->properties().begin();
    if (!expectObject(owner, *mediaType, "Expected an object")) return;
    readMediaType(slot.setMediaType(std::string(key)), *mediaType);
}

void DocumentReader::readExamples(Node* owner, Examples& examples, const JV& value) {
    if (const JV* example = value.property("example")) {
        examples.setEmbeddedExample(example);
        return;
    }
    const JV* named = optObject(owner, value, "examples");
    if (named == nullptr) return;
    mapKeyed(owner, "examples", named);
    for (const auto& member : members(*named)) {
        const auto& name = member.first;
        const auto& example = member.second;
        guard(owner, example, [&] {
            if (isRef(*example)) {
                readRefSlot<Example>(RefKind::example, owner, *example,
                                     [&](auto* t) { return examples.addExternalExampleRef(name, t); });
            } else if (expectObject(owner, *example, "Expected an object")) {
                if (Example* target = examples.addExternalExample(name)) readExample(target, *example);
            }
        });
    }
}

void DocumentReader::readRequestBody(RequestBody* body, const JV& value) {
    map(body, value);
    readExtensions(body, value);
    if (auto description = optString(body, value, "description")) body->setDescription(*description);
    if (const JV* content = optObject(body, value, "content")) {
        mapKeyed(body, "content", content);
        for (const auto& member : members(*content)) {
            const auto& key = member.first;
            const auto& mediaType = member.second;
            guard(body, mediaType, [&] {
                if (expectObject(body, *mediaType, "Expected an object")) {
                    readMediaType(body->addMediaType(key), *mediaType);
                }
            });
        }
    }
    if (auto required = optBool(body, value, "required")) body->setRequired(*required);
}

void DocumentReader::readMediaType(MediaType* mediaType, const JV& value) {
    map(mediaType, value);
    readExtensions(mediaType, value);
    if (const JV* schema = value.property("schema")) {
        readSchemaSlot(
            mediaType, *schema, [&] { return mediaType->setSchema(); },
            [&](Schema* target) { return mediaType->setSchemaRef(target); });
    }
    readExamples(mediaType, mediaType->examples(), value);
    if (const JV* encodings = optObject(mediaType, value, "encoding")) {
        mapKeyed(mediaType, "encoding", encodings);
        for (const auto& member : members(*encodings)) {
            const auto& name = member.first;
            const auto& encoding = member.second;
            guard(mediaType, encoding, [&] {
                if (expectObject(mediaType, *encoding, "Expected an object")) {
                    readEncoding(mediaType->addEncoding(name), *encoding);
                }
            });
        }
    }
}

void DocumentReader::readEncoding(Encoding* encoding, const JV& value) {
    map(encoding, value);
    readExtensions(encoding, value);
    if (auto contentType = optString(encoding, value, "contentType")) encoding->setContentType(*contentType);
    if (const JV* headers = optObject(encoding, value, "headers")) readHeaderMap(encoding, *headers);
    if (auto style = optString(encoding, value, "style")) {
        if (oneOf(*style, kQueryStyles)) {
            encoding->setStyle(stringToEncodingStyle(*style));
        } else {
            issue(encoding, &value, fmt::format("Invalid encoding style: {}", *style));
        }
    }
    if (auto explode = optBool(encoding, value, "explode")) encoding->setExplode(*explode);
    if (auto allow = optBool(encoding, value, "allowReserved")) encoding->setAllowReserved(*allow);
}

template <class Owner>
void DocumentReader::readHeaderMap(Owner* owner, const JV& headers) {
    mapKeyed(owner, "headers", &headers);
    for (const auto& member : members(headers)) {
        const auto& name = member.first;
        const auto& header = member.second;
        guard(owner, header, [&] {
            if (isRef(*header)) {
                readRefSlot<Header>(RefKind::header, owner, *header,
                                    [&](auto* t) { return owner->addHeaderRef(name, t); });
            } else if (expectObject(owner, *header, "Expected an object")) {
                if (Header* target = owner->addHeader(name)) readHeader(target, *header);
            }
        });
    }
}

void DocumentReader::readHeader(Header* header, const JV& value) {
    map(header, value);
    readExtensions(header, value);
    if (auto description = optString(header, value, "description")) header->setDescription(*description);
    if (auto required = optBool(header, value, "required")) header->setRequired(*required);
    if (auto deprecated = optBool(header, value, "deprecated")) header->setDeprecated(*deprecated);
    if (auto explode = optBool(header, value, "explode")) header->setExplode(*explode);
    readSchemaOrContent(header, header->schemaOrContent(), value);
    readExamples(header, header->examples(), value);
}

// ---------------------------------------------------------------------------------------------------------------
// Responses, callbacks, examples, links

void DocumentReader::readResponses(Operation* operation, const JV& value) {
    Responses* responses = operation->responses();
    map(responses, value);
    readExtensions(responses, value);
    for (const auto& member : members(value)) {
        const auto& status = member.first;
        const auto& response = member.second;
        if (isExtensionKey(status)) continue;
        guard(responses, response, [&] {
            if (isRef(*response)) {
                readRefSlot<Response>(RefKind::response, responses, *response,
                                      [&](auto* t) { return responses->addResponseRef(status, t); });
            } else if (expectObject(responses, *response, "Expected an object")) {
                readResponse(responses->addResponse(status), *response);
            }
        });
    }
}

void DocumentReader::readResponse(Response* response, const JV& value) {
    map(response, value);
    readExtensions(response, value);
    if (auto description = optString(response, value, "description")) response->setDescription(*description);
    if (const JV* headers = optObject(response, value, "headers")) readHeaderMap(response, *headers);
    if (const JV* content = optObject(response, value, "content")) {
        mapKeyed(response, "content", content);
        for (const auto& member : members(*content)) {
            const auto& key = member.first;
            const auto& mediaType = member.second;
            guard(response, mediaType, [&] {
                if (expectObject(response, *mediaType, "Expected an object")) {
                    readMediaType(response->addMediaType(key), *mediaType);
                }
            });
        }
    }
    if (const JV* links = optObject(response, value, "links")) {
        mapKeyed(response, "links", links);
        for (const auto& member : members(*links)) {
            const auto& name = member.first;
            const auto& link = member.second;
            guard(response, link, [&] {
                if (isRef(*link)) {
                    readRefSlot<Link>(RefKind::link, response, *link,
                                      [&](auto* t) { return response->addLinkRef(name, t); });
                } else if (expectObject(response, *link, "Expected an object")) {
                    readLink(response->addLink(name), *link);
                }
            });
        }
    }
}

void DocumentReader::readCallback(Callback* callback, const JV& value) {
    DepthScope depth(*this, callback, value);
    if (!depth.ok()) return;
    map(callback, value);
    readExtensions(callback, value);
    for (const auto& member : members(value)) {
        const auto& expression = member.first;
        const auto& item = member.second;
        if (isExtensionKey(expression)) continue;
        guard(callback, item, [&] {
            if (!isRef(*item)) {
                readPathItem(callback->addItem(expression), *item);
                return;
            }
            // A callback holds its path items by value, so a referenced path item is read in place. The chain of
            // path items being read stops one that (through its own callbacks) refers to itself.
            std::string ref = refText(*item);
            const JV* target = nullptr;
            std::size_t file = currentFile_;
            bool inDocument = !isExternal(ref);
            if (!inDocument) {
                std::optional<ExternalPlace> place = locate(callback, *item, ref, inDocument);
                if (place) {
                    target = place->value;
                    file = place->file;
                } else if (inDocument) {
                    file = 0;
                    recordRewrite(*item, ref);
                } else {
                    return;  // reported
                }
            }
            if (inDocument) {
                target = refValue(ref);
                if (target == nullptr) {
                    issue(callback, item, "Unresolved reference: " + ref);
                    return;
                }
            }
            if (std::find(inlinedPathItems_.begin(), inlinedPathItems_.end(), target) != inlinedPathItems_.end()) {
                issue(callback, item, "Circular reference: " + ref);
                return;
            }
            if (file != currentFile_) result_.bundlePlan().inlined[item] = target;
            inlinedPathItems_.push_back(target);
            PathItem* pathItem = callback->addItem(expression);
            map(pathItem, *item);
            inFile(file, [&] { readPathItem(pathItem, *target); });
            inlinedPathItems_.pop_back();
        });
    }
}

void DocumentReader::readExample(Example* example, const JV& value) {
    map(example, value);
    readExtensions(example, value);
    if (auto summary = optString(example, value, "summary")) example->setSummary(*summary);
    if (auto description = optString(example, value, "description")) example->setDescription(*description);
    if (const JV* v = value.property("value")) example->setValue(v);
    if (auto external = optString(example, value, "externalValue")) example->setExternalValue(*external);
}

void DocumentReader::readLink(Link* link, const JV& value) {
    map(link, value);
    readExtensions(link, value);
    if (auto ref = optString(link, value, "operationRef")) link->setOperationRef(*ref);
    if (auto id = optString(link, value, "operationId")) link->setOperationId(*id);
    if (const JV* parameters = optObject(link, value, "parameters")) {
        mapKeyed(link, "parameters", parameters);
        for (auto [name, parameter] : parameters->properties()) link->setParameter(name, parameter);
    }
    if (const JV* body = value.property("requestBody")) link->setRequestBody(body);
    if (auto description = optString(link, value, "description")) link->setDescription(*description);
    if (const JV* server = optObject(link, value, "server")) {
        guard(link, server,
              [&] { readServer(*server, link, [&](std::string url) { return link->setServer(std::move(url)); }); });
    }
}

}  // namespace zephalon::openapi::detail
