#include <fmt/format.h>

#include <cctype>
#include <set>

#include "context.h"
#include "zephalon/foundation/uri.h"

namespace zephalon::openapi_generator::doc_html {
namespace {

std::string upper(std::string_view text) {
    std::string result(text);
    for (char& c : result) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return result;
}

json optional(const std::optional<std::string>& value) { return value ? json(*value) : json(nullptr); }

bool isJson(std::string_view mediaType) {
    const std::string_view base = mediaType.substr(0, mediaType.find(';'));
    return base == "application/json" || base.ends_with("+json") || base == "*/*";
}

// The JSON media type of a content map, else its first entry.
const openapi::MediaType* preferredMediaType(const openapi::OwnedMap<openapi::MediaType>& content, std::string* key) {
    for (const auto& [name, mediaType] : content) {
        if (isJson(name)) {
            *key = name;
            return mediaType.get();
        }
    }
    if (content.empty()) return nullptr;
    *key = content.begin()->first;
    return content.begin()->second.get();
}

// The document's own example of a media type, if it has one.
const jv::JV* documentExample(const openapi::MediaType& mediaType) {
    const openapi::Examples& examples = mediaType.examples();
    if (examples.exampleMode() == openapi::Examples::Mode::embedded) return examples.embeddedExample();
    for (const auto& [name, node] : examples.externalExamples()) {
        if (const auto* example = node->resolveNodeAs<openapi::Example>(); example != nullptr && example->value()) {
            return example->value();
        }
    }
    return nullptr;
}

std::optional<std::string> mediaTypeExample(const Context& context, const openapi::MediaType& mediaType,
                                            bool useDocumentExamples) {
    if (useDocumentExamples) {
        if (const jv::JV* example = documentExample(mediaType)) return Context::exampleText(*example);
    }
    return context.sample(mediaType.schema());
}

json properties(const Context& context, const Locale& locale, const openapi::Schema* schema) {
    json result = json::array();
    if (schema == nullptr) return result;
    for (const auto& [name, node] : schema->properties()) {
        const auto* property = node->resolveNodeAs<openapi::Schema>();
        json entry = json::object();
        entry["name"] = name;
        entry["type"] = context.typeText(node.get());
        entry["required"] = schema->isRequired(name);
        const openapi::Node* described = property != nullptr ? static_cast<const openapi::Node*>(property) : node.get();
        const std::optional<std::string>& description =
            property != nullptr ? property->description() : std::optional<std::string>();
        entry["description"] = description ? context.markdown(locale, described, "description", *description) : "";
        if (const ResourceEntry* resource = context.resourceOf(property)) {
            entry["resource"] = resource->name;
            for (std::size_t i = 0; i < context.resources().size(); ++i) {
                if (&context.resources()[i] == resource) entry["href"] = context.resourceHref(locale, i);
            }
        }
        result.push_back(std::move(entry));
    }
    return result;
}

// A value of a parameter for the request example: its example, else a sample, as plain text.
std::string parameterValue(const Context& context, const openapi::Parameter& parameter) {
    const openapi::Examples& examples = parameter.examples();
    const jv::JV* value =
        examples.exampleMode() == openapi::Examples::Mode::embedded ? examples.embeddedExample() : nullptr;
    std::optional<std::string> text;
    if (value != nullptr) {
        text = Context::exampleText(*value);
    } else {
        text = context.sample(parameter.schemaOrContent().effectiveSchema());
    }
    if (!text) return parameter.name();
    // Strings appear without their quotes; other values as their JSON text.
    if (text->size() >= 2 && text->front() == '"' && text->back() == '"' && text->find('\\') == std::string::npos) {
        return text->substr(1, text->size() - 2);
    }
    return *text;
}

std::string percentEncode(std::string_view text) {
    std::string result;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~') {
            result += static_cast<char>(c);
        } else {
            result += fmt::format("%{:02X}", c);
        }
    }
    return result;
}

std::string serverUrl(const openapi::OperationInfo& info, const openapi::OpenAPI& document) {
    const openapi::Server* server = nullptr;
    if (!info.operation->servers().empty()) {
        server = info.operation->servers().front().get();
    } else if (info.pathItem != nullptr && !info.pathItem->servers().empty()) {
        server = info.pathItem->servers().front().get();
    } else if (!document.servers().empty()) {
        server = document.servers().front().get();
    }
    std::string url = server != nullptr ? server->defaultUrl() : std::string();
    // A relative server URL (or none) is relative to where the document is served; the examples need a host.
    if (url.find("://") == std::string::npos) url = "http://localhost" + (url.starts_with("/") ? url : "/" + url);
    while (url.ends_with("/")) url.pop_back();
    return url;
}

json securityData(const openapi::OwnedList<openapi::SecurityRequirement>& requirements, json& flat) {
    json result = json::array();
    for (const auto& requirement : requirements) {
        json schemes = json::array();
        for (const auto& [scheme, scopes] : requirement->items()) {
            json entry = {{"scheme", scheme}, {"scopes", scopes}};
            schemes.push_back(entry);
            if (std::find(flat.begin(), flat.end(), entry) == flat.end()) flat.push_back(entry);
        }
        result.push_back(std::move(schemes));
    }
    return result;
}

}  // namespace

RequestExample requestExample(const Context& context, const openapi::OperationInfo& info) {
    RequestExample example;
    example.method = upper(openapi::operationMethodToString(info.method));
    std::string path = info.path;
    std::vector<std::string> query;
    for (const openapi::Parameter* parameter : info.operation->effectiveParameters()) {
        if (parameter == nullptr) continue;
        switch (parameter->location()) {
            case openapi::Parameter::Location::path: {
                const std::string placeholder = "{" + parameter->name() + "}";
                const std::string value = percentEncode(parameterValue(context, *parameter));
                for (std::size_t at; (at = path.find(placeholder)) != std::string::npos;) {
                    path.replace(at, placeholder.size(), value);
                }
                break;
            }
            case openapi::Parameter::Location::query:
                if (parameter->required()) {
                    query.push_back(fmt::format("{}={}", percentEncode(parameter->name()),
                                                percentEncode(parameterValue(context, *parameter))));
                }
                break;
            case openapi::Parameter::Location::header:
                if (parameter->required()) {
                    example.headers.emplace_back(parameter->name(), parameterValue(context, *parameter));
                }
                break;
            case openapi::Parameter::Location::cookie:
                break;
        }
    }
    example.url = serverUrl(info, context.document()) + path;
    if (!query.empty()) example.url += fmt::format("?{}", fmt::join(query, "&"));
    if (const openapi::RequestBody* body = info.operation->requestBody()) {
        std::string key;
        const openapi::MediaType* mediaType = preferredMediaType(body->content(), &key);
        if (mediaType != nullptr && isJson(key)) {
            example.headers.emplace_back("Content-Type", key == "*/*" ? "application/json" : key);
            example.jsonBody = mediaTypeExample(context, *mediaType, context.config().useRequestBodyExamples);
        }
    }
    return example;
}

json operationData(const Context& context, const Locale& locale, std::size_t index) {
    const OperationEntry& entry = context.operations()[index];
    const openapi::OperationInfo& info = entry.info;
    const openapi::Operation& operation = *info.operation;
    json data = json::object();
    data["id"] = Context::operationId(info);
    data["method"] = openapi::operationMethodToString(info.method);
    data["path"] = info.path;
    data["summary"] =
        operation.summary() ? json(context.text(locale, &operation, "summary", *operation.summary())) : json(nullptr);
    data["description"] = operation.description()
                              ? json(context.markdown(locale, &operation, "description", *operation.description()))
                              : json(nullptr);
    data["operationId"] = optional(operation.operationId());
    data["deprecated"] = operation.deprecated();
    json flat = json::array();
    data["requirements"] =
        securityData(operation.inheritsSecurity() ? context.document().security() : operation.security(), flat);
    data["security"] = std::move(flat);

    json byLocation = {{"path_parameters", json::array()},
                       {"query_parameters", json::array()},
                       {"header_parameters", json::array()},
                       {"cookie_parameters", json::array()}};
    for (const openapi::Parameter* parameter : operation.effectiveParameters()) {
        if (parameter == nullptr) continue;
        json p = json::object();
        p["name"] = parameter->name();
        p["type"] = context.typeText(parameter->schemaOrContent().effectiveSchema());
        p["required"] = parameter->required();
        p["deprecated"] = parameter->deprecated();
        p["slot"] = parameter->description()
                        ? context.markdown(locale, parameter, "description", *parameter->description())
                        : std::string();
        const std::string location(openapi::parameterLocationToString(parameter->location()));
        byLocation[location + "_parameters"].push_back(std::move(p));
    }
    for (auto& [key, value] : byLocation.items()) data[key] = value;

    data["requestBody"] = nullptr;
    if (const openapi::RequestBody* body = operation.requestBody()) {
        std::string key;
        const openapi::MediaType* mediaType = preferredMediaType(body->content(), &key);
        const openapi::Schema* schema = mediaType != nullptr ? mediaType->schema() : nullptr;
        json b = json::object();
        b["description"] =
            body->description() ? json(context.markdown(locale, body, "description", *body->description())) : json("");
        b["required"] = body->required();
        b["mediaType"] = key;
        b["type"] = context.typeText(mediaType != nullptr ? mediaType->schemaNode() : nullptr);
        b["properties"] = properties(context, locale, schema);
        data["requestBody"] = std::move(b);
    }

    data["responses"] = json::array();
    data["responseSchemas"] = json::array();
    data["jsonResponses"] = json::array();
    if (const openapi::Responses* responses = operation.responses()) {
        for (const auto& [status, node] : responses->responses()) {
            const auto* response = node->resolveNodeAs<openapi::Response>();
            if (response == nullptr) continue;
            std::vector<std::string> mediaTypes;
            for (const auto& [key, mediaType] : response->content()) mediaTypes.push_back(key);
            data["responses"].push_back(
                {{"status", status},
                 {"mediaType", fmt::format("{}", fmt::join(mediaTypes, ", "))},
                 {"code", context.markdown(locale, response, "description", response->description())}});
            std::string key;
            const openapi::MediaType* mediaType = preferredMediaType(response->content(), &key);
            if (mediaType == nullptr) continue;
            if (context.config().generateResponseSchema) {
                data["responseSchemas"].push_back({{"status", status},
                                                   {"mediaType", key},
                                                   {"type", context.typeText(mediaType->schemaNode())},
                                                   {"properties", properties(context, locale, mediaType->schema())}});
            }
            if (isJson(key)) {
                if (auto example = mediaTypeExample(context, *mediaType, context.config().useResponseExamples)) {
                    data["jsonResponses"].push_back({{"status", status}, {"mediaType", key}, {"code", *example}});
                }
            }
        }
    }

    const bool curl = context.config().hasRequestCodeExample(RequestBodyExampleVariant::curl);
    const bool js = context.config().hasRequestCodeExample(RequestBodyExampleVariant::vanilla_js);
    if (curl || js) {
        const RequestExample example = requestExample(context, info);
        if (curl) data["curlRequest"] = curlRequest(example);
        if (js) data["vanillaJsRequest"] = vanillaJsRequest(example);
    }
    data["usageComponentName"] = context.operationUsageComponent(index);
    return data;
}

json resourceData(const Context& context, const Locale& locale, std::size_t index) {
    const ResourceEntry& entry = context.resources()[index];
    const openapi::Schema& schema = *entry.schema;
    json data = json::object();
    data["id"] = Context::resourceId(entry.name);
    data["name"] = entry.name;
    data["title"] = schema.title() ? json(context.text(locale, &schema, "title", *schema.title())) : json(nullptr);
    data["type"] = context.typeText(&schema);
    data["description"] =
        schema.description() ? json(context.markdown(locale, &schema, "description", *schema.description())) : json("");
    data["properties"] = properties(context, locale, &schema);
    data["required"] = json(std::vector<std::string>(schema.required().begin(), schema.required().end()));
    if (auto example = context.sample(&schema)) data["example"] = *example;
    data["usageComponentName"] = context.resourceUsageComponent(index);
    data["usageComponentImport"] =
        Context::relativeImport(Context::componentPath(locale, "schemas", context.resourceComponent(index)),
                                Context::componentPath(locale, "schemas", context.resourceUsageComponent(index)));
    return data;
}

json overviewData(const Context& context, const Locale& locale) {
    const openapi::OpenAPI& document = context.document();
    const openapi::Info* info = document.info();
    json data = json::object();
    data["title"] = info != nullptr ? context.text(locale, info, "title", info->title()) : "";
    data["version"] = info != nullptr ? info->version() : "";
    data["summary"] = info != nullptr && info->summary() ? json(context.text(locale, info, "summary", *info->summary()))
                                                         : json(nullptr);
    data["description"] = info != nullptr && info->description()
                              ? json(context.markdown(locale, info, "description", *info->description()))
                              : json(nullptr);
    data["termsOfService"] = info != nullptr ? optional(info->termsOfService()) : json(nullptr);
    data["contact"] = nullptr;
    if (info != nullptr && info->contact() != nullptr) {
        const openapi::Contact& contact = *info->contact();
        data["contact"] = {
            {"name", optional(contact.name())}, {"url", optional(contact.url())}, {"email", optional(contact.email())}};
    }
    data["license"] = nullptr;
    if (info != nullptr && info->license() != nullptr) {
        const openapi::License& license = *info->license();
        data["license"] = {
            {"name", license.name()}, {"identifier", optional(license.identifier())}, {"url", optional(license.url())}};
    }
    data["externalDocs"] = nullptr;
    if (const openapi::ExternalDocumentation* docs = document.externalDocs()) {
        data["externalDocs"] = {{"url", docs->url()},
                                {"description", docs->description() ? json(context.markdown(locale, docs, "description",
                                                                                            *docs->description()))
                                                                    : json(nullptr)}};
    }
    data["servers"] = json::array();
    for (const auto& server : document.servers()) {
        data["servers"].push_back(
            {{"url", server->url()},
             {"description", server->description()
                                 ? json(context.markdown(locale, server.get(), "description", *server->description()))
                                 : json(nullptr)}});
    }
    data["tags"] = json::array();
    for (const auto& tag : document.tags()) {
        data["tags"].push_back(
            {{"id", Context::tagId(tag->name())},
             {"name", tag->name()},
             {"description", tag->description()
                                 ? json(context.markdown(locale, tag.get(), "description", *tag->description()))
                                 : json(nullptr)}});
    }
    data["securitySchemes"] = json::array();
    if (const openapi::Components* components = document.components()) {
        for (const auto& [name, scheme] : components->securitySchemes()) {
            json s = json::object();
            s["name"] = name;
            s["type"] = openapi::securitySchemeTypeToString(scheme->schemeType());
            s["description"] = scheme->description()
                                   ? json(context.markdown(locale, scheme.get(), "description", *scheme->description()))
                                   : json(nullptr);
            s["scheme"] = nullptr;
            s["bearerFormat"] = nullptr;
            s["openIdConnectUrl"] = nullptr;
            if (const auto* http = openapi::nodeCast<openapi::HTTPSecurityScheme>(scheme.get())) {
                s["scheme"] = openapi::httpSchemeSchemeToString(http->scheme());
                s["bearerFormat"] = optional(http->bearerFormat());
            }
            if (const auto* apiKey = openapi::nodeCast<openapi::ApiKeySecurityScheme>(scheme.get())) {
                s["parameterName"] = apiKey->name();
                s["in"] = openapi::apiKeySchemeLocationToString(apiKey->location());
            }
            if (const auto* oidc = openapi::nodeCast<openapi::OpenIdConnectSecurityScheme>(scheme.get())) {
                s["openIdConnectUrl"] = oidc->openIdConnectUrl();
            }
            if (const auto* oauth = openapi::nodeCast<openapi::OAuth2SecurityScheme>(scheme.get());
                oauth != nullptr && oauth->flows() != nullptr) {
                const openapi::OAuthFlows& flows = *oauth->flows();
                auto flow = [](const openapi::OAuthFlow* f, std::optional<std::string> authorizationUrl,
                               std::optional<std::string> tokenUrl) -> json {
                    if (f == nullptr) return nullptr;
                    return {{"authorizationUrl", optional(authorizationUrl)},
                            {"tokenUrl", optional(tokenUrl)},
                            {"refreshUrl", optional(f->refreshUrl())},
                            {"scopes", f->scopes()}};
                };
                const auto* code = flows.authorizationCode();
                const auto* client = flows.clientCredentials();
                const auto* password = flows.password();
                const auto* implicit = flows.implicit();
                s["flows"] = {
                    {"authorizationCodeFlow",
                     code ? flow(code, code->authorizationUrl(), code->tokenUrl()) : json(nullptr)},
                    {"clientCredentialsFlow", client ? flow(client, std::nullopt, client->tokenUrl()) : json(nullptr)},
                    {"passwordFlow", password ? flow(password, std::nullopt, password->tokenUrl()) : json(nullptr)},
                    {"implicitFlow",
                     implicit ? flow(implicit, implicit->authorizationUrl(), std::nullopt) : json(nullptr)}};
            }
            data["securitySchemes"].push_back(std::move(s));
        }
    }
    return data;
}

std::string shellQuote(std::string_view text) {
    std::string result = "'";
    for (char c : text) {
        if (c == '\'') {
            result += "'\\''";
        } else {
            result += c;
        }
    }
    return result + "'";
}

std::string jsStringLiteral(std::string_view text) {
    std::string result = "'";
    for (unsigned char c : text) {
        switch (c) {
            case '\'':
                result += "\\'";
                break;
            case '\\':
                result += "\\\\";
                break;
            case '\n':
                result += "\\n";
                break;
            case '\r':
                result += "\\r";
                break;
            case '\t':
                result += "\\t";
                break;
            default:
                if (c < 0x20) {
                    result += fmt::format("\\x{:02x}", c);
                } else {
                    result += static_cast<char>(c);
                }
        }
    }
    return result + "'";
}

std::string curlRequest(const RequestExample& example) {
    std::string text = "curl";
    text += " \\\n  -X " + example.method;
    for (const auto& [name, value] : example.headers) text += " \\\n  -H " + shellQuote(name + ": " + value);
    // -g: braces and brackets in a URL are the URL's, not curl's globbing.
    text += " \\\n  -g " + shellQuote(example.url);
    if (example.jsonBody) text += " \\\n  -d " + shellQuote(*example.jsonBody);
    return text;
}

std::string vanillaJsRequest(const RequestExample& example) {
    std::string text = "const json = await fetch(" + jsStringLiteral(example.url) + ", {\n";
    text += "  method: " + jsStringLiteral(example.method) + ",\n";
    text += "  headers: {\n";
    for (const auto& [name, value] : example.headers) {
        text += "    " + jsStringLiteral(name) + ": " + jsStringLiteral(value) + ",\n";
    }
    text += "  },\n";
    if (example.jsonBody) text += "  body: JSON.stringify(" + *example.jsonBody + ")\n";
    text += "}";
    text += ");";
    return text;
}

}  // namespace zephalon::openapi_generator::doc_html
