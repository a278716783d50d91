// The writers of the document's nodes (everything but schemas), and the entry points that serialise a model
// without a source document.

#include <fmt/format.h>

#include <algorithm>
#include <optional>
#include <ostream>

#include "writer_impl.h"
#include "zephalon/foundation/assertions.h"
#include "zephalon/jv/file_io.h"
#include "zephalon/openapi/model.h"
#include "zephalon/openapi/writer.h"

namespace zephalon::openapi {

using jv::JV;

namespace detail {

void WriterCore::writeSlot(const Node* slot, JV& target) {
    target.setObject();
    if (slot->type() == NodeType::Reference) {
        writeReference(static_cast<const Reference&>(*slot), target);
    } else {
        writeNode(*slot, target);
    }
}

void WriterCore::writeSlotMember(OutObject& out, std::string_view key, const Node* slot) {
    if (slot == nullptr) return;
    writeSlot(slot, *out.putObject(key));
}

void WriterCore::writeSlotMap(OutObject& out, std::string_view key, const NodeMap& map, const Node& owner,
                              std::string_view orderKey) {
    if (map.empty()) return;
    OutObject members = mapObject(out, key);
    for (const auto& [name, slot] : map) {
        if (slot) writeSlot(slot.get(), *members.putEntry(name, slot.get()));
    }
    finishMap(members, owner, orderKey);
}

void WriterCore::writeNode(const Node& node, JV& target) {
    DepthGuard guard(*this);
    target.setObject();
    remember(node, target);
    switch (normalizeSubtypes(node.type())) {
        case NodeType::OpenAPI:
            return writeOpenAPI(static_cast<const OpenAPI&>(node), target);
        case NodeType::Info:
            return writeInfo(static_cast<const Info&>(node), target);
        case NodeType::Contact:
            return writeContact(static_cast<const Contact&>(node), target);
        case NodeType::License:
            return writeLicense(static_cast<const License&>(node), target);
        case NodeType::Server:
            return writeServer(static_cast<const Server&>(node), target);
        case NodeType::ServerVariable:
            return writeServerVariable(static_cast<const ServerVariable&>(node), target);
        case NodeType::Components:
            return writeComponents(static_cast<const Components&>(node), target);
        case NodeType::Paths:
            return writePaths(static_cast<const Paths&>(node), target);
        case NodeType::PathItem:
            return writePathItem(static_cast<const PathItem&>(node), target);
        case NodeType::Operation:
            return writeOperation(static_cast<const Operation&>(node), target);
        case NodeType::Parameter:
            return writeParameter(static_cast<const Parameter&>(node), target);
        case NodeType::RequestBody:
            return writeRequestBody(static_cast<const RequestBody&>(node), target);
        case NodeType::MediaType:
            return writeMediaType(static_cast<const MediaType&>(node), target);
        case NodeType::Encoding:
            return writeEncoding(static_cast<const Encoding&>(node), target);
        case NodeType::Response:
            return writeResponse(static_cast<const Response&>(node), target);
        case NodeType::Callback:
            return writeCallback(static_cast<const Callback&>(node), target);
        case NodeType::Example:
            return writeExample(static_cast<const Example&>(node), target);
        case NodeType::Link:
            return writeLink(static_cast<const Link&>(node), target);
        case NodeType::Header:
            return writeHeader(static_cast<const Header&>(node), target);
        case NodeType::Tag:
            return writeTag(static_cast<const Tag&>(node), target);
        case NodeType::Schema:
            return writeSchema(static_cast<const Schema&>(node), target, booleanSchemas());
        case NodeType::SecurityScheme:
            return writeSecurityScheme(static_cast<const SecurityScheme&>(node), target);
        case NodeType::OAuthFlows:
            return writeOAuthFlows(static_cast<const OAuthFlows&>(node), target);
        case NodeType::OAuthFlow:
            return writeOAuthFlow(static_cast<const OAuthFlow&>(node), target);
        case NodeType::SecurityRequirement:
            return writeSecurityRequirement(static_cast<const SecurityRequirement&>(node), target);
        default:
            // Responses, ExternalDocumentation, Discriminator and XML are written by their owners; a Reference never
            // gets here.
            ZEPHALON_UNREACHABLE("Node kind cannot be written on its own");
    }
}

void WriterCore::writeOpenAPI(const OpenAPI& root, JV& target) {
    OutObject out = nodeObject(target, root);
    out.writeString(root.specVersion(), "openapi");
    writeInfo(*root.info(), *out.putObject("info"));
    out.writeOptionalString(root.jsonSchemaDialect(), "jsonSchemaDialect");
    writeServers(out, root.servers());
    if (!root.components()->isEmpty() || !root.components()->extensions().empty()) {
        writeComponents(*root.components(), *out.putObject("components"));
    }
    // Always written, except that a document without paths that still has none stays so.
    if (out.source == nullptr || out.sourceMember("paths") != nullptr || !root.paths()->items().empty() ||
        !root.paths()->extensions().empty()) {
        writePaths(*root.paths(), *out.putObject("paths"));
    }
    writeSlotMap(out, "webhooks", root.webhooks(), root, "webhooks");
    writeSecurity(out, root.security(), false);
    if (!root.tags().empty()) {
        JV* array = out.putArray("tags");
        for (const auto& tag : root.tags()) writeNode(*tag, *array->addObject());
    }
    writeExternalDocs(out, root.externalDocs(), true);
    writeExtensions(out, root);
    finishNode(out, root);
}

void WriterCore::writeInfo(const Info& info, JV& target) {
    OutObject out = nodeObject(target, info);
    out.writeString(info.title(), "title");
    out.writeOptionalString(info.summary(), "summary");
    out.writeOptionalString(info.description(), "description");
    out.writeOptionalString(info.termsOfService(), "termsOfService");
    if (info.contact() != nullptr) writeNode(*info.contact(), *out.putObject("contact"));
    if (info.license() != nullptr) writeNode(*info.license(), *out.putObject("license"));
    out.writeString(info.version(), "version");
    writeExtensions(out, info);
    finishNode(out, info);
}

void WriterCore::writeContact(const Contact& contact, JV& target) {
    OutObject out = nodeObject(target, contact);
    out.writeOptionalString(contact.name(), "name");
    out.writeOptionalString(contact.url(), "url");
    out.writeOptionalString(contact.email(), "email");
    writeExtensions(out, contact);
    finishNode(out, contact);
}

void WriterCore::writeLicense(const License& license, JV& target) {
    OutObject out = nodeObject(target, license);
    out.writeString(license.name(), "name");
    out.writeOptionalString(license.identifier(), "identifier");
    out.writeOptionalString(license.url(), "url");
    writeExtensions(out, license);
    finishNode(out, license);
}

void WriterCore::writeServers(OutObject& out, const OwnedList<Server>& servers) {
    if (servers.empty()) return;
    JV* array = out.putArray("servers");
    for (const auto& server : servers) writeNode(*server, *array->addObject());
}

void WriterCore::writeServer(const Server& server, JV& target) {
    OutObject out = nodeObject(target, server);
    out.writeString(server.url(), "url");
    out.writeOptionalString(server.description(), "description");
    // Variables follow the url. Those that the source did not spell out, under a url that is as read, stay unwritten.
    const JV* url = out.sourceMember("url");
    const bool urlAsRead = url != nullptr && url->isString() && url->stringValue() == server.url();
    std::optional<OutObject> variables;
    for (const auto& [name, variable] : server.variables()) {
        if (urlAsRead && sourceOf(variable.get()) == nullptr) continue;
        if (!variables) variables.emplace(mapObject(out, "variables"));
        writeNode(*variable, *variables->putEntry(name, variable.get()));
    }
    if (variables) finishMap(*variables, server, "variables");
    writeExtensions(out, server);
    finishNode(out, server);
}

void WriterCore::writeServerVariable(const ServerVariable& variable, JV& target) {
    OutObject out = nodeObject(target, variable);
    out.writeString(variable.defaultValue(), "default");
    out.writeOptionalString(variable.description(), "description");
    out.writeStrings(variable.enumValues(), "enum");
    writeExtensions(out, variable);
    finishNode(out, variable);
}

void WriterCore::writeTag(const Tag& tag, JV& target) {
    OutObject out = nodeObject(target, tag);
    out.writeString(tag.name(), "name");
    out.writeOptionalString(tag.description(), "description");
    writeExternalDocs(out, tag.externalDocs(), true);
    writeExtensions(out, tag);
    finishNode(out, tag);
}

void WriterCore::writePaths(const Paths& paths, JV& target) {
    OutObject out = nodeObject(target, paths);
    for (const auto& [path, slot] : paths.items()) {
        if (slot) writeSlot(slot.get(), *out.putEntry(path, slot.get()));
    }
    writeExtensions(out, paths);
    // Every member is a path or an extension: nothing to bring back, but a path renamed since reading keeps its place.
    finish(out, out.source != nullptr && hooks_.valueOrder ? hooks_.valueOrder(*out.source) : nodeOrder(&paths));
}

void WriterCore::writePathItem(const PathItem& item, JV& target) {
    OutObject out = nodeObject(target, item);
    out.writeOptionalString(item.summary(), "summary");
    out.writeOptionalString(item.description(), "description");
    for (const auto& [method, operation] : item.operations()) {
        if (operation) writeNode(*operation, *out.putObject(operationMethodToString(method)));
    }
    writeParameters(out, item.parameters());
    writeServers(out, item.servers());
    writeExtensions(out, item);
    finishNode(out, item);
}

void WriterCore::writeParameters(OutObject& out, const NodeList& parameters) {
    if (parameters.empty()) return;
    JV* array = out.putArray("parameters");
    for (const auto& slot : parameters) {
        if (slot) writeSlot(slot.get(), *array->addObject());
    }
}

void WriterCore::writeOperation(const Operation& operation, JV& target) {
    OutObject out = nodeObject(target, operation);
    const std::vector<std::string_view> tags = operation.tagNames();
    if (const JV* source = out.sourceMember("tags"); source != nullptr && tagsAsRead(*source, tags)) {
        copyValue(out, "tags", *source, source);
    } else if (!tags.empty()) {
        JV* array = out.putArray("tags");
        for (std::string_view tag : tags) array->addString(tag);
    }
    out.writeOptionalString(operation.summary(), "summary");
    out.writeOptionalString(operation.description(), "description");
    writeExternalDocs(out, operation.externalDocs(), true);
    out.writeOptionalString(operation.operationId(), "operationId");
    writeParameters(out, operation.parameters());
    writeSlotMember(out, "requestBody", operation.requestBodyNode());
    if (operation.responses() != nullptr &&
        (!operation.responses()->responses().empty() || !operation.responses()->extensions().empty())) {
        writeResponses(*operation.responses(), operation, *out.putObject("responses"));
    }
    writeSlotMap(out, "callbacks", operation.callbacks(), operation, "callbacks");
    out.writeBoolean(operation.deprecated(), "deprecated");
    // An operation of its own security writes it even when empty: that is how it opts out of the root's.
    if (!operation.inheritsSecurity()) writeSecurity(out, operation.security(), true);
    writeServers(out, operation.servers());
    writeExtensions(out, operation);
    finishNode(out, operation);
}

// Whether reading this "tags" array gives these names: non-empty strings, each name once.
bool WriterCore::tagsAsRead(const JV& source, const std::vector<std::string_view>& names) {
    if (!source.isArray()) return false;
    std::size_t matched = 0;
    for (const JV* tag : source.items()) {
        if (!tag->isString() || tag->stringValue().empty()) continue;
        const auto seen = names.begin() + static_cast<std::ptrdiff_t>(matched);
        if (std::find(names.begin(), seen, tag->stringValue()) != seen) continue;
        if (matched == names.size() || names[matched] != tag->stringValue()) return false;
        ++matched;
    }
    return matched == names.size();
}

void WriterCore::writeSecurity(OutObject& out, const OwnedList<SecurityRequirement>& security, bool always) {
    if (security.empty() && !always) return;
    JV* array = out.putArray("security");
    for (const auto& requirement : security) writeNode(*requirement, *array->addObject());
}

void WriterCore::writeSecurityRequirement(const SecurityRequirement& requirement, JV& target) {
    OutObject out = nodeObject(target, requirement);
    for (const auto& [name, scopes] : requirement.items()) {
        JV* array = out.putArray(name);
        for (const std::string& scope : scopes) array->addString(scope);
    }
    finishNode(out, requirement);
}

void WriterCore::writeResponses(const Responses& responses, const Operation& owner, JV& target) {
    DepthGuard guard(*this);
    OutObject out = nodeObject(target, responses);
    for (const auto& [status, slot] : responses.responses()) {
        if (slot) writeSlot(slot.get(), *out.putEntry(status, slot.get()));
    }
    writeExtensions(out, responses);
    auto order = out.source != nullptr && hooks_.valueOrder ? hooks_.valueOrder(*out.source) : nodeOrder(&responses);
    finish(out, order.empty() ? keyedOrder(&owner, "responses") : order);
}

void WriterCore::writeResponse(const Response& response, JV& target) {
    OutObject out = nodeObject(target, response);
    out.writeString(response.description(), "description");
    writeSlotMap(out, "headers", response.headers(), response, "headers");
    writeContent(out, response.content(), response);
    writeSlotMap(out, "links", response.links(), response, "links");
    writeExtensions(out, response);
    finishNode(out, response);
}

void WriterCore::writeExamples(OutObject& out, const Examples& examples, const Node& owner) {
    switch (examples.exampleMode()) {
        case Examples::Mode::none:
            return;
        case Examples::Mode::embedded:
            copyValue(out, "example", *examples.embeddedExample(), out.sourceMember("example"));
            return;
        case Examples::Mode::external:
            writeSlotMap(out, "examples", examples.externalExamples(), owner, "examples");
            return;
        default:
            ZEPHALON_UNREACHABLE("Unsupported example mode");
    }
}

void WriterCore::writeSchemaOrContent(OutObject& out, const SchemaOrMediaType& value, const Node& owner) {
    switch (value.schemaMode()) {
        case SchemaOrMediaType::Mode::none:
            return;
        case SchemaOrMediaType::Mode::schema:
            writeSchemaMember(out, "schema", value.schemaNode(), booleanSchemas());
            return;
        case SchemaOrMediaType::Mode::content: {
            OutObject content = mapObject(out, "content");
            writeNode(*value.mediaType(), *content.putEntry(value.mediaTypeKey(), value.mediaType()));
            finishMap(content, owner, "content");
            return;
        }
        default:
            ZEPHALON_UNREACHABLE("Unsupported schema mode");
    }
}

void WriterCore::writeParameter(const Parameter& parameter, JV& target) {
    OutObject out = nodeObject(target, parameter);
    out.writeString(parameter.name(), "name");
    out.writeString(parameterLocationToString(parameter.location()), "in");
    out.writeOptionalString(parameter.description(), "description");
    out.writeBoolean(parameter.deprecated(), "deprecated");
    writeSchemaOrContent(out, parameter.schemaOrContent(), parameter);
    writeExamples(out, parameter.examples(), parameter);
    switch (parameter.location()) {
        case Parameter::Location::path: {
            // Path parameters are required by definition; a source that left that unsaid stays so.
            if (out.source == nullptr || out.sourceMember("required") != nullptr) {
                out.keys.push_back("required");
                target.setBoolProperty("required", true);
            }
            if (const auto* path = nodeCast<PathParameter>(&parameter); path != nullptr) {
                out.writeName(pathParameterStyleToString(path->style()), "style",
                              path->style() == PathParameter::Style::simple);
            }
            out.writeBoolean(parameter.explode(), "explode");
            break;
        }
        case Parameter::Location::query: {
            out.writeBoolean(parameter.required(), "required");
            const auto* query = nodeCast<QueryParameter>(&parameter);
            const auto style = query != nullptr ? query->style() : QueryParameter::Style::form;
            if (query != nullptr) out.writeBoolean(query->allowEmptyValue(), "allowEmptyValue");
            out.writeName(queryParameterStyleToString(style), "style", style == QueryParameter::Style::form);
            // Only form explodes by default.
            out.writeOptionalBoolean(parameter.explode(), "explode", style == QueryParameter::Style::form);
            if (query != nullptr) out.writeBoolean(query->allowReserved(), "allowReserved");
            break;
        }
        case Parameter::Location::header:
        case Parameter::Location::cookie:
            out.writeBoolean(parameter.required(), "required");
            out.writeBoolean(parameter.explode(), "explode");
            break;
    }
    writeExtensions(out, parameter);
    finishNode(out, parameter);
}

void WriterCore::writeHeader(const Header& header, JV& target) {
    OutObject out = nodeObject(target, header);
    out.writeOptionalString(header.description(), "description");
    out.writeBoolean(header.required(), "required");
    out.writeBoolean(header.deprecated(), "deprecated");
    out.writeBoolean(header.explode(), "explode");
    writeSchemaOrContent(out, header.schemaOrContent(), header);
    writeExamples(out, header.examples(), header);
    writeExtensions(out, header);
    finishNode(out, header);
}

void WriterCore::writeContent(OutObject& out, const OwnedMap<MediaType>& content, const Node& owner) {
    if (content.empty()) return;
    OutObject members = mapObject(out, "content");
    for (const auto& [key, mediaType] : content) writeNode(*mediaType, *members.putEntry(key, mediaType.get()));
    finishMap(members, owner, "content");
}

void WriterCore::writeRequestBody(const RequestBody& body, JV& target) {
    OutObject out = nodeObject(target, body);
    out.writeOptionalString(body.description(), "description");
    if (body.content().empty()) {
        // Required by the format even when empty (unless the source left it out).
        if (out.source == nullptr || out.sourceMember("content") != nullptr) out.putObject("content");
    } else {
        writeContent(out, body.content(), body);
    }
    out.writeBoolean(body.required(), "required");
    writeExtensions(out, body);
    finishNode(out, body);
}

void WriterCore::writeMediaType(const MediaType& mediaType, JV& target) {
    OutObject out = nodeObject(target, mediaType);
    writeSchemaMember(out, "schema", mediaType.schemaNode(), booleanSchemas());
    writeExamples(out, mediaType.examples(), mediaType);
    if (!mediaType.encodings().empty()) {
        OutObject encodings = mapObject(out, "encoding");
        for (const auto& [name, encoding] : mediaType.encodings()) {
            writeNode(*encoding, *encodings.putEntry(name, encoding.get()));
        }
        finishMap(encodings, mediaType, "encoding");
    }
    writeExtensions(out, mediaType);
    finishNode(out, mediaType);
}

void WriterCore::writeEncoding(const Encoding& encoding, JV& target) {
    OutObject out = nodeObject(target, encoding);
    out.writeOptionalString(encoding.contentType(), "contentType");
    writeSlotMap(out, "headers", encoding.headers(), encoding, "headers");
    out.writeName(encodingStyleToString(encoding.style()), "style", encoding.style() == Encoding::Style::form);
    out.writeBoolean(encoding.explode(), "explode");
    out.writeBoolean(encoding.allowReserved(), "allowReserved");
    writeExtensions(out, encoding);
    finishNode(out, encoding);
}

void WriterCore::writeCallback(const Callback& callback, JV& target) {
    OutObject out = nodeObject(target, callback);
    for (const auto& [expression, item] : callback.items()) {
        JV* written = out.putEntry(expression, item.get());
        writeNode(*item, *written);
        // A callback holds its path items, so one the source referred to was read in place; it goes back to the
        // reference if it still equals its target.
        const JV* source = sourceOf(item.get());
        if (const JV* ref = source != nullptr && source->isObject() ? source->property("$ref") : nullptr;
            ref != nullptr && ref->isString()) {
            inlinedItems_.push_back(InlinedItem{written, source});
        }
    }
    writeExtensions(out, callback);
    finish(out, out.source != nullptr && hooks_.valueOrder ? hooks_.valueOrder(*out.source) : nodeOrder(&callback));
}

void WriterCore::writeExample(const Example& example, JV& target) {
    OutObject out = nodeObject(target, example);
    out.writeOptionalString(example.summary(), "summary");
    out.writeOptionalString(example.description(), "description");
    if (example.value() != nullptr) copyValue(out, "value", *example.value(), out.sourceMember("value"));
    out.writeOptionalString(example.externalValue(), "externalValue");
    writeExtensions(out, example);
    finishNode(out, example);
}

void WriterCore::writeLink(const Link& link, JV& target) {
    OutObject out = nodeObject(target, link);
    out.writeOptionalString(link.operationRef(), "operationRef");
    out.writeOptionalString(link.operationId(), "operationId");
    if (!link.parameters().empty()) {
        const JV* source = out.sourceMember("parameters");
        OutObject parameters = mapObject(out, "parameters");
        for (const auto& [name, value] : link.parameters()) {
            if (!value) continue;
            const JV* member = source != nullptr && source->isObject() ? source->property(name) : nullptr;
            copyValue(parameters, name, *value, member);
        }
        finishMap(parameters, link, "parameters");
    }
    if (link.requestBody() != nullptr) {
        copyValue(out, "requestBody", *link.requestBody(), out.sourceMember("requestBody"));
    }
    out.writeOptionalString(link.description(), "description");
    if (link.server() != nullptr) writeNode(*link.server(), *out.putObject("server"));
    writeExtensions(out, link);
    finishNode(out, link);
}

void WriterCore::writeComponents(const Components& components, JV& target) {
    DepthGuard guard(*this);
    OutObject out = nodeObject(target, components);
    writeSlotMap(out, "schemas", components.schemas(), components, "schemas");
    writeSlotMap(out, "responses", components.responses(), components, "responses");
    writeSlotMap(out, "parameters", components.parameters(), components, "parameters");
    writeSlotMap(out, "examples", components.examples(), components, "examples");
    writeSlotMap(out, "requestBodies", components.requestBodies(), components, "requestBodies");
    writeSlotMap(out, "headers", components.headers(), components, "headers");
    if (!components.securitySchemes().empty()) {
        OutObject schemes = mapObject(out, "securitySchemes");
        for (const auto& [key, scheme] : components.securitySchemes()) {
            writeNode(*scheme, *schemes.putEntry(key, scheme.get()));
        }
        finishMap(schemes, components, "securitySchemes");
    }
    writeSlotMap(out, "links", components.links(), components, "links");
    writeSlotMap(out, "callbacks", components.callbacks(), components, "callbacks");
    writeSlotMap(out, "pathItems", components.pathItems(), components, "pathItems");
    writeExtensions(out, components);
    finishNode(out, components);
}

void WriterCore::writeSecurityScheme(const SecurityScheme& scheme, JV& target) {
    OutObject out = nodeObject(target, scheme);
    out.writeString(securitySchemeTypeToString(scheme.schemeType()), "type");
    out.writeOptionalString(scheme.description(), "description");
    switch (scheme.schemeType()) {
        case SecurityScheme::Type::apiKey: {
            const auto& apiKey = static_cast<const ApiKeySecurityScheme&>(scheme);
            out.writeString(apiKey.name(), "name");
            out.writeString(apiKeySchemeLocationToString(apiKey.location()), "in");
            break;
        }
        case SecurityScheme::Type::http: {
            const auto& http = static_cast<const HTTPSecurityScheme&>(scheme);
            // In the source's spelling while it names the same scheme ("Bearer" for "bearer").
            const JV* spelt = out.sourceMember("scheme");
            const bool asRead = spelt != nullptr && spelt->isString() &&
                                isValidHttpSchemeScheme(spelt->stringValue()) &&
                                stringToHttpSchemeScheme(spelt->stringValue()) == http.scheme();
            out.writeString(asRead ? spelt->stringValue() : httpSchemeSchemeToString(http.scheme()), "scheme");
            out.writeOptionalString(http.bearerFormat(), "bearerFormat");
            break;
        }
        case SecurityScheme::Type::oauth2:
            writeNode(*static_cast<const OAuth2SecurityScheme&>(scheme).flows(), *out.putObject("flows"));
            break;
        case SecurityScheme::Type::openIdConnect:
            out.writeString(static_cast<const OpenIdConnectSecurityScheme&>(scheme).openIdConnectUrl(),
                            "openIdConnectUrl");
            break;
        case SecurityScheme::Type::mutualTLS:
            break;
    }
    writeExtensions(out, scheme);
    finishNode(out, scheme);
}

void WriterCore::writeOAuthFlows(const OAuthFlows& flows, JV& target) {
    OutObject out = nodeObject(target, flows);
    if (flows.implicit() != nullptr) writeNode(*flows.implicit(), *out.putObject("implicit"));
    if (flows.password() != nullptr) writeNode(*flows.password(), *out.putObject("password"));
    if (flows.clientCredentials() != nullptr) {
        writeNode(*flows.clientCredentials(), *out.putObject("clientCredentials"));
    }
    if (flows.authorizationCode() != nullptr) {
        writeNode(*flows.authorizationCode(), *out.putObject("authorizationCode"));
    }
    writeExtensions(out, flows);
    finishNode(out, flows);
}

void WriterCore::writeOAuthFlow(const OAuthFlow& flow, JV& target) {
    OutObject out = nodeObject(target, flow);
    switch (flow.flowType()) {
        case OAuthFlow::Type::implicit:
            out.writeString(static_cast<const ImplicitOAuthFlow&>(flow).authorizationUrl(), "authorizationUrl");
            break;
        case OAuthFlow::Type::password:
            out.writeString(static_cast<const PasswordOAuthFlow&>(flow).tokenUrl(), "tokenUrl");
            break;
        case OAuthFlow::Type::clientCredentials:
            out.writeString(static_cast<const ClientCredentialsOAuthFlow&>(flow).tokenUrl(), "tokenUrl");
            break;
        case OAuthFlow::Type::authorizationCode: {
            const auto& code = static_cast<const AuthorizationCodeOAuthFlow&>(flow);
            out.writeString(code.authorizationUrl(), "authorizationUrl");
            out.writeString(code.tokenUrl(), "tokenUrl");
            break;
        }
    }
    out.writeOptionalString(flow.refreshUrl(), "refreshUrl");
    // Always present, even without scopes (unless the source left it out).
    if (!flow.scopes().empty() || out.source == nullptr || out.sourceMember("scopes") != nullptr) {
        OutObject scopes{out.putObject("scopes")};
        for (const auto& [name, description] : flow.scopes()) scopes.writeString(description, name);
        finish(scopes, keyedOrder(&flow, "scopes"));
    }
    writeExtensions(out, flow);
    finishNode(out, flow);
}

}  // namespace detail

jv::JV* Writer::toJV(const OpenAPI* root) {
    doc_ = std::make_unique<jv::JVDoc>();
    doc_->setRoot(JV::Type::Object);
    if (root == nullptr) return doc_->root();
    detail::Hooks hooks{propOrder_, keyedPropOrder_, sourceValue_, valueOrder_, writtenNode_};
    detail::WriterCore core(hooks, *doc_, root);
    core.writeOpenAPI(*root, *doc_->root());
    core.resolvePendingReferences();
    return doc_->root();
}

namespace {

std::unique_ptr<jv::JVDoc> writeModel(const OpenAPI& model) {
    Writer writer;
    writer.toJV(&model);
    return writer.releaseDoc();
}

}  // namespace

void writeToStream(const OpenAPI& model, std::ostream& out, const jv::StreamWriteOptions& options) {
    jv::writeStream(*writeModel(model), out, options);
}

void writeToStream(const OpenAPI& model, std::ostream& out, FileFormat format) {
    jv::writeStream(*writeModel(model), out, format);
}

void writeToString(const OpenAPI& model, std::string& out, FileFormat format) {
    jv::writeString(*writeModel(model), out, format);
}

void writeToFile(const OpenAPI& model, const std::filesystem::path& path) { jv::writeFile(*writeModel(model), path); }

void writeToFile(const OpenAPI& model, const std::filesystem::path& path, const jv::FileWriteOptions& options) {
    jv::writeFile(*writeModel(model), path, options);
}

}  // namespace zephalon::openapi
